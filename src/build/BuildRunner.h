#pragma once

#include "build/CompilerCommand.h"
#include "build/OutputCapture.h"
#include "platform/ProcessTree.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class QProcess;

// One compiler run: which compiler, which document, where the output goes.
struct BuildJob {
    CompilerCommandInput command;
    QString b3dDir;      // becomes "blitzpath"
    QString outputPath;  // output.txt; created empty at each launch
    // Variables the compiler, and the program it runs, get besides its own.
    QProcessEnvironment extra{};
};

// Runs the compiler as a child process without ever blocking the window:
// its standard output and error go together into the job's output file, it
// starts in the compiler's folder and sees only the Blitz3D variables. A
// Windows compiler on a system that cannot run it runs through wine.
// Whatever the compiler starts stays in sight, even a program that leaves
// its session or its parent, so that Stop, and the end of the IDE, end all
// of it; a process the build did not start is never touched.
class BuildRunner : public QObject {
    Q_OBJECT
public:
    struct Launch {
        bool started = false;
        QString reason{};       // why not, when not started
        bool captured = false;  // the output file could be emptied and written
        // What was started, as a user would type it in a terminal; empty
        // when nothing could be started.
        QString shellCommand{};
        // The label that says why not, `reason` its argument; none when
        // `reason` is the system's own text.
        const char* reasonLabel = nullptr;
    };

    explicit BuildRunner(QObject* parent = nullptr);
    // Ends a compiler that is still running, whatever it started, and what
    // earlier builds started and left running when they ended.
    ~BuildRunner() override;

    // Starts the compiler; refuses while a previous one still runs.
    Launch Start(const BuildJob& job);
    bool IsRunning() const;
    // Ends the running compiler, and whatever it started, without Finished.
    void Stop() { endChild(); }

    // At most `most` bytes of the output that came since the last call (the
    // last ones when `latest`).
    OutputCapture::Piece TakeOutput(qint64 most, bool latest = false);
    // The output file holds the last build's output to its end (or its
    // last megabytes), every write to it having gone well.
    bool OutputWritten() const { return m_output && m_output->FileWritten(); }

    // Where to look for wine; the system's PATH when empty.
    void SetSearchPath(const QStringList& folders) { m_searchPath = folders; }

Q_SIGNALS:
    // The compiler has ended and its output file is complete; `exitCode` is
    // its exit status, unless it `crashed` (ended by a signal).
    void Finished(int exitCode, bool crashed);

private:
    void onFinished();
    void endChild();
    // Notes what the running build has started, so that what outlives the
    // compiler can be ended later.
    void watchProcesses();
    // Once the compiler has ended: its orphans, now children of ours, join
    // what the build started, to be collected when they end.
    void adoptLeftOver();

    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<OutputCapture> m_output;
    QStringList m_searchPath;
    QTimer m_watch;
    std::vector<processtree::Process> m_started;
    // Started by builds that have ended, and still running then.
    std::vector<processtree::Process> m_leftOver;
    // Children of ours while the compiler runs, which are not the build's.
    std::vector<qint64> m_own;
    // Children of ours by adoption, not yet collected.
    std::vector<processtree::Process> m_adopted;
};
