// EditCtrl: text, caret, selection, clipboard, markers and look.
#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"
#include "editor/FileText.h"
#include "platform/QtColor.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"

#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>

using Sci = QsciScintillaBase;

QByteArray EditCtrl::Text() const
{
    const auto length = d->sci(Sci::SCI_GETLENGTH);
    const auto* text = static_cast<const char*>(d->view->SendScintillaPtrResult(Sci::SCI_GETCHARACTERPOINTER));
    return QByteArray(text, static_cast<qsizetype>(length));
}

void EditCtrl::SetText(const QByteArray& bytes)
{
    const QByteArray text = Impl::incoming(bytes);
    d->endFlash();
    ++d->quiet;
    d->sci(Sci::SCI_BEGINUNDOACTION);
    d->sci(Sci::SCI_SETTARGETRANGE, 0, d->sci(Sci::SCI_GETLENGTH));
    d->sci.withPtr(Sci::SCI_REPLACETARGET, static_cast<std::uintptr_t>(text.size()), text.constData());
    d->sci(Sci::SCI_ENDUNDOACTION);
    d->sci(Sci::SCI_GOTOPOS, 0);
    --d->quiet;
    d->pendingEdit.reset();
    d->current->dirty.Reset(d->lineCount(), true);
    d->current->folds.Reset(d->lineCount(), true);
    d->styleVisible();
    d->lexer->reopenStyling();
    d->sweep.start();
    d->updateGutter();
    d->lastCaretLine = d->lastCaretColumn = -1;  // the mark moved with the text it stood before
    d->checkCaret();
}

QByteArray EditCtrl::LineText(int line) const
{
    if (line < 1 || line > d->lineCount())
        return {};
    return d->range(d->lineStart(line - 1), d->lineEnd(line - 1));
}

int EditCtrl::LineCount() const
{
    return d->lineCount();
}

CaretPosition EditCtrl::CaretPos() const
{
    const std::intptr_t pos = d->sci(Sci::SCI_GETCURRENTPOS);
    const int line = d->lineOf(pos);
    return {static_cast<int>(pos - d->lineStart(line)), line + 1};
}

std::optional<CaretPosition> EditCtrl::PositionAt(QPoint point) const
{
    const QPoint at = d->view->viewport()->mapFrom(this, point);
    const auto pos = d->sci(Sci::SCI_POSITIONFROMPOINTCLOSE, at.x(), at.y());
    if (pos < 0)
        return std::nullopt;
    const int line = d->lineOf(pos);
    return CaretPosition{static_cast<int>(pos - d->lineStart(line)), line + 1};
}

QPoint EditCtrl::CaretPoint() const
{
    const std::intptr_t pos = d->sci(Sci::SCI_GETCURRENTPOS);
    const QPoint inView(static_cast<int>(d->sci(Sci::SCI_POINTXFROMPOSITION, 0, pos)),
                        static_cast<int>(d->sci(Sci::SCI_POINTYFROMPOSITION, 0, pos)));
    return d->view->viewport()->mapTo(this, inView);
}

void EditCtrl::SetCaret(int column, int line, bool ensureVisible)
{
    const std::intptr_t pos = d->position(line - 1, column);
    if (ensureVisible) {
        d->showLines(d->lineOf(pos), d->lineOf(pos));
        d->sci(Sci::SCI_GOTOPOS, pos);
    }
    else
        d->sci(Sci::SCI_SETEMPTYSELECTION, pos);
    d->checkCaret();
}

void EditCtrl::JumpToLine(int line)
{
    const int l = std::clamp(line - 1, 0, d->lineCount() - 1);
    d->showLines(l, l);
    d->sci(Sci::SCI_SETEMPTYSELECTION, d->lineStart(l));
    const auto onScreen = d->sci(Sci::SCI_LINESONSCREEN);
    const auto visible = d->sci(Sci::SCI_VISIBLEFROMDOCLINE, l);
    d->sci(Sci::SCI_SETFIRSTVISIBLELINE, std::max<std::intptr_t>(0, visible - onScreen / 3));
    d->sci(Sci::SCI_SETXOFFSET, 0);
    d->checkCaret();
}

