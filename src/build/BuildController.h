#pragma once

#include "build/BuildHost.h"
#include "build/BuildRunner.h"
#include "build/CompilerCommand.h"

#include <QObject>
#include <QString>

#include <string_view>

class BlitzDirGuard;
class CUILabels;
class DebugLog;
class Prompter;
struct Settings;

// The build commands of the main window: check, compile and run, run again,
// build executable, the debug toggle and the program's command line. It
// launches the compiler, learns of its end without blocking, and reports
// success in the status panel or shows the error on its line.
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

    // The commands of the build menu and toolbar, on the current document.
    void Check();
    void CompileAndRun();
    void BuildExecutable();
    // Compile and run the document last checked, run or built, when it is
    // still open; nothing otherwise.
    void Run();
    // Edits the program command line in DialogCommandLine.
    void EditProgramCommandLine();

    void BuildDoc(const QString& docKey, BuildMode mode);
    // "OK" when the document may be built, else the text to show. The
    // document in the editor is saved first; no other document is.
    QString ValidDoc(const QString& docKey);
    // Ends a running compiler without reporting on it, as when the IDE closes.
    void Abort();

    // The debug toggle shown by both btDebugEnabled and mnuDebugEnabled.
    bool DebugEnabled() const { return m_debugEnabled; }
    void SetDebugEnabled(bool on);

    QString ProgramCommandLine() const { return m_programCommandLine; }
    void SetProgramCommandLine(const QString& commandLine) { m_programCommandLine = commandLine; }

    QString LastBuiltKey() const { return m_lastBuiltKey; }
    bool IsBuilding() const { return m_runner.IsRunning(); }
    // The file that receives the compiler's output.
    QString OutputPath() const;

    // Asked before every build for the Blitz3D folder; none asks nothing.
    void SetBlitzDirGuard(const BlitzDirGuard* guard) { m_blitzDir = guard; }

    // Where wine is looked for; the system's PATH when empty.
    void SetToolSearchPath(const QStringList& folders) { m_runner.SetSearchPath(folders); }

Q_SIGNALS:
    void DebugEnabledChanged(bool on);
    // True after a successful launch, false once its result is shown.
    void BuildingChanged(bool building);

private:
    void onCompilerFinished(int exitCode, bool crashed);
    // Shows the compiler's error report line on the built document, the
    // message appended to `statusBefore`.
    void ShowCompileError(const QString& docKey, std::string_view line, const QString& statusBefore);
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
    // The status text set at launch, which the result is appended to even
    // when the panel has since shown something else.
    QString m_launchText;
    bool m_outputCaptured = false;
    const BlitzDirGuard* m_blitzDir = nullptr;
};
