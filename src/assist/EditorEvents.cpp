#include "assist/EditorEvents.h"

#include "assist/CodeAssist.h"
#include "assist/EditorRouting.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "editor/Tokenizer.h"
#include "model/DocDeclarations.h"
#include "model/ProgramHost.h"
#include "model/ProgramNames.h"
#include "panes/DeclList.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QCursor>
#include <QPointer>

#include <climits>
#include <set>
#include <unordered_set>

struct EditorEvents::DocScan {
    explicit DocScan(const std::shared_ptr<CDoc>& d) : doc(d) {}
    std::weak_ptr<CDoc> doc;
    DocDeclarations scanner;
    bool busy = false;     // a full scan is letting the window run
    bool again = false;    // asked for while busy
    bool edited = false;   // edits wait for a scan
    // The lines edited since the last scan: the first `head` and the last
    // `tail` are as the scanner read them; head -1 when none was.
    int head = -1;
    int tail = 0;
    // The path the program model knows the document by, and the lines of
    // the text it has.
    QString toldPath;
    int modelLines = 0;
    // The names the program's other files declare, in the list they were
    // added to, and the revisions of those files they were taken from.
    std::vector<EditorKeywordPtr> shared;
    std::weak_ptr<EditorKeywordList> sharedIn;
    std::string sharedFrom;
    std::vector<std::string> sharedFiles;
};

EditorEvents::EditorEvents(EditCtrl& editor, DocumentManager& docs, DeclList& declList, const DeclStyles& styles,
                           ProgramHost& programs, QObject* parent)
    : QObject(parent), m_editor(editor), m_docs(docs), m_declList(declList), m_styles(styles), m_programs(programs)
{
    Timer_parse.setInterval(50);
    connect(&Timer_parse, &QTimer::timeout, this, &EditorEvents::OnParseTick);
    connect(&m_editor, &EditCtrl::Change, this, &EditorEvents::OnChange);
    // The edits of a document that leaves the editor are handed on while
    // its text is still the editor's to read.
    connect(&m_editor, &EditCtrl::BufferLeaving, this, [this] {
        for (const CDocPtr& doc : m_docs.Docs())
            if (doc->EditorState == m_editor.CurrentBuffer())
                TakeEditsOf(*doc);
    });
    m_programs.SetEditsWaiting([self = QPointer<EditorEvents>(this)] {
        if (self && self->m_editsWaiting)
            self->TakeEdits();
    });
    connect(&m_editor, &EditCtrl::KeyDown, this, &EditorEvents::OnKeyDown);
    connect(&m_editor, &EditCtrl::KeyPress, this, &EditorEvents::OnKeyPress);
    connect(&m_editor, &EditCtrl::CharAdded, this, &EditorEvents::OnCharAdded);
    connect(&m_editor, &EditCtrl::CaretMove, this, &EditorEvents::OnCaretMove);
    connect(&m_editor, &EditCtrl::MouseUp, this, [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint) {
        if (buttons & Qt::RightButton)
            Q_EMIT ContextMenuRequested(QCursor::pos());
        if (m_assist && m_assist->PopupShown())
            m_assist->CloseList();
    });
    connect(&m_editor, &EditCtrl::FilesDropped, &m_docs, &DocumentManager::OpenDroppedFiles);
    // A document left with edits not yet scanned is scanned when it is back.
    connect(&m_docs, &DocumentManager::DocActivated, this, [this](CDoc* doc) {
        ForgetClosed();
        if (doc && m_scans.contains(doc->Key) && m_scans.value(doc->Key)->edited)
            m_rescanPending = true;
        TakeEdits();
        ShareProgramNames();
    });
    connect(&m_docs, &DocumentManager::NoDocuments, this, &EditorEvents::ForgetClosed);
    // Save As names the document anew.
    connect(&m_docs, &DocumentManager::FileBound, this, &EditorEvents::TakeEdits);
    connect(&m_docs, &DocumentManager::DocReloaded, this, [this](CDoc* doc) {
        // The model has the new text at once; the document is told whole
        // again when shown, as its lines are counted then.
        if (const std::shared_ptr<DocScan> scan = m_scans.value(doc->Key); scan && !scan->toldPath.isEmpty()) {
            m_programs.DocumentOpened(scan->toldPath);
            scan->toldPath.clear();
        }
    });
    // A file saved here may keep its size and time stamp; its next use
    // reads it again, and the documents that include it look at it again.
    connect(&m_docs, &DocumentManager::FileSaved, this, [this](const QString& path) {
        m_programs.FileWritten(path);
        IncludesChanged({path});
    });
    connect(&m_programs, &ProgramHost::FilesChangedOnDisk, this, &EditorEvents::IncludesChanged);
}

