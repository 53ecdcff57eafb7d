#pragma once

#include "editor/FileForm.h"
#include "editor/Keywords.h"
#include "platform/Color.h"
#include "platform/SourceFile.h"

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QsciScintilla;
class EditorBuffer;
using EditorBufferPtr = std::shared_ptr<EditorBuffer>;

// Lines and columns count from 0; the end point is the caret.
struct EditorSelection {
    bool Present = false;  // something is selected
    int StartColumn = 0;
    int StartLine = 0;
    int EndColumn = 0;
    int EndLine = 0;
    bool operator==(const EditorSelection&) const = default;
};

// A stretch of the text as byte offsets into Text(), `start` <= `end`.
struct TextSpan {
    qint64 start = 0;
    qint64 end = 0;
    bool operator==(const TextSpan&) const = default;
};

// Where the view stands: the first line of text shown (from 1) and how far
// the view is scrolled to the right, in pixels.
struct EditorScroll {
    int FirstLine = 1;
    int XOffset = 0;
    bool operator==(const EditorScroll&) const = default;
};

// Column from 0, line from 1 (the numbering of LineText and SetCaret).
struct CaretPosition {
    int Column = 0;
    int Line = 1;
};

// One coloured token of a line: its kind code (KeywordKind, 0 for anything
// else), its first column (from 0, a tab counting as one column) and text.
struct LineToken {
    int Kind = 0;
    int StartColumn = 0;
    QByteArray Text;
};

// A key on its way into the editor. Handlers set `key` (KeyDown) or
// `character` (KeyPress) to 0 to keep it from the editor.
struct EditorKeyEvent {
    int key = 0;        // Qt::Key
    int character = 0;  // the character it types: 13 Enter, 9 Tab, 32 blank...
    Qt::KeyboardModifiers modifiers;
};

// A problem the checker found, to be marked in the text: a squiggle under
// [Column, EndColumn) of a 1-based line (bytes from 0; an empty range marks
// the character before the place) and a symbol beside the line.
struct EditorDiagnostic {
    int Line = 1;
    int Column = 0;
    int EndColumn = 0;
    QString Message;
    bool Warning = false;  // what compiles but looks like a mistake, marked in another colour
    bool operator==(const EditorDiagnostic&) const = default;
};

// What the settings decide about the editor's look and behaviour.
struct EditorAppearance {
    Color TextColor = 0, BackColor = 0xFFFFFF, CaretColor = 0;
    Color CommentColor = 0, StringColor = 0, NumberColor = 0, OperatorColor = 0;
    Color KeywordColor = 0, FunctionColor = 0, LabelColor = 0, TypeColor = 0;
    Color VarColor = 0, ConstColor = 0, LocalColor = 0;
    Color HighlightLineColor = 0, ErrorLineColor = 0;
    Color GutterBackColor = 0, GutterForeColor = 0, GutterCurrentLineColor = 0;
    QString FontName = QStringLiteral("Monospace");
    double FontSize = 10;
    int TabSize = 3;
    int GutterMode = 2;  // 0 none, 1 fixed width, 2 sized to the line count
    int WheelScrollLines = 3;
    QString CommentChar = QStringLiteral(";");
    QString StringChar = QStringLiteral("\"");
    QString Operators = QStringLiteral("+-/*=<>^!&|");
    QString Delimiters;
    QString IndentMoreTokens = QStringLiteral("  ");
    QString IndentLessTokens = QStringLiteral("  ");
    bool AutoIndent = true;
};

// The one editor of the main window. Each open document owns an
// EditorBuffer (its text, undo history, caret, selection and encoding, and
// the view that shows it, with its folds and scroll position); the editor
// brings the selected buffer's view to the front. Text is bytes: UTF-8 in the
// editor whatever the file's encoding, which LoadFile and FileBytes convert
// from and to. Text the program puts in may hold bytes that are no UTF-8
// (names read raw from a Windows-1252 file): they go in as Windows-1252.
class EditCtrl : public QWidget {
    Q_OBJECT
public:
    explicit EditCtrl(QWidget* parent = nullptr);
    ~EditCtrl() override;

