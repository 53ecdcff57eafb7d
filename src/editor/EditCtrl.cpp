#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"
#include "editor/FileText.h"
#include "platform/FileStatus.h"
#include "platform/Text.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <cstring>

using Sci = QsciScintillaBase;

EditCtrl::Impl::Impl(EditCtrl* owner) : q(owner) {}

std::intptr_t EditCtrl::Impl::position(int line, int column) const
{
    const int last = lineCount() - 1;
    if (line > last)
        return sci(Sci::SCI_GETLENGTH);
    line = std::max(line, 0);
    const std::intptr_t start = lineStart(line);
    return start + std::clamp<std::intptr_t>(column, 0, lineEnd(line) - start);
}

QByteArray EditCtrl::Impl::range(std::intptr_t from, std::intptr_t to) const
{
    if (to <= from)
        return {};
    const auto* p = reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, from, to - from));
    return QByteArray(p, static_cast<qsizetype>(to - from));
}

int EditCtrl::Impl::visibleLast() const
{
    return visibleFirst() + static_cast<int>(sci(Sci::SCI_LINESONSCREEN)) + 1;
}

// --- Edits -----------------------------------------------------------------

void EditCtrl::Impl::onModified(std::intptr_t pos, int type, std::intptr_t length, const char* text)
{
    settleEdit();
    const int line = lineOf(pos);
    pendingEdit = PendingEdit{line, lineCount(), lineStart(line)};
    // An edit inside one line tells the colouring where it falls; one that
    // adds or takes line ends moves the lines after it.
    const bool inserted = type & Sci::SC_MOD_BEFOREINSERT;
    if (!inserted && length > 0)
        text = reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, pos, length));
    // (The control does not always pass the text inserted; settleEdit then
    // learns of line ends from the lines.)
    const auto size = static_cast<std::size_t>(std::max<std::intptr_t>(length, 0));
    if (text && (std::memchr(text, '\n', size) || std::memchr(text, '\r', size)))
        lexer->forgetLongLine();
    else
        lexer->noteEdit(line, static_cast<int>(pos - lineStart(line)), static_cast<int>(length), inserted);
    if (quiet == 0) {
        changePending = true;
        queueFlush();
    }
}

void EditCtrl::Impl::settleEdit()
{
    if (!pendingEdit || !current)
        return;
    const int lines = lineCount();
    if (lines != pendingEdit->lineCount || lineStart(pendingEdit->line) != pendingEdit->lineStart)
        lexer->forgetLongLine();
    current->dirty.Edited(pendingEdit->line, lines - pendingEdit->lineCount);
    current->folds.Edited(pendingEdit->line, lines - pendingEdit->lineCount);
    pendingEdit.reset();
    if (current->dirty.LineCount() != lines)
        current->dirty.Reset(lines, true);
    if (current->folds.LineCount() != lines)
        current->folds.Reset(lines, true);
    if (current->dirty.Count() > 0)
        lexer->reopenStyling();
}

void EditCtrl::Impl::queueFlush()
{
    // Most edits come from keys and calls that flush at their end; this
    // catches the rest (drags, middle-button pastes) once the event is done.
    if (flushQueued)
        return;
    flushQueued = true;
    QMetaObject::invokeMethod(
        q,
        [this] {
            flushQueued = false;
            flushChange();
            checkCaret();
        },
        Qt::QueuedConnection);
}

void EditCtrl::Impl::flushChange()
{
    settleEdit();
    if (!changePending)
        return;
    changePending = false;
    updateGutter();
    // An edit rarely changes the folds beyond a few lines; when it does (a
    // block opened above thousands of lines) the rest follows while idle.
    const bool foldsLeft = updateFolds(kFoldLinesPerEdit);
    // Edited lines on screen are coloured when painted; any elsewhere (a
    // replacement far from the view) while idle.
    if (current->dirty.Count() > 0 || foldsLeft)
        sweep.start();
    Q_EMIT q->Change();
}

void EditCtrl::Impl::checkCaret()
{
    if (!current)
        return;
    const std::intptr_t pos = sci(Sci::SCI_GETCURRENTPOS);
    const int line = lineOf(pos);
    const int column = static_cast<int>(pos - lineStart(line));
    if (line == lastCaretLine && column == lastCaretColumn)
        return;
    if (line != lastCaretLine)
        moveCaretMark(line);
    lastCaretLine = line;
    lastCaretColumn = column;
    Q_EMIT q->CaretMove(column, line + 1);
}