void EditorEvents::ShareProgramNames()
{
    CDoc* current = m_docs.CurrentDoc();
    if (!current || m_parsingDisabled || current->EditorState != m_editor.CurrentBuffer())
        return;
    const CDocPtr doc = m_docs.FindDoc(current->Key);
    const std::shared_ptr<DocScan> scan = m_scans.value(doc->Key);
    if (!scan)
        return;
    std::vector<std::string> names = ShareProgramNames(*doc, *scan);
    if (!names.empty())
        m_editor.UpdateDeclaredNames(doc->DocKeywords, names);
}

std::vector<std::string> EditorEvents::ShareProgramNames(const CDoc& doc, DocScan& scan)
{
    const EditorKeywordListPtr& list = doc.DocKeywords;
    if (!list || scan.toldPath.isEmpty())
        return {};
    // The document's own edits change none of these names: they are taken
    // again only when another file of the program changed, the document
    // includes other files, or it is another program now.
    std::set<std::string> covered = {ProgramHost::KeyOf(scan.toldPath)};
    for (const QString& included : doc.Includes)
        covered.insert(ProgramHost::KeyOf(included));
    // The other files are those found last time: a file joins or leaves
    // only through an Include line of a file whose revision then changed.
    // Asking the model for them would bring it up to date at every rescan.
    const auto signature = [&] {
        std::string from = ProgramHost::KeyOf(m_programs.MainFileOf(scan.toldPath));
        for (const std::string& key : covered)
            from += "|" + key;
        for (const std::string& key : scan.sharedFiles)
            from += "|" + key + ":" + std::to_string(m_programs.Revision(key));
        return from;
    };
    const bool sameList = scan.sharedIn.lock() == list;
    if (sameList && !scan.sharedFrom.empty() && signature() == scan.sharedFrom)
        return {};
    scan.sharedFiles.clear();
    for (const QString& file : m_programs.FilesOf(scan.toldPath))
        if (std::string key = ProgramHost::KeyOf(file); !covered.count(key))
            scan.sharedFiles.push_back(std::move(key));
    scan.sharedFrom = signature();

    // With no file beyond the document's own scan there is nothing to
    // share, and asking the model would wait for a check under way.
    std::vector<EditorKeywordPtr> shared;
    if (!scan.sharedFiles.empty())
        shared = programnames::SharedEntries(
            m_programs.ProgramOf(scan.toldPath).Symbols(), covered,
            [this](const std::string& key, std::uint32_t row) { return m_programs.LineText(key, row); }, m_styles);
    // At line 0 they rank before every entry of the document's own lines,
    // which the scanner's patches never move.
    std::vector<EditorKeywordList::Placed> removed, added;
    std::vector<std::string> names;
    if (sameList)
        for (std::size_t i = 0; i < scan.shared.size(); ++i) {
            removed.push_back({scan.shared[i], i});
            names.emplace_back(BareName(scan.shared[i]->Name));
        }
    for (std::size_t i = 0; i < shared.size(); ++i) {
        added.push_back({shared[i], i});
        names.emplace_back(BareName(shared[i]->Name));
    }
    list->Patch(std::move(removed), std::move(added));
    scan.shared = std::move(shared);
    scan.sharedIn = list;
    return names;
}

void EditorEvents::IncludesChanged(const QStringList& paths)
{
    std::set<std::string> keys;
    for (const QString& path : paths)
        keys.insert(ProgramHost::KeyOf(path));
    const CDoc* current = m_docs.CurrentDoc();
    for (auto it = m_scans.cbegin(); it != m_scans.cend(); ++it) {
        for (const QString& included : it.value()->scanner.Includes()) {
            if (keys.count(ProgramHost::KeyOf(included))) {
                it.value()->edited = true;
                if (current && current->Key == it.key())
                    m_rescanPending = true;
                break;
            }
        }
    }
}