    // Whole text of the selected buffer, as the editor holds it (UTF-8).
    QByteArray Text() const;
    // Replaces the whole text (one undoable step) and puts the caret at the
    // start; raises no Change.
    void SetText(const QByteArray& text);
    // Text of a 1-based line, without its line end.
    QByteArray LineText(int line) const;
    int LineCount() const;

    // For work that follows the text line by line (the declaration scanner):
    // which lines of the selected buffer were edited since the last call. The
    // first `head` and the last `tail` lines are as they were then; a buffer
    // new, loaded or set with SetText counts as edited throughout.
    struct EditedLines {
        int head = 0;
        int tail = 0;
    };
    EditedLines TakeEditedLines();
    // The bytes of `count` lines from line `first` (from 0), line ends
    // included.
    QByteArray LinesText(int first, int count) const;

    CaretPosition CaretPos() const;
    // The text position drawn at a point of this widget; none outside the
    // text (the margins, past a line's end).
    std::optional<CaretPosition> PositionAt(QPoint point) const;
    // The caret's position in pixels, relative to this widget.
    QPoint CaretPoint() const;
    // Moves the caret to a column (from 0) of a 1-based line and scrolls it
    // into view.
    void SetCaret(int column, int line, bool ensureVisible = true);
    // A jump to a line (a declaration, an error): the caret goes to its
    // start and the view scrolls so that the line stands in its upper third,
    // with what leads up to it above, as far as the text allows.
    void JumpToLine(int line);
    // The view's scroll position, and a move of it that leaves the caret
    // where it is.
    EditorScroll Scroll() const;
    void SetScroll(const EditorScroll& scroll);

    EditorSelection Selection() const;
    void SetSelection(const EditorSelection& selection);
    QByteArray SelectedText() const;
    void SelectWholeLines();
    void ReplaceSelection(const QByteArray& text);
    QByteArray WordAtCaret() const;

    // The selection in bytes, for work that goes by offsets into Text().
    TextSpan SelectionSpan() const;
    // Selects from `anchor` to `caret` and scrolls the whole span into view.
    void SelectSpan(qint64 anchor, qint64 caret);
    // Replaces a span of the text as one undoable edit, however large, and
    // puts the caret after the new text.
    void ReplaceSpan(const TextSpan& span, const QByteArray& text);
    // The same, leaving `after` (offsets into the new text) selected; an
    // undo of the edit brings back the selection there was before it, and a
    // redo `after` again.
    void ReplaceSpan(const TextSpan& span, const QByteArray& text, const TextSpan& after, bool caretFirst);
    // Where the span's first line of text is drawn, relative to this widget.
    QRect SpanRect(const TextSpan& span) const;

    // The colour a 1-based line shows: 0 none, 1 highlighted, 2 error.
    int LineMarker(int line) const;
    // The first line (from 1) the gutter marks as the caret's; 0 when none.
    int CaretMarkLine() const;
    // Shows a 1-based line in a marker's colour (1 highlighted, 2 error) for
    // `duration`, then takes the colour away and repaints, leaving no mark.
    // Another flash, or showing another buffer, ends it sooner.
    void FlashLine(int line, int marker, std::chrono::milliseconds duration = std::chrono::milliseconds(900));
    // Marks where the last build stopped: the 1-based line's number in the
    // gutter in the error colour, and the word at `column` (bytes, from 0)
    // underlined. The mark moves with edits and stays until the next one, or
    // ClearErrorMark, takes it away from whichever buffer holds it.
    void SetErrorMark(int line, int column);
    void ClearErrorMark();
    // The 1-based line of the shown buffer's error mark; 0 when it has none.
    int ErrorMarkLine() const;

