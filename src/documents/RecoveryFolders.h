#pragma once

#include "documents/RecoveryCopy.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Where recovery copies live: under <state folder>/recovery, one folder per
// running program, locked while it runs (the system drops the lock when the
// program ends in any way, a kill included), so that programs running side
// by side never take each other's copies and a folder whose lock is free
// belongs to a program that ended.

// A held lock on a recovery folder.
class FolderLock {
public:
    // Takes the lock of `folder`; `create` makes the lock file when missing.
    FolderLock(const QString& folder, bool create);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return m_fd >= 0; }
    const QString& folder() const { return m_folder; }
    // Takes the folder away with whatever it still holds, lock included.
    void RemoveFolder();

private:
    QString m_folder;
    int m_fd = -1;
};

// The running program's own folder, made and locked for as long as the
// object lives; removed then if no copy is left in it.
class RecoverySession {
public:
    explicit RecoverySession(const QString& root);
    ~RecoverySession();
    RecoverySession(const RecoverySession&) = delete;
    RecoverySession& operator=(const RecoverySession&) = delete;
    // "" when no folder could be made: no copies are kept then, and why() says why.
    const QString& folder() const { return m_folder; }
    const QString& why() const { return m_why; }

private:
    QString m_folder;
    QString m_why;
    std::unique_ptr<FolderLock> m_lock;
};

// The name of the copy file of the document with `key` ("Doc_3").
QString RecoveryFileName(const QString& key);

// Writes `copy` into `folder` as the file `name`, whole or not at all, and
// on the disk before it returns: a crash a moment later still finds it.
// `pause` runs between the steps a long text is written in.
bool WriteRecoveryFile(const QString& folder, const QString& name, const RecoveryCopy& copy, QString* error,
                       const std::function<void()>& pause = {});

// One copy a program that ended left behind.
struct LeftCopy {
    QString file;
    RecoveryCopy copy;
};

// The copies left under `root` by programs that ended, oldest first. Their
// folders stay locked while the object lives, so that a program started
// meanwhile does not offer them too; then the folders whose copies were all
// taken or removed go.
class LeftCopies {
public:
    explicit LeftCopies(const QString& root);
    ~LeftCopies();
    LeftCopies(const LeftCopies&) = delete;
    LeftCopies& operator=(const LeftCopies&) = delete;
    const std::vector<LeftCopy>& copies() const { return m_copies; }

private:
    std::vector<LeftCopy> m_copies;
    std::vector<std::unique_ptr<FolderLock>> m_locks;
};

// Writes and removes copy files on a thread of its own, in the order asked,
// so that the window never waits for the disk. A write still waiting when a
// newer one of the same file comes is dropped.
class RecoveryWriter {
public:
    // Called on the writing thread after each write: "" or why it failed.
    using Outcome = std::function<void(const QString& name, const QString& error)>;
    explicit RecoveryWriter(QString folder, Outcome outcome = {});
    // Finishes what was asked first.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void Write(const QString& name, RecoveryCopy copy);
    void Remove(const QString& name);
    // Returns once everything asked so far is done.
    void Flush();
    // Where the writes asked from now on go.
    void SetFolder(const QString& folder);
    // Why the last write of `name` failed; "" when it did not.
    QString Failure(const QString& name) const;

private:
    struct Job {
        QString name;
        std::optional<RecoveryCopy> copy;  // none: remove the file
    };
    void Add(Job job);
    void Run();

    QString m_folder;
    const Outcome m_outcome;
    QHash<QString, QString> m_failed;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    std::atomic<bool> m_hurry = false;
    bool m_stop = false;
    std::thread m_thread;
};
