// Open documents and their files on disk, which other programs may change,
// replace, rename or delete while the documents are open, and documents
// brought back from the copies kept of them.
#include "documents/DocumentManager.h"

#include "documents/DocumentTabs.h"
#include "documents/RecoveryCopy.h"
#include "editor/EditCtrl.h"
#include "help/HelpArea.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>

#include <algorithm>

namespace {

QString WithPath(QString text, const QString& path)
{
    return text.replace(QStringLiteral("#path#"), path);
}

// The version of the file on disk now, as if just read. One that cannot be
// read is stamped all the same, so that it is not reported again until it
// changes.
DiskStamp StampOnDisk(const QString& path)
{
    const std::optional<FileStatus> status = StatusOf(path);
    QFile f;
    return StampOf(status, status && OpenRegularFile(f, path) ? f.readAll() : QByteArray());
}

}  // namespace

void DocumentManager::WatchFiles(const QString& renewed)
{
    QStringList files, folders;
    for (const CDocPtr& d : std::as_const(m_docs)) {
        if (d->FilePath.isEmpty())
            continue;
        const QFileInfo info(d->FilePath);
        if (info.exists())
            files << d->FilePath;
        else if (QFileInfo(info.absolutePath()).isDir())
            folders << info.absolutePath();
    }
    // Paths the watcher dropped (a file replaced or deleted) are added again.
    for (const QString& w : m_watcher.files())
        if (!files.contains(w) || w == renewed)
            m_watcher.removePath(w);
    for (const QString& w : m_watcher.directories())
        if (!folders.contains(w))
            m_watcher.removePath(w);
    const QStringList watchedFiles = m_watcher.files(), watchedFolders = m_watcher.directories();
    for (const QString& f : std::as_const(files))
        if (!watchedFiles.contains(f))
            m_watcher.addPath(f);
    for (const QString& f : std::as_const(folders))
        if (!watchedFolders.contains(f))
            m_watcher.addPath(f);
}

void DocumentManager::CheckDiskFiles()
{
    // A question is not put while the user is in another program, in a
    // dialog or in the middle of a load: it waits until they are back.
    const bool active = QGuiApplication::applicationState() == Qt::ApplicationActive;
    if (m_checkingDisk || !active || QApplication::activeModalWidget() || m_editor.Busy()) {
        m_diskCheckPending = true;
        if (active)
            m_diskCheck.start();
        return;
    }
    m_diskCheckPending = false;
    m_checkingDisk = true;
    const QList<CDocPtr> docs = m_docs;
    for (const CDocPtr& doc : docs) {
        // A question may have let the user close it.
        if (doc->FilePath.isEmpty() || !FindDoc(doc->Key))
            continue;
        const QString path = doc->FilePath;
        switch (CheckDisk(path, doc->Disk)) {
        case DiskChange::None:
            break;
        case DiskChange::Missing:
            if (!doc->Disk.exists)
                break;  // said already
            doc->Disk = {};
            // Nothing on disk holds the text any more.
            doc->DiskDiffers = true;
            doc->Modified = true;
            m_tabs.SetPicture(doc->Key, DocumentTabs::kModifiedPicture);
            Q_EMIT CommandStateChanged();
            m_prompter.Tell(WithPath(Label("filegone"), path), MsgIcon::Exclamation);
            break;
        case DiskChange::Changed:
            // Named buttons: an OK that throws the user's edits away misleads.
            if (!doc->Modified
                || m_prompter.AskNamed(WithPath(Label("filechanged"), path), MsgIcon::Exclamation,
                                       MsgButtons::OkCancel, {Label("reloadfromdisk"), Label("keepmytext")})
                       == MsgAnswer::Ok)
                ReloadDoc(*doc);
            else {
                doc->Disk = StampOnDisk(path);  // the user has seen this version and keeps their own
                doc->DiskDiffers = true;
            }
            WatchFiles(path);
            break;
        }
    }
    m_checkingDisk = false;
    WatchFiles();
}

