// EditCtrl: folding. A line's fold level comes from the blocks it opens and
// closes and the depth of blocks before it, so only edited lines are read
// again, and the lines after them only as long as their level changes.
#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"


#include <algorithm>

using Sci = QsciScintillaBase;

namespace {

// The control draws a level from its low bits. The bits above carry what
// the next line is worked out from, so an edited line needs nothing but
// the stored level of the line before it: the depth of blocks after the
// line, and whether it is a comment line.
constexpr int kDepthShift = 16;
constexpr int kDepthMask = 0xFFF;
constexpr int kCommentBit = 1 << 28;

int Encode(const LineFold& fold, int depthAfter, bool comment)
{
    return (Sci::SC_FOLDLEVELBASE + fold.level) | (fold.header ? Sci::SC_FOLDLEVELHEADERFLAG : 0) |
           (depthAfter << kDepthShift) | (comment ? kCommentBit : 0);
}

int DepthAfterOf(int stored)
{
    return (stored >> kDepthShift) & kDepthMask;
}

bool CommentOf(int stored)
{
    return (stored & kCommentBit) != 0;
}

LineBlocks LineBlocksAt(const SciCall& sci, int line, const LexRules& rules)
{
    const std::intptr_t start = sci(Sci::SCI_POSITIONFROMLINE, line);
    const std::intptr_t length = sci(Sci::SCI_GETLINEENDPOSITION, line) - start;
    if (length <= 0)
        return {};
    const auto* p = reinterpret_cast<const char*>(sci(Sci::SCI_GETRANGEPOINTER, start, length));
    return ReadLineBlocks(std::string_view(p, std::size_t(length)), rules.commentChar, rules.stringChar);
}

}  // namespace

bool EditCtrl::Impl::updateFolds(int budget)
{
    if (!current)
        return false;
    settleEdit();
    return UpdateFoldLevels(sci, current->folds, rules, budget);
}

bool UpdateFoldLevels(const SciCall& sci, DirtyLines& pending, const LexRules& rules, int budget)
{
    const int lines = static_cast<int>(sci(Sci::SCI_GETLINECOUNT));
    if (pending.LineCount() != lines)
        pending.Reset(lines, true);
    int spent = 0;
    for (int line = pending.NextDirty(0); line >= 0; line = pending.NextDirty(line)) {
        if (spent >= budget)
            return true;
        // The line before an edited one is worked out again too: whether it
        // heads a run of comment lines depends on the line after it.
        int at = std::max(line - 1, 0);
        int depth = 0;
        bool commentBefore = false;
        if (at > 0) {
            const int before = int(sci(Sci::SCI_GETFOLDLEVEL, at - 1));
            depth = DepthAfterOf(before);
            commentBefore = CommentOf(before);
        }
        LineBlocks blocks = LineBlocksAt(sci, at, rules);
        int edited = line;  // the last line of the run whose text changed
        for (; at < lines; ++at) {
            if (pending.IsDirty(at))
                edited = std::max(edited, at);
            const LineBlocks next = at + 1 < lines ? LineBlocksAt(sci, at + 1, rules) : LineBlocks{};
            const int depthAfter = DepthAfter(blocks, depth);
            const int level = Encode(FoldOf(blocks, depth, commentBefore, next.comment), depthAfter, blocks.comment);
            const int was = int(sci(Sci::SCI_GETFOLDLEVEL, at));
            pending.Clean(at);
            ++spent;
            if (level != was) {
                // A closed fold whose first line no longer starts one would
                // leave its lines out of reach.
                if ((was & Sci::SC_FOLDLEVELHEADERFLAG) && !(level & Sci::SC_FOLDLEVELHEADERFLAG) &&
                    !sci(Sci::SCI_GETFOLDEXPANDED, at))
                    sci(Sci::SCI_FOLDLINE, at, Sci::SC_FOLDACTION_EXPAND);
                sci(Sci::SCI_SETFOLDLEVEL, at, level);
            } else if (at > edited) {
                // Unchanged past the edit: so is every line after it.
                ++at;
                break;
            }
            if (spent >= budget && at + 1 < lines) {
                pending.Mark(at + 1);
                ++at;
                break;
            }
            depth = depthAfter;
            commentBefore = blocks.comment;
            blocks = next;
        }
        line = at;
    }
    return false;
}

void EditCtrl::Impl::showLines(int first, int last)
{
    // Nothing is hidden unless some fold is closed.
    if (sci(Sci::SCI_CONTRACTEDFOLDNEXT, 0) < 0)
        return;
    foldsCurrent();
    for (int line = first; line <= last; ++line)
        if (!sci(Sci::SCI_GETLINEVISIBLE, line))
            sci(Sci::SCI_ENSUREVISIBLE, line);
}

