#pragma once

#include <QtGlobal>

#include <optional>
#include <vector>

// The processes a process started, and theirs, as the system lists them
// now; and ending them all. Every process is named with the time it started,
// so that an id the system has since given to another process never names
// that one.
namespace processtree {

struct Process {
    qint64 pid = 0;
    quint64 started = 0;  // in clock ticks since the system booted
    bool operator==(const Process&) const = default;
};

// The living process `pid`; nothing when there is none, or only what is
// left of it for its parent to collect.
std::optional<Process> Identify(qint64 pid);

// The ids of the children of `pid`, as the system lists them now.
std::vector<qint64> ChildIds(qint64 pid);

// Whether the process is one of Wine's own services (wineserver, or a
// program of Windows' system folder such as services.exe): a build may be
// the one that starts it, but every Wine program of the user shares it.
bool IsWineService(qint64 pid);

// Every living process below `root`, found through each one's children;
// Wine's services and what is below them are not.
std::vector<Process> Descendants(qint64 root);

// Ends each of `roots` that still is what it was, and everything below it
// but Wine's services: all are stopped first, so that none can start
// another while the rest are looked for, then all are killed.
void EndTrees(const std::vector<Process>& roots);

// Makes the calling process the parent of every orphan among its
// descendants, where they stay in sight (they would otherwise go to the
// system's first process). Meant for a child before it runs its program,
// which keeps the setting; only async-signal-safe calls.
void KeepOrphans();

// The same for the calling process itself, while `on`: orphans that come to
// it are its children, to be collected with Reap.
void AdoptOrphans(bool on);

// Collects those of `adopted` (children of the calling process) that have
// ended, and drops them from the list.
void Reap(std::vector<Process>& adopted);

}  // namespace processtree
