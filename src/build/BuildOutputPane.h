#pragma once

#include "build/CompilerOutput.h"

#include <QTimer>
#include <QWidget>

class BuildController;
class QPlainTextEdit;

// The last build as it went: the command line, the compiler's whole output as
// it comes, and how the build ended and how long it took. A click on an error
// report brings up its file at its line and column. The one-line summary is
// for whoever holds the pane to show where it stays in sight while the
// output does not.
class BuildOutputPane : public QWidget {
    Q_OBJECT
public:
    explicit BuildOutputPane(BuildController& build, QWidget* parent = nullptr);

    QString Text() const;
    // How the last build went, or how long the one under way has run.
    QString Summary() const { return m_summary; }
    QPlainTextEdit* View() const;
    // The last build's outcome no longer applies (the error it stopped at was
    // edited away): the summary says nothing.
    void ClearOutcome() { SetSummary({}); }

Q_SIGNALS:
    void SummaryChanged(const QString& summary);
    // A build ended in failure: its output is worth a look.
    void BuildFailed();

private:
    void SetSummary(const QString& summary);
    void Start(const QString& title, const QString& commandLine);
    void Add(const QByteArray& bytes);
    void End(const QString& outcome, bool failed);
    void Append(const OutputLine& line);
    void ShowRunning();
    void OpenError(const CompilerError& error);

    BuildController& m_build;
    QString m_summary;
    class OutputView;
    OutputView* m_view;
    CompilerOutputReader m_reader;
    QString m_title;
    QTimer m_ticker;
};
