#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// frmAbout: the program's name, version and notices, shown modally over the
// main window. OK only hides it: shown again, it keeps its text.
class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* owner = nullptr);

    QString Text() const;

private:
    QLabel* m_image = nullptr;         // Image1
    QPlainTextEdit* m_text = nullptr;  // Text1
    QPushButton* m_ok = nullptr;       // cmdOK
};
