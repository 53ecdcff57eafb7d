#include "startup/ColorSwatch.h"

#include "platform/QtColor.h"

#include <QKeyEvent>
#include <QPainter>

ColorSwatch::ColorSwatch(QWidget* parent, std::function<void()> choose)
    : QAbstractButton(parent), m_choose(std::move(choose))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ColorSwatch::setColor(Color c)
{
    m_color = c;
    update();
}

QSize ColorSwatch::sizeHint() const
{
    const int h = fontMetrics().height() + 10;
    return {h * 2, h};
}

void ColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool focused = hasFocus();
    const qreal pen = focused || underMouse() ? 2 : 1;
    const QRectF r = QRectF(rect()).adjusted(pen / 2 + 1, pen / 2 + 1, -pen / 2 - 1, -pen / 2 - 1);
    const QColor border = focused ? palette().color(QPalette::Highlight)
                                  : palette().color(underMouse() ? QPalette::Dark : QPalette::Mid);
    p.setPen(QPen(border, pen));
    p.setBrush(ToQColor(m_color));
    p.drawRoundedRect(r, 4, 4);
}

void ColorSwatch::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return QAbstractButton::mouseDoubleClickEvent(e);
    e->accept();
    m_choose();
}

void ColorSwatch::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
        && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Taken here, so that Enter does not reach the dialog's Save.
        e->accept();
        m_choose();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}
