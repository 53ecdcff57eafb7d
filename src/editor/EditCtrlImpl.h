#pragma once

#include "editor/AutoIndent.h"
#include "editor/BlitzLexer.h"
#include "editor/EditCtrl.h"
#include "editor/EditorBuffer.h"
#include "editor/EditorView.h"
#include "editor/Folding.h"
#include "editor/SciCall.h"

#include <QStackedLayout>
#include <QTimer>

#include <climits>
#include <memory>
#include <optional>

// Marker numbers of the control.
enum EditorMarker {
    kMarkHighlight = 1,
    kMarkError = 2,
    kMarkCaretLine = 3,
    // The checker's diagnostics, in a margin of their own.
    kMarkDiagnostic = 4,
    // The last build's error, in the line-number gutter.
    kMarkBuildError = 6,
    // The debugger's: breakpoints, and the statement a stopped program is at
    // (an arrow and the line's colour).
    kMarkBreakpoint = 7,
    kMarkExecution = 10,
    kMarkExecutionLine = 11,
};

// The margins, left to right.
enum EditorMargin { kMarginNumbers = 0, kMarginDebug = 1, kMarginDiagnostics = 2, kMarginFolds = 3 };

// A colour as the control takes it.
inline long SciColor(Color c)
{
    return static_cast<long>(c & 0xFFFFFF);
}

// The indicators underlining the last build's error and the diagnostics:
// the errors and, in a colour of their own, the warnings.
constexpr int kIndicBuildError = 8;
constexpr int kIndicDiagnostic = 9;
constexpr int kIndicWarning = 10;

// Works out the fold levels of the `pending` lines of the document the view
// `sci` shows, about `budget` lines of them; true when some are left. A
// closed fold whose first line no longer starts one opens.
bool UpdateFoldLevels(const SciCall& sci, DirtyLines& pending, const LexRules& rules, int budget);

struct EditCtrl::Impl {
    explicit Impl(EditCtrl* owner);

    EditCtrl* q;
    // The shown buffer's view and lexer, in front of the other buffers' views.
    QStackedLayout* stack = nullptr;
    EditorView* view = nullptr;
    BlitzLexer* lexer = nullptr;
    SciCall sci;
    EditorBufferPtr current;
    EditorAppearance look;
    IndentTokens indent;
    bool autoIndent = true;
    bool busy = false;

    EditorKeywordListPtr commands;
    EditorKeywordListPtr declared;
    std::shared_ptr<const NameTable> commandNames = std::make_shared<NameTable>();
    const std::shared_ptr<NameTable> noNames = std::make_shared<NameTable>();
    std::shared_ptr<NameTable> declaredNames = noNames;
    // The name tables of the last few declared lists: switching back to a
    // document builds nothing, and a list scanned anew that declares the same
    // names takes over the table of the one before. A list changed in place
    // has its table changed with it (UpdateDeclaredNames), and its signature
    // is worked out again when asked for.
    struct CachedNames {
        std::weak_ptr<EditorKeywordList> list;
        std::shared_ptr<NameTable> table;
        std::optional<std::uint64_t> signature;
    };
    std::vector<CachedNames> namesCache;
    std::shared_ptr<NameTable> declaredTableFor(const EditorKeywordListPtr& list);
    LexRules rules;

    // An edit announced by the control and not yet counted into the dirty
    // lines (the control tells before it edits; the next look settles it).
    struct PendingEdit {
        int line;
        int lineCount;
        std::intptr_t lineStart;  // of `line`, before the edit
    };
    std::optional<PendingEdit> pendingEdit;
    bool changePending = false;
    bool flushQueued = false;
    bool namesCheckQueued = false;
    int quiet = 0;  // while > 0 edits are the program's own: no Change
    int lastCaretLine = -1;
    int lastCaretColumn = -1;
    int gutterDigits = 0;
    QTimer sweep;
    // Every buffer made: those not shown are coloured and folded while idle.
    std::vector<std::weak_ptr<EditorBuffer>> buffers;
    // Calls into the view of any buffer, shown or behind.
    SciCall callFor(const EditorBuffer& buffer) const
    {
        return &buffer == current.get() ? sci : SciCall(buffer.view.data());
    }

