#include "mainwindow/BottomPanel.h"

#include "panes/ReferencesPane.h"
#include "build/BuildOutputPane.h"
#include "startup/Labels.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The height the panel opens at the first time, in lines of the output.
constexpr int kFirstOpenLines = 10;

}  // namespace

BottomPanel::BottomPanel(BuildOutputPane& output, ReferencesPane& references, const CUILabels& labels,
                         QWidget* parent)
    : QWidget(parent),
      m_toggleTips{labels.getValue(QStringLiteral("hidepanel")), labels.getValue(QStringLiteral("showpanel"))}
{
    const QString outputCaption = labels.getValue(QStringLiteral("buildoutput"));
    const QString referencesCaption = labels.getValue(QStringLiteral("references"));
    setObjectName(QStringLiteral("BottomPanel"));

    m_strip = new QWidget(this);
    m_strip->setObjectName(QStringLiteral("BottomPanelStrip"));
    m_strip->setAutoFillBackground(true);
    m_strip->setBackgroundRole(QPalette::Window);
    m_toggle = new QToolButton(m_strip);
    m_toggle->setObjectName(QStringLiteral("btBottomPanelToggle"));
    m_toggle->setAutoRaise(true);
    m_toggle->setFocusPolicy(Qt::NoFocus);

    m_tabs = new QTabBar(m_strip);
    m_tabs->setObjectName(QStringLiteral("BottomPanelTabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setDrawBase(false);
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->addTab(outputCaption);
    m_tabs->addTab(referencesCaption);
    m_captions = {outputCaption, referencesCaption};
    QToolButton* close = AddCloseButton(ReferencesTab, QStringLiteral("ReferencesClose"));

    m_summary = new QLabel(m_strip);
    m_summary->setObjectName(QStringLiteral("BuildOutputSummary"));
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_summary->setForegroundRole(QPalette::PlaceholderText);
    m_summary->setText(output.Summary());

    auto* stripLayout = new QHBoxLayout(m_strip);
    stripLayout->setContentsMargins(2, 0, 6, 0);
    stripLayout->setSpacing(6);
    stripLayout->addWidget(m_toggle);
    stripLayout->addWidget(m_tabs);
    stripLayout->addWidget(m_summary, 1);
    // A click on the strip outside the tabs opens or collapses the panel, as
    // the toggle does.
    m_strip->installEventFilter(this);
    m_summary->installEventFilter(this);
    // As tall as with the references' close button, so the strip does not
    // jump when their tab comes and goes.
    m_strip->setFixedHeight(m_strip->sizeHint().height());
    // No list yet, nothing to show.
    m_tabs->setTabVisible(ReferencesTab, false);

    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("BottomPanelPages"));
    m_pages->addWidget(&output);
    m_pages->addWidget(&references);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_strip);
    layout->addWidget(m_pages, 1);

    connect(m_toggle, &QToolButton::clicked, this, [this] {
        m_openedByReferences = false;
        SetCollapsed(!m_collapsed);
    });
    connect(m_tabs, &QTabBar::currentChanged, m_pages, &QStackedWidget::setCurrentIndex);
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0)
            ShowTab(Tab(index));
    });
    connect(close, &QToolButton::clicked, this, &BottomPanel::CloseReferences);
    connect(&output, &BuildOutputPane::SummaryChanged, this, [this](const QString& summary) {
        m_summary->setText(summary);
        m_summary->setToolTip(summary);
    });
    connect(&output, &BuildOutputPane::BuildFailed, this, [this] {
        // The output is to be read, whatever else the panel showed.
        m_openedByReferences = false;
        ShowTab(BuildOutputTab);
    });
    connect(&references, &ReferencesPane::RowsShown, this, &BottomPanel::ShowReferences);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &BottomPanel::Dismissed);

    const int lineHeight = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont)).lineSpacing();
    m_openHeight = m_strip->minimumHeight() + lineHeight * kFirstOpenLines + 8;
    SetCollapsed(true);
}

void BottomPanel::AddPane(QWidget& pane, const QString& caption)
{
    m_captions << caption;
    m_tabs->addTab(caption);
    m_pages->addWidget(&pane);
}

void BottomPanel::SetTabCount(Tab tab, int count)
{
    if (tab >= m_captions.size())
        return;
    m_tabs->setTabText(tab, count < 0 ? m_captions[tab] : QStringLiteral("%1 (%2)").arg(m_captions[tab]).arg(count));
    m_tabs->updateGeometry();
}

