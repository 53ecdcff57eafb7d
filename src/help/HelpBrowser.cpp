#include "help/HelpBrowser.h"

#include "help/HelpPages.h"
#include "help/HelpScheme.h"
#include "platform/Paths.h"

#include <QEvent>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

// The local file a page stands for: a file URL's, or a help URL's; "" for
// anything else.
QString LocalPathOf(const QUrl& url)
{
    return url.isLocalFile() ? url.toLocalFile() : help::HelpUrlPath(url);
}

// A file URL names its file exactly; a help URL finds it in any letter case.
bool IsMissingFile(const QUrl& url)
{
    if (url.isLocalFile())
        return !QFileInfo::exists(url.toLocalFile());
    const QString path = help::HelpUrlPath(url);
    return !path.isEmpty() && !QFileInfo::exists(paths::ResolveOnDisk(path));
}

// A help URL as the file URL of what it shows: the file as it is on disk,
// or the path asked for when there is none.
QUrl AsFileUrl(const QUrl& url)
{
    const QString path = help::HelpUrlPath(url);
    if (path.isEmpty())
        return url;
    QUrl file = QUrl::fromLocalFile(paths::ResolveOnDisk(path));
    file.setFragment(url.fragment());
    return file;
}

// Catches every main-frame load of a file that is not there (the home page,
// F1 pages, links inside the help) before the engine shows its own error page.
// Going back or reloading is left alone: those entries are generated pages
// already, and replacing them would grow the history on every step.
class HelpPage : public QWebEnginePage {
public:
    HelpPage(std::function<void(const QUrl&)> onMissing, QObject* parent)
        : QWebEnginePage(parent), m_onMissing(std::move(onMissing))
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (isMainFrame && type != NavigationTypeBackForward && type != NavigationTypeReload
            && IsMissingFile(url)) {
            m_onMissing(url);
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

private:
    std::function<void(const QUrl&)> m_onMissing;
};

// A call of an anonymous function with its arguments as JSON, so that ids and
// values reach the page as data whatever quotes or line breaks they hold.
QString ScriptCall(const QString& function, const QJsonArray& args)
{
    return QStringLiteral("(%1).apply(null, %2)")
        .arg(function, QString::fromUtf8(QJsonDocument(args).toJson(QJsonDocument::Compact)));
}

}  // namespace

HelpBrowser::HelpBrowser(const CUILabels& labels, QWidget* parent, Engine engine) : QWidget(parent), m_labels(labels)
{
    setObjectName(QStringLiteral("HelpBrowserContainer"));
    // An empty page until the view covers it.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_start.setSingleShot(true);
    connect(&m_start, &QTimer::timeout, this, [this] { View(); });
    if (engine == Engine::Now)
        View();
}

QWebEngineView* HelpBrowser::View()
{
    if (m_view)
        return m_view;
    m_start.stop();
    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("HelpBrowser"));
    auto* page = new HelpPage(
        [this](const QUrl& url) {
            // The engine is in the middle of deciding; start the new load after.
            QMetaObject::invokeMethod(
                this, [this, url] { ShowMissingPage(url); }, Qt::QueuedConnection);
        },
        m_view);
    m_view->setPage(page);
    help::InstallHelpScheme(page->profile(), m_labels);
    layout()->addWidget(m_view);

    connect(m_view, &QWebEngineView::loadFinished, this, &HelpBrowser::OnLoadFinished);
    connect(m_view, &QWebEngineView::loadStarted, this, &HelpBrowser::LoadStarted);
    connect(m_view, &QWebEngineView::selectionChanged, this, &HelpBrowser::SelectionChanged);
    if (const auto pending = std::exchange(m_pending, {}))
        pending();
    return m_view;
}

void HelpBrowser::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // Drawn with the window: the engine starts once the window system has
    // put the window on the screen (it then becomes active), or a second
    // later at the latest. Started sooner, it would hold up the window's own
    // picture, which the program hands over only when it next gets to it.
    if (m_view || m_start.isActive())
        return;
    m_start.start(isActiveWindow() ? kStartWhenShownMs : kStartAtTheLatestMs);
}

bool HelpBrowser::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && m_start.isActive() && m_start.remainingTime() > kStartWhenShownMs)
        m_start.start(kStartWhenShownMs);
    return QWidget::event(event);
}

bool HelpBrowser::Ready(std::function<void()> later)
{
    if (m_view)
        return true;
    m_pending = std::move(later);
    return false;
}

bool HelpBrowser::HasSelection() const
{
    return m_view && m_view->hasSelection();
}

