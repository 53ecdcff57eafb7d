// EditCtrl: the text by byte offsets, for commands that work on the whole
// document at once (search and replace).
#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"

#include <algorithm>

using Sci = QsciScintillaBase;

TextSpan EditCtrl::SelectionSpan() const
{
    return {d->sci(Sci::SCI_GETSELECTIONSTART), d->sci(Sci::SCI_GETSELECTIONEND)};
}

void EditCtrl::SelectSpan(qint64 anchor, qint64 caret)
{
    const qint64 length = d->sci(Sci::SCI_GETLENGTH);
    anchor = std::clamp<qint64>(anchor, 0, length);
    caret = std::clamp<qint64>(caret, 0, length);
    d->showLines(d->lineOf(std::min(anchor, caret)), d->lineOf(std::max(anchor, caret)));
    d->sci(Sci::SCI_SETSEL, anchor, caret);
    d->sci(Sci::SCI_SCROLLRANGE, anchor, caret);
    d->checkCaret();
}

void EditCtrl::ReplaceSpan(const TextSpan& span, const QByteArray& bytes)
{
    const QByteArray text = Impl::incoming(bytes);
    const qint64 length = d->sci(Sci::SCI_GETLENGTH);
    const qint64 start = std::clamp<qint64>(span.start, 0, length);
    const qint64 end = std::clamp<qint64>(span.end, start, length);
    // One target replacement is one undo step and one change notification
    // however many lines it spans; many small edits deep in a long document
    // would each pay for the notification.
    d->sci(Sci::SCI_SETTARGETRANGE, start, end);
    d->sci.withPtr(Sci::SCI_REPLACETARGET, static_cast<std::uintptr_t>(text.size()), text.constData());
    d->sci(Sci::SCI_GOTOPOS, d->sci(Sci::SCI_GETTARGETEND));
    d->flushChange();
    d->checkCaret();
}

QRect EditCtrl::SpanRect(const TextSpan& span) const
{
    auto x = [this](qint64 pos) { return static_cast<int>(d->sci(Sci::SCI_POINTXFROMPOSITION, 0, pos)); };
    const int line = d->lineOf(span.start);
    const int top = static_cast<int>(d->sci(Sci::SCI_POINTYFROMPOSITION, 0, span.start));
    const int height = static_cast<int>(d->sci(Sci::SCI_TEXTHEIGHT, line));
    const int right = d->lineOf(span.end) == line ? x(span.end) : d->view->viewport()->width();
    const QRect inView(QPoint(x(span.start), top), QPoint(std::max(right, x(span.start) + 1), top + height - 1));
    return inView.translated(d->view->viewport()->mapTo(this, QPoint(0, 0)));
}

void EditCtrl::ReplaceSpan(const TextSpan& span, const QByteArray& text, const TextSpan& after, bool caretFirst)
{
    // Steps of the program's own around the edit hold the selections: an
    // undo ends on the first, a redo on the last.
    d->sci(Sci::SCI_BEGINUNDOACTION);
    d->keepSelection({d->sci(Sci::SCI_GETANCHOR), d->sci(Sci::SCI_GETCURRENTPOS)});
    ReplaceSpan(span, text);
    d->keepSelection(caretFirst ? Impl::Selected{after.end, after.start} : Impl::Selected{after.start, after.end});
    d->sci(Sci::SCI_ENDUNDOACTION);
    SelectSpan(caretFirst ? after.end : after.start, caretFirst ? after.start : after.end);
}

void EditCtrl::Impl::keepSelection(Selected selection)
{
    keptSelections.push_back(selection);
    sci(Sci::SCI_ADDUNDOACTION, keptSelections.size(), 0);
}