void EditCtrl::Impl::afterInput(bool newLine)
{
    if (newLine && autoIndent)
        applyAutoIndent();
    restoreUndoneSelection();
    flushChange();
    checkCaret();
}

void EditCtrl::Impl::restoreUndoneSelection()
{
    if (const auto selection = std::exchange(undoneSelection, std::nullopt))
        sci(Sci::SCI_SETSEL, selection->first, selection->second);
}

void EditCtrl::Impl::applyAutoIndent()
{
    const int line = lineOf(sci(Sci::SCI_GETCURRENTPOS));
    if (line == 0)
        return;
    const int ended = line - 1;
    QByteArray above;
    for (int l = ended - 1; l >= 0; --l) {
        above = range(lineStart(l), lineEnd(l));
        if (!text::TrimSpace(above.toStdString()).empty())
            break;
    }
    const std::string endedText = range(lineStart(ended), lineEnd(ended)).toStdString();
    const std::string rest = range(lineStart(line), lineEnd(line)).toStdString();
    const IndentAfterEnter result = IndentForNewLine(above.toStdString(), endedText, rest, indent);

    sci(Sci::SCI_BEGINUNDOACTION);
    // The new line first: re-indenting the ended line moves its start.
    const std::intptr_t newStart = lineStart(line);
    sci(Sci::SCI_SETTARGETRANGE, newStart, newStart + LeadingIndent(rest).size());
    sci.withPtr(Sci::SCI_REPLACETARGET, result.newLineIndent.size(), result.newLineIndent.data());
    if (result.reindentLine) {
        const std::intptr_t endedStart = lineStart(ended);
        sci(Sci::SCI_SETTARGETRANGE, endedStart, endedStart + LeadingIndent(endedText).size());
        sci.withPtr(Sci::SCI_REPLACETARGET, result.lineIndent.size(), result.lineIndent.data());
    }
    sci(Sci::SCI_ENDUNDOACTION);
    sci(Sci::SCI_GOTOPOS, lineStart(line) + result.newLineIndent.size());
}

void EditCtrl::Impl::moveCaretMark(int line)
{
    // Clearing a marker from every line walks the whole document, so the
    // mark is looked for where it was put; only an edit that moved it makes
    // the walk necessary.
    const int was = current->caretMarkLine;
    bool removed = false;
    for (int l : {was, was + 1, was - 1}) {
        if (l >= 0 && (sci(Sci::SCI_MARKERGET, l) & (1 << kMarkCaretLine))) {
            sci(Sci::SCI_MARKERDELETE, l, kMarkCaretLine);
            removed = true;
            break;
        }
    }
    if (!removed && was >= 0)
        sci(Sci::SCI_MARKERDELETEALL, kMarkCaretLine);
    sci(Sci::SCI_MARKERADD, line, kMarkCaretLine);
    current->caretMarkLine = line;
}

// --- Buffers and look --------------------------------------------------------

void EditCtrl::Impl::showBuffer(const EditorBufferPtr& buffer)
{
    flushChange();
    if (current && current != buffer)
        Q_EMIT q->BufferLeaving();
    const bool focused = view && view->hasFocus();
    if (current) {
        endFlash();
        // Names it was given and not yet coloured with (the check waits for
        // the event to end) are its own: it is coloured with them, as what
        // it still wants is done while it is not shown.
        if (!namesCurrent()) {
            takeNames();
            current->dirty.MarkAll();
            current->recolourNames.clear();
        }
        if (current->dirty.Count() > 0 || current->folds.Count() > 0)
            sweep.start();
    }
    current = buffer;
    if (!buffer->view)
        makeView(*buffer);
    view = buffer->view;
    lexer = buffer->lexer;
    sci = SciCall(view);
    // The view keeps its caret, scroll position and closed folds while it is
    // behind; raised, it shows them as they were.
    q->setFocusProxy(view);
    stack->setCurrentWidget(view);
    if (focused)
        view->setFocus();
    pendingEdit.reset();
    if (buffer->lookVersion != lookVersion)
        applyLook();
    applyDocumentSettings();
    dropErrorMark();
    dropExecutionMark();
    lexer->setRules(rules);
    lexer->setCommands(commandNames);
    lexer->setDeclared(declaredNames);
    if (buffer->dirty.LineCount() != lineCount())
        buffer->dirty.Reset(lineCount(), true);
    if (buffer->folds.LineCount() != lineCount())
        buffer->folds.Reset(lineCount(), true);
    queueNamesCheck();
    if (buffer->dirty.Count() > 0) {
        lexer->reopenStyling();
        sweep.start();
    }
    if (buffer->folds.Count() > 0)
        sweep.start();
    updateGutter(true);
    lastCaretLine = lastCaretColumn = -1;
    checkCaret();
}

