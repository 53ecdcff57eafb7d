#pragma once

#include "platform/Color.h"

#include <QAbstractButton>

#include <functional>

// A colour box: a coloured button whose colour is chosen by a double-click,
// or by Enter or Space once it has the focus.
class ColorSwatch : public QAbstractButton {
public:
    ColorSwatch(QWidget* parent, std::function<void()> choose);

    Color color() const { return m_color; }
    void setColor(Color c);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    std::function<void()> m_choose;
    Color m_color = 0;
};
