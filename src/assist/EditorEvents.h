#pragma once

#include "editor/Keywords.h"
#include "model/ModelFeed.h"

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class CodeAssist;
class DeclList;
class DocumentManager;
class EditCtrl;
class ProgramHost;
struct CDoc;

struct EditorKeyEvent;

// Routes the editor's events: an edit marks the document modified and asks
// for a rescan of the declaration list, which the parse timer runs shortly
// after and which hands the edits to the program model first (as does any
// question to the model before then); keys and typed
// characters steer the autocomplete list and the call tip; F1 asks for
// command help; dropped ".bb" files open.
class EditorEvents : public QObject, public ModelFeed {
    Q_OBJECT
public:
    // `styles` is the window's member, renewed whenever the settings are
    // applied; scans read it as it is at the time.
    EditorEvents(EditCtrl& editor, DocumentManager& docs, DeclList& declList, const DeclStyles& styles,
                 ProgramHost& programs, QObject* parent = nullptr);

    void SetCodeAssist(CodeAssist* assist) { m_assist = assist; }

    // Scans the current document now; the result stays with that document
    // even when another one is shown by the time it ends. Only the lines
    // edited since the last scan are read again, and only included files
    // that changed; the first scan of a document reads all of it.
    void ScanDocument();

    // Hands the edits of the document in the editor since the last call to
    // the program model (a document it does not know yet goes whole): what
    // a question to the model does first. Typed edits wait for it, so that
    // a key costs no more than the editor's own work; the model asks for
    // them itself before it answers, unless parsing is disabled.
    void TakeEdits() override;

    // The Debug menu's switch: no rescans while typing, nor for commands.
    void SetParsingDisabled(bool disabled);
    bool ParsingDisabled() const { return m_parsingDisabled; }
    // Holds the parse timer while a file loads; releasing restarts it unless
    // parsing is disabled.
    void HoldParsing(bool held);

    // How long a scan runs before the window gets a turn.
    void SetScanYieldInterval(std::chrono::milliseconds interval) { m_scanYieldInterval = interval; }

    bool RescanPending() const { return m_rescanPending; }
    int ScanCount() const { return m_scanCount; }

Q_SIGNALS:
    // The document situation changed (first edit).
    void CommandStateChanged();
    void CaretMoved(int column, int line);
    // The right mouse button was released over the editor.
    void ContextMenuRequested(QPoint globalPosition);
    // The document in front was edited; the edits wait to be handed on.
    void EditsWaiting();

private:
    void OnChange();
    void OnParseTick();
    void OnKeyDown(EditorKeyEvent* event);
    void OnKeyPress(EditorKeyEvent* event);
    void OnCharAdded(int character);
    void OnCaretMove(int column, int line);
    std::string CaretLine(int* endColumn, bool* selectionPresent) const;

    EditCtrl& m_editor;
    DocumentManager& m_docs;
    DeclList& m_declList;
    const DeclStyles& m_styles;
    ProgramHost& m_programs;
    CodeAssist* m_assist = nullptr;

    QTimer Timer_parse;
    bool m_rescanPending = false;
    bool m_scanBusy = false;
    bool m_parsingDisabled = false;
    bool m_editsWaiting = false;
    void TakeEditsOf(CDoc& doc);
    int m_lastCaretLine = -1;
    std::chrono::milliseconds m_scanYieldInterval{20};
    // What each document's last scan found, by document key.
    struct DocScan;
    QHash<QString, std::shared_ptr<DocScan>> m_scans;
    std::shared_ptr<DocScan> ScanOf(const std::shared_ptr<CDoc>& doc);
    // The model lets go of documents that were closed.
    void ForgetClosed();
    // Files changed on disk or were saved: the declaration lists that
    // include them look at them again in their next scan.
    void IncludesChanged(const QStringList& paths);
    void ScanOnce(const std::shared_ptr<CDoc>& doc, DocScan& scan);
    // The names the other files of the document's program declare join its
    // list, for the colouring and the lists; the names that came or went.
    std::vector<std::string> ShareProgramNames(const CDoc& doc, DocScan& scan);
    void ShareProgramNames();
    int m_scanCount = 0;
};
