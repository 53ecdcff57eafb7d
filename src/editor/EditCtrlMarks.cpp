// EditCtrl: the checker's diagnostics as marks of the text, a squiggle under
// each and a symbol in a margin beside its line, and their messages where the
// mouse rests. The marks live in the control's document: they move with the
// text as it is edited and stay with a buffer while another one is shown.
#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"
#include "platform/QtColor.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <iterator>
#include <tuple>
#include <utility>

using Sci = QsciScintillaBase;

namespace {

// A red disc with a white cross, as big as a line of text allows.
QImage ErrorSymbol(int size, const QColor& colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    p.setPen(QPen(Qt::white, std::max(1.5, size / 7.0), Qt::SolidLine, Qt::RoundCap));
    const double in = size * 0.32;
    p.drawLine(QPointF(in, in), QPointF(size - in, size - in));
    p.drawLine(QPointF(size - in, in), QPointF(in, size - in));
    return image;
}

}  // namespace

std::vector<EditCtrl::Impl::MarkRun> EditCtrl::Impl::markRuns(std::intptr_t from, std::intptr_t to, int indicator) const
{
    std::vector<MarkRun> runs;
    to = std::min<std::intptr_t>(to, sci(Sci::SCI_GETLENGTH));
    // Each step crosses a whole run, marked or not, so the cost follows the
    // number of marks and not the length of the text.
    for (std::intptr_t pos = std::max<std::intptr_t>(from, 0); pos < to;) {
        const std::intptr_t end = sci(Sci::SCI_INDICATOREND, indicator, pos);
        if (end <= pos)
            break;  // the indicator holds no run at all
        if (const int id = int(sci(Sci::SCI_INDICATORVALUEAT, indicator, pos)))
            runs.push_back({sci(Sci::SCI_INDICATORSTART, indicator, pos), end, id});
        pos = end;
    }
    return runs;
}

std::pair<std::intptr_t, std::intptr_t> EditCtrl::Impl::markSpan(int line, int column, int endColumn) const
{
    const std::intptr_t first = lineStart(line);
    const std::intptr_t last = lineEnd(line);
    const std::intptr_t start = position(line, column);
    const std::intptr_t end = position(line, std::max(column, endColumn));
    if (end > start)
        return {start, end};
    // A place rather than a range ("Expecting expression" at a line's end):
    // the character before it, or the one at it.
    if (start > first)
        return {sci(Sci::SCI_POSITIONBEFORE, start), start};
    if (last > first)
        return {start, sci(Sci::SCI_POSITIONAFTER, start)};
    // An empty line has no character to underline; its line end, never
    // drawn, still carries the message for the margin's tooltip. The last
    // line has none and takes the one before it.
    if (line + 1 < lineCount())
        return {last, lineStart(line + 1)};
    if (first > 0)
        return {sci(Sci::SCI_POSITIONBEFORE, first), first};
    return {0, 0};
}

Color EditCtrl::Impl::errorColour() const
{
    // Red enough to stand out on the scheme's background, light or dark.
    return LightnessOf(look.BackColor) < 128 ? Rgb(240, 82, 79) : Rgb(211, 47, 47);
}

Color EditCtrl::Impl::warningColour() const
{
    // Amber: seen at once, and never taken for an error.
    return LightnessOf(look.BackColor) < 128 ? Rgb(255, 193, 7) : Rgb(230, 145, 0);
}

void EditCtrl::Impl::applyDiagnosticMargin()
{
    const int height = int(sci(Sci::SCI_TEXTHEIGHT, 0));
    const int size = std::max(height - 4, 8);
    sci(Sci::SCI_SETMARGINTYPEN, kMarginDiagnostics, Sci::SC_MARGIN_SYMBOL);
    sci(Sci::SCI_SETMARGINMASKN, kMarginDiagnostics, 1 << kMarkDiagnostic);
    sci(Sci::SCI_SETMARGINWIDTHN, kMarginDiagnostics, diagnosticMargin ? size + 4 : 0);
    view->markerDefine(ErrorSymbol(size, ToQColor(errorColour())), kMarkDiagnostic);
}

// --- EditCtrl ------------------------------------------------------------------

void EditCtrl::SetDiagnostics(std::vector<EditorDiagnostic> diagnostics)
{
    EditorBuffer* buffer = d->current.get();
    if (!buffer)
        return;
    d->settleEdit();
    buffer->diagnostics = std::move(diagnostics);
    d->placeDiagnostics(true);
}

std::vector<EditorDiagnostic> EditCtrl::TakeDiagnostics()
{
    return d->current ? std::exchange(d->current->diagnostics, {}) : std::vector<EditorDiagnostic>{};
}