    // Marks the shown buffer's diagnostics, replacing the marks it had. The
    // marks belong to the buffer and move with its text; only the lines in
    // view and a few screens around them are marked (a scroll marks those it
    // brings), and only marks that differ from the ones in place are
    // redrawn, so a long document with thousands of problems costs little.
    void SetDiagnostics(std::vector<EditorDiagnostic> diagnostics);
    // The diagnostics last set, taken to be changed and set again: a pause
    // that changes a few of thousands copies none of the rest.
    std::vector<EditorDiagnostic> TakeDiagnostics();
    // The squiggles in place as they stand after the edits since: the line of
    // each (from 1), its columns within that line and its message, in text order.
    std::vector<EditorDiagnostic> DiagnosticMarks() const;
    // Whether a 1-based line carries a diagnostic's symbol in the margin.
    bool HasDiagnosticSymbol(int line) const;
    // The message of the squiggle under a point of this widget, or of every
    // diagnostic of the line whose margin symbol is there; "" for none.
    QString DiagnosticAt(QPoint point) const;
    // The margin that holds the diagnostics' symbols; hidden, the text moves
    // left to take its place.
    void SetDiagnosticMargin(bool shown);

    // Breakpoints of the shown buffer: a red dot beside each 1-based line.
    // They belong to the buffer and move with its lines as it is edited.
    void SetBreakpoint(int line, bool on);
    bool HasBreakpoint(int line) const;
    void SetBreakpoints(const std::vector<int>& lines);
    // Those of any buffer, shown or not, in line order.
    std::vector<int> BufferBreakpoints(const EditorBuffer& buffer) const;
    // The statement a stopped program is at, in the shown buffer: an arrow
    // beside the 1-based line and the line in the highlight colour, until
    // ClearExecutionLine takes them from whichever buffer holds them.
    void SetExecutionLine(int line);
    void ClearExecutionLine();
    // The 1-based line of the shown buffer's arrow; 0 when it has none.
    int ExecutionLine() const;
    // Where the breakpoints' margin is, as an x of this widget.
    int BreakpointMarginCentre() const;

    void Undo();
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    bool CanUndo() const;
    bool CanRedo() const;
    bool CanCopy() const;
    bool CanPaste() const;
    // Whether the selected buffer's text differs from the one last loaded or
    // marked saved: an undo back to it makes the buffer unmodified again.
    bool IsModified() const;
    void SetSavePoint(EditorBuffer& buffer);

    // A fresh empty buffer, which becomes the selected one.
    EditorBufferPtr NewBuffer();
    EditorBufferPtr CurrentBuffer() const;
    // Shows `buffer` with the caret, selection and scroll position it had.
    void SelectBuffer(const EditorBufferPtr& buffer);
    // The text of any buffer, selected or not.
    QByteArray BufferText(const EditorBuffer& buffer) const;
    // True when the buffer's file is UTF-8: it was valid UTF-8 holding
    // non-ASCII characters or a byte-order mark, or it was saved as UTF-8.
    // Otherwise the file is Windows-1252 text.
    bool FileIsUtf8(const EditorBuffer& buffer) const;
    // From now on the buffer's file is UTF-8 (once it was written so).
    void SetFileUtf8(EditorBuffer& buffer);

    // The editor holds several bytes per byte of text; far larger files are
    // assets opened by mistake, and LoadFile refuses them.
    static constexpr qint64 kMaxFileBytes = kMaxDocumentBytes;

    // Reads a file into the selected buffer as bytes. A trailing CR LF (a
    // trailing LF in a file of LF line ends), and a UTF-8 byte-order mark,
    // are the file's own and are not shown; the buffer remembers them.
    // Typing uses LF line ends in a file of LF line ends and CR LF otherwise.
    // Loading empties the undo history and raises no Change. On failure the
    // buffer is unchanged and `error` says why.
    bool LoadFile(const QString& path, QString* error = nullptr);
    // The bytes a save writes for `buffer`: its text in its file's encoding
    // (or in UTF-8) plus the line end its file ended with (CR LF for a new
    // buffer), after the byte-order mark it began with, so an unedited file
    // is written back byte for byte. Nothing, rather than a "?", when the
    // text holds a character Windows-1252 has no byte for.
    std::optional<QByteArray> FileBytes(const EditorBuffer& buffer) const;
    std::optional<QByteArray> FileBytes(const EditorBuffer& buffer, bool utf8) const;
    // The encoding and line ends of `buffer`'s file, which with its text
    // give FileBytes.
    FileForm BufferForm(const EditorBuffer& buffer) const;
    // Puts text taken with BufferText into the selected buffer, as LoadFile
    // would read it from a file of `form`: FileBytes then gives that file's
    // bytes. Empties the undo history and raises no Change.
    void LoadText(const QByteArray& text, const FileForm& form);