void EditorEvents::ForgetClosed()
{
    for (auto it = m_scans.begin(); it != m_scans.end();) {
        const std::shared_ptr<CDoc> doc = it.value()->doc.lock();
        if (doc && m_docs.FindDoc(doc->Key) == doc) {
            ++it;
            continue;
        }
        if (!it.value()->toldPath.isEmpty())
            m_programs.DocumentClosed(it.value()->toldPath);
        it = m_scans.erase(it);
    }
}

void EditorEvents::TakeEdits()
{
    CDoc* current = m_docs.CurrentDoc();
    if (current && current->EditorState == m_editor.CurrentBuffer())
        TakeEditsOf(*current);
}

void EditorEvents::TakeEditsOf(CDoc& doc)
{
    m_editsWaiting = false;
    DocScan& scan = *ScanOf(m_docs.FindDoc(doc.Key));
    const EditCtrl::EditedLines edited = m_editor.TakeEditedLines();
    const int lines = m_editor.LineCount();
    const bool any = edited.head < lines;
    if (any && scan.head < 0) {
        scan.head = edited.head;
        scan.tail = edited.tail;
    } else if (any) {
        scan.head = std::min(scan.head, edited.head);
        scan.tail = std::min(scan.tail, edited.tail);
    }
    const QString path = ProgramPath(doc);
    if (path != scan.toldPath) {
        if (!scan.toldPath.isEmpty())
            m_programs.DocumentClosed(scan.toldPath);
        scan.toldPath = path;
        scan.modelLines = lines;
        m_programs.DocumentOpened(path);
        return;
    }
    const int oldCount = scan.modelLines - edited.head - edited.tail;
    const int newCount = lines - edited.head - edited.tail;
    scan.modelLines = lines;
    if (!any && oldCount == 0)
        return;
    if (oldCount < 0 || newCount < 0) {
        m_programs.DocumentOpened(path);
        return;
    }
    const QByteArray text = m_editor.LinesText(edited.head, newCount);
    m_programs.DocumentEdited(path, std::uint32_t(edited.head), std::uint32_t(oldCount),
                              std::string_view(text.constData(), std::size_t(text.size())), std::uint32_t(newCount));
}

std::shared_ptr<EditorEvents::DocScan> EditorEvents::ScanOf(const std::shared_ptr<CDoc>& doc)
{
    std::shared_ptr<DocScan>& scan = m_scans[doc->Key];
    if (!scan || scan->doc.lock() != doc)
        scan = std::make_shared<DocScan>(doc);
    return scan;
}

void EditorEvents::ScanDocument()
{
    CDoc* current = m_docs.CurrentDoc();
    if (!current)
        return;
    const CDocPtr doc = m_docs.FindDoc(current->Key);
    const std::shared_ptr<DocScan> scan = ScanOf(doc);
    // A full scan lets the window run; a scan asked for meanwhile follows it,
    // so that it starts from what that one found.
    if (scan->busy) {
        scan->again = true;
        return;
    }
    do {
        scan->again = false;
        ScanOnce(doc, *scan);
    } while (scan->again && m_docs.CurrentDoc() == doc.get());
    if (scan->again)
        scan->edited = true;
}