void EditCtrl::Impl::placeDiagnostics(bool force)
{
    EditorBuffer* buffer = current.get();
    if (!buffer)
        return;
    // Only the lines in view and a few screens around them are marked:
    // thousands of squiggles would cost every key and every pause, and a
    // scroll marks the lines it brings into view.
    const int lines = lineCount();
    const int onScreen = std::max(int(sci(Sci::SCI_LINESONSCREEN)), 1);
    const int top = visibleFirst();
    const int shownFrom = int(sci(Sci::SCI_DOCLINEFROMVISIBLE, top));
    const int shownTo = int(sci(Sci::SCI_DOCLINEFROMVISIBLE, top + onScreen + 1));
    if (!force && shownFrom >= buffer->placedFrom && shownTo <= buffer->placedTo)
        return;
    const int slack = 2 * onScreen + 50;
    buffer->placedFrom = std::max(shownFrom - slack, 0);
    buffer->placedTo = shownTo + slack;
    struct Wanted {
        std::intptr_t start;
        std::intptr_t end;
        QString text;
    };
    std::vector<int> marked;
    std::unordered_map<int, QString> texts;
    const auto textOf = [buffer](int id) {
        const auto it = buffer->diagnosticTexts.find(id);
        return it == buffer->diagnosticTexts.end() ? QString() : it->second;
    };
    // A pass over thousands of diagnostics finds the few of the lines
    // marked; clamped, the lines past the text are its last.
    std::vector<const EditorDiagnostic*> near;
    for (const EditorDiagnostic& diagnostic : buffer->diagnostics)
        if ((diagnostic.Line > buffer->placedFrom && diagnostic.Line <= buffer->placedTo + 1) ||
            (diagnostic.Line > lines - 1 && buffer->placedTo >= lines - 1) || diagnostic.Line < 1)
            near.push_back(&diagnostic);
    // The squiggles of one indicator: errors, or warnings.
    const auto squiggle = [&](int indicator, bool warnings) {
        std::vector<Wanted> wanted;
        for (const EditorDiagnostic* candidate : near) {
            const EditorDiagnostic& diagnostic = *candidate;
            if (diagnostic.Warning != warnings)
                continue;
            // Past the last line ("Expecting 'Wend'" when the text ends) is
            // the end of the text.
            const bool past = diagnostic.Line > lines;
            const int line = std::clamp(diagnostic.Line - 1, 0, lines - 1);
            if (line < buffer->placedFrom || line > buffer->placedTo)
                continue;
            if (!warnings)
                marked.push_back(line);
            const auto [start, end] = past ? markSpan(line, INT_MAX, INT_MAX)
                                           : markSpan(line, diagnostic.Column, diagnostic.EndColumn);
            if (end > start)
                wanted.push_back({start, end, diagnostic.Message});
        }
        std::sort(wanted.begin(), wanted.end(),
                  [](const Wanted& a, const Wanted& b) { return std::tie(a.start, a.end) < std::tie(b.start, b.end); });
        // A position holds one value: diagnostics that overlap share a
        // squiggle and list their messages together.
        std::vector<Wanted> runs;
        for (Wanted& w : wanted) {
            if (runs.empty() || w.start >= runs.back().end) {
                runs.push_back(std::move(w));
                continue;
            }
            Wanted& last = runs.back();
            last.end = std::max(last.end, w.end);
            if (!last.text.split(u'\n').contains(w.text))
                last.text += u'\n' + w.text;
        }

        // Both lists are in text order and without overlaps: a run in place
        // with the same extent and message stays as it is.
        const std::vector<Impl::MarkRun> existing = markRuns(0, sci(Sci::SCI_GETLENGTH), indicator);
        std::vector<const Impl::MarkRun*> removed;
        std::vector<const Wanted*> added;
        std::size_t i = 0, j = 0;
        while (i < existing.size() || j < runs.size()) {
            if (j == runs.size() || (i < existing.size() && existing[i].start < runs[j].start)) {
                removed.push_back(&existing[i++]);
            } else if (i == existing.size() || runs[j].start < existing[i].start) {
                added.push_back(&runs[j++]);
            } else if (existing[i].end == runs[j].end && textOf(existing[i].id) == runs[j].text) {
                texts[existing[i].id] = runs[j].text;
                ++i;
                ++j;
            } else {
                removed.push_back(&existing[i++]);
                added.push_back(&runs[j++]);
            }
        }
        // Every removal before any addition, as a new run may overlap an old one.
        sci(Sci::SCI_SETINDICATORCURRENT, indicator);
        for (const Impl::MarkRun* r : removed)
            sci(Sci::SCI_INDICATORCLEARRANGE, r->start, r->end - r->start);
        for (const Wanted* w : added) {
            const int id = buffer->nextDiagnosticId++;
            texts[id] = w->text;
            sci(Sci::SCI_SETINDICATORVALUE, id);
            sci(Sci::SCI_INDICATORFILLRANGE, w->start, w->end - w->start);
        }
    };
    squiggle(kIndicDiagnostic, false);
    squiggle(kIndicWarning, true);
    // Messages of runs that edits took away go as well.
    buffer->diagnosticTexts = std::move(texts);

    std::sort(marked.begin(), marked.end());
    marked.erase(std::unique(marked.begin(), marked.end()), marked.end());
    if (!buffer->diagnosticLines && marked.empty())
        return;
    // Symbols moved with their lines, and a deleted line hands its symbol to
    // the line before: the lines that carry one are looked up, not assumed.
    const int mask = 1 << kMarkDiagnostic;
    std::vector<int> present;
    for (auto line = sci(Sci::SCI_MARKERNEXT, 0, mask); line >= 0; line = sci(Sci::SCI_MARKERNEXT, line + 1, mask))
        present.push_back(int(line));
    std::vector<int> change;
    std::set_difference(present.begin(), present.end(), marked.begin(), marked.end(), std::back_inserter(change));
    for (int line : change)
        while (sci(Sci::SCI_MARKERGET, line) & mask)
            sci(Sci::SCI_MARKERDELETE, line, kMarkDiagnostic);
    change.clear();
    std::set_difference(marked.begin(), marked.end(), present.begin(), present.end(), std::back_inserter(change));
    for (int line : change)
        sci(Sci::SCI_MARKERADD, line, kMarkDiagnostic);
    buffer->diagnosticLines = !marked.empty();
}

