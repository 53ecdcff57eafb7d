// EditCtrl: what the debugger marks in the text, breakpoints and the
// statement a stopped program is at. Both are markers of the control's
// document, so they move with the lines as the text is edited.
#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"
#include "platform/QtColor.h"

#include <QImage>
#include <QPainter>

using Sci = QsciScintillaBase;

namespace {

QImage Dot(int size, const QColor& colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    const double in = size * 0.12;
    p.drawEllipse(QRectF(in, in, size - 2 * in, size - 2 * in));
    return image;
}

QImage Arrow(int size, const QColor& colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(colour.darker(160), 1));
    p.setBrush(colour);
    const double h = size;
    const QPointF shape[] = {{h * 0.1, h * 0.35}, {h * 0.5, h * 0.35}, {h * 0.5, h * 0.12}, {h * 0.92, h * 0.5},
                             {h * 0.5, h * 0.88}, {h * 0.5, h * 0.65}, {h * 0.1, h * 0.65}};
    p.drawPolygon(shape, int(std::size(shape)));
    return image;
}

}  // namespace

void EditCtrl::Impl::applyDebugMargin()
{
    const int height = int(sci(Sci::SCI_TEXTHEIGHT, 0));
    const int size = std::max(height - 2, 10);
    sci(Sci::SCI_SETMARGINTYPEN, kMarginDebug, Sci::SC_MARGIN_SYMBOL);
    sci(Sci::SCI_SETMARGINMASKN, kMarginDebug, (1 << kMarkBreakpoint) | (1 << kMarkExecution));
    sci(Sci::SCI_SETMARGINSENSITIVEN, kMarginDebug, 1);
    sci(Sci::SCI_SETMARGINWIDTHN, kMarginDebug, size + 2);
    sci(Sci::SCI_SETMARGINBACKN, kMarginDebug, SciColor(look.GutterBackColor));
    view->markerDefine(Dot(size, ToQColor(errorColour())), kMarkBreakpoint);
    const bool dark = LightnessOf(look.BackColor) < 128;
    view->markerDefine(Arrow(size, dark ? QColor(240, 200, 60) : QColor(250, 190, 30)), kMarkExecution);
    sci(Sci::SCI_MARKERDEFINE, kMarkExecutionLine, Sci::SC_MARK_BACKGROUND);
    sci(Sci::SCI_MARKERSETBACK, kMarkExecutionLine,
        SciColor(Blend(look.BackColor, dark ? Rgb(200, 170, 40) : Rgb(255, 220, 80), dark ? 0.3 : 0.45)));
}

void EditCtrl::SetBreakpoint(int line, bool on)
{
    if (line < 1 || line > d->lineCount() || HasBreakpoint(line) == on)
        return;
    if (on)
        d->sci(Sci::SCI_MARKERADD, line - 1, kMarkBreakpoint);
    else
        d->sci(Sci::SCI_MARKERDELETE, line - 1, kMarkBreakpoint);
}

bool EditCtrl::HasBreakpoint(int line) const
{
    return line >= 1 && (d->sci(Sci::SCI_MARKERGET, line - 1) & (1 << kMarkBreakpoint));
}

void EditCtrl::SetBreakpoints(const std::vector<int>& lines)
{
    d->sci(Sci::SCI_MARKERDELETEALL, kMarkBreakpoint);
    for (const int line : lines)
        SetBreakpoint(line, true);
}

std::vector<int> EditCtrl::BufferBreakpoints(const EditorBuffer& buffer) const
{
    const SciCall call = d->callFor(buffer);
    std::vector<int> lines;
    for (auto line = call(Sci::SCI_MARKERNEXT, 0, 1L << kMarkBreakpoint); line >= 0;
         line = call(Sci::SCI_MARKERNEXT, std::uintptr_t(line + 1), 1L << kMarkBreakpoint))
        lines.push_back(int(line) + 1);
    return lines;
}

void EditCtrl::SetExecutionLine(int line)
{
    ClearExecutionLine();
    if (!d->current || line < 1 || line > d->lineCount())
        return;
    d->current->executionHandle = int(d->sci(Sci::SCI_MARKERADD, line - 1, kMarkExecution));
    d->current->executionLineHandle = int(d->sci(Sci::SCI_MARKERADD, line - 1, kMarkExecutionLine));
    d->current->executionNumber = d->executionNumber;
}

void EditCtrl::ClearExecutionLine()
{
    ++d->executionNumber;
    d->dropExecutionMark();
}

int EditCtrl::ExecutionLine() const
{
    if (!d->current || d->current->executionHandle < 0)
        return 0;
    const auto line = d->sci(Sci::SCI_MARKERLINEFROMHANDLE, d->current->executionHandle);
    return line < 0 ? 0 : int(line) + 1;
}

int EditCtrl::BreakpointMarginCentre() const
{
    const int left = int(d->sci(Sci::SCI_GETMARGINWIDTHN, kMarginNumbers));
    const int x = left + int(d->sci(Sci::SCI_GETMARGINWIDTHN, kMarginDebug)) / 2;
    return d->view->viewport()->mapTo(this, QPoint(x, 0)).x();
}

void EditCtrl::Impl::dropExecutionMark()
{
    // A buffer not shown keeps its arrow until it is shown again.
    if (!current || current->executionHandle < 0 || current->executionNumber == executionNumber)
        return;
    sci(Sci::SCI_MARKERDELETEHANDLE, current->executionHandle);
    sci(Sci::SCI_MARKERDELETEHANDLE, current->executionLineHandle);
    current->executionHandle = current->executionLineHandle = -1;
}
