#include "panes/LiveCheck.h"

#include "documents/Document.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "language/Program.h"
#include "language/InOrder.h"
#include "model/ModelFeed.h"
#include "model/ProgramHost.h"
#include "panes/ProblemsPane.h"

#include <QFileInfo>
#include <QToolTip>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdint>

#include <unordered_map>
#include <utility>

namespace {

// As long as the parse timer waits for typing to pause: the marks come with
// the declaration list's colours, well inside the tenth of a second after
// which a late mark reads as lag.
constexpr int kPauseMs = 50;
// A check of the whole program (after a declaration changed) goes in slices
// this long, with keys and paints between them, so that typing on never
// waits for it.
constexpr std::chrono::microseconds kSlice{4000};
// Though the edits took the slice, the check goes on a little.
constexpr std::chrono::microseconds kLeastSlice{1000};
// Past this many new problems in one pause, the list is made anew: it
// matches the texts of the rest rather than converting each again.
constexpr std::size_t kMostPatched = 2048;

std::uint64_t MessageKey(const std::pair<std::string, QString>& item)
{
    return std::hash<std::string>{}(item.first);
}

std::uint64_t MessageKey(const lang::Diagnostic& d)
{
    return std::hash<std::string>{}(d.message);
}

}  // namespace

LiveCheck::LiveCheck(EditCtrl& editor, DocumentManager& docs, ModelFeed& events, ProgramHost& programs,
                     ProblemsPane& pane, QObject* parent)
    : QObject(parent), m_editor(editor), m_docs(docs), m_events(events), m_programs(programs), m_pane(pane)
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(kPauseMs);
    connect(&m_pause, &QTimer::timeout, this, &LiveCheck::Resume);
    // Each change of a program (typed edits handed on, a file changed on
    // disk) starts the pause again; the check runs once typing rests.
    connect(&m_programs, &ProgramHost::ProgramChanged, this, [this](const QString& mainPath) {
        const std::string main = ProgramHost::KeyOf(mainPath);
        std::erase_if(m_kept, [&](const auto& kept) { return kept.second.main == main; });
        for (Shown* shown : {&m_shown, &m_left})
            if (shown->main == main)
                shown->doc.clear();
        Edited();
    });
    connect(&m_programs, &ProgramHost::MainFilesChanged, this, [this] {
        ForgetKept();
        m_pause.start();
    });
    // Another document in front shows its own marks and its program's list
    // at once, once the switch is done.
    connect(&m_docs, &DocumentManager::DocActivated, this, [this](CDoc* doc) {
        if (!m_shown.doc.isEmpty() && (!doc || doc->Key != m_shown.doc))
            m_left = std::exchange(m_shown, {});
        m_switched = true;
        m_made = {};
        m_listed = false;
        m_listing = {};
        m_pause.start(0);
    });
    connect(&m_docs, &DocumentManager::DocClosing, this, [this](CDoc* doc) {
        m_kept.erase(doc->Key);
        m_listing = {};
    });
    // A document saved under another name is another file of its program.
    connect(&m_docs, &DocumentManager::FileBound, this, &LiveCheck::ForgetKept);
    connect(&m_docs, &DocumentManager::NoDocuments, this, [this] {
        ForgetKept();
        m_pause.start(0);
    });

    connect(&m_editor, &EditCtrl::MouseDwell, this, [this](QPoint at) {
        const QString message = m_editor.DiagnosticAt(at);
        if (!message.isEmpty())
            QToolTip::showText(m_editor.mapToGlobal(at), message, &m_editor);
    });
    connect(&m_editor, &EditCtrl::MouseDwellEnd, this, [] { QToolTip::hideText(); });

    connect(&m_pane, &ProblemsPane::ProblemChosen, this, [this](const ProblemRow& row) {
        CDoc* target = nullptr;
        for (const CDocPtr& doc : m_docs.Docs())
            if (ProgramHost::KeyOf(ProgramPath(*doc)) == ProgramHost::KeyOf(row.path))
                target = doc.get();
        if (!target && QFileInfo::exists(row.path)) {
            m_docs.OpenDoc(row.path);
            target = m_docs.CurrentDoc();
        }
        if (!target)
            return;
        m_docs.ShowDoc(*target, row.line);
        m_editor.SetSelection({false, row.column, row.line - 1, row.column, row.line - 1});
        m_editor.setFocus();
    });
}

