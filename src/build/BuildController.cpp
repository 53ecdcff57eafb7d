#include "build/BuildController.h"

#include "build/CompilerError.h"
#include "build/DialogCommandLine.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "startup/BlitzDir.h"
#include "startup/DebugLog.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

#include <QDateTime>
#include <QDir>
#include <QWidget>

namespace {

QString StatusLabelKey(BuildMode mode)
{
    switch (mode) {
    case BuildMode::Check:
        return QStringLiteral("checkfile");
    case BuildMode::CompileAndRun:
        return QStringLiteral("buildfile");
    case BuildMode::BuildExecutable:
        return QStringLiteral("createexe");
    }
    return {};
}

QString Now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

}  // namespace

BuildController::BuildController(BuildHost& host, const Settings& settings,
                                 const CUILabels& labels, Prompter& prompter, DebugLog& log,
                                 QString outputDir, QObject* parent)
    : QObject(parent),
      m_host(host),
      m_settings(settings),
      m_labels(labels),
      m_prompter(prompter),
      m_log(log),
      m_outputDir(std::move(outputDir)),
      m_debugEnabled(settings.DebugEnabled)
{
    connect(&m_runner, &BuildRunner::Finished, this, &BuildController::onCompilerFinished);
}

BuildController::~BuildController() = default;

QString BuildController::OutputPath() const
{
    return QDir(m_outputDir).filePath(QStringLiteral("output.txt"));
}

void BuildController::logLine(const QString& message)
{
    if (m_log.LogToFile())
        m_log.LogLine(message);
}

void BuildController::Check()
{
    BuildDoc(m_host.CurrentDocKey(), BuildMode::Check);
}

void BuildController::CompileAndRun()
{
    BuildDoc(m_host.CurrentDocKey(), BuildMode::CompileAndRun);
}

void BuildController::BuildExecutable()
{
    BuildDoc(m_host.CurrentDocKey(), BuildMode::BuildExecutable);
}

void BuildController::Run()
{
    if (m_lastBuiltKey.isEmpty() || !m_host.FindDoc(m_lastBuiltKey))
        return;
    BuildDoc(m_lastBuiltKey, BuildMode::CompileAndRun);
}

void BuildController::EditProgramCommandLine()
{
    // Owned by the window the controller belongs to, so it is centred on it.
    m_programCommandLine =
        RunCommandLineDialog(m_programCommandLine, m_labels, qobject_cast<QWidget*>(parent()));
}

void BuildController::SetDebugEnabled(bool on)
{
    if (on == m_debugEnabled)
        return;
    m_debugEnabled = on;
    Q_EMIT DebugEnabledChanged(on);
}

QString BuildController::ValidDoc(const QString& docKey)
{
    if (docKey == m_host.CurrentDocKey())
        m_host.SaveDoc(docKey);
    const std::optional<BuildDocInfo> doc = m_host.FindDoc(docKey);
    if (!doc || doc->FilePath.isEmpty() || doc->Modified)
        return m_labels.getValue(QStringLiteral("savebeforebuild"));
    return QStringLiteral("OK");
}

