#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a popup under the caret goes. It opens `offset` away from the caret
// point (the top of the caret's line, in screen coordinates). One that would
// reach the screen's right edge is moved left to end just inside it; one
// that would run past the bottom opens above the caret's line instead, so
// the line being typed is never covered.
QPoint PopupPosition(QPoint caret, QPoint offset, QSize size, QRect screen);
