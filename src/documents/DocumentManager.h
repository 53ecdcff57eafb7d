#pragma once

#include "documents/Document.h"

#include <QFileSystemWatcher>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class CUILabels;
class CommonDialog;
class DocumentTabs;
class EditCtrl;
class EditorBuffer;
class HelpArea;
class Prompter;
struct RecoveryCopy;

// The open documents and the one editor they share: creating, switching,
// opening, saving and closing, and following their files on disk. Switching copies the editor's state into the
// document being left and hands the chosen document's buffer back.
class DocumentManager : public QObject {
    Q_OBJECT
public:
    DocumentManager(EditCtrl& editor, DocumentTabs& tabs, HelpArea& help, const CUILabels& labels,
                    Prompter& prompter, CommonDialog& dialogs, QObject* parent = nullptr);
    ~DocumentManager() override;

    const QList<CDocPtr>& Docs() const { return m_docs; }
    // The texts the documents' messages are read from.
    const CUILabels& Labels() const { return m_labels; }
    CDoc* CurrentDoc() const { return m_current.get(); }
    CDocPtr FindDoc(const QString& key) const;

    // An empty document, made current but not yet shown.
    void NewDoc();
    // The new-file command: a new document, shown in its own tab.
    void NewDocCommand();
    // Copies the editor's caret, selection and buffer into the current document.
    void SaveDocState();
    // Shows `doc` in the editor; the caret goes back where it was when `line`
    // is negative, else to the start of that 1-based line. Callers make it
    // current themselves.
    void ActivateDoc(CDoc& doc, int line);
    // Makes `doc` current, selects its tab and shows it with the caret at the
    // start of `line` (negative: where it was).
    void ShowDoc(CDoc& doc, int line = -1);
    void RefreshTabs();

    // Opens `path` (asks with the Open dialog when empty), or switches to it
    // when it is open already.
    void OpenDoc(const QString& path);
    // Opens each of `paths` in turn, and says in one message which of them
    // could not be opened, however many.
    void OpenDocs(const QStringList& paths);
    // The plain save (true: a dialog only for a document never saved) or Save
    // As (false). Returns whether the file was written.
    bool SaveDoc(CDoc& doc, bool useKnownPath);
    void SaveAllDocs();
    // Offers to save a modified document, then closes it; false when the user
    // kept it open.
    bool CloseDoc(CDoc* doc);
    void CloseAllDocs();
    // The window's close request: offers every document in turn and stops at
    // the first one the user keeps. True when all were closed.
    bool CloseAllForExit();

    // A document brought back from a recovery copy, shown in a tab of its
    // own as modified: bound to its file again, unless another tab holds
    // that file. `secure` runs once the text is in the tab and before
    // anything reads it.
    CDoc& RestoreDoc(const RecoveryCopy& copy, const std::function<void()>& secure);

    // The editor's text changed: the document is modified, or unmodified
    // again when undo took it back to the text it last saved or read.
    void UpdateModified();

    // Opens the ".bb" files among `paths`, in order; others are ignored.
    void OpenDroppedFiles(const QStringList& paths);

    // Compares every document's file with the version it holds, as the
    // watcher does shortly after a file changed on disk (and, while the user
    // is in another program or a dialog, once the user is back): an
    // unmodified document reloads, keeping its caret line; a modified one
    // asks; a file gone is said, and its document becomes modified.
    void CheckDiskFiles();

Q_SIGNALS:
    // A document was brought into the editor (a switch, an open, a close).
    void DocActivated(CDoc* doc);
    // A document was written to the file at `path`.
    void FileSaved(const QString& path);
    // A document was opened from, or saved under the name of, the file at
    // `path` (an open of a file already open included).
    void FileBound(const QString& path);
    // A file was read into the current document and wants its first scan.
    void FileLoaded(CDoc* doc);
    // A document not shown was read again from its file.
    void DocReloaded(CDoc* doc);
    // A document is about to close (its buffer still holds its text).
    void DocClosing(CDoc* doc);
    // The last document was closed.
    void NoDocuments();
    // The document situation changed (modified mark, open, close, save).
    void CommandStateChanged();
    // The automatic rescan must wait (true) or may run again (false).
    void ParsingHeld(bool held);
    // A tab was clicked, before anything else happens.
    void TabClicking();
    // The help tab was chosen.
    void HelpTabChosen();

private:
    void OnTabClicked(const QString& key);
    // Watches the open documents' files (the folder of one that is missing,
    // to see it come back); `renewed` is watched afresh, as a replaced file
    // is a new file.
    void WatchFiles(const QString& renewed = {});
    // Reads the document's file again into its buffer, shown or not.
    void ReloadDoc(CDoc& doc);
    // The plain save onto a file changed on disk since the document read it
    // asks first; false when the user keeps the file.
    bool MayOverwrite(CDoc& doc, const QString& path);
    int NextDocNumber() { return ++m_newDocCounter; }
    QString Label(const char* key) const;
    // Where the Open and Save dialogs start: the folder of `doc`, else the
    // one last chosen in them, else the user's home.
    QString DialogFolder(const CDoc* doc) const;
    // Which file a document's tab stands for: its full path, or a new
    // document's name.
    static QString TabToolTip(const CDoc& doc);
    // Asked before a document whose Windows-1252 file cannot hold its text
    // is saved: true writes the file as UTF-8 from now on.
    bool AskForUtf8(const CDoc& doc);

    EditCtrl& m_editor;
    DocumentTabs& m_tabs;
    HelpArea& m_help;
    const CUILabels& m_labels;
    Prompter& m_prompter;
    CommonDialog& m_dialogs;

    QList<CDocPtr> m_docs;
    CDocPtr m_current;
    int m_newDocCounter = 0;
    QString m_dialogFolder;  // of the file last chosen in the Open or Save dialog

    QFileSystemWatcher m_watcher;
    QTimer m_diskCheck;
    bool m_checkingDisk = false;
    bool m_diskCheckPending = false;
    // While OpenDocs runs: the files that could not be opened, and why.
    QList<QPair<QString, QString>>* m_openFailures = nullptr;
};