void EditorEvents::ScanOnce(const CDocPtr& doc, DocScan& scan)
{
    DocDeclarations& scanner = scan.scanner;
    scan.edited = false;
    const bool shown = doc->EditorState == m_editor.CurrentBuffer();
    if (shown) {
        TakeEdits();
    } else if (scan.toldPath.isEmpty()) {
        // Told whole again once shown, when its lines can be counted.
        scan.toldPath = ProgramPath(*doc);
        scan.modelLines = -1;
        m_programs.DocumentOpened(scan.toldPath);
    }
    const DeclSource source{m_programs.ProgramOf(scan.toldPath), ProgramHost::KeyOf(scan.toldPath),
                            [this](const std::string& key, std::uint32_t row) { return m_programs.LineText(key, row); },
                            [this](const std::string& key) { return m_programs.Revision(key); }};
    const int lines = m_editor.LineCount();
    const EditCtrl::EditedLines edited =
        !shown ? EditCtrl::EditedLines{} : scan.head < 0 ? EditCtrl::EditedLines{lines, 0} : EditCtrl::EditedLines{scan.head, scan.tail};
    scan.head = -1;
    scan.tail = 0;
    const int oldCount = scanner.LineCount() - edited.head - edited.tail;
    const int newCount = lines - edited.head - edited.tail;
    // When most of the text is new (a file loaded, all of it replaced) a
    // scan from scratch costs less than matching old and new.
    const bool full = !shown || !scanner.Follows(source.key, m_styles) || doc->DocKeywords != scanner.DocKeywords() ||
                      oldCount < 0 || newCount < 0 || oldCount + newCount > std::max(lines, 2000);
    ScanChanges changes;
    EditorKeywordListPtr previous;
    if (full) {
        const QByteArray text = shown ? m_editor.Text() : m_editor.BufferText(*doc->EditorState);
        scan.busy = true;
        scanner.Rebuild(source, std::string_view(text.constData(), std::size_t(text.size())), m_styles,
                        [] { QCoreApplication::processEvents(); }, m_scanYieldInterval);
        scan.busy = false;
        previous = std::exchange(doc->DocKeywords, scanner.DocKeywords());
    } else {
        const QByteArray text = m_editor.LinesText(edited.head, newCount);
        changes = scanner.Update(source, edited.head, oldCount, std::string_view(text.constData(), std::size_t(text.size())),
                                 newCount);
        // Included files are looked at every time: the model may have read
        // one since, or another tab changed it.
        ScanChanges reread = scanner.Revalidate(source);
        changes.removed.insert(changes.removed.end(), reread.removed.begin(), reread.removed.end());
        changes.added.insert(changes.added.end(), reread.added.begin(), reread.added.end());
    }
    ++m_scanCount;
    const std::vector<std::string> shared = shown ? ShareProgramNames(*doc, scan) : std::vector<std::string>{};
    doc->Includes = scanner.Includes();
    // The user may have switched documents while the scan let events run:
    // the editor and the list only show the result when its document is
    // still the one in the editor.
    if (m_docs.CurrentDoc() == doc.get()) {
        if (full) {
            m_editor.SetDeclaredKeywords(doc->DocKeywords);
            m_editor.Refresh();
            m_declList.RefreshDeclList(doc->DocKeywords, doc->Key);
        } else if (!changes.removed.empty() || !changes.added.empty() || !shared.empty()) {
            // Only names that came or went can colour differently.
            std::vector<std::string> names;
            std::unordered_set<std::string> seen;
            for (const std::string& name : shared)
                if (!name.empty() && seen.insert(text::ToLower(name)).second)
                    names.push_back(name);
            for (const auto* list : {&changes.removed, &changes.added})
                for (const EditorKeywordPtr& e : *list)
                    if (const std::string_view bare = BareName(e->Name); !bare.empty() && seen.insert(text::ToLower(bare)).second)
                        names.emplace_back(bare);
            m_editor.UpdateDeclaredNames(doc->DocKeywords, names);
            m_declList.ApplyChanges(doc->DocKeywords, changes.removed, changes.added);
        }
    }
    // The previous list can hold tens of thousands of names; it is let go
    // after this event rather than in the middle of it.
    if (previous)
        QTimer::singleShot(0, this, [previous = std::move(previous)] {});
}

void EditorEvents::OnChange()
{
    if (!m_parsingDisabled) {
        m_editsWaiting = true;
        Q_EMIT EditsWaiting();
    }
    if (CDoc* doc = m_docs.CurrentDoc())
        if (const auto scan = m_scans.value(doc->Key))
            scan->edited = true;
    m_docs.UpdateModified();
    Q_EMIT CommandStateChanged();
    m_rescanPending = true;
}

void EditorEvents::OnParseTick()
{
    if (!m_rescanPending || m_scanBusy || !m_editor.isVisible())
        return;
    Timer_parse.stop();
    m_rescanPending = false;
    m_scanBusy = true;
    ScanDocument();
    m_scanBusy = false;
    if (!m_parsingDisabled)
        Timer_parse.start();
}

