#pragma once

#include "documents/RecoveryFolders.h"

#include <QHash>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <memory>

class CUILabels;
class DocumentManager;
class EditCtrl;
class Prompter;

// Keeps a recovery copy of every modified document, written a moment after
// the last edit, so that whatever ends the program takes at most the last
// few seconds of typing; a copy goes when its document is saved, closed or
// reloaded. The window's thread only takes the text; a thread of its own
// writes it.
class RecoveryKeeper : public QObject {
    Q_OBJECT
public:
    // The copies go in a folder of this program's own under `root`.
    RecoveryKeeper(DocumentManager& docs, EditCtrl& editor, const QString& root, QObject* parent = nullptr);
    ~RecoveryKeeper() override;

    // A copy is taken once the typing has paused this long, and while it
    // goes on, at least this often.
    static constexpr std::chrono::milliseconds kPause{1500};
    static constexpr std::chrono::milliseconds kLongest{4000};

    // What the timer does: takes the text of each modified document whose
    // copy is not up to date and hands it to the writing thread.
    void TakeCopies();
    // For a program about to end: every copy up to date and on the disk
    // before this returns, and kept for the next start, whatever happens to
    // the documents after.
    void KeepForNextStart();
    // Offers the copies of programs that ended, one by one: restored into a
    // tab, discarded, or kept to be offered at the next start.
    void OfferLeftCopies(const CUILabels& labels, Prompter& prompter);

    // The folder of this program's copies ("" when it could not be made).
    const QString& folder() const { return m_session->folder(); }
    // Waits for the writing thread to finish what it was given.
    void Flush() { m_writer.Flush(); }

Q_SIGNALS:
    // Copies cannot be written, and why (they are tried again a moment
    // later); "" once they are written again.
    void CopiesFailing(const QString& why);

private:
    // A folder to write into: made again when it went, or could not be made.
    bool EnsureFolder();
    void OnWritten(const QString& name, const QString& error);
    void Fail(const QString& why);
    void OnEdit();
    // Drops the copies of documents that are closed or no longer modified,
    // and has one taken for a document that became modified without an edit.
    void Reconcile();

    struct Tracked {
        quint64 edits = 0;
        quint64 copiedEdits = 0;
        bool onDisk = false;
    };

    DocumentManager& m_docs;
    EditCtrl& m_editor;
    const QString m_root;
    // Declared before the writer, which must be done before the folder goes.
    std::unique_ptr<RecoverySession> m_session;
    RecoveryWriter m_writer;
    QHash<QString, Tracked> m_tracked;  // by document key
    QTimer m_timer;
    QElapsedTimer m_waiting;  // since the oldest edit not yet copied
    bool m_keepingAll = false;
    QString m_failing;  // why copies cannot be written, "" while they can
};
