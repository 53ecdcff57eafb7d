#include "documents/RecoveryKeeper.h"

#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

RecoveryKeeper::RecoveryKeeper(DocumentManager& docs, EditCtrl& editor, const QString& root, QObject* parent)
    : QObject(parent), m_docs(docs), m_editor(editor), m_root(root),
      m_session(std::make_unique<RecoverySession>(root)),
      m_writer(m_session->folder(), [this](const QString& name, const QString& error) {
          QMetaObject::invokeMethod(this, [this, name, error] { OnWritten(name, error); }, Qt::QueuedConnection);
      })
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::TakeCopies);
    connect(&m_editor, &EditCtrl::Change, this, &RecoveryKeeper::OnEdit);
    connect(&m_docs, &DocumentManager::CommandStateChanged, this, &RecoveryKeeper::Reconcile);
}

RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::OnEdit()
{
    // Runs at every key: a count and a timer, nothing that grows with the text.
    if (const CDoc* doc = m_docs.CurrentDoc())
        ++m_tracked[doc->Key].edits;
    if (!m_timer.isActive())
        m_waiting.start();
    const auto left = kLongest - std::chrono::milliseconds(m_waiting.elapsed());
    m_timer.start(std::clamp(left, std::chrono::milliseconds(0), kPause));
}

bool RecoveryKeeper::EnsureFolder()
{
    if (!m_session->folder().isEmpty() && QFileInfo(m_session->folder()).isDir())
        return true;
    auto session = std::make_unique<RecoverySession>(m_root);
    if (session->folder().isEmpty()) {
        Fail(session->why());
        return false;
    }
    // Every copy goes again into the new folder.
    m_writer.SetFolder(session->folder());
    m_session = std::move(session);
    for (Tracked& tracked : m_tracked)
        tracked.onDisk = false;
    return true;
}

void RecoveryKeeper::Fail(const QString& why)
{
    if (!m_timer.isActive()) {
        m_waiting.start();
        m_timer.start(kPause);
    }
    if (why != m_failing) {
        m_failing = why;
        Q_EMIT CopiesFailing(why);
    }
}

void RecoveryKeeper::OnWritten(const QString& name, const QString& error)
{
    if (error.isEmpty()) {
        if (!m_failing.isEmpty()) {
            m_failing.clear();
            Q_EMIT CopiesFailing({});
        }
        return;
    }
    for (auto it = m_tracked.begin(); it != m_tracked.end(); ++it)
        if (RecoveryFileName(it.key()) == name)
            it->onDisk = false;
    Fail(QDir::toNativeSeparators(m_session->folder()) + QStringLiteral(": ") + error);
}

void RecoveryKeeper::TakeCopies()
{
    m_timer.stop();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto wanted = [this](const CDocPtr& doc) {
        const Tracked tracked = m_tracked.value(doc->Key);
        return doc->Modified && !(tracked.onDisk && tracked.copiedEdits == tracked.edits);
    };
    if (std::none_of(m_docs.Docs().cbegin(), m_docs.Docs().cend(), wanted) || !EnsureFolder())
        return;
    for (const CDocPtr& doc : m_docs.Docs()) {
        if (!wanted(doc))
            continue;
        Tracked& tracked = m_tracked[doc->Key];
        RecoveryCopy copy;
        copy.originalPath = doc->FilePath;
        copy.title = doc->FileTitle;
        copy.taken = now;
        copy.form = m_editor.BufferForm(*doc->EditorState);
        copy.text = m_editor.BufferText(*doc->EditorState);
        if (doc->Disk.exists)
            copy.base = doc->Disk.file;
        m_writer.Write(RecoveryFileName(doc->Key), std::move(copy));
        tracked.copiedEdits = tracked.edits;
        tracked.onDisk = true;
    }
}

void RecoveryKeeper::KeepForNextStart()
{
    TakeCopies();
    m_keepingAll = true;
    m_writer.Flush();
}

void RecoveryKeeper::Reconcile()
{
    if (m_keepingAll)
        return;
    for (auto it = m_tracked.begin(); it != m_tracked.end();) {
        const CDocPtr doc = m_docs.FindDoc(it.key());
        if ((!doc || !doc->Modified) && it->onDisk) {
            m_writer.Remove(RecoveryFileName(it.key()));
            it->onDisk = false;
        }
        it = doc ? std::next(it) : m_tracked.erase(it);
    }
    // A file deleted on disk leaves its text nowhere else.
    const bool wanted = std::any_of(m_docs.Docs().cbegin(), m_docs.Docs().cend(), [this](const CDocPtr& doc) {
        return doc->Modified && !m_tracked.value(doc->Key).onDisk;
    });
    if (wanted && !m_timer.isActive()) {
        m_waiting.start();
        m_timer.start(kPause);
    }
}

void RecoveryKeeper::OfferLeftCopies(const CUILabels& labels, Prompter& prompter)
{
    const LeftCopies left(m_root);
    for (const LeftCopy& found : left.copies()) {
        const RecoveryCopy& copy = found.copy;
        const QString where =
            copy.originalPath.isEmpty()
                ? labels.getValue(QStringLiteral("recoverynewdoc"), QStringLiteral("A new document, never saved."))
                : QDir::toNativeSeparators(copy.originalPath);
        const QLocale locale;
        const QString size = locale.formattedDataSize(copy.text.size(), 1, QLocale::DataSizeTraditionalFormat);
        QString text = labels.getValue(
            QStringLiteral("recoveryoffer"),
            QStringLiteral("#docname# was not saved when Ovrel last ended, but a recovery copy of it was kept.\r\n\r\n"
                           "#path#\r\nCopied at #time#, #size#, #lines# line(s)."));
        text.replace(QStringLiteral("#docname#"), copy.title)
            .replace(QStringLiteral("#path#"), where)
            .replace(QStringLiteral("#time#"), copy.taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .replace(QStringLiteral("#size#"), size)
            .replace(QStringLiteral("#lines#"), locale.toString(copy.text.count('\n') + 1));
        // The buttons say what they do: a bare Yes or No to "was not saved"
        // reads either way, and one of the two throws the text away.
        const QStringList buttons = {labels.getValue(QStringLiteral("recoveryrestore")),
                                     labels.getValue(QStringLiteral("recoverydiscard")),
                                     labels.getValue(QStringLiteral("recoverylater"))};
        switch (prompter.AskNamed(text, MsgIcon::Question, MsgButtons::YesNoCancel, buttons)) {
        case MsgAnswer::Yes: {
            // The copy the restored document gets is on disk before the one
            // it came from goes, and both before anything reads the text; it
            // is kept while the restored text has no copy of its own yet.
            m_docs.RestoreDoc(copy, [&] {
                TakeCopies();
                m_writer.Flush();
                const bool copied = std::all_of(m_docs.Docs().cbegin(), m_docs.Docs().cend(), [this](const CDocPtr& d) {
                    return !d->Modified ||
                           (m_tracked.value(d->Key).onDisk && m_writer.Failure(RecoveryFileName(d->Key)).isEmpty());
                });
                if (copied)
                    QFile::remove(found.file);
            });
            break;
        }
        case MsgAnswer::No:
            QFile::remove(found.file);
            break;
        default:
            break;
        }
    }
}
