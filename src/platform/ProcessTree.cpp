#include "platform/ProcessTree.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#endif

namespace processtree {

#ifdef Q_OS_LINUX

namespace {

QByteArray ReadProcFile(const QString& path)
{
    // Files of /proc tell their size only by being read.
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? file.readAll() : QByteArray();
}

}  // namespace

// The children of each of the process's threads: a child belongs to the
// thread that started it, and an orphan to the one that took it in.
std::vector<qint64> ChildIds(qint64 pid)
{
    std::vector<qint64> children;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray list = ReadProcFile(tasks + u'/' + task + QStringLiteral("/children"));
        for (const QByteArray& child : list.split(' ')) {
            bool ok = false;
            if (const qint64 id = child.toLongLong(&ok); ok)
                children.push_back(id);
        }
    }
    return children;
}

bool IsWineService(qint64 pid)
{
    const QByteArray comm = ReadProcFile(QStringLiteral("/proc/%1/comm").arg(pid)).trimmed();
    if (comm == "wineserver" || comm == "wineserver64")
        return true;
    // Wine names each Windows program by its Windows path.
    const QByteArray program = ReadProcFile(QStringLiteral("/proc/%1/cmdline").arg(pid)).split('\0').value(0).toLower();
    return program.contains("\\windows\\system32\\") || program.contains("\\windows\\syswow64\\");
}

std::optional<Process> Identify(qint64 pid)
{
    if (pid <= 0)
        return std::nullopt;
    // The name in parentheses may hold anything, blanks and parentheses too.
    const QByteArray stat = ReadProcFile(QStringLiteral("/proc/%1/stat").arg(pid));
    const qsizetype nameEnd = stat.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = stat.mid(nameEnd + 2).split(' ');
    // From the state on: the start time is the twentieth.
    if (fields.size() < 20 || fields[0] == "Z" || fields[0] == "X")
        return std::nullopt;
    bool ok = false;
    const quint64 started = fields[19].toULongLong(&ok);
    return ok ? std::optional(Process{pid, started}) : std::nullopt;
}

std::vector<Process> Descendants(qint64 root)
{
    std::vector<Process> found;
    std::vector<qint64> next = ChildIds(root);
    while (!next.empty()) {
        const qint64 pid = next.back();
        next.pop_back();
        const std::optional<Process> process = Identify(pid);
        if (!process || std::find(found.begin(), found.end(), *process) != found.end() || IsWineService(pid))
            continue;
        found.push_back(*process);
        const std::vector<qint64> more = ChildIds(pid);
        next.insert(next.end(), more.begin(), more.end());
    }
    return found;
}

void EndTrees(const std::vector<Process>& roots)
{
    std::vector<Process> stopped;
    const auto stop = [&stopped](const Process& process) {
        if (std::find(stopped.begin(), stopped.end(), process) != stopped.end() || Identify(process.pid) != process ||
            IsWineService(process.pid))
            return false;
        ::kill(pid_t(process.pid), SIGSTOP);
        stopped.push_back(process);
        return true;
    };
    for (const Process& root : roots)
        stop(root);
    // A start under way when its parent stopped still ends in a child, so
    // the walk goes on until it finds nothing new; each pass looks under
    // every stopped process, as an orphan may not have reached its new
    // parent yet.
    for (int pass = 0; pass < 100; ++pass) {
        bool more = false;
        for (std::size_t i = 0; i < stopped.size(); ++i) {
            for (const qint64 child : ChildIds(stopped[i].pid)) {
                if (const std::optional<Process> process = Identify(child))
                    more = stop(*process) || more;
            }
        }
        if (!more)
            break;
    }
    for (const Process& process : stopped)
        ::kill(pid_t(process.pid), SIGKILL);
}

void KeepOrphans()
{
    ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
}

void AdoptOrphans(bool on)
{
    ::prctl(PR_SET_CHILD_SUBREAPER, on ? 1 : 0, 0, 0, 0);
}

void Reap(std::vector<Process>& adopted)
{
    // Only these ids: a wait for any child would take the end of a process
    // that others started and wait for.
    std::erase_if(adopted, [](const Process& p) {
        int status = 0;
        const pid_t done = ::waitpid(pid_t(p.pid), &status, WNOHANG);
        return done == pid_t(p.pid) || (done < 0 && errno == ECHILD);
    });
}

#else

// Elsewhere a build's processes are ended through their process group alone.
std::optional<Process> Identify(qint64)
{
    return std::nullopt;
}

std::vector<qint64> ChildIds(qint64)
{
    return {};
}

bool IsWineService(qint64)
{
    return false;
}

std::vector<Process> Descendants(qint64)
{
    return {};
}

void EndTrees(const std::vector<Process>&) {}

void KeepOrphans() {}

void AdoptOrphans(bool) {}

void Reap(std::vector<Process>&) {}

#endif

}  // namespace processtree