void BuildController::BuildDoc(const QString& docKey, BuildMode mode)
{
    logLine(QStringLiteral("Inside builddoc: buildmode=") + QString::number(int(mode)));
    if (!m_host.FindDoc(docKey))
        return;
    // One compiler at a time: a second one would write into the same
    // output.txt while the first still reports into it.
    if (m_runner.IsRunning()) {
        m_host.SetInfoPanelText(QStringLiteral(
            "The compiler is still running; wait for it to end before starting another build."));
        return;
    }
    if (m_blitzDir && !m_blitzDir->Require(BlitzNeed::Compiler))
        return;

    const QString valid = ValidDoc(docKey);
    // Saving may have named the document, so it is read only now.
    const std::optional<BuildDocInfo> doc = m_host.FindDoc(docKey);
    if (valid != u"OK" || !doc) {
        const QString title = doc ? doc->FileTitle : QString();
        m_prompter.Tell(text::ReplaceAll(valid, QStringLiteral("#docname#"), title), MsgIcon::Critical);
        return;
    }
    logLine(QStringLiteral("ValidDoc OK"));

    BuildJob job;
    job.command.binDir = m_settings.B3DBinDir();
    job.command.sourcePath = doc->FilePath;
    job.command.mode = mode;
    job.command.debug = m_debugEnabled;
    job.command.programCommandLine = m_programCommandLine;
    job.b3dDir = m_settings.B3DRoot();
    job.outputPath = OutputPath();
    const QString commandLine = CompilerCommandLine(job.command);

    const QString statusLabel = m_labels.getValue(StatusLabelKey(mode));
    m_lastBuiltKey = docKey;
    logLine(QStringLiteral("cmdstr=") + commandLine);
    m_launchText = text::ReplaceAll(statusLabel, QStringLiteral("#filename#"), doc->FileTitle);
    m_host.SetInfoPanelText(m_launchText);

    logLine(QStringLiteral("Calling Shell Command..."));
    const BuildRunner::Launch launch = m_runner.Start(job);
    logLine(QStringLiteral("Called Shell Command: res=") + (launch.started ? u'1' : u'0'));
    if (!launch.started) {
        m_prompter.Tell(QStringLiteral("Unable to launch ") + commandLine + QStringLiteral("\r\n")
                            + launch.reason,
                        MsgIcon::Critical);
        return;
    }
    m_outputCaptured = launch.captured;
    logLine(QStringLiteral("Enabling WaitExecute Timer (") + Now() + u')');
    Q_EMIT BuildingChanged(true);
}

void BuildController::onCompilerFinished(int exitCode, bool crashed)
{
    logLine(QStringLiteral("Execution finished (") + Now() + u')');
    // An output file that could not be emptied still holds an earlier
    // build's report, which must not pass for this one's.
    const std::optional<std::string> last =
        m_outputCaptured ? ReadLastLine(OutputPath()) : std::nullopt;
    if (!last) {
        m_host.SetInfoPanelText(m_launchText + QStringLiteral(" The compiler's output ") + OutputPath()
                                + (m_outputCaptured ? QStringLiteral(" could not be read.")
                                                    : QStringLiteral(" could not be written.")));
    } else {
        switch (JudgeBuild(*last, exitCode, crashed)) {
        case BuildResult::Done:
            m_host.SetInfoPanelText(m_launchText + m_labels.getValue(QStringLiteral("done")));
            break;
        case BuildResult::ErrorReport:
            ShowCompileError(m_lastBuiltKey, *last, m_launchText);
            break;
        case BuildResult::Failure: {
            // No line to show it on, but the same report as an error.
            const QString message = FailureText(*last, exitCode, crashed);
            m_host.SetInfoPanelText(StatusWithMessage(m_launchText, message));
            m_prompter.Tell(message, MsgIcon::Critical);
            break;
        }
        }
    }
    Q_EMIT BuildingChanged(false);
}

void BuildController::Abort()
{
    if (!m_runner.IsRunning())
        return;
    m_runner.Stop();
    logLine(QStringLiteral("Execution aborted (") + Now() + u')');
    Q_EMIT BuildingChanged(false);
}

void BuildController::ShowCompileError(const QString& docKey, std::string_view line,
                                         const QString& statusBefore)
{
    const std::optional<CompilerError> error = ParseErrorLine(line);
    if (!error) {
        m_host.SetInfoPanelText(StatusWithMessage(statusBefore, UnreadableReportText(line)));
        return;
    }
    // Always the built document, also for an error in one of its includes:
    // the compiler's file name is not looked at.
    if (m_host.FindDoc(docKey)) {
        if (error->HasPosition()) {
            m_host.ShowDocAtLine(docKey, error->line);
            m_host.FlashErrorLine(error->line);
        } else {
            m_host.ShowDocAtLine(docKey, -1);
        }
    }
    const QString message =
        CompileErrorMessage(m_labels.getValue(QStringLiteral("compileerr")), *error);
    m_host.SetInfoPanelText(StatusWithMessage(statusBefore, message));
    m_prompter.Tell(message, MsgIcon::Critical);
}
