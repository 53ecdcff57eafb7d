#include "build/BuildController.h"

#include "build/CompilerError.h"
#include "build/CompilerOutput.h"
#include "build/DialogCommandLine.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "startup/BlitzDir.h"
#include "startup/DebugLog.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

#include <QDateTime>

#include <algorithm>
#include <QDir>
#include <QFileInfo>
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

// Often enough that the output seems to flow, seldom enough to cost nothing.
constexpr int kOutputPollMs = 200;
// What one look hands on at most, so a program that prints without end
// never holds the window for long (the pane takes a megabyte in about a
// tenth of a second).
constexpr qint64 kOutputPiece = 256 << 10;

bool SameFile(const QString& a, const QString& b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
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
    m_outputPoll.setInterval(kOutputPollMs);
    connect(&m_outputPoll, &QTimer::timeout, this, [this] { readOutput(OutputPart::Piece); });
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
        m_host.SetInfoPanelText(m_labels.getValue(QStringLiteral("buildbusy")));
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

    // A program is compiled from its main file, saved like the document.
    QString source = doc->FilePath;
    QString title = doc->FileTitle;
    if (const std::optional<BuildMainFile> main = m_host.MainFileOf(docKey); main && main->path != doc->FilePath) {
        if (!main->docKey.isEmpty()) {
            if (const std::optional<BuildDocInfo> open = m_host.FindDoc(main->docKey); open && open->Modified)
                m_host.SaveDoc(main->docKey);
            const std::optional<BuildDocInfo> open = m_host.FindDoc(main->docKey);
            if (open && open->Modified) {
                m_prompter.Tell(text::ReplaceAll(m_labels.getValue(QStringLiteral("savebeforebuild")),
                                                 QStringLiteral("#docname#"), open->FileTitle),
                                MsgIcon::Critical);
                return;
            }
        }
        source = main->path;
        title = paths::FileNameOf(source);
    }

    BuildJob job;
    job.command.binDir = m_settings.B3DBinDir();
    job.command.sourcePath = source;
    job.command.mode = mode;
    job.command.debug = m_debugEnabled;
    job.command.programCommandLine = m_programCommandLine;
    job.b3dDir = m_settings.B3DRoot();
    job.outputPath = OutputPath();
    if (mode == BuildMode::CompileAndRun && m_debugEnabled && m_debugLauncher) {
        DebugLaunch debug = m_debugLauncher();
        if (!debug.failure.isEmpty()) {
            m_prompter.Tell(debug.failure, MsgIcon::Critical);
            return;
        }
        job.b3dDir = debug.b3dDir;
        job.command.binDir = QDir(debug.b3dDir).filePath(QStringLiteral("bin")) + u'/';
        job.extra = debug.environment;
    }
    const QString commandLine = CompilerCommandLine(job.command);

    const QString statusLabel = m_labels.getValue(StatusLabelKey(mode));
    m_lastBuiltKey = docKey;
    m_lastBuiltPath = source;
    logLine(QStringLiteral("cmdstr=") + commandLine);
    m_launchText = text::ReplaceAll(statusLabel, QStringLiteral("#filename#"), title);
    m_host.SetInfoPanelText(m_launchText);

    // What the last build marked is not this one's.
    m_host.ClearErrorMark();
    m_clock.start();
    m_elapsedMs = -1;

    logLine(QStringLiteral("Calling Shell Command..."));
    const BuildRunner::Launch launch = m_runner.Start(job);
    logLine(QStringLiteral("Called Shell Command: res=") + (launch.started ? u'1' : u'0'));
    // The pane shows what ran (wine and its paths included), so that the
    // user can run it again in a terminal.
    Q_EMIT BuildStarted(m_launchText, launch.started ? launch.shellCommand : commandLine);
    if (!launch.started) {
        const QString why = launch.reasonLabel
                                ? m_labels.format(QString::fromLatin1(launch.reasonLabel), {launch.reason})
                                : launch.reason;
        endBuild(m_labels.format(QStringLiteral("buildnotstarted"), {why}), true);
        m_prompter.Tell(m_labels.format(QStringLiteral("unabletolaunch"), {commandLine, why}),
                        MsgIcon::Critical);
        return;
    }
    m_outputCaptured = launch.captured;
    m_outputPoll.start();
    logLine(QStringLiteral("Enabling WaitExecute Timer (") + Now() + u')');
    Q_EMIT BuildingChanged(true);
}

void BuildController::readOutput(OutputPart part)
{
    // What came faster than the pane takes it was let go, but for the
    // latest megabytes: the pane keeps only the last lines of so much anyway.
    do {
        const OutputCapture::Piece piece = m_runner.TakeOutput(kOutputPiece, part == OutputPart::Latest);
        if (piece.skipped > 0)
            Q_EMIT OutputAdded((QStringLiteral("\r\n")
                                + m_labels.format(QStringLiteral("outputleftout"),
                                                  {QString::number(double(piece.skipped) / (1 << 20), 'f', 1)})
                                + QStringLiteral("\r\n"))
                                   .toUtf8());
        if (piece.bytes.isEmpty())
            break;
        Q_EMIT OutputAdded(piece.bytes);
    } while (part == OutputPart::All);
}

void BuildController::endBuild(const QString& outcome, bool failed)
{
    m_outputPoll.stop();
    m_elapsedMs = m_clock.elapsed();
    Q_EMIT BuildEnded(outcome, failed);
}

