#include "documents/DocumentTabs.h"

#include "platform/Paths.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>

namespace {

// A sheet of paper with a folded corner; a modified document carries a dot.
QPixmap PagePicture(bool modified)
{
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10.5, 1.5);
    page.lineTo(13.5, 4.5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 100, 115), 1));
    p.setBrush(QColor(250, 251, 253));
    p.drawPath(page);
    p.drawLine(QPointF(10.5, 1.5), QPointF(10.5, 4.5));
    p.drawLine(QPointF(10.5, 4.5), QPointF(13.5, 4.5));
    p.setPen(QPen(QColor(160, 170, 185), 1));
    for (int y = 7; y <= 12; y += 2)
        p.drawLine(5, y, 11, y);
    if (modified) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 110, 20));
        p.drawEllipse(QPointF(11.5, 11.5), 3.5, 3.5);
    }
    return pix;
}

QPixmap HelpPicture()
{
    QPixmap pix(16, 16);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 110, 200));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QStringLiteral("?"));
    return pix;
}

}  // namespace

DocumentTabs::DocumentTabs(QWidget* parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("TabStrip"));
    setAcceptDrops(true);
    setDocumentMode(true);
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
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
    switch (picture) {
    case kHelpPicture: return QIcon(HelpPicture());
    case kModifiedPicture: return QIcon(PagePicture(true));
    case kSavedPicture: return QIcon(PagePicture(false));
    }
    return {};
}

void DocumentTabs::RemoveAll()
{
    const bool suppress = SuppressTabClick;
    SuppressTabClick = true;
    while (count() > 0)
        removeTab(count() - 1);
    SuppressTabClick = suppress;
}

void DocumentTabs::AddTab(const QString& key, const QString& caption, Picture picture)
{
    const bool suppress = SuppressTabClick;
    SuppressTabClick = true;  // the first tab added becomes current by itself
    const int index = addTab(IconFor(picture), caption);
    setTabData(index, QVariantList{key, int(picture)});
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

void DocumentTabs::SetCaption(const QString& key, const QString& caption)
{
    const int i = IndexOf(key);
    if (i >= 0)
        setTabText(i, caption);
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
