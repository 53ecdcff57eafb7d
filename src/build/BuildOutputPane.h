#pragma once

#include "build/CompilerOutput.h"

#include <QTimer>
#include <QWidget>

class BuildController;
class QLabel;
class QPlainTextEdit;
class QToolButton;

// The pane below the editor that shows the last build: the command line, the
// compiler's whole output as it comes, and how the build ended and how long
// it took. A click on an error report brings up its file at its line and
// column. Its title bar stays when the pane is collapsed, still telling how
// the last build went; a build that fails opens it.
class BuildOutputPane : public QWidget {
    Q_OBJECT
public:
    BuildOutputPane(BuildController& build, const QString& title, QWidget* parent = nullptr);

    bool Collapsed() const { return m_collapsed; }
    // Collapsed, only the title bar shows; the pane asks a splitter it sits
    // in for room again when it opens.
    void SetCollapsed(bool collapsed);

    // What the pane shows: the output and the line of the title bar.
    QString Text() const;
    QString Summary() const;
    QPlainTextEdit* View() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Start(const QString& title, const QString& commandLine);
    void Add(const QByteArray& bytes);
    void End(const QString& outcome, bool failed);
    void Append(const OutputLine& line);
    void ShowRunning();
    void OpenError(const CompilerError& error);

    BuildController& m_build;
    QWidget* m_header;
    QToolButton* m_toggle;
    QLabel* m_summary;
    class OutputView;
    OutputView* m_view;
    CompilerOutputReader m_reader;
    QString m_title;
    QTimer m_ticker;
    bool m_collapsed = false;
    int m_openHeight = 0;  // the height it had when last open
};