void BuildController::onCompilerFinished(int exitCode, bool crashed)
{
    logLine(QStringLiteral("Execution finished (") + Now() + u')');
    readOutput(OutputPart::All);
    const QString took = DurationText(m_clock.elapsed());
    // An output file that could not be emptied still holds an earlier
    // build's report, which must not pass for this one's.
    const std::optional<std::string> last =
        m_outputCaptured && m_runner.OutputWritten() ? ReadLastLine(OutputPath()) : std::nullopt;
    if (!last) {
        endBuild(m_labels.format(QStringLiteral("buildunread"), {took}), true);
        m_host.SetInfoPanelText(m_launchText + u' '
                                + m_labels.format(m_outputCaptured ? QStringLiteral("outputunread")
                                                                   : QStringLiteral("outputunwritten"),
                                                  {OutputPath()}));
    } else {
        switch (JudgeBuild(*last, exitCode, crashed)) {
        case BuildResult::Done:
            // Past "Executing...", the status is the program's own.
            endBuild(exitCode == 0 ? m_labels.format(QStringLiteral("buildfinished"), {took})
                                   : m_labels.format(QStringLiteral("buildfinishedcode"),
                                                     {took, QString::number(exitCode)}),
                     false);
            m_host.SetInfoPanelText(m_launchText + m_labels.getValue(QStringLiteral("done")));
            break;
        case BuildResult::ErrorReport:
            endBuild(m_labels.format(QStringLiteral("builderror"), {took}), true);
            ShowCompileError(*last, m_launchText);
            break;
        case BuildResult::Failure: {
            endBuild(crashed ? m_labels.format(QStringLiteral("buildcrashed"), {took})
                             : m_labels.format(QStringLiteral("buildfailed"), {took, QString::number(exitCode)}),
                     true);
            // No line to show it on, but the same report as an error.
            const FailureReport failure = DescribeFailure(m_labels, *last, exitCode, crashed);
            m_host.SetInfoPanelText(m_launchText + failure.status);
            m_prompter.Tell(failure.message, MsgIcon::Critical);
            break;
        }
        }
    }
    Q_EMIT BuildingChanged(false);
}

void BuildController::Stop()
{
    if (!m_runner.IsRunning())
        return;
    m_runner.Stop();
    logLine(QStringLiteral("Execution stopped (") + Now() + u')');
    readOutput(OutputPart::Latest);
    endBuild(m_labels.format(QStringLiteral("buildstopped"), {DurationText(m_clock.elapsed())}), true);
    m_host.SetInfoPanelText(m_launchText + m_labels.getValue(QStringLiteral("stopped")));
    Q_EMIT BuildingChanged(false);
}

void BuildController::Abort()
{
    if (!m_runner.IsRunning())
        return;
    m_runner.Stop();
    m_outputPoll.stop();
    logLine(QStringLiteral("Execution aborted (") + Now() + u')');
    Q_EMIT BuildingChanged(false);
}

std::optional<QString> BuildController::DocOfReport(const std::string& file)
{
    const std::optional<BuildDocInfo> built = m_host.FindDoc(m_lastBuiltKey);
    const bool fromItself = built && SameFile(built->FilePath, m_lastBuiltPath);
    if (const std::optional<QString> onDisk = ReportedFileOnDisk(file)) {
        if (fromItself && SameFile(built->FilePath, *onDisk))
            return m_lastBuiltKey;
        return m_host.OpenDoc(*onDisk);
    }
    // The main file is echoed as it was given, which may name it in a form
    // this disk does not know; its name still tells it.
    const QString name = paths::FileNameOf(text::FromBytes(file));
    if (name.isEmpty() || name.compare(paths::FileNameOf(m_lastBuiltPath), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return fromItself ? std::optional<QString>(m_lastBuiltKey) : m_host.OpenDoc(m_lastBuiltPath);
}

bool BuildController::ShowError(const CompilerError& error)
{
    if (!error.HasPosition()) {
        if (m_host.FindDoc(m_lastBuiltKey))
            m_host.ShowDocAtLine(m_lastBuiltKey, -1);
        return true;
    }
    const std::optional<QString> key = DocOfReport(error.file);
    if (!key)
        return false;
    m_host.ShowDocAtLine(*key, error.line);
    m_host.MarkError(error.line, error.ColumnNumber());
    return true;
}

void BuildController::ShowCompileError(std::string_view line, const QString& statusBefore)
{
    const std::optional<CompilerError> error = ParseErrorLine(line);
    if (!error) {
        m_host.SetInfoPanelText(StatusWithMessage(statusBefore, UnreadableReportText(m_labels, line)));
        return;
    }
    QString message = CompileErrorMessage(m_labels.getValue(QStringLiteral("compileerr")), *error);
    // The error is shown where the compiler found it, an included file too.
    if (!ShowError(*error))
        message += QStringLiteral("\r\n")
                   + m_labels.format(QStringLiteral("notondisk"), {text::FromBytes(error->file)});
    else if (error->HasPosition())
        Q_EMIT ErrorReported(m_host.CurrentDocKey(), error->line, std::max(error->ColumnNumber() - 1, 0),
                             text::FromBytes(error->message));
    m_host.SetInfoPanelText(StatusWithMessage(statusBefore, message));
    m_prompter.Tell(message, MsgIcon::Critical);
}