void EditCtrl::Impl::applyDocumentSettings()
{
    // Code page, line ends and tabs belong to the control's document, so
    // each buffer gets them when it is shown.
    if (!current)
        return;
    // The control shows 8-bit text as Latin-1, which has no euro sign nor
    // curly quotes; Windows-1252 documents are therefore held as UTF-8 too.
    sci(Sci::SCI_SETCODEPAGE, Sci::SC_CP_UTF8);
    sci(Sci::SCI_SETEOLMODE, current->eolMode);
    // Setting any of these, even to the value it has, throws away the
    // control's fonts and measured text widths, which the next paint then
    // works out again.
    const auto keep = [this](unsigned int get, unsigned int set, std::intptr_t value) {
        if (sci(get) != value)
            sci(set, static_cast<std::uintptr_t>(value));
    };
    keep(Sci::SCI_GETTABWIDTH, Sci::SCI_SETTABWIDTH, std::max(look.TabSize, 1));
    keep(Sci::SCI_GETINDENT, Sci::SCI_SETINDENT, 0);
    keep(Sci::SCI_GETUSETABS, Sci::SCI_SETUSETABS, 1);
}

void EditCtrl::Impl::loadBytes(const QByteArray& bytes)
{
    const FileText file = TextOfFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    FileForm form;
    form.utf8 = file.utf8;
    form.lfLineEnds = file.lfLineEnds;
    form.finalLineEnd = QByteArray::fromStdString(file.finalLineEnd);
    form.byteOrderMark = QByteArray::fromStdString(file.byteOrderMark);
    loadText(QByteArray::fromStdString(file.text), form);
}

void EditCtrl::Impl::loadText(const QByteArray& bytes, const FileForm& form)
{
    EditorBuffer& b = *current;
    endFlash();
    b.finalLineEnd = form.finalLineEnd;
    b.utf8 = form.utf8;
    b.byteOrderMark = form.byteOrderMark;
    b.eolMode = form.lfLineEnds ? Sci::SC_EOL_LF : Sci::SC_EOL_CRLF;

    ++quiet;
    applyDocumentSettings();
    sci(Sci::SCI_CLEARALL);
    // Room to type in: the text as loaded fills the control's buffers
    // exactly, and their first growth, a copy of the whole text, would come
    // at one of the first keys typed (25 ms in a 4 MB file). A few megabytes
    // are more than anyone types; a quarter of a large file held twice (its
    // text and its styles) would be tens of megabytes for nothing.
    const qsizetype room = std::min<qsizetype>(bytes.size() / 4, 4 << 20) + 65536;
    sci(Sci::SCI_ALLOCATE, static_cast<std::uintptr_t>(bytes.size() + room));
    sci.withPtr(Sci::SCI_APPENDTEXT, static_cast<std::uintptr_t>(bytes.size()), bytes.constData());
    sci(Sci::SCI_EMPTYUNDOBUFFER);
    sci(Sci::SCI_SETSAVEPOINT);
    sci(Sci::SCI_GOTOPOS, 0);
    sci(Sci::SCI_SETSCROLLWIDTH, 1);
    --quiet;
    pendingEdit.reset();
    b.dirty.Reset(lineCount(), true);
    b.folds.Reset(lineCount(), true);
    b.styledCommands = commandNames;
    b.styledDeclared = declaredNames;
    b.styledRules = rules;
    styleVisible();
    lexer->reopenStyling();
    sweep.start();
    updateGutter(true);
    // The text went in before the mark's line, which took the mark down to
    // the last line: it is put back where the caret is.
    lastCaretLine = lastCaretColumn = -1;
    checkCaret();
}

// --- EditCtrl ------------------------------------------------------------------