void LiveCheck::SetEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    ForgetKept();
    m_enabled = enabled;
    Refresh();
}

void LiveCheck::SetWarnings(unsigned kinds)
{
    if (m_warnings == kinds)
        return;
    ForgetKept();
    m_warnings = kinds;
    Refresh();
}

void LiveCheck::SetBuildError(const QString& docKey, int line, int column, const QString& message)
{
    ForgetKept();
    m_buildErrors.clear();
    if (const CDocPtr doc = m_docs.FindDoc(docKey)) {
        const QString path = ProgramPath(*doc);
        const std::string key = ProgramHost::KeyOf(path);
        m_buildErrors.push_back({path, key, m_programs.Revision(key), line, column, message});
    }
    Refresh();
}

void LiveCheck::ClearBuildError()
{
    if (m_buildErrors.empty())
        return;
    ForgetKept();
    m_buildErrors.clear();
    Refresh();
}

bool LiveCheck::QuickFix()
{
    CDoc* doc = m_docs.CurrentDoc();
    if (!doc)
        return false;
    m_events.TakeEdits();
    const QString path = ProgramPath(*doc);
    const std::string docKey = ProgramHost::KeyOf(path);
    const CaretPosition caret = m_editor.CaretPos();
    for (const lang::Diagnostic& d : m_programs.ProgramOf(path).Diagnostics()) {
        if (d.suggestion.empty() || d.file != docKey || int(d.row) + 1 != caret.Line || caret.Column < int(d.col) ||
            caret.Column > int(d.endCol))
            continue;
        m_editor.SetSelection({true, int(d.col), int(d.row), int(d.endCol), int(d.row)});
        m_editor.ReplaceSelection(QByteArray::fromStdString(d.suggestion));
        return true;
    }
    return false;
}

void LiveCheck::ForgetKept()
{
    m_made = {};
    m_listed = false;
    m_listing = {};
    m_kept.clear();
    m_shown = m_left = {};
}

void LiveCheck::KeepLeft()
{
    if (m_left.doc.isEmpty())
        return;
    Kept& kept = m_kept[m_left.doc];
    kept.main = m_left.main;
    kept.rows.clear();
    kept.rows.reserve(std::size_t(m_pane.RowCount()));
    for (int i = 0; i < m_pane.RowCount(); ++i)
        kept.rows.push_back(m_pane.Row(i));
    m_left = {};
}

bool LiveCheck::ShowKept()
{
    CDoc* doc = m_docs.CurrentDoc();
    if (!m_enabled || !doc || doc->EditorState != m_editor.CurrentBuffer())
        return false;
    // Edits not yet handed on change the program, and forget what was kept.
    m_events.TakeEdits();
    const auto kept = m_kept.find(doc->Key);
    if (kept == m_kept.end())
        return false;
    const std::string main = ProgramHost::KeyOf(m_programs.MainFileOf(ProgramPath(*doc)));
    const bool same = kept->second.main == main;
    std::vector<ProblemRow> rows = std::move(kept->second.rows);
    m_kept.erase(kept);
    if (!same)
        return false;
    // The rows change places rather than being copied.
    rows = m_pane.SwapRows(std::move(rows));
    m_made = {};
    if (!m_left.doc.isEmpty())
        m_kept[m_left.doc] = {m_left.main, std::move(rows)};
    m_left = {};
    m_shown = {doc->Key, main};
    Show();
    return true;
}

