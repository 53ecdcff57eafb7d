#include "build/BuildRunner.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {

// How long exec itself may take; the run that follows is never waited for.
constexpr int kStartTimeoutMs = 10000;
constexpr int kEndTimeoutMs = 3000;
// Often enough to see what a program starts before it ends, seldom enough
// to cost nothing.
constexpr int kWatchMs = 500;

bool NeedsWine(const QString& compiler)
{
#ifdef Q_OS_WIN
    Q_UNUSED(compiler);
    return false;
#else
    return IsWindowsExecutable(compiler);
#endif
}

}  // namespace

BuildRunner::BuildRunner(QObject* parent) : QObject(parent)
{
    m_watch.setInterval(kWatchMs);
    connect(&m_watch, &QTimer::timeout, this, &BuildRunner::watchProcesses);
}

BuildRunner::~BuildRunner()
{
    endChild();
    processtree::EndTrees(m_leftOver);
}

bool BuildRunner::IsRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

BuildRunner::Launch BuildRunner::Start(const BuildJob& job)
{
    if (IsRunning())
        return {.reasonLabel = "compilerbusy"};

    // Emptied first, even when the launch then fails, so that no output of an
    // earlier build can pass for this one's.
    m_output.reset();
    auto output = std::make_unique<OutputCapture>(job.outputPath);
    const bool captured = output->FileWritten();
    if (!output->IsValid())
        return {.reasonLabel = "nooutputpipe"};

    const QString compiler = CompilerPath(job.command.binDir);
    if (!QFileInfo(compiler).isFile())
        return {.reason = compiler, .reasonLabel = "nocompiler"};

    QString wine;
    if (NeedsWine(compiler)) {
        wine = QStandardPaths::findExecutable(QStringLiteral("wine"), m_searchPath);
        if (wine.isEmpty())
            return {.reasonLabel = "nowine"};
    }
    const PathForm form = wine.isEmpty() ? PathForm::Native : PathForm::Wine;
    const ProcessCommand command = CompilerProcess(job.command, wine);

    auto process = std::make_unique<QProcess>();
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->setWorkingDirectory(job.command.binDir);
    QProcessEnvironment environment =
        CompilerEnvironment(job.b3dDir, job.command.binDir, form, QProcessEnvironment::systemEnvironment());
    environment.insert(job.extra);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    const int outputPipe = output->WriteEnd();
#ifdef Q_OS_UNIX
    // Its own process group, so that ending it also ends the program it runs
    // (and whatever wine starts); and the parent of their orphans, so that a
    // program that leaves its session and its parent is still found.
    process->setChildProcessModifier([outputPipe] {
        ::setpgid(0, 0);
        processtree::KeepOrphans();
        ::dup2(outputPipe, STDOUT_FILENO);
        ::dup2(outputPipe, STDERR_FILENO);
    });
#endif
    connect(process.get(), &QProcess::finished, this, &BuildRunner::onFinished);

    process->start();
    if (!process->waitForStarted(kStartTimeoutMs)) {
        const QString reason = process->errorString();
        process->disconnect(this);
        process->kill();
        process->waitForFinished(kEndTimeoutMs);
        return {false, reason};
    }
    output->Start();
    m_output = std::move(output);
    m_process = std::move(process);
    m_started.clear();
    m_watch.start();
    return {true, {}, captured, ShellCommandLine(command, environment.value(QStringLiteral("blitzpath")))};
}

OutputCapture::Piece BuildRunner::TakeOutput(qint64 most, bool latest)
{
    return m_output ? m_output->Take(most, latest) : OutputCapture::Piece();
}

void BuildRunner::watchProcesses()
{
    // While the compiler runs, everything the build started is below it.
    if (IsRunning())
        m_started = processtree::Descendants(m_process->processId());
}

void BuildRunner::onFinished()
{
    // The process object sends this signal itself, so it may only go once
    // control is back in the event loop.
    int exitCode = 0;
    bool crashed = false;
    if (m_process) {
        exitCode = m_process->exitCode();
        crashed = m_process->exitStatus() == QProcess::CrashExit;
        m_process.release()->deleteLater();
    }
    m_watch.stop();
    // What the program started and left running goes when the IDE does; a
    // later build's Stop is not about it.
    std::erase_if(m_leftOver, [](const processtree::Process& p) { return processtree::Identify(p.pid) != p; });
    for (const processtree::Process& p : std::exchange(m_started, {}))
        if (processtree::Identify(p.pid) == p)
            m_leftOver.push_back(p);
    if (m_output)
        m_output->Finish();
    Q_EMIT Finished(exitCode, crashed);
}

void BuildRunner::endChild()
{
    m_watch.stop();
    if (!m_process)
        return;
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        const qint64 pid = m_process->processId();
        // The compiler first, so that it starts nothing more; and what was
        // seen below it, in case it has just ended and let go of them.
        std::vector<processtree::Process> roots;
        if (const std::optional<processtree::Process> compiler = processtree::Identify(pid))
            roots.push_back(*compiler);
        roots.insert(roots.end(), m_started.begin(), m_started.end());
        processtree::EndTrees(roots);
#ifdef Q_OS_UNIX
        if (pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
#endif
        m_process->kill();
        m_process->waitForFinished(kEndTimeoutMs);
    }
    m_started.clear();
    m_process.reset();
    // Every writer is gone, so this takes no time.
    if (m_output)
        m_output->Finish();
}