EditorScroll EditCtrl::Scroll() const
{
    const auto line = d->sci(Sci::SCI_DOCLINEFROMVISIBLE, d->sci(Sci::SCI_GETFIRSTVISIBLELINE));
    return {static_cast<int>(line) + 1, static_cast<int>(d->sci(Sci::SCI_GETXOFFSET))};
}

void EditCtrl::SetScroll(const EditorScroll& scroll)
{
    const int line = std::clamp(scroll.FirstLine - 1, 0, d->lineCount() - 1);
    d->sci(Sci::SCI_SETFIRSTVISIBLELINE, d->sci(Sci::SCI_VISIBLEFROMDOCLINE, line));
    d->sci(Sci::SCI_SETXOFFSET, std::max(scroll.XOffset, 0));
}

EditorSelection EditCtrl::Selection() const
{
    const std::intptr_t anchor = d->sci(Sci::SCI_GETANCHOR);
    const std::intptr_t caret = d->sci(Sci::SCI_GETCURRENTPOS);
    const int startLine = d->lineOf(anchor);
    const int endLine = d->lineOf(caret);
    return {anchor != caret, static_cast<int>(anchor - d->lineStart(startLine)), startLine,
            static_cast<int>(caret - d->lineStart(endLine)), endLine};
}

void EditCtrl::SetSelection(const EditorSelection& selection)
{
    const std::intptr_t caret = d->position(selection.EndLine, selection.EndColumn);
    const std::intptr_t anchor =
        selection.Present ? d->position(selection.StartLine, selection.StartColumn) : caret;
    d->sci(Sci::SCI_SETSEL, anchor, caret);
    d->checkCaret();
}

QByteArray EditCtrl::SelectedText() const
{
    const std::intptr_t a = d->sci(Sci::SCI_GETSELECTIONSTART);
    const std::intptr_t b = d->sci(Sci::SCI_GETSELECTIONEND);
    return d->range(a, b);
}

void EditCtrl::SelectWholeLines()
{
    const std::intptr_t a = d->sci(Sci::SCI_GETSELECTIONSTART);
    const std::intptr_t b = d->sci(Sci::SCI_GETSELECTIONEND);
    const int first = d->lineOf(a);
    int last = d->lineOf(b);
    // A selection that ends at the start of a line does not take that line.
    if (last > first && b == d->lineStart(last))
        --last;
    d->sci(Sci::SCI_SETSEL, d->lineStart(first), d->lineEnd(last));
    d->checkCaret();
}

void EditCtrl::ReplaceSelection(const QByteArray& bytes)
{
    const QByteArray text = Impl::incoming(bytes);
    d->sci(Sci::SCI_TARGETFROMSELECTION);
    d->sci.withPtr(Sci::SCI_REPLACETARGET, static_cast<std::uintptr_t>(text.size()), text.constData());
    d->sci(Sci::SCI_GOTOPOS, d->sci(Sci::SCI_GETTARGETEND));
    d->flushChange();
    d->checkCaret();
}

QByteArray EditCtrl::WordAtCaret() const
{
    const std::intptr_t pos = d->sci(Sci::SCI_GETCURRENTPOS);
    return d->range(d->sci(Sci::SCI_WORDSTARTPOSITION, pos, 1), d->sci(Sci::SCI_WORDENDPOSITION, pos, 1));
}

void EditCtrl::FlashLine(int line, int marker, std::chrono::milliseconds duration)
{
    d->endFlash();
    if (line < 1 || line > d->lineCount() || (marker != 1 && marker != 2))
        return;
    // By its handle, so the colour goes from wherever edits moved the line.
    d->flashHandle = int(d->sci(Sci::SCI_MARKERADD, line - 1, marker == 1 ? kMarkHighlight : kMarkError));
    Refresh();
    d->flashTimer.start(duration);
}

void EditCtrl::Impl::endFlash()
{
    flashTimer.stop();
    if (flashHandle < 0)
        return;
    sci(Sci::SCI_MARKERDELETEHANDLE, flashHandle);
    flashHandle = -1;
    view->viewport()->update();
}