void LiveCheck::Resume()
{
    if (std::exchange(m_switched, false) && ShowKept())
        return;
    CDoc* doc = m_docs.CurrentDoc();
    if (m_enabled && doc && !m_listed) {
        // Handing on the edits, and working out the program's files again
        // after them, come out of the slice: the keys wait for the whole.
        const auto start = std::chrono::steady_clock::now();
        m_events.TakeEdits();
        lang::Program& program = m_programs.ProgramOf(ProgramPath(*doc));
        const auto spent = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
        // The check and the program's list of problems go in slices, and
        // the window's list from it in a turn of its own: an edit in between
        // restarts the pause, and the check with it.
        m_listed = program.List(std::max(kSlice - spent, kLeastSlice));
        m_pause.start(0);
        return;
    }
    if (!List(std::chrono::steady_clock::now() + kSlice)) {
        m_pause.start(0);
        return;
    }
    m_listed = false;
}

void LiveCheck::Edited()
{
    m_listed = false;
    if (m_listing.begun)
        m_listing = {};
    m_pause.start();
}

void LiveCheck::Refresh()
{
    m_listing = {};
    List(std::chrono::steady_clock::time_point::max());
}

const std::pair<QString, QString>& LiveCheck::FileOf(const std::string& key)
{
    // The tab's name for an open document (one never saved has no file
    // name), the file's name for the rest.
    auto it = m_listing.files.find(key);
    if (it == m_listing.files.end()) {
        const QString path = m_programs.PathOf(key);
        QString title = QFileInfo(path).fileName();
        for (const CDocPtr& doc : m_docs.Docs())
            if (doc->FilePath.isEmpty() && ProgramPath(*doc) == path)
                title = doc->FileTitle;
        it = m_listing.files.emplace(key, std::pair{path, title}).first;
    }
    return it->second;
}

bool LiveCheck::List(std::chrono::steady_clock::time_point deadline)
{
    Listing& l = m_listing;
    CDoc* doc = m_docs.CurrentDoc();
    const QString path = doc ? ProgramPath(*doc) : QString();
    const bool checked = m_enabled && doc;
    const bool beginning = !l.begun;
    if (beginning) {
        // Edits not handed on while typing (parsing switched off) go first;
        // handing them on forgets what was listed so far.
        if (doc)
            m_events.TakeEdits();
        l.begun = true;
    }
    // Asked for once a turn, and only when needed: with checking off, a
    // program need not be read for the build's report alone.
    lang::Program* program = nullptr;
    const auto programOf = [&]() -> lang::Program& {
        if (!program)
            program = &m_programs.ProgramOf(path);
        return *program;
    };
    if (beginning) {
        // The build's report goes once the file it names changed, and is
        // listed only with the program it was found in.
        const std::size_t reported = m_buildErrors.size();
        std::erase_if(m_buildErrors, [this](const BuildError& e) { return m_programs.Revision(e.key) != e.revision; });
        if (m_buildErrors.size() != reported)
            Q_EMIT BuildErrorGone();
        if (checked && m_buildErrors.empty() && Patch(programOf(), *doc, path)) {
            m_listing = {};
            return true;
        }
        m_made = {};
        if (doc && !m_buildErrors.empty()) {
            const std::vector<std::string> programFiles = programOf().Files();
            for (const BuildError& e : m_buildErrors)
                if (std::find(programFiles.begin(), programFiles.end(), e.key) != programFiles.end())
                    l.rows.push_back({e.path, FileOf(e.key).second, e.line, e.column, e.message, true, false});
        }
    }
    if (checked) {
        // Unchanged since the list was begun: any change forgets the listing.
        const std::vector<lang::Diagnostic>& found = programOf().Diagnostics();
        if (beginning) {
            l.docKey = ProgramHost::KeyOf(path);
            // A pause usually changes a few problems of thousands: the
            // messages of the unchanged ones are the last pause's, not
            // converted again.
            l.twin = lang::MatchInOrder(
                m_messages, found, [](const auto& item) { return MessageKey(item); },
                [](const std::pair<std::string, QString>& was, const lang::Diagnostic& now) {
                    return was.first == now.message;
                });
            l.messages.resize(found.size());
            l.as.resize(found.size());
            l.rows.reserve(l.rows.size() + found.size());
            l.marks.reserve(found.size());
        }
        const auto fromBuild = [&](const std::string& key, int line, const QString& message) {
            return std::any_of(m_buildErrors.begin(), m_buildErrors.end(), [&](const BuildError& e) {
                return e.key == key && e.line == line && e.message == message;
            });
        };
        const std::string* lastKey = nullptr;
        const std::pair<QString, QString>* lastFile = nullptr;
        bool inDoc = false;
        for (std::size_t& i = l.next; i < found.size(); ++i) {
            if (i % 256 == 0 && std::chrono::steady_clock::now() > deadline)
                return false;
            const lang::Diagnostic& d = found[i];
            const std::size_t before = l.twin[i];
            QString message = before != lang::kUnmatched ? m_messages[before].second : QString::fromStdString(d.message);
            if (!lastKey || *lastKey != d.file) {
                lastFile = &FileOf(d.file);
                lastKey = &d.file;
                inDoc = d.file == l.docKey;
            }
            // The same error the build stopped at is listed once, as the build's.
            l.as[i] = Add(d, message, *lastFile, !fromBuild(d.file, int(d.row) + 1, message), inDoc, l.rows, l.marks);
            l.messages[i] = {before != lang::kUnmatched ? std::move(m_messages[before].first) : d.message,
                             std::move(message)};
        }
        m_messages = std::move(l.messages);
    }
    KeepLeft();
    m_shown = {};
    if (doc && doc->EditorState == m_editor.CurrentBuffer()) {
        m_editor.SetDiagnosticMargin(m_enabled);
        m_editor.SetDiagnostics(std::move(l.marks));
        if (m_enabled)
            m_shown = {doc->Key, ProgramHost::KeyOf(m_programs.MainFileOf(path))};
        // Rows the build reported are not the program's: the next pause
        // lists anew.
        if (checked && m_buildErrors.empty())
            m_made = {programOf().LastDiagnosticsChange().now, doc->Key, std::move(l.as)};
    }
    m_pane.SetRows(std::move(l.rows));
    m_listing = {};
    Show();
    return true;
}

