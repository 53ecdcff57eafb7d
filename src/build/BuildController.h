#pragma once

#include "build/BuildHost.h"
#include "build/BuildRunner.h"
#include "build/CompilerCommand.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <string_view>

class BlitzDirGuard;

// Where a run under the debugger compiles from, and what it tells the
// program; or why it cannot start.
struct DebugLaunch {
    QString b3dDir{};  // "blitzpath" for the compiler
    QProcessEnvironment environment{};
    QString failure{};  // the message to show when it cannot start
};
class CUILabels;
class DebugLog;
class Prompter;
struct CompilerError;
struct Settings;

// The build commands of the main window: check, compile and run, run again,
// build executable, stop, the debug toggle and the program's command line. It
// launches the compiler, passes its output on as it comes, learns of its end
// without blocking, and reports success in the status panel or shows the
// error on its line, in whichever file the compiler names.
class BuildController : public QObject {
    Q_OBJECT
public:
    // All references must outlive the controller. `settings` is read at each
    // build, so a changed Blitz3D folder takes effect at once. The compiler's
    // output goes to output.txt in `outputDir`.
    BuildController(BuildHost& host, const Settings& settings, const CUILabels& labels,
                    Prompter& prompter, DebugLog& log, QString outputDir,
                    QObject* parent = nullptr);
    ~BuildController() override;

    // The commands of the build menu and toolbar, on the current document:
    // they build its main file.
    void Check();
    void CompileAndRun();
    void BuildExecutable();
    // Compile and run the document last checked, run or built, when it is
    // still open; nothing otherwise.
    void Run();
    // Edits the program command line in DialogCommandLine.
    void EditProgramCommandLine();

    // Builds the program of a document from its main file.
    void BuildDoc(const QString& docKey, BuildMode mode);
    // "OK" when the document may be built, else the text to show. The
    // document in the editor is saved first; no other document is (but the
    // main file it is built from).
    QString ValidDoc(const QString& docKey);
    // The Stop command: ends the running compiler and the program it runs,
    // and says so.
    void Stop();
    // Ends a running compiler without reporting on it, as when the IDE closes.
    void Abort();
    // Brings up the place of an error the last build reported: its file
    // (opened when needed) with the caret on its line and column, marked.
    // False when the compiler named a file that is not on this disk.
    bool ShowError(const CompilerError& error);

    // The debug toggle shown by both btDebugEnabled and mnuDebugEnabled.
    bool DebugEnabled() const { return m_debugEnabled; }
    void SetDebugEnabled(bool on);

    QString ProgramCommandLine() const { return m_programCommandLine; }
    void SetProgramCommandLine(const QString& commandLine) { m_programCommandLine = commandLine; }
    // The texts of the build's messages, for what shows its output.
    const CUILabels& Labels() const { return m_labels; }

    QString LastBuiltKey() const { return m_lastBuiltKey; }
    bool IsBuilding() const { return m_runner.IsRunning(); }
    // How long the running or last build took.
    qint64 ElapsedMs() const
    {
        return m_elapsedMs >= 0 ? m_elapsedMs : m_clock.isValid() ? m_clock.elapsed() : 0;
    }
    // The file that receives the compiler's output.
    QString OutputPath() const;

    // Asked before every build for the Blitz3D folder; none asks nothing.
    void SetBlitzDirGuard(const BlitzDirGuard* guard) { m_blitzDir = guard; }

    // Asked at each compile and run with the debug switch on; unset, the
    // compiler runs the install's own debugger.
    void SetDebugLauncher(std::function<DebugLaunch()> launcher) { m_debugLauncher = std::move(launcher); }

    // Where wine is looked for; the system's PATH when empty.
    void SetToolSearchPath(const QStringList& folders) { m_runner.SetSearchPath(folders); }

Q_SIGNALS:
    void DebugEnabledChanged(bool on);
    // True after a successful launch, false once its result is shown.
    void BuildingChanged(bool building);
    // The build's story as it goes, for the output pane: it starts (`title`
    // is the status text of the launch), the output arrives in pieces, and
    // it ends with `outcome` ("Finished in 0.4 s"), which `failed` or not.
    // Every start is followed by an end, a launch that fails included.
    void BuildStarted(const QString& title, const QString& commandLine);
    void OutputAdded(const QByteArray& bytes);
    void BuildEnded(const QString& outcome, bool failed);
    // The error a build stopped at, in the document now shown at it (line
    // from 1, column in bytes from 0).
    void ErrorReported(const QString& docKey, int line, int column, const QString& message);

private:
    void onCompilerFinished(int exitCode, bool crashed);
    // Hands on what the compiler wrote since the last look: a piece while
    // it runs, everything at its end, only the latest piece once stopped (so
    // that Stop answers at once, however much was written).
    enum class OutputPart { Piece, All, Latest };
    void readOutput(OutputPart part);
    void endBuild(const QString& outcome, bool failed);
    // The document the file named in a report stands for.
    std::optional<QString> DocOfReport(const std::string& file);
    // Shows the compiler's error report line where it points, the message
    // appended to `statusBefore`.
    void ShowCompileError(std::string_view line, const QString& statusBefore);
    void logLine(const QString& message);

    BuildHost& m_host;
    const Settings& m_settings;
    const CUILabels& m_labels;
    Prompter& m_prompter;
    DebugLog& m_log;
    QString m_outputDir;

    BuildRunner m_runner;
    bool m_debugEnabled = true;
    QString m_programCommandLine;
    QString m_lastBuiltKey;
    QString m_lastBuiltPath;  // the main file it was built from
    // The status text set at launch, which the result is appended to even
    // when the panel has since shown something else.
    QString m_launchText;
    bool m_outputCaptured = false;
    QTimer m_outputPoll;
    QElapsedTimer m_clock;
    qint64 m_elapsedMs = -1;  // the last build's, once it ended
    const BlitzDirGuard* m_blitzDir = nullptr;
    std::function<DebugLaunch()> m_debugLauncher;
};