void EditCtrl::SetErrorMark(int line, int column)
{
    ClearErrorMark();
    if (!d->current || line < 1 || line > d->lineCount())
        return;
    d->current->errorMarkHandle = int(d->sci(Sci::SCI_MARKERADD, line - 1, kMarkBuildError));
    d->current->errorMarkNumber = d->errorMarkNumber;
    // The word the compiler stopped at; at the line's end, the character
    // before it, so the mark shows whatever the column.
    const std::intptr_t start = d->lineStart(line - 1);
    const std::intptr_t end = d->lineEnd(line - 1);
    std::intptr_t from = d->position(line - 1, column);
    if (from == end && from > start)
        from = d->sci(Sci::SCI_POSITIONBEFORE, from);
    std::intptr_t to = d->sci(Sci::SCI_WORDENDPOSITION, from, 1);
    if (to <= from)
        to = std::min(end, d->sci(Sci::SCI_POSITIONAFTER, from));
    d->sci(Sci::SCI_SETINDICATORCURRENT, kIndicBuildError);
    d->sci(Sci::SCI_INDICATORFILLRANGE, from, to - from);
}

void EditCtrl::ClearErrorMark()
{
    ++d->errorMarkNumber;
    d->dropErrorMark();
}

void EditCtrl::Impl::dropErrorMark()
{
    if (!current || current->errorMarkHandle < 0 || current->errorMarkNumber == errorMarkNumber)
        return;
    sci(Sci::SCI_MARKERDELETEHANDLE, current->errorMarkHandle);
    sci(Sci::SCI_SETINDICATORCURRENT, kIndicBuildError);
    sci(Sci::SCI_INDICATORCLEARRANGE, 0, sci(Sci::SCI_GETLENGTH));
    current->errorMarkHandle = -1;
}

int EditCtrl::ErrorMarkLine() const
{
    if (!d->current || d->current->errorMarkHandle < 0)
        return 0;
    const auto line = d->sci(Sci::SCI_MARKERLINEFROMHANDLE, d->current->errorMarkHandle);
    return line < 0 ? 0 : static_cast<int>(line) + 1;
}

int EditCtrl::CaretMarkLine() const
{
    const auto line = d->sci(Sci::SCI_MARKERNEXT, 0, 1 << kMarkCaretLine);
    return line < 0 ? 0 : static_cast<int>(line) + 1;
}

int EditCtrl::LineMarker(int line) const
{
    if (line < 1 || line > d->lineCount())
        return 0;
    const auto mask = d->sci(Sci::SCI_MARKERGET, line - 1);
    if (mask & (1 << kMarkError))
        return 2;
    if (mask & (1 << kMarkHighlight))
        return 1;
    return 0;
}

void EditCtrl::Undo()
{
    d->sci(Sci::SCI_UNDO);
    d->restoreUndoneSelection();
    d->flushChange();
    d->checkCaret();
}

void EditCtrl::Redo()
{
    d->sci(Sci::SCI_REDO);
    d->restoreUndoneSelection();
    d->flushChange();
    d->checkCaret();
}

void EditCtrl::Cut()
{
    d->sci(Sci::SCI_CUT);
    d->flushChange();
    d->checkCaret();
}

void EditCtrl::Copy()
{
    d->sci(Sci::SCI_COPY);
}

void EditCtrl::Paste()
{
    d->sci(Sci::SCI_PASTE);
    d->flushChange();
    d->checkCaret();
}

bool EditCtrl::IsModified() const
{
    return d->sci(Sci::SCI_GETMODIFY) != 0;
}

void EditCtrl::SetSavePoint(EditorBuffer& buffer)
{
    d->callFor(buffer)(Sci::SCI_SETSAVEPOINT);
}

bool EditCtrl::CanUndo() const
{
    return d->sci(Sci::SCI_CANUNDO) != 0;
}

bool EditCtrl::CanRedo() const
{
    return d->sci(Sci::SCI_CANREDO) != 0;
}

bool EditCtrl::CanCopy() const
{
    return d->sci(Sci::SCI_GETSELECTIONSTART) != d->sci(Sci::SCI_GETSELECTIONEND);
}