std::uint8_t LiveCheck::Add(const lang::Diagnostic& d, const QString& message,
                            const std::pair<QString, QString>& file, bool listed, bool marked,
                            std::vector<ProblemRow>& rows, std::vector<EditorDiagnostic>& marks) const
{
    const bool warning = d.warning != lang::WarningKind::None;
    if (warning && !(m_warnings & (1u << unsigned(d.warning))))
        return 0;
    std::uint8_t made = warning ? kWarning : 0;
    if (listed) {
        rows.push_back({file.first, file.second, int(d.row) + 1, int(d.col), message, false, warning});
        made |= kRow;
    }
    if (marked) {
        marks.push_back({int(d.row) + 1, int(d.col), int(d.endCol), message, warning});
        made |= kMark;
    }
    return made;
}

bool LiveCheck::Patch(lang::Program& program, CDoc& doc, const QString& path)
{
    if (m_made.list == 0 || m_made.doc != doc.Key || doc.EditorState != m_editor.CurrentBuffer() ||
        !m_left.doc.isEmpty())
        return false;
    const std::vector<lang::Diagnostic>& found = program.Diagnostics();
    const lang::DiagnosticsChange change = program.LastDiagnosticsChange();
    std::vector<std::uint8_t>& as = m_made.as;
    if (change.now != m_made.list) {
        if (change.was != m_made.list)
            return false;
        const std::size_t head = change.head, oldEnd = as.size() - change.tail, newEnd = found.size() - change.tail;
        if (newEnd - head > kMostPatched)
            return false;
        // The problems in [from, to) made as all of `what`.
        const auto count = [&as](std::size_t from, std::size_t to, std::uint8_t what) {
            return int(std::count_if(as.begin() + std::ptrdiff_t(from), as.begin() + std::ptrdiff_t(to),
                                     [what](std::uint8_t a) { return (a & what) == what; }));
        };
        const int rowAt = count(0, head, kRow), markAt = count(0, head, kMark);
        const int rowsGone = count(head, oldEnd, kRow), marksGone = count(head, oldEnd, kMark);
        const int warningsGone = count(head, oldEnd, kRow | kWarning);
        int errors = m_errors - (rowsGone - warningsGone), shownWarnings = m_warningCount - warningsGone;

        const std::string docKey = ProgramHost::KeyOf(path);
        std::vector<ProblemRow> rows;
        std::vector<EditorDiagnostic> marks;
        std::vector<std::pair<std::string, QString>> messages;
        std::vector<std::uint8_t> made;
        for (std::size_t i = head; i < newEnd; ++i) {
            const lang::Diagnostic& d = found[i];
            const QString message = QString::fromStdString(d.message);
            const std::uint8_t a = Add(d, message, FileOf(d.file), true, d.file == docKey, rows, marks);
            if (a & kRow)
                (a & kWarning ? shownWarnings : errors) += 1;
            made.push_back(a);
            messages.emplace_back(d.message, message);
        }
        m_pane.ReplaceRows(rowAt, rowsGone, std::move(rows));
        std::vector<EditorDiagnostic> shown = m_editor.TakeDiagnostics();
        // In place where as many come as go, which is most pauses: the
        // thousands after them stay untouched.
        const auto splice = [](auto& all, std::size_t at, std::size_t gone, auto& in) {
            const std::size_t same = std::min(gone, in.size());
            std::move(in.begin(), in.begin() + std::ptrdiff_t(same), all.begin() + std::ptrdiff_t(at));
            const auto from = all.begin() + std::ptrdiff_t(at + same);
            if (gone > same)
                all.erase(from, from + std::ptrdiff_t(gone - same));
            else
                all.insert(from, std::make_move_iterator(in.begin() + std::ptrdiff_t(same)), std::make_move_iterator(in.end()));
        };
        splice(shown, std::size_t(markAt), std::size_t(marksGone), marks);
        splice(m_messages, head, oldEnd - head, messages);
        splice(as, head, oldEnd - head, made);

        // The rows and marks that kept their problem but not its place.
        std::size_t next = change.movedFrom;
        const auto place = [&](std::uint8_t what) -> const lang::Diagnostic& {
            while (!(as[next] & what))
                ++next;
            return found[next++];
        };
        const int rowFrom = count(0, change.movedFrom, kRow);
        m_pane.ChangeRows(rowFrom, rowFrom + count(change.movedFrom, change.movedTo, kRow), [&](ProblemRow& row) {
            const lang::Diagnostic& d = place(kRow);
            row.line = int(d.row) + 1;
            row.column = int(d.col);
        });
        next = change.movedFrom;
        const auto markFrom = std::size_t(count(0, change.movedFrom, kMark));
        const auto markTo = markFrom + std::size_t(count(change.movedFrom, change.movedTo, kMark));
        for (std::size_t k = markFrom; k < markTo; ++k) {
            const lang::Diagnostic& d = place(kMark);
            shown[k].Line = int(d.row) + 1;
            shown[k].Column = int(d.col);
            shown[k].EndColumn = int(d.endCol);
        }
        m_editor.SetDiagnostics(std::move(shown));
        m_made.list = change.now;
        if (errors != m_errors || shownWarnings != m_warningCount)
            Q_EMIT CountChanged(m_errors = errors, m_warningCount = shownWarnings);
    }
    m_shown = {doc.Key, ProgramHost::KeyOf(m_programs.MainFileOf(path))};
    m_pause.stop();
    return true;
}

void LiveCheck::Show()
{
    // Handing on the edits above restarted the pause: nothing is left to do.
    m_pause.stop();
    const int rows = m_pane.RowCount();
    int warnings = 0;
    for (int i = 0; i < rows; ++i)
        warnings += m_pane.Row(i).warning;
    const int errors = rows - warnings;
    if (errors != m_errors || warnings != m_warningCount)
        Q_EMIT CountChanged(m_errors = errors, m_warningCount = warnings);
}