EditCtrl::EditCtrl(QWidget* parent) : QWidget(parent), d(std::make_unique<Impl>(this))
{
    d->stack = new QStackedLayout(this);
    d->stack->setContentsMargins(0, 0, 0, 0);

    d->sweep.setInterval(0);
    connect(&d->sweep, &QTimer::timeout, this, [this] { d->sweepStep(); });
    d->flashTimer.setSingleShot(true);
    connect(&d->flashTimer, &QTimer::timeout, this, [this] { d->endFlash(); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { d->clipboardUsable.reset(); });

    NewBuffer();
    ApplyAppearance(d->look);
}

EditCtrl::~EditCtrl()
{
    // The views go first, while the buffers they show are still alive.
    d->sweep.stop();
    d->flashTimer.stop();
    for (const std::weak_ptr<EditorBuffer>& weak : d->buffers)
        if (const EditorBufferPtr buffer = weak.lock())
            delete buffer->view.data();
    d->view = nullptr;
}

EditorBufferPtr EditCtrl::NewBuffer()
{
    auto buffer = std::make_shared<EditorBuffer>();
    buffer->styledCommands = d->commandNames;
    buffer->styledDeclared = d->declaredNames;
    buffer->styledRules = d->rules;
    std::erase_if(d->buffers, [](const std::weak_ptr<EditorBuffer>& b) { return b.expired(); });
    d->buffers.push_back(buffer);
    d->showBuffer(buffer);
    return buffer;
}

EditorBufferPtr EditCtrl::CurrentBuffer() const
{
    return d->current;
}

void EditCtrl::SelectBuffer(const EditorBufferPtr& buffer)
{
    if (buffer && buffer != d->current)
        d->showBuffer(buffer);
}

bool EditCtrl::FileIsUtf8(const EditorBuffer& buffer) const
{
    return buffer.utf8;
}

FileForm EditCtrl::BufferForm(const EditorBuffer& buffer) const
{
    return {buffer.utf8, buffer.eolMode == Sci::SC_EOL_LF, buffer.finalLineEnd, buffer.byteOrderMark};
}

void EditCtrl::LoadText(const QByteArray& text, const FileForm& form)
{
    d->loadText(text, form);
}

QByteArray EditCtrl::BufferText(const EditorBuffer& buffer) const
{
    // Copied from both sides of the control's gap, which stays where the
    // typing is: moved to the end, it would cost the next key there a move of
    // half the text.
    const SciCall call = d->callFor(buffer);
    const auto length = call(Sci::SCI_GETLENGTH);
    const auto gap = call(Sci::SCI_GETGAPPOSITION);
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    const auto* before = reinterpret_cast<const char*>(call(Sci::SCI_GETRANGEPOINTER, 0, gap));
    const auto* after = reinterpret_cast<const char*>(call(Sci::SCI_GETRANGEPOINTER, gap, length - gap));
    std::copy_n(before, gap, bytes.data());
    std::copy_n(after, length - gap, bytes.data() + gap);
    return bytes;
}

bool EditCtrl::LoadFile(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // A pipe or a device would block the window or never end.
    QFile file;
    if (!OpenRegularFile(file, path, error))
        return false;
    if (file.size() > kMaxFileBytes)
        return fail(FileStatusLabel(QStringLiteral("filetoolarge")).arg(path).arg(file.size() >> 20));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(FileStatusLabel(QStringLiteral("fileunreadable")).arg(path, file.errorString()));
    d->loadBytes(bytes);
    return true;
}

EditCtrl::EditedLines EditCtrl::TakeEditedLines()
{
    d->settleEdit();
    if (!d->current)
        return {};
    if (d->current->dirty.LineCount() != d->lineCount())
        d->current->dirty.Reset(d->lineCount(), true);
    const DirtyLines::EditedSpan span = d->current->dirty.TakeEdited();
    return {span.head, span.tail};
}

QByteArray EditCtrl::LinesText(int first, int count) const
{
    const int lines = d->lineCount();
    if (first < 0 || count <= 0 || first >= lines)
        return {};
    const std::intptr_t end = first + count >= lines ? d->sci(Sci::SCI_GETLENGTH) : d->lineStart(first + count);
    return d->range(d->lineStart(first), end);
}

void EditCtrl::SetAutoIndent(bool on)
{
    d->autoIndent = on;
}

bool EditCtrl::AutoIndent() const
{
    return d->autoIndent;
}

void EditCtrl::SetBusy(bool busy)
{
    d->busy = busy;
}

bool EditCtrl::Busy() const
{
    return d->busy;
}