bool EditCtrl::CanPaste() const
{
    // The control's own answer ignores the clipboard. Asking the clipboard
    // waits on the program that owns it, so the answer is kept until the
    // clipboard changes.
    if (!d->clipboardUsable) {
        const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
        d->clipboardUsable = clip && d->view->CanInsert(clip);
    }
    return d->sci(Sci::SCI_CANPASTE) != 0 && *d->clipboardUsable;
}

QByteArray EditCtrl::Impl::incoming(const QByteArray& bytes)
{
    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    return text::IsValidUtf8(view) ? bytes : QByteArray::fromStdString(text::RepairUtf8(view));
}

void EditCtrl::SetFileUtf8(EditorBuffer& buffer)
{
    buffer.utf8 = true;
}

std::optional<QByteArray> EditCtrl::FileBytes(const EditorBuffer& buffer) const
{
    return FileBytes(buffer, buffer.utf8);
}

std::optional<QByteArray> EditCtrl::FileBytes(const EditorBuffer& buffer, bool utf8) const
{
    const QByteArray text = BufferText(buffer);
    const std::optional<std::string> bytes =
        FileBytesOf(std::string_view(text.constData(), std::size_t(text.size())), utf8,
                    std::string_view(buffer.byteOrderMark.constData(), std::size_t(buffer.byteOrderMark.size())),
                    std::string_view(buffer.finalLineEnd.constData(), std::size_t(buffer.finalLineEnd.size())));
    if (!bytes)
        return std::nullopt;
    return QByteArray::fromStdString(*bytes);
}

// --- Look ----------------------------------------------------------------------

Color EditCtrl::Impl::styleColour(int style) const
{
    const Color colours[BlitzLexer::StyleCount] = {
        look.TextColor,     look.CommentColor, look.StringColor, look.NumberColor,
        look.OperatorColor, look.KeywordColor, look.VarColor,    look.TypeColor,
        look.FunctionColor, look.LabelColor,   look.ConstColor,  look.LocalColor,
    };
    style = BlitzLexer::BaseStyle(style);
    return style >= 0 && style < BlitzLexer::StyleCount ? colours[style] : look.TextColor;
}

Color EditCtrl::TextColourAt(int line, int column) const
{
    return d->styleColour(static_cast<int>(d->sci(Sci::SCI_GETSTYLEAT, d->position(line - 1, column))));
}

void EditCtrl::ApplyAppearance(const EditorAppearance& appearance)
{
    d->look = appearance;
    LexRules rules;
    const QByteArray comment = appearance.CommentChar.toLatin1();
    const QByteArray quote = appearance.StringChar.toLatin1();
    rules.commentChar = comment.isEmpty() ? '\0' : comment.front();
    rules.stringChar = quote.isEmpty() ? '\0' : quote.front();
    rules.SetOperators(appearance.Operators.toLatin1().toStdString());
    if (!(rules == d->rules)) {
        d->rules = rules;
        d->lexer->setRules(rules);
        d->queueNamesCheck();
    }
    d->indent.more = appearance.IndentMoreTokens.toStdString();
    d->indent.less = appearance.IndentLessTokens.toStdString();
    d->indent.tabSize = std::max(appearance.TabSize, 1);
    d->autoIndent = appearance.AutoIndent;
    ++d->lookVersion;
    d->applyLook();
    d->applyDocumentSettings();
}

void EditCtrl::Impl::applyLook()
{
    view->wheelLines = look.WheelScrollLines;
    applyStyles();
    current->lookVersion = lookVersion;
}

