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
    processtree::Reap(m_adopted);
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

    // What the compiler's tree leaves behind as it ends comes to us, not to
    // the system's first process, however late before its end it was started.
    processtree::AdoptOrphans(true);
    m_own = processtree::ChildIds(::getpid());
    process->start();
    if (!process->waitForStarted(kStartTimeoutMs)) {
        const QString reason = process->errorString();
        process->disconnect(this);
        process->kill();
        process->waitForFinished(kEndTimeoutMs);
        processtree::AdoptOrphans(false);
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
    // While the compiler runs, everything the build started is below it, and
    // every other child of ours is our own.
    if (IsRunning()) {
        m_started = processtree::Descendants(m_process->processId());
        m_own = processtree::ChildIds(::getpid());
    }
    processtree::Reap(m_adopted);
    if (!IsRunning() && m_adopted.empty())
        m_watch.stop();
}

void BuildRunner::adoptLeftOver()
{
    for (const qint64 pid : processtree::ChildIds(::getpid())) {
        if (std::find(m_own.begin(), m_own.end(), pid) != m_own.end() ||
            std::any_of(m_adopted.begin(), m_adopted.end(), [pid](const processtree::Process& p) { return p.pid == pid; }))
            continue;
        // One that has already ended is collected all the same.
        const std::optional<processtree::Process> p = processtree::Identify(pid);
        m_adopted.push_back(p.value_or(processtree::Process{pid, 0}));
        if (p && !processtree::IsWineService(pid) && std::find(m_started.begin(), m_started.end(), *p) == m_started.end())
            m_started.push_back(*p);
    }
    processtree::AdoptOrphans(false);
    processtree::Reap(m_adopted);
    if (!m_adopted.empty())
        m_watch.start();
}

void BuildRunner::onFinished()
{
    // The process object sends this signal itself, so it may only go once
    // control is back in the event loop.
    int exitCode = 0;
    bool crashed = false;
    m_watch.stop();
    if (m_process) {
        exitCode = m_process->exitCode();
        crashed = m_process->exitStatus() == QProcess::CrashExit;
        adoptLeftOver();
        m_process.release()->deleteLater();
    }
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
#if defined(Q_OS_UNIX) && !defined(Q_OS_LINUX)
        // Where the tree cannot be walked; on Linux the group would take
        // with it the Wine services the build started, which others share.
        if (pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
#endif
        m_process->kill();
        m_process->waitForFinished(kEndTimeoutMs);
    }
    // What the ended tree let go of as it went is ours now: ended too.
    adoptLeftOver();
    processtree::EndTrees(std::exchange(m_started, {}));
    m_process.reset();
    // Every writer is gone, so this takes no time.
    if (m_output)
        m_output->Finish();
}
