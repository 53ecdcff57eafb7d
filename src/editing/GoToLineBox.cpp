#include "editing/GoToLineBox.h"

#include <QIntValidator>
#include <QKeyEvent>

#include <algorithm>

GoToLineBox::GoToLineBox(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("GoToLineBox"));
    setValidator(new QIntValidator(0, 999999999, this));
    hide();
}

void GoToLineBox::Ask(int lines, const QString& prompt)
{
    m_lines = std::max(lines, 1);
    setPlaceholderText(QString(prompt).replace(QStringLiteral("#count#"), QString::number(m_lines)));
    setMinimumWidth(fontMetrics().horizontalAdvance(placeholderText()) + 24);
    clear();
    show();
    setFocus(Qt::ShortcutFocusReason);
}

void GoToLineBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        bool number = false;
        const int line = text().toInt(&number);
        if (!number)
            return;  // nothing typed yet: the box waits for a number
        // A line past the end means the end, as a user typing 99999 expects.
        const int chosen = std::clamp(line, 1, m_lines);
        Close();
        Q_EMIT LineChosen(chosen);
        return;
    }
    case Qt::Key_Escape:
        Close();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void GoToLineBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (isVisible())
        Close();
}

void GoToLineBox::Close()
{
    hide();
    Q_EMIT Closed();
}