void HelpBrowser::CopySelection()
{
    if (m_view)
        m_view->page()->triggerAction(QWebEnginePage::Copy);
}

HelpBrowser::~HelpBrowser() = default;

void HelpBrowser::SetHelpDir(const QString& helpDir)
{
    const bool changed = helpDir != m_helpDir;
    m_helpDir = helpDir;
    m_homePage = help::HomePage(helpDir);
    // A page that only said the folder was missing has its answer now.
    if (changed && m_showsFolderMissing)
        GoHome();
}

void HelpBrowser::Navigate(const QString& pathOrUrl)
{
    Navigate(help::ToBrowserUrl(pathOrUrl));
}

void HelpBrowser::Navigate(const QUrl& url)
{
    if (url.isEmpty() || !url.isValid() || !Ready([this, url] { Navigate(url); }))
        return;
    m_showsFolderMissing = false;
    // Pages of the help folder come through the help scheme, so that their
    // links find each other whatever the letter case.
    if (url.isLocalFile() && help::IsInside(url.toLocalFile(), m_helpDir)) {
        QUrl served = help::ToHelpUrl(url.toLocalFile());
        served.setFragment(url.fragment());
        m_view->load(served);
        return;
    }
    m_view->load(url);
}

void HelpBrowser::GoHome()
{
    if (!Ready([this] { GoHome(); }))
        return;
    if (m_homePage.isEmpty()) {
        m_view->setHtml(help::NoHelpFolderHtml(m_labels));
        m_showsFolderMissing = true;
        return;
    }
    Navigate(m_homePage);
}

void HelpBrowser::GoBack()
{
    if (!m_view)
        return;
    m_showsFolderMissing = false;
    m_view->back();
}

void HelpBrowser::GoForward()
{
    if (!m_view)
        return;
    m_showsFolderMissing = false;
    m_view->forward();
}

bool HelpBrowser::CanGoBack() const
{
    return m_view && m_view->history()->canGoBack();
}

bool HelpBrowser::CanGoForward() const
{
    return m_view && m_view->history()->canGoForward();
}

QUrl HelpBrowser::CurrentUrl() const
{
    return m_view ? AsFileUrl(m_view->url()) : QUrl();
}

void HelpBrowser::ShowMissingPage(const QUrl& url)
{
    // The missing file's own address stays the page's address, so the
    // history and the current URL say what the user asked for.
    const QString path = LocalPathOf(url);
    m_view->setHtml(help::MissingPageHtml(m_labels, path, m_helpDir), url);
    m_showsFolderMissing = help::IsInside(path, m_helpDir) && !QFileInfo(paths::ResolveOnDisk(m_helpDir)).isDir();
}

void HelpBrowser::OnLoadFinished(bool ok)
{
    const QUrl url = m_view->url();
    if (!ok || m_showsFolderMissing || IsMissingFile(url))
        return;
    Q_EMIT DocumentComplete(AsFileUrl(url));
}

void HelpBrowser::SetElementText(const QString& id, const QString& text, FoundCallback done)
{
    SetElement(id, QStringLiteral("innerText"), text, std::move(done));
}

void HelpBrowser::SetElementHtml(const QString& id, const QString& html, FoundCallback done)
{
    SetElement(id, QStringLiteral("innerHTML"), html, std::move(done));
}

void HelpBrowser::ElementText(const QString& id, ReadCallback done) const
{
    ReadElement(id, QStringLiteral("innerText"), std::move(done));
}

void HelpBrowser::SetElement(const QString& id, const QString& property, const QString& value,
                             FoundCallback done)
{
    if (!m_view) {
        // No page is shown yet, so none holds the element.
        if (done)
            done(false);
        return;
    }
    const QString script = ScriptCall(
        QStringLiteral("function(id, prop, value) {"
                       " var e = document.getElementById(id);"
                       " if (!e) return false;"
                       " e[prop] = value; return true; }"),
        {id, property, value});
    m_view->page()->runJavaScript(script, [done = std::move(done)](const QVariant& result) {
        if (done)
            done(result.toBool());
    });
}

void HelpBrowser::ReadElement(const QString& id, const QString& property, ReadCallback done) const
{
    if (!m_view) {
        if (done)
            done(std::nullopt);
        return;
    }
    const QString script = ScriptCall(
        QStringLiteral("function(id, prop) {"
                       " var e = document.getElementById(id);"
                       " return e ? String(e[prop]) : null; }"),
        {id, property});
    m_view->page()->runJavaScript(script, [done = std::move(done)](const QVariant& result) {
        if (!done)
            return;
        if (result.typeId() == QMetaType::QString)
            done(result.toString());
        else
            done(std::nullopt);
    });
}