    // The command vocabulary, coloured as kind 1.
    void SetKeywords(EditorKeywordListPtr& keywords);
    // The names the selected document declares, coloured by their kind.
    void SetDeclaredKeywords(EditorKeywordListPtr keywords);
    EditorKeywordListPtr DeclaredKeywords() const;
    // `keywords` was changed in place, which may have changed the kind of the
    // bare names `names` (as BareName gives them). When it is the list shown,
    // the lines holding a name whose colour changed are recoloured; no other
    // line is.
    void UpdateDeclaredNames(const EditorKeywordListPtr& keywords, const std::vector<std::string>& names);

    void ApplyAppearance(const EditorAppearance& appearance);
    void SetAutoIndent(bool on);
    bool AutoIndent() const;

    // The tokens of a 1-based line that name commands of the vocabulary
    // (kind 1) and end at or before `column` (bytes, from 0), as the
    // colouring sees them, always current: what the call tip looks back
    // over. A tab counts as one column.
    std::vector<LineToken> CommandTokensBefore(int line, int column);
    // True while part of the selected buffer still waits to be coloured
    // (after a load or a change of vocabulary the visible lines are coloured
    // at once and the rest while the program is idle).
    bool ColouringPending() const;
    // The colour the character at a column (from 0) of a 1-based line is
    // painted in, as coloured so far.
    Color TextColourAt(int line, int column) const;

    // Colouring keeps up with edits and with new vocabularies by itself.
    // ResetStyles re-applies the colours; Refresh repaints, and with `all`
    // also recolours names added to the keyword lists in place; RefreshLine
    // recolours a 1-based line at once.
    void ResetStyles();
    void Refresh(bool all = false);
    void RefreshLine(int line);

    void SetBusy(bool busy);
    bool Busy() const;

    // Folding: blocks (Function, Type, a multi-line If, Select, For, While,
    // Repeat) and runs of comment lines fold under their first line, by a
    // click on the marker in the margin or by these. Fold All folds the
    // outermost ones.
    void FoldAll();
    void UnfoldAll();
    // Folds or unfolds the block a 1-based line starts; false when it
    // starts none.
    bool ToggleFold(int line);
    // The last line of the block a 1-based line starts, 0 when it starts none.
    int FoldEnd(int line);
    // Whether a 1-based line is shown, not folded away.
    bool LineShown(int line) const;
    // True while some fold levels wait to be worked out (after a load most
    // do; they are worked out while the program is idle).
    bool FoldingPending() const;
    // True while colouring or folding waits to be done while the program is
    // idle, for the buffer shown or another: a buffer left before it was
    // done is finished while not shown.
    bool IdleWorkPending() const;

Q_SIGNALS:
    // The caret moved (column from 0, line from 1).
    void CaretMove(int column, int line);
    // A name was clicked with Ctrl held (column from 0, line from 1); the
    // caret is already there.
    void CtrlClick(int column, int line);
    // A key before the editor sees it; setting key to 0 keeps it from the
    // editor. KeyPress still follows for a key that types a character, so a
    // handler can act on the character of a swallowed key.
    void KeyDown(EditorKeyEvent* event);
    // The character a key is about to type; 0 cancels it, another code types
    // that character instead.
    void KeyPress(EditorKeyEvent* event);
    void CharAdded(int character);
    // Once per edit (typing, pasting, undo, ReplaceSelection...), after the
    // text changed; SetText and LoadFile raise none.
    void Change();
    // Another buffer is about to be shown; the one leaving is still current.
    void BufferLeaving();
    // A mouse button was released (position relative to this widget). The
    // editor has no menu of its own: the right button only reports.
    void MouseUp(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint position);
    // Files dropped on the editor, in order.
    void FilesDropped(const QStringList& paths);
    // The mouse came to rest at a point of this widget, over the text or the
    // margins; MouseDwellEnd follows once it moves on or a key is pressed.
    void MouseDwell(QPoint position);
    void MouseDwellEnd();
    // A click in the breakpoints' margin beside a 1-based line.
    void BreakpointClicked(int line);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
