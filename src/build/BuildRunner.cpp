#include "build/BuildRunner.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace {

// How long exec itself may take; the run that follows is never waited for.
constexpr int kStartTimeoutMs = 10000;
constexpr int kEndTimeoutMs = 3000;

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

BuildRunner::BuildRunner(QObject* parent) : QObject(parent) {}

BuildRunner::~BuildRunner()
{
    endChild();
}

bool BuildRunner::IsRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

BuildRunner::Launch BuildRunner::Start(const BuildJob& job)
{
    if (IsRunning())
        return {false, QStringLiteral("The compiler is still running.")};

    // Emptied first, even when the launch then fails, so that no output of an
    // earlier build can pass for this one's.
    QFile output(job.outputPath);
    const bool captured = output.open(QIODevice::WriteOnly | QIODevice::Truncate);
    output.close();

    const QString compiler = CompilerPath(job.command.binDir);
    if (!QFileInfo(compiler).isFile())
        return {false, QStringLiteral("The compiler %1 does not exist.").arg(compiler)};

    QString wine;
    if (NeedsWine(compiler)) {
        wine = QStandardPaths::findExecutable(QStringLiteral("wine"), m_searchPath);
        if (wine.isEmpty())
            return {false, QStringLiteral("The compiler is a Windows program, and wine, which runs "
                                          "it here, was not found on PATH.")};
    }
    const PathForm form = wine.isEmpty() ? PathForm::Native : PathForm::Wine;
    const ProcessCommand command = CompilerProcess(job.command, wine);

    auto process = std::make_unique<QProcess>();
    process->setProgram(command.program);
    process->setArguments(command.arguments);
    process->setWorkingDirectory(job.command.binDir);
    const QProcessEnvironment environment =
        CompilerEnvironment(job.b3dDir, job.command.binDir, form, QProcessEnvironment::systemEnvironment());
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(captured ? job.outputPath : QProcess::nullDevice(),
                                   QIODevice::Append);
#ifdef Q_OS_UNIX
    // Its own process group, so that ending it also ends the program it runs
    // (and whatever wine starts).
    process->setChildProcessModifier([] { ::setpgid(0, 0); });
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
    m_process = std::move(process);
    return {true, {}, captured, ShellCommandLine(command, environment.value(QStringLiteral("blitzpath")))};
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
    Q_EMIT Finished(exitCode, crashed);
}

void BuildRunner::endChild()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
#ifdef Q_OS_UNIX
        const qint64 pid = m_process->processId();
        if (pid > 0)
            ::kill(-pid_t(pid), SIGKILL);
#endif
        m_process->kill();
        m_process->waitForFinished(kEndTimeoutMs);
    }
    m_process.reset();
}
