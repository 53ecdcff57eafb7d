#pragma once

#include "build/CompilerCommand.h"

#include <QObject>
#include <QString>

#include <memory>

class QProcess;

// One compiler run: which compiler, which document, where the output goes.
struct BuildJob {
    CompilerCommandInput command;
    QString b3dDir;      // becomes "blitzpath"
    QString outputPath;  // output.txt; created empty at each launch
};

// Runs the compiler as a child process without ever blocking the window:
// its standard output and error go together into the job's output file, it
// starts in the compiler's folder and sees only the Blitz3D variables. A
// Windows compiler on a system that cannot run it runs through wine.
class BuildRunner : public QObject {
    Q_OBJECT
public:
    struct Launch {
        bool started = false;
        QString reason;         // why not, when not started
        bool captured = false;  // the output file could be emptied and written
        // What was started, as a user would type it in a terminal; empty
        // when nothing could be started.
        QString shellCommand{};
    };

    explicit BuildRunner(QObject* parent = nullptr);
    // Ends a compiler that is still running, and whatever it started.
    ~BuildRunner() override;

    // Starts the compiler; refuses while a previous one still runs.
    Launch Start(const BuildJob& job);
    bool IsRunning() const;
    // Ends the running compiler, and whatever it started, without Finished.
    void Stop() { endChild(); }

    // Where to look for wine; the system's PATH when empty.
    void SetSearchPath(const QStringList& folders) { m_searchPath = folders; }

Q_SIGNALS:
    // The compiler has ended and its output file is complete; `exitCode` is
    // its exit status, unless it `crashed` (ended by a signal).
    void Finished(int exitCode, bool crashed);

private:
    void onFinished();
    void endChild();

    std::unique_ptr<QProcess> m_process;
    QStringList m_searchPath;
};
