#include "build/BuildRunner.h"

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
    m_output.reset();
    auto output = std::make_unique<OutputCapture>(job.outputPath);
    const bool captured = output->FileWritten();
    if (!output->IsValid())
        return {false, QStringLiteral("No pipe could be made for the compiler's output.")};

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
    process->setProcessEnvironment(CompilerEnvironment(
        job.b3dDir, job.command.binDir, form, QProcessEnvironment::systemEnvironment()));
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(QProcess::nullDevice());
    const int outputPipe = output->WriteEnd();
#ifdef Q_OS_UNIX
    // Its own process group, so that ending it also ends the program it runs
    // (and whatever wine starts).
    process->setChildProcessModifier([outputPipe] {
        ::setpgid(0, 0);
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
    return {true, {}, captured};
}

OutputCapture::Piece BuildRunner::TakeOutput(qint64 most, bool latest)
{
    return m_output ? m_output->Take(most, latest) : OutputCapture::Piece();
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
    if (m_output)
        m_output->Finish();
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
    // Every writer is gone, so this takes no time.
    if (m_output)
        m_output->Finish();
}
