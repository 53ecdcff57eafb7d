#include "documents/DocumentTabs.h"

#include "platform/Paths.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

DocumentTabs::DocumentTabs(QWidget* parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("TabStrip"));
    setAcceptDrops(true);
    setDocumentMode(true);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideMiddle);
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (!SuppressTabClick && index >= 0)
            Q_EMIT TabClicked(KeyAt(index));
    });
    // A click on the selected tab counts too: it is the way back from the
    // help browser to the document whose tab stayed selected.
    connect(this, &QTabBar::tabBarClicked, this, [this](int index) {
        if (!SuppressTabClick && index >= 0 && index == currentIndex())
            Q_EMIT TabClicked(KeyAt(index));
    });
}

QIcon DocumentTabs::IconFor(Picture picture) const
{
    return m_pictures ? m_pictures(int(picture)) : QIcon();
}

void DocumentTabs::SetPictures(std::function<QIcon(int picture)> pictures)
{
    m_pictures = std::move(pictures);
    for (int i = 0; i < count(); ++i)
        setTabIcon(i, IconFor(Picture(tabData(i).toList().value(1).toInt())));
}

namespace {

// A tab bar reads "&" as the mark of a key: a file named R&D.bb would show
// as "RD.bb" and take Alt+D.
QString Literal(QString caption)
{
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

void DocumentTabs::RemoveAll()
{
    const bool suppress = SuppressTabClick;
    SuppressTabClick = true;
    while (count() > 0)
        removeTab(count() - 1);
    SuppressTabClick = suppress;
}

void DocumentTabs::AddTab(const QString& key, const QString& caption, Picture picture, const QString& toolTip)
{
    const bool suppress = SuppressTabClick;
    SuppressTabClick = true;  // the first tab added becomes current by itself
    const int index = addTab(IconFor(picture), Literal(caption));
    setTabData(index, QVariantList{key, int(picture)});
    setTabToolTip(index, toolTip);
    SuppressTabClick = suppress;
}

int DocumentTabs::IndexOf(const QString& key) const
{
    for (int i = 0; i < count(); ++i)
        if (KeyAt(i) == key)
            return i;
    return -1;
}

QString DocumentTabs::KeyAt(int index) const
{
    return tabData(index).toList().value(0).toString();
}

void DocumentTabs::SetCaption(const QString& key, const QString& caption, const QString& toolTip)
{
    const int i = IndexOf(key);
    if (i < 0)
        return;
    setTabText(i, Literal(caption));
    setTabToolTip(i, toolTip);
}

QSize DocumentTabs::tabSizeHint(int index) const
{
    constexpr int kLongestCaption = 32;  // characters of average width
    QSize hint = QTabBar::tabSizeHint(index);
    const int textWidth = fontMetrics().horizontalAdvance(tabText(index));
    const int room = fontMetrics().averageCharWidth() * kLongestCaption;
    if (textWidth > room)
        hint.setWidth(hint.width() - (textWidth - room));
    return hint;
}

QSize DocumentTabs::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void DocumentTabs::SetPicture(const QString& key, Picture picture)
{
    const int i = IndexOf(key);
    if (i < 0 || PictureOf(key) == picture)
        return;
    setTabIcon(i, IconFor(picture));
    setTabData(i, QVariantList{key, int(picture)});
}

DocumentTabs::Picture DocumentTabs::PictureOf(const QString& key) const
{
    const int i = IndexOf(key);
    return i < 0 ? kSavedPicture : Picture(tabData(i).toList().value(1).toInt());
}

void DocumentTabs::SelectQuietly(const QString& key)
{
    const bool suppress = SuppressTabClick;
    SuppressTabClick = true;
    setCurrentIndex(IndexOf(key));
    SuppressTabClick = suppress;
}

void DocumentTabs::SelectNeighbour(int step)
{
    if (count() < 2)
        return;
    const int next = ((currentIndex() + step) % count() + count()) % count();
    setCurrentIndex(next);
}

void DocumentTabs::tabInserted(int index)
{
    QTabBar::tabInserted(index);
    updateGeometry();
}

void DocumentTabs::tabRemoved(int index)
{
    QTabBar::tabRemoved(index);
    updateGeometry();
}

void DocumentTabs::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void DocumentTabs::dragMoveEvent(QDragMoveEvent* event)
{
    // Dropped files are opened, never moved.
    if (!paths::LocalFiles(event->mimeData()).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void DocumentTabs::dropEvent(QDropEvent* event)
{
    const QStringList files = paths::LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Q_EMIT FilesDropped(files);
}
