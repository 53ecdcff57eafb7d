#pragma once

#include "documents/Document.h"

#include <QList>
#include <QObject>
#include <QString>

class CUILabels;
class CommonDialog;
class DocumentTabs;
class EditCtrl;
class HelpArea;
class Prompter;

// The open documents and the one editor they share: creating, switching,
// opening, saving and closing. Switching copies the editor's state into the
// document being left and hands the chosen document's buffer back.
class DocumentManager : public QObject {
    Q_OBJECT
public:
    DocumentManager(EditCtrl& editor, DocumentTabs& tabs, HelpArea& help, const CUILabels& labels,
                    Prompter& prompter, CommonDialog& dialogs, QObject* parent = nullptr);
    ~DocumentManager() override;

    const QList<CDocPtr>& Docs() const { return m_docs; }
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

    // The editor's text changed: the first edit marks the document modified.
    void MarkModified();

    // Opens the ".bb" files among `paths`, in order; others are ignored.
    void OpenDroppedFiles(const QStringList& paths);

Q_SIGNALS:
    // A document was brought into the editor (a switch, an open, a close).
    void DocActivated(CDoc* doc);
    // A document was written to the file at `path`.
    void FileSaved(const QString& path);
    // A file was read into the current document and wants its first scan.
    void FileLoaded(CDoc* doc);
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
    int NextDocNumber() { return ++m_newDocCounter; }
    QString Label(const char* key) const;

    EditCtrl& m_editor;
    DocumentTabs& m_tabs;
    HelpArea& m_help;
    const CUILabels& m_labels;
    Prompter& m_prompter;
    CommonDialog& m_dialogs;

    QList<CDocPtr> m_docs;
    CDocPtr m_current;
    int m_newDocCounter = 0;
};