void EditCtrl::Impl::applyFoldMargin()
{
    const int height = int(sci(Sci::SCI_TEXTHEIGHT, 0));
    sci(Sci::SCI_SETMARGINTYPEN, kMarginFolds, Sci::SC_MARGIN_SYMBOL);
    sci(Sci::SCI_SETMARGINMASKN, kMarginFolds, Sci::SC_MASK_FOLDERS);
    sci(Sci::SCI_SETMARGINSENSITIVEN, kMarginFolds, 1);
    sci(Sci::SCI_SETMARGINWIDTHN, kMarginFolds, std::max(height - 2, 12));
    const std::pair<int, int> markers[] = {
        {Sci::SC_MARKNUM_FOLDEROPEN, Sci::SC_MARK_BOXMINUS},
        {Sci::SC_MARKNUM_FOLDER, Sci::SC_MARK_BOXPLUS},
        {Sci::SC_MARKNUM_FOLDERSUB, Sci::SC_MARK_VLINE},
        {Sci::SC_MARKNUM_FOLDERTAIL, Sci::SC_MARK_LCORNER},
        {Sci::SC_MARKNUM_FOLDEREND, Sci::SC_MARK_BOXPLUSCONNECTED},
        {Sci::SC_MARKNUM_FOLDEROPENMID, Sci::SC_MARK_BOXMINUSCONNECTED},
        {Sci::SC_MARKNUM_FOLDERMIDTAIL, Sci::SC_MARK_TCORNER},
    };
    const long back = long(look.GutterBackColor & 0xFFFFFF);
    const long fore = long(look.GutterForeColor & 0xFFFFFF);
    for (const auto& [number, symbol] : markers) {
        sci(Sci::SCI_MARKERDEFINE, number, symbol);
        sci(Sci::SCI_MARKERSETFORE, number, back);
        sci(Sci::SCI_MARKERSETBACK, number, fore);
    }
    sci(Sci::SCI_SETFOLDMARGINCOLOUR, 1, back);
    sci(Sci::SCI_SETFOLDMARGINHICOLOUR, 1, back);
    // A closed fold is underlined across the text, so it is seen to hold more.
    sci(Sci::SCI_SETFOLDFLAGS, Sci::SC_FOLDFLAG_LINEAFTER_CONTRACTED);
    // The control opens and closes folds on clicks in the margin by itself,
    // and opens a closed fold whose lines an edit or the caret reaches.
    sci(Sci::SCI_SETAUTOMATICFOLD, Sci::SC_AUTOMATICFOLD_SHOW | Sci::SC_AUTOMATICFOLD_CLICK);
}

// --- EditCtrl ------------------------------------------------------------------

void EditCtrl::FoldAll()
{
    d->foldsCurrent();
    d->sci(Sci::SCI_FOLDALL, Sci::SC_FOLDACTION_CONTRACT);
    // The caret goes to the first line of the fold that took its line.
    int line = d->lineOf(d->sci(Sci::SCI_GETCURRENTPOS));
    while (line > 0 && !d->sci(Sci::SCI_GETLINEVISIBLE, line))
        line = int(d->sci(Sci::SCI_GETFOLDPARENT, line));
    if (line != d->lineOf(d->sci(Sci::SCI_GETCURRENTPOS)))
        SetCaret(0, std::max(line, 0) + 1);
    d->view->viewport()->update();
}

void EditCtrl::UnfoldAll()
{
    d->foldsCurrent();
    d->sci(Sci::SCI_FOLDALL, Sci::SC_FOLDACTION_EXPAND);
    d->view->viewport()->update();
}

bool EditCtrl::ToggleFold(int line)
{
    if (FoldEnd(line) == 0)
        return false;
    d->sci(Sci::SCI_TOGGLEFOLD, line - 1);
    return true;
}

int EditCtrl::FoldEnd(int line)
{
    if (line < 1 || line > d->lineCount())
        return 0;
    d->foldsCurrent();
    if (!(d->sci(Sci::SCI_GETFOLDLEVEL, line - 1) & Sci::SC_FOLDLEVELHEADERFLAG))
        return 0;
    return int(d->sci(Sci::SCI_GETLASTCHILD, line - 1, -1)) + 1;
}

bool EditCtrl::LineShown(int line) const
{
    return line >= 1 && line <= d->lineCount() && d->sci(Sci::SCI_GETLINEVISIBLE, line - 1) != 0;
}

bool EditCtrl::FoldingPending() const
{
    d->settleEdit();
    return d->current && d->current->folds.Count() > 0;
}