void DocumentManager::ReloadDoc(CDoc& doc)
{
    const bool shown = m_current.get() == &doc;
    SaveDocState();
    const EditorBufferPtr inEditor = m_editor.CurrentBuffer();
    const std::optional<FileStatus> before = StatusOf(doc.FilePath);
    QString error;
    bool loaded = false;
    EditorScroll view;
    {
        // The document's buffer is loaded in the editor and the one shown
        // comes back, without the switch reaching anyone.
        const QSignalBlocker quiet(&m_editor);
        m_editor.SelectBuffer(doc.EditorState);
        // The user goes on reading where they were: the caret and the view
        // stay put, as far as the new text reaches.
        view = m_editor.Scroll();
        loaded = m_editor.LoadFile(doc.FilePath, &error);
        if (loaded) {
            doc.Disk = StampOf(before, m_editor.FileBytes(*doc.EditorState).value_or(QByteArray()));
            doc.CaretLine = std::clamp(doc.CaretLine, 1, m_editor.LineCount());
            m_editor.SetCaret(doc.CaretCol, doc.CaretLine, false);
            doc.CaretCol = m_editor.CaretPos().Column;
            doc.SavedSelection = m_editor.Selection();
            m_editor.SetScroll(view);
        }
        m_editor.SelectBuffer(inEditor);
    }
    if (!loaded) {
        // The file no longer holds the text, as when it is deleted: closing
        // must ask, whatever undo does. What is there now is not reported
        // again until it changes.
        doc.Disk = StampOf(before, {});
        doc.Modified = true;
        doc.DiskDiffers = true;
        m_tabs.SetPicture(doc.Key, DocumentTabs::kModifiedPicture);
        Q_EMIT CommandStateChanged();
        m_prompter.Tell(Label("unabletoreload")
                            .replace(QStringLiteral("#path#"), doc.FilePath)
                            .replace(QStringLiteral("#reason#"), error),
                        MsgIcon::Critical);
        return;
    }
    doc.Modified = false;
    doc.DiskDiffers = false;
    m_tabs.SetPicture(doc.Key, DocumentTabs::kSavedPicture);
    doc.RescanWanted = true;
    // Shown again at once, unless the user is reading the help.
    if (shown && !m_help.BrowserShown()) {
        ActivateDoc(doc, -1);
        m_editor.SetScroll(view);
    } else {
        Q_EMIT DocReloaded(&doc);
    }
    Q_EMIT CommandStateChanged();
}

bool DocumentManager::MayOverwrite(CDoc& doc, const QString& path)
{
    if (!SameDocFile(path, doc.FilePath) || CheckDisk(path, doc.Disk) != DiskChange::Changed)
        return true;
    if (m_prompter.Ask(WithPath(Label("savechanged"), path), MsgIcon::Exclamation, MsgButtons::OkCancel)
        != MsgAnswer::Ok)
        return false;
    return true;
}

CDoc& DocumentManager::RestoreDoc(const RecoveryCopy& copy, const std::function<void()>& secure)
{
    CDocPtr doc;
    {
        // Unheard by the scanner and the checker until `secure` has run:
        // were either to fail on this text, the copy that brought it must
        // not bring the failure back at every start.
        const QSignalBlocker quiet(&m_editor);
        NewDoc();
        doc = m_current;
        m_editor.LoadText(copy.text, copy.form);
        doc->EditorState = m_editor.CurrentBuffer();
    }
    const bool taken = std::any_of(m_docs.cbegin(), m_docs.cend(), [&](const CDocPtr& d) {
        return d != doc && SameDocFile(d->FilePath, copy.originalPath);
    });
    if (!copy.originalPath.isEmpty() && !taken) {
        const DocPathParts parts = SplitDocPath(copy.originalPath);
        doc->FilePath = copy.originalPath;
        doc->FileDir = parts.FileDir;
        doc->FileTitle = parts.FileTitle;
        doc->Disk = RestoredDiskStamp(copy);
    }
    // The copy is not what the file holds: an undo back to it leaves the
    // document modified.
    doc->Modified = true;
    doc->DiskDiffers = true;
    if (secure)
        secure();
    ActivateDoc(*doc, -1);
    RefreshTabs();
    WatchFiles();
    Q_EMIT FileLoaded(doc.get());
    Q_EMIT CommandStateChanged();
    return *doc;
}