    // Positions and lines.
    int lineCount() const { return static_cast<int>(sci(QsciScintillaBase::SCI_GETLINECOUNT)); }
    int lineOf(std::intptr_t pos) const { return static_cast<int>(sci(QsciScintillaBase::SCI_LINEFROMPOSITION, pos)); }
    std::intptr_t lineStart(int line) const { return sci(QsciScintillaBase::SCI_POSITIONFROMLINE, line); }
    std::intptr_t lineEnd(int line) const { return sci(QsciScintillaBase::SCI_GETLINEENDPOSITION, line); }
    std::intptr_t position(int line, int column) const;
    QByteArray range(std::intptr_t from, std::intptr_t to) const;
    int visibleFirst() const { return static_cast<int>(sci(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)); }
    int visibleLast() const;

    // Edits and events.
    void onModified(std::intptr_t pos, int type, std::intptr_t length, const char* text);
    void settleEdit();
    void queueFlush();
    void flushChange();
    void checkCaret();
    void afterInput(bool newLine);
    void applyAutoIndent();
    // The marker a running FlashLine put, by its handle; -1 when none.
    int flashHandle = -1;
    QTimer flashTimer;
    void endFlash();
    void moveCaretMark(int line);
    // Which error mark is the current one; a buffer holding another drops it.
    int errorMarkNumber = 0;
    void dropErrorMark();
    // Likewise for the statement a stopped program is at (EditCtrlDebug.cpp).
    int executionNumber = 0;
    void dropExecutionMark();
    void applyDebugMargin();

    // Folding (EditCtrlFolds.cpp).
    // Works out the fold levels still pending, about `budget` lines of them;
    // true when some are left.
    bool updateFolds(int budget);
    void foldsCurrent() { updateFolds(INT_MAX); }
    // Fold levels an edit works out at once; the rest waits for idle time.
    static constexpr int kFoldLinesPerEdit = 2000;
    // Opens the closed folds that hide any of the lines (from 0).
    void showLines(int first, int last);
    void applyFoldMargin();

    // Colouring.
    void queueNamesCheck();
    // Whether the shown buffer is coloured with the editor's vocabulary,
    // declared names and rules; takeNames makes it so, leaving the colouring
    // to whoever calls it.
    bool namesCurrent() const;
    void takeNames();
    void ensureNamesCurrent();
    void restyleAll();
    void styleVisible();
    void sweepStep();
    // Colours and folds a step of a buffer not shown; false when none waits
    // for it.
    bool hiddenStep();

    // Buffers and look.
    void showBuffer(const EditorBufferPtr& buffer);
    // A view for `buffer`, which it shows from then on.
    void makeView(EditorBuffer& buffer);
    void wireView(EditorView* v);
    // The look is given to the view in front; a view brought to the front
    // takes it if it changed while the view was behind.
    int lookVersion = 0;
    void applyLook();
    void applyDocumentSettings();
    // What the program puts in, as the UTF-8 the control holds.
    static QByteArray incoming(const QByteArray& bytes);
    // The selection an undo or redo of a block edit brings back, applied
    // once the control has put the caret where the edit was.
    using Selected = std::pair<std::intptr_t, std::intptr_t>;  // anchor, caret
    std::optional<Selected> undoneSelection;
    void restoreUndoneSelection();
    // The selections edits keep in the undo history, by their step's token
    // (its index plus 1).
    std::vector<Selected> keptSelections;
    void keepSelection(Selected selection);
    // Whether the clipboard holds something to paste; unknown after a change.
    std::optional<bool> clipboardUsable;
    void applyStyles();
    Color styleColour(int style) const;
    void updateGutter(bool force = false);

    // Diagnostics (EditCtrlMarks.cpp). Each squiggle is a run of the
    // indicator whose value names its message in the buffer's table.
    struct MarkRun {
        std::intptr_t start;
        std::intptr_t end;
        int id;
    };
    bool diagnosticMargin = false;
    // The runs that overlap [from, to), whole.
    std::vector<MarkRun> markRuns(std::intptr_t from, std::intptr_t to, int indicator = kIndicDiagnostic) const;
    // The text a diagnostic's squiggle goes under; empty when the document is.
    std::pair<std::intptr_t, std::intptr_t> markSpan(int line, int column, int endColumn) const;
    // Marks the buffer's diagnostics of the lines in view and around them;
    // unless `force`, only when the view moved past those marked.
    void placeDiagnostics(bool force);
    void applyDiagnosticMargin();
    Color errorColour() const;
    Color warningColour() const;
    void loadBytes(const QByteArray& bytes);
    // Text (UTF-8) into the selected buffer, which takes `form` for its file.
    void loadText(const QByteArray& text, const FileForm& form);
};
