#pragma once

#include <QDialog>
#include <QString>

class CUILabels;
class QLineEdit;
class QPushButton;

// Edits the command line handed to the compiled program. The text is taken
// as typed: no trimming, quoting or checking.
class DialogCommandLine : public QDialog {
    Q_OBJECT
public:
    explicit DialogCommandLine(const CUILabels& labels, QWidget* parent = nullptr);

    void setCmdLine(const QString& text);
    // The edited text after OK; the text handed in after Cancel or close.
    QString getCmdLine() const;

    QLineEdit* txtCommandLine() const { return m_txtCommandLine; }
    QPushButton* cmdOk() const { return m_cmdOk; }
    QPushButton* cmdCancel() const { return m_cmdCancel; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_txtCommandLine;
    QPushButton* m_cmdOk;
    QPushButton* m_cmdCancel;
    QString m_initialCmdLine;
    bool m_accepted = false;
};

// The command line command: a fresh dialog holding `current`, shown modally
// over `owner`; returns the command line to keep.
QString RunCommandLineDialog(const QString& current, const CUILabels& labels, QWidget* owner = nullptr);