void EditCtrl::Impl::applyStyles()
{
    QFont font(look.FontName);
    font.setPointSizeF(look.FontSize > 0 ? look.FontSize : 10);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);

    lexer->setDefaultFont(font);
    lexer->setDefaultColor(ToQColor(look.TextColor));
    lexer->setDefaultPaper(ToQColor(look.BackColor));
    lexer->setFont(font, -1);
    lexer->setPaper(ToQColor(look.BackColor), -1);
    for (int style = 0; style < BlitzLexer::kStyleSlots; ++style)
        lexer->setColor(ToQColor(styleColour(style)), style);

    sci(Sci::SCI_STYLESETFONT, Sci::STYLE_LINENUMBER, 0);
    view->setMarginsFont(font);
    view->setMarginsBackgroundColor(ToQColor(look.GutterBackColor));
    view->setMarginsForegroundColor(ToQColor(look.GutterForeColor));
    sci(Sci::SCI_SETCARETFORE, SciColor(look.CaretColor));

    applyFoldMargin();
    sci(Sci::SCI_MARKERDEFINE, kMarkCaretLine, Sci::SC_MARK_LEFTRECT);
    sci(Sci::SCI_MARKERSETBACK, kMarkCaretLine, SciColor(look.GutterCurrentLineColor));
    const std::pair<int, Color> lineMarks[] = {
        {kMarkHighlight, look.HighlightLineColor},
        {kMarkError, look.ErrorLineColor},
    };
    for (const auto& [mark, colour] : lineMarks) {
        sci(Sci::SCI_MARKERDEFINE, mark, Sci::SC_MARK_BACKGROUND);
        sci(Sci::SCI_MARKERSETBACK, mark, SciColor(colour));
    }

    // Derived from the colours above, so that every scheme gets them: the
    // selection tinted with the commands' colour under the tokens' own
    // colours, a faint band on the caret's line that lets line marks show
    // through, and error marks red enough for the background.
    const bool dark = LightnessOf(look.BackColor) < 128;
    const Color errorMark = errorColour();
    sci(Sci::SCI_MARKERDEFINE, kMarkBuildError, Sci::SC_MARK_LEFTRECT);
    sci(Sci::SCI_MARKERSETBACK, kMarkBuildError, SciColor(errorMark));
    view->SetSelectionColour(ToQColor(Blend(look.BackColor, look.KeywordColor, dark ? 0.3 : 0.28)));
    sci(Sci::SCI_SETCARETLINEVISIBLE, 1);
    sci(Sci::SCI_SETCARETLINEBACK, SciColor(look.TextColor));
    sci(Sci::SCI_SETCARETLINEBACKALPHA, dark ? 14 : 10);
    sci(Sci::SCI_INDICSETSTYLE, kIndicBuildError, Sci::INDIC_SQUIGGLEPIXMAP);
    sci(Sci::SCI_INDICSETFORE, kIndicBuildError, SciColor(errorMark));
    sci(Sci::SCI_INDICSETSTYLE, kIndicDiagnostic, Sci::INDIC_SQUIGGLEPIXMAP);
    sci(Sci::SCI_INDICSETFORE, kIndicDiagnostic, SciColor(errorMark));
    sci(Sci::SCI_INDICSETSTYLE, kIndicWarning, Sci::INDIC_SQUIGGLEPIXMAP);
    sci(Sci::SCI_INDICSETFORE, kIndicWarning, SciColor(warningColour()));
    applyDiagnosticMargin();
    applyDebugMargin();
    updateGutter(true);
}

void EditCtrl::Impl::updateGutter(bool force)
{
    int digits = 1;
    for (int n = lineCount(); n >= 10; n /= 10)
        ++digits;
    if (!force && digits == gutterDigits)
        return;
    gutterDigits = digits;
    // The fixed gutter holds six digits, however long the document grows.
    const int shown = look.GutterMode == 1 ? 6 : std::max(digits, 3) + 1;
    int width = 0;
    if (look.GutterMode != 0) {
        const QByteArray sample(shown, '9');
        width = static_cast<int>(sci.withPtr(Sci::SCI_TEXTWIDTH, Sci::STYLE_LINENUMBER, sample.constData())) + 6;
    }
    sci(Sci::SCI_SETMARGINWIDTHN, 0, width);
    // A mark that no margin shows is painted across its line: with the
    // gutter hidden, the caret's line and the build's error line would be
    // bars of the gutter's colours.
    const int symbol = width > 0 ? Sci::SC_MARK_LEFTRECT : Sci::SC_MARK_EMPTY;
    sci(Sci::SCI_MARKERDEFINE, kMarkCaretLine, symbol);
    sci(Sci::SCI_MARKERDEFINE, kMarkBuildError, symbol);
}
