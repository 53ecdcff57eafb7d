#include "assist/PopupPlacement.h"

#include <algorithm>

namespace {

// Room kept between a popup moved in from the right and the screen's edge.
constexpr int kEdgeMargin = 1;

}  // namespace

QPoint PopupPosition(QPoint caret, QPoint offset, QSize size, QRect screen)
{
    QPoint pos = caret + offset;
    if (pos.x() + size.width() >= screen.left() + screen.width())
        pos.setX(screen.left() + screen.width() - kEdgeMargin - size.width());
    pos.setX(std::max(pos.x(), screen.left()));
    if (pos.y() + size.height() > screen.top() + screen.height()) {
        // Above the line: the caret point is the line's top.
        const int above = caret.y() - size.height() - 2;
        if (above >= screen.top())
            pos.setY(above);
        else
            pos.setY(std::max(screen.top(), screen.top() + screen.height() - size.height()));
    }
    return pos;
}