int BottomPanel::CurrentTab() const
{
    return m_tabs->currentIndex();
}

bool BottomPanel::TabShown(Tab tab) const
{
    return m_tabs->isTabVisible(tab);
}

QString BottomPanel::Summary() const
{
    return m_summary->text();
}

void BottomPanel::ShowTab(Tab tab)
{
    SetTabShown(tab, true);
    m_tabs->setCurrentIndex(tab);
    // Opened for its own sake, the panel stays when the references go.
    if (m_collapsed)
        m_openedByReferences = false;
    SetCollapsed(false);
}

void BottomPanel::ShowList(Tab tab)
{
    const bool opened = m_collapsed || m_openedByReferences;
    ShowTab(tab);
    m_openedByReferences = opened;
}

void BottomPanel::CloseReferences()
{
    CloseList(ReferencesTab);
}

void BottomPanel::CloseList(Tab tab)
{
    const Tab other = tab == ReferencesTab ? SearchTab : ReferencesTab;
    const bool otherShown = other < m_tabs->count() && TabShown(other);
    if (m_tabs->currentIndex() == tab)
        m_tabs->setCurrentIndex(otherShown ? other : BuildOutputTab);
    SetTabShown(tab, false);
    if (m_openedByReferences && !otherShown) {
        SetCollapsed(true);
        m_openedByReferences = false;
    }
}

QToolButton* BottomPanel::AddCloseButton(Tab tab, const QString& name)
{
    auto* close = new QToolButton(m_tabs);
    close->setObjectName(name);
    close->setAutoRaise(true);
    close->setFocusPolicy(Qt::NoFocus);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setIconSize(QSize(10, 10));
    m_tabs->setTabButton(tab, QTabBar::RightSide, close);
    return close;
}

void BottomPanel::AddSearchResults(QWidget& results, const QString& caption)
{
    m_captions << caption;
    m_tabs->addTab(caption);
    connect(AddCloseButton(SearchTab, QStringLiteral("SearchResultsClose")), &QToolButton::clicked, this,
            &BottomPanel::CloseSearchResults);
    m_tabs->setTabVisible(SearchTab, false);
    m_pages->addWidget(&results);
}

void BottomPanel::SetTabShown(Tab tab, bool shown)
{
    if (m_tabs->isTabVisible(tab) == shown)
        return;
    m_tabs->setTabVisible(tab, shown);
    // The tab bar does not ask its layout for the room the tab takes.
    m_tabs->updateGeometry();
}

void BottomPanel::SetCollapsed(bool collapsed)
{
    const int stripHeight = m_strip->minimumHeight();
    if (collapsed && !m_collapsed && isVisible() && height() > stripHeight)
        m_openHeight = height();
    m_collapsed = collapsed;
    FollowCollapsed();
    m_pages->setVisible(!collapsed);
    setMaximumHeight(collapsed ? stripHeight : QWIDGETSIZE_MAX);

    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    const int index = splitter ? splitter->indexOf(this) : -1;
    if (index < 0)
        return;
    QList<int> sizes = splitter->sizes();
    int total = 0;
    for (int s : sizes)
        total += s;
    const int other = index == 0 ? 1 : index - 1;
    if (total <= 0 || other >= sizes.size())
        return;
    const int want = collapsed ? stripHeight : std::min(m_openHeight, total * 2 / 3);
    sizes[other] += sizes[index] - want;
    sizes[index] = want;
    splitter->setSizes(sizes);
}

int BottomPanel::OpenHeight() const
{
    return m_collapsed ? m_openHeight : height();
}

void BottomPanel::SetOpenHeight(int height)
{
    if (height <= m_strip->minimumHeight())
        return;
    m_openHeight = height;
    if (!m_collapsed)
        SetCollapsed(false);
}

void BottomPanel::FollowCollapsed()
{
    m_toggle->setArrowType(m_collapsed ? Qt::UpArrow : Qt::DownArrow);
    m_toggle->setToolTip(m_toggleTips[m_collapsed ? 1 : 0]);
}

void BottomPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Opened before the window had its size (as the last run left it), the
    // panel takes its height once the window's layout has settled.
    QTimer::singleShot(0, this, [this] {
        if (!m_collapsed)
            SetCollapsed(false);
    });
}

bool BottomPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_toggle->click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
