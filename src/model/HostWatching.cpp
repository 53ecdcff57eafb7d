// The host's watch on the disk: the files of its programs that no open
// document holds are watched, and read again when they change or when a read
// that did not answer in time comes late.
#include "model/ProgramHost.h"

#include "platform/Text.h"
#include "platform/Windows1252.h"

#include <QFileSystemWatcher>

#include <set>

void ProgramHost::UpdateWatches()
{
    std::set<std::string> wanted;
    for (const auto& [main, p] : m_programs)
        for (const std::string& key : p.given)
            if (!m_open.count(key))
                wanted.insert(key);
    // What no program reads any more is read again when one does.
    for (auto it = m_disk.begin(); it != m_disk.end();)
        it = wanted.count(it->first) ? std::next(it) : m_disk.erase(it);
    QSet<QString> files, folders;
    for (const std::string& key : wanted) {
        const auto it = m_disk.find(key);
        if (it == m_disk.end() || it->second.path.isEmpty())
            continue;
        (it->second.missing ? folders : files).insert(it->second.path);
    }
    const auto sync = [this](const QStringList& now, const QSet<QString>& want) {
        QStringList gone;
        for (const QString& path : now)
            if (!want.contains(path))
                gone << path;
        if (!gone.isEmpty())
            m_watcher->removePaths(gone);
        QStringList added;
        for (const QString& path : want)
            if (!now.contains(path))
                added << path;
        if (!added.isEmpty())
            m_watcher->addPaths(added);
    };
    sync(m_watcher->files(), files);
    sync(m_watcher->directories(), folders);
}

void ProgramHost::OnDiskChanged()
{
    TakeWaitingEdits();
    const QSet<QString> changed = std::exchange(m_changedOnDisk, {});
    QStringList reread;
    std::set<std::string> programs;
    for (auto& [key, d] : m_disk) {
        if (m_open.count(key) || !changed.contains(d.path))
            continue;
        Disk now = Read(key);
        if (now.missing == d.missing && now.text == d.text) {
            d.path = now.path;
            continue;
        }
        d = std::move(now);
        Changed(key);
        reread << (d.missing ? QString::fromStdString(key) : d.path);
        for (auto& [main, p] : m_programs) {
            if (p.given.count(key)) {
                Give(p, key);
                programs.insert(main);
            }
        }
    }
    // A file replaced by a write is a new file to watch.
    UpdateWatches();
    if (reread.isEmpty())
        return;
    for (const std::string& main : programs)
        Q_EMIT ProgramChanged(PathOf(main));
    Q_EMIT FilesChangedOnDisk(reread);
    Invalidate();
}

void ProgramHost::OnLateRead(const QString& path, SourceText text)
{
    TakeWaitingEdits();
    const auto waiting = m_unanswered.find(path);
    if (waiting == m_unanswered.end())
        return;
    const std::string key = waiting->second;
    m_unanswered.erase(waiting);
    const auto d = m_disk.find(key);
    if (d == m_disk.end() || m_open.count(key) || !text.ok())
        return;
    if (text::HasNonAscii(text.bytes) && !text::IsValidUtf8(text.bytes))
        text.bytes = text::Windows1252ToUtf8(text.bytes);
    d->second.path = path;
    d->second.missing = false;
    d->second.why.clear();
    d->second.text = std::move(text.bytes);
    d->second.lineStarts.clear();
    Changed(key);
    GiveAgain(key);
    UpdateWatches();
    Invalidate();
}

QStringList ProgramHost::WatchedFiles() const
{
    return m_watcher->files();
}
