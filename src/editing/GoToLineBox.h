#pragma once

#include <QLineEdit>

// The line number asked for by Go to Line: a box that opens in the status
// bar, so the text stays in view and nothing covers it. Enter goes to the
// line; Escape, or leaving the box, goes nowhere.
class GoToLineBox : public QLineEdit {
    Q_OBJECT
public:
    explicit GoToLineBox(QWidget* parent = nullptr);

    // Opens the box, empty, for a document of `lines` lines; `prompt` is
    // shown in it until a number is typed.
    void Ask(int lines, const QString& prompt);

Q_SIGNALS:
    // A line from 1 to the document's last.
    void LineChosen(int line);
    void Closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Close();

    int m_lines = 1;
};
