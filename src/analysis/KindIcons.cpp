#include "analysis/KindIcons.h"

#include "editor/Keywords.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace {

struct Look {
    QChar letter;
    QColor colour;
};

Look LookOf(int kind)
{
    switch (kind) {
    case kKindCommand: return {u'B', QColor(0, 84, 196)};
    case kKindGlobal: return {u'G', QColor(0, 128, 128)};
    case kKindType: return {u'T', QColor(176, 88, 0)};
    case kKindFunction: return {u'F', QColor(128, 0, 170)};
    case kKindLabel: return {u'L', QColor(196, 0, 120)};
    case kKindConst: return {u'C', QColor(70, 120, 40)};
    case 7: return {u'O', QColor(100, 100, 100)};
    default: return {u'V', QColor(90, 110, 130)};  // locals and anything else
    }
}

QPixmap Draw(const Look& look, qreal scale)
{
    QPixmap pix(int(16 * scale), int(16 * scale));
    pix.setDevicePixelRatio(scale);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(look.colour);
    p.drawRoundedRect(QRectF(1, 1, 14, 14), 3.5, 3.5);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(10);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, QString(look.letter));
    return pix;
}

}  // namespace

QIcon KindIcon(int kind)
{
    static QHash<int, QIcon> cache;
    auto it = cache.constFind(kind);
    if (it != cache.constEnd())
        return *it;
    QIcon icon;
    const Look look = LookOf(kind);
    icon.addPixmap(Draw(look, 1));
    icon.addPixmap(Draw(look, 2));
    cache.insert(kind, icon);
    return icon;
}