void EditorEvents::SetParsingDisabled(bool disabled)
{
    m_parsingDisabled = disabled;
    if (disabled)
        Timer_parse.stop();
    else if (m_docs.CurrentDoc())
        Timer_parse.start();
}

void EditorEvents::HoldParsing(bool held)
{
    if (held)
        Timer_parse.stop();
    else if (!m_parsingDisabled && !m_scanBusy && !Timer_parse.isActive())
        Timer_parse.start();
}

std::string EditorEvents::CaretLine(int* endColumn, bool* selectionPresent) const
{
    const EditorSelection sel = m_editor.Selection();
    *endColumn = sel.EndColumn;
    *selectionPresent = sel.Present;
    const QByteArray line = m_editor.LineText(sel.EndLine + 1);
    return std::string(line.constData(), std::size_t(line.size()));
}

void EditorEvents::OnKeyDown(EditorKeyEvent* event)
{
    if (!m_assist)
        return;
    const bool listOpen = m_assist->PopupShown();
    switch (event->key) {
    case Qt::Key_Escape:
        event->key = 0;
        if (listOpen)
            m_assist->CloseList();
        m_assist->CloseTip();
        break;
    case Qt::Key_F1:
        if (listOpen)
            m_assist->CloseList();
        m_assist->CloseTip();
        m_assist->ShowCommandHelp(QString::fromLatin1(m_editor.WordAtCaret()));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
        // The list inserts its choice once this key has been handled.
        if (listOpen && m_assist->ListKeyDown(event->key)) {
            event->key = 0;
            event->character = 0;
        }
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (listOpen) {
            m_assist->ListKeyDown(event->key);
            event->key = 0;
        }
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (listOpen)
            m_assist->CloseList();
        break;
    default:
        break;
    }
}

void EditorEvents::OnKeyPress(EditorKeyEvent* event)
{
    if (!m_assist || event->character != ' ' || !(event->modifiers & Qt::ControlModifier))
        return;
    event->character = 0;  // Ctrl+Space never types a blank
    int column = 0;
    bool selected = false;
    const std::string line = CaretLine(&column, &selected);
    const CompletionRequest request = OnCtrlSpace(line, column, selected);
    switch (request.kind) {
    case CompletionRequest::ShowFieldList: m_assist->ShowFieldList(request.varName, request.prefix); break;
    case CompletionRequest::ShowTypeList: m_assist->ShowTypeList(request.prefix); break;
    case CompletionRequest::ShowCompletion: m_assist->ShowCompletion(); break;
    case CompletionRequest::Nothing: break;
    }
}

void EditorEvents::OnCharAdded(int character)
{
    if (!m_assist || character <= 0)
        return;
    if (character > 0x7F) {
        // No command character, but still a letter of the word the list narrows to.
        if (m_assist->PopupShown())
            m_assist->RefilterCompletion();
        return;
    }
    int column = 0;
    bool selected = false;
    const std::string line = CaretLine(&column, &selected);
    const CharAddedAction action = ::OnCharAdded(char(character), line, column, selected, m_assist->PopupShown());
    switch (action.kind) {
    case CharAddedAction::ShowCallTip:
        m_assist->ShowCallTip();
        break;
    case CharAddedAction::UpdateCallTip:
        if (m_assist->TipVisible())
            m_assist->UpdateCallTip(false);
        else
            m_assist->ShowCallTip();
        break;
    case CharAddedAction::ShowTypeList:
        m_assist->CloseTip();
        m_assist->ShowTypeList("");
        break;
    case CharAddedAction::ShowFieldList:
        m_assist->CloseTip();
        m_assist->ShowFieldList(action.word, "");
        break;
    case CharAddedAction::RefilterCompletion:
        m_assist->RefilterCompletion();
        break;
    case CharAddedAction::None:
        break;
    }
}

void EditorEvents::OnCaretMove(int column, int line)
{
    Q_EMIT CaretMoved(column, line);
    if (m_assist) {
        if (m_assist->PopupShown() && line != m_lastCaretLine)
            m_assist->CloseList();
        if (m_assist->TipVisible()) {
            if (line != m_lastCaretLine)
                m_assist->HideCallTip();
            else
                m_assist->UpdateCallTip(false);
        }
    }
    m_lastCaretLine = line;
}