std::vector<EditorDiagnostic> EditCtrl::DiagnosticMarks() const
{
    std::vector<EditorDiagnostic> marks;
    if (!d->current)
        return marks;
    for (const int indicator : {kIndicDiagnostic, kIndicWarning}) {
        for (const Impl::MarkRun& r : d->markRuns(0, d->sci(Sci::SCI_GETLENGTH), indicator)) {
            const int line = d->lineOf(r.start);
            const std::intptr_t first = d->lineStart(line);
            const auto text = d->current->diagnosticTexts.find(r.id);
            marks.push_back({line + 1, int(r.start - first), int(std::min(r.end, d->lineEnd(line)) - first),
                             text == d->current->diagnosticTexts.end() ? QString() : text->second,
                             indicator == kIndicWarning});
        }
    }
    return marks;
}

bool EditCtrl::HasDiagnosticSymbol(int line) const
{
    return line >= 1 && line <= d->lineCount() && (d->sci(Sci::SCI_MARKERGET, line - 1) & (1 << kMarkDiagnostic));
}

QString EditCtrl::DiagnosticAt(QPoint point) const
{
    if (!d->current)
        return {};
    const QPoint at = d->view->viewport()->mapFrom(this, point);
    if (!d->view->viewport()->rect().contains(at))
        return {};
    const auto textOf = [this](int id) {
        const auto it = d->current->diagnosticTexts.find(id);
        return it == d->current->diagnosticTexts.end() ? QString() : it->second;
    };
    int textLeft = 0;
    for (int margin = 0; margin < 5; ++margin)
        textLeft += int(d->sci(Sci::SCI_GETMARGINWIDTHN, margin));
    if (at.x() >= textLeft) {
        const auto pos = d->sci(Sci::SCI_CHARPOSITIONFROMPOINTCLOSE, at.x(), at.y());
        if (pos < 0)
            return {};
        const int error = int(d->sci(Sci::SCI_INDICATORVALUEAT, kIndicDiagnostic, pos));
        return textOf(error ? error : int(d->sci(Sci::SCI_INDICATORVALUEAT, kIndicWarning, pos)));
    }
    // The margin: every diagnostic of the line there, when it has a symbol.
    const int line = d->lineOf(d->sci(Sci::SCI_POSITIONFROMPOINT, textLeft, at.y()));
    const int top = int(d->sci(Sci::SCI_POINTYFROMPOSITION, 0, d->lineStart(line)));
    if (at.y() < top || at.y() >= top + int(d->sci(Sci::SCI_TEXTHEIGHT, line)) ||
        !(d->sci(Sci::SCI_MARKERGET, line) & (1 << kMarkDiagnostic)))
        return {};
    const std::intptr_t first = d->lineStart(line);
    const std::intptr_t last = d->lineEnd(line);
    QStringList messages;
    for (const Impl::MarkRun& r : d->markRuns(std::max<std::intptr_t>(first - 2, 0), d->lineStart(line + 1) + 1)) {
        // Runs of the line's characters, or of an empty line's line end (the
        // last line's is the one before it).
        const bool own = (r.start >= first && r.start < last) ||
                         (first == last && (r.start == first || r.end == first));
        if (own)
            messages << textOf(r.id);
    }
    return messages.join(u'\n');
}

void EditCtrl::SetDiagnosticMargin(bool shown)
{
    if (d->diagnosticMargin == shown)
        return;
    d->diagnosticMargin = shown;
    ++d->lookVersion;
    d->applyDiagnosticMargin();
    d->current->lookVersion = d->lookVersion;
}
