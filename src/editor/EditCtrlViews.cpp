// EditCtrl: the buffers' views. Each buffer gets a view of its own when it is
// first shown, set up as the editor's views are and wired to the editor,
// which hears only the one in front.
#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"

using Sci = QsciScintillaBase;

EditorBuffer::~EditorBuffer()
{
    delete view.data();
}

void EditCtrl::Impl::makeView(EditorBuffer& buffer)
{
    auto* v = new EditorView(q);
    buffer.view = v;
    buffer.lexer = new BlitzLexer(v);
    v->setLexer(buffer.lexer);
    buffer.lexer->setDirtyLines(&buffer.dirty, &buffer.recolourNames);
    const SciCall call(v);
    // Only the notifications sent before an edit: the ones sent after it make
    // the control count characters from the start of the text each time.
    // The program's own undo steps (a selection kept with an edit) cost
    // nothing of the sort.
    call(Sci::SCI_SETMODEVENTMASK, Sci::SC_MOD_BEFOREINSERT | Sci::SC_MOD_BEFOREDELETE | Sci::SC_MOD_CONTAINER);
    call(Sci::SCI_SETMARGINWIDTHN, kMarginDiagnostics, 0);
    call(Sci::SCI_SETMARGINTYPEN, 0, Sci::SC_MARGIN_NUMBER);
    call(Sci::SCI_SETMARGINMASKN, 0, (1 << kMarkCaretLine) | (1 << kMarkBuildError));
    v->setMarginWidth(kMarginFolds, 0);
    call(Sci::SCI_SETMARGINLEFT, 0, 4);
    // The horizontal scroll bar follows the longest line seen, instead of a
    // fixed 2000 pixels.
    call(Sci::SCI_SETSCROLLWIDTH, 1);
    call(Sci::SCI_SETSCROLLWIDTHTRACKING, 1);
    // No annotations are shown; while they may be, the control works out the
    // height of every line each time a document is shown.
    call(Sci::SCI_ANNOTATIONSETVISIBLE, Sci::ANNOTATION_HIDDEN);
    // As long as a tooltip takes to come; moving on or a key ends the rest.
    call(Sci::SCI_SETMOUSEDWELLTIME, 500);
    ++quiet;
    v->setDocument(buffer.doc);
    --quiet;
    stack->addWidget(v);
    wireView(v);
}

void EditCtrl::Impl::wireView(EditorView* v)
{
    // Only the view in front speaks for the editor.
    EditCtrl* e = q;
    const auto front = [this, v] { return v == view; };
    QObject::connect(v, &QsciScintillaBase::SCN_MODIFIED, e,
                     [this, front](int pos, int type, const char* text, int length, int, int, int, int, int token, int) {
                         if (!front())
                             return;
                         if (type & Sci::SC_MOD_CONTAINER) {
                             // Of an edit's two steps, the one undone or redone
                             // last holds the selection that stands.
                             const auto kept = std::size_t(token);
                             if ((type & (Sci::SC_PERFORMED_UNDO | Sci::SC_PERFORMED_REDO)) && kept > 0 &&
                                 kept <= keptSelections.size())
                                 undoneSelection = keptSelections[kept - 1];
                             return;
                         }
                         onModified(pos, type, length, text);
                     });
    QObject::connect(v, &QsciScintillaBase::SCN_CHARADDED, e, [e, front](int ch) {
        if (front())
            Q_EMIT e->CharAdded(ch);
    });
    QObject::connect(v, &QsciScintillaBase::SCN_DWELLSTART, e, [e, v, front](int, int x, int y) {
        if (front())
            Q_EMIT e->MouseDwell(v->viewport()->mapTo(e, QPoint(x, y)));
    });
    QObject::connect(v, &QsciScintillaBase::SCN_DWELLEND, e, [e, front](int, int, int) {
        if (front())
            Q_EMIT e->MouseDwellEnd();
    });
    QObject::connect(v, &QsciScintilla::marginClicked, e, [e, front](int margin, int line, Qt::KeyboardModifiers) {
        if (front() && margin == kMarginDebug)
            Q_EMIT e->BreakpointClicked(line + 1);
    });
    QObject::connect(v, &QsciScintillaBase::SCN_UPDATEUI, e, [this, front](int updated) {
        if (!front())
            return;
        checkCaret();
        if (updated & Sci::SC_UPDATE_V_SCROLL)
            placeDiagnostics(false);
    });
    QObject::connect(v, &EditorView::keyDown, e, [e, front](EditorKeyEvent* k) {
        if (front())
            Q_EMIT e->KeyDown(k);
    });
    QObject::connect(v, &EditorView::keyPress, e, [e, front](EditorKeyEvent* k) {
        if (front())
            Q_EMIT e->KeyPress(k);
    });
    QObject::connect(v, &EditorView::inputHandled, e, [this, front](bool newLine) {
        if (front())
            afterInput(newLine);
    });
    QObject::connect(v, &EditorView::filesDropped, e, [e](const QStringList& files) { Q_EMIT e->FilesDropped(files); });
    QObject::connect(v, &EditorView::ctrlClicked, e, [e, v, front](QPoint at) {
        if (!front())
            return;
        if (const std::optional<CaretPosition> pos = e->PositionAt(v->viewport()->mapTo(e, at))) {
            e->SetCaret(pos->Column, pos->Line, false);
            Q_EMIT e->CtrlClick(pos->Column, pos->Line);
        }
    });
    QObject::connect(v, &EditorView::mouseUp, e,
                     [e, v](Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint pos) {
                         Q_EMIT e->MouseUp(buttons, modifiers, v->viewport()->mapTo(e, pos));
                     });
}
