// EditCtrl: colouring by the command vocabulary and the declared names, kept
// up with edits and with names that change, a few thousand lines at a time.
#include "editor/EditCtrl.h"

#include "editor/EditCtrlImpl.h"
#include "platform/Text.h"

#include <algorithm>

using Sci = QsciScintillaBase;

namespace {

// Lines styled per idle step while a whole document is recoloured: a few
// milliseconds of work, so keys stay responsive.
constexpr int kSweepLines = 3000;
// Working out a fold level costs a fraction of colouring a line; and every
// step that changes levels redraws the view, so the steps are long.
constexpr int kSweepFoldLines = 20000;

}  // namespace

void EditCtrl::Impl::queueNamesCheck()
{
    // Checked once the caller is done: a document switch shows the new buffer
    // and then gives it its names, and checking in between would restyle it
    // with the names of the document left.
    if (namesCheckQueued)
        return;
    namesCheckQueued = true;
    QMetaObject::invokeMethod(
        q,
        [this] {
            namesCheckQueued = false;
            ensureNamesCurrent();
        },
        Qt::QueuedConnection);
}

bool EditCtrl::Impl::namesCurrent() const
{
    return current->styledCommands == commandNames && current->styledDeclared == declaredNames &&
           current->styledRules == rules;
}

void EditCtrl::Impl::takeNames()
{
    // The comment and string characters decide the folds as well.
    if (!(current->styledRules == rules))
        current->folds.Reset(lineCount(), true);
    current->styledCommands = commandNames;
    current->styledDeclared = declaredNames;
    current->styledRules = rules;
}

void EditCtrl::Impl::ensureNamesCurrent()
{
    if (!current || namesCurrent())
        return;
    takeNames();
    restyleAll();
}

void EditCtrl::Impl::restyleAll()
{
    settleEdit();
    current->dirty.MarkAll();
    current->recolourNames.clear();
    styleVisible();
    lexer->reopenStyling();
    sweep.start();
}

void EditCtrl::Impl::styleVisible()
{
    settleEdit();
    lexer->styleLines(visibleFirst(), visibleLast());
    view->viewport()->update();
}

void EditCtrl::Impl::sweepStep()
{
    settleEdit();
    ensureNamesCurrent();
    const bool colouring = lexer->styleSome(kSweepLines);
    if (!colouring && current)
        current->recolourNames.clear();
    // The document shown first, then the others, so that a switch to one
    // finds it coloured and folded.
    if (!updateFolds(kSweepFoldLines) && !colouring && !hiddenStep())
        sweep.stop();
}

bool EditCtrl::Impl::hiddenStep()
{
    // A buffer whose vocabulary or rules are not the editor's is coloured
    // anew when it is shown, so nothing done for it now would last.
    const auto waits = [this](const EditorBuffer& b) {
        return (b.dirty.Count() > 0 || b.folds.Count() > 0) && b.styledCommands == commandNames &&
               b.styledRules == rules;
    };
    EditorBufferPtr buffer;
    for (const std::weak_ptr<EditorBuffer>& weak : buffers) {
        EditorBufferPtr b = weak.lock();
        if (b && b != current && waits(*b)) {
            buffer = std::move(b);
            break;
        }
    }
    if (!buffer)
        return false;
    // Done in its own view, behind the one shown, with the names it is
    // coloured with; shown, it takes the editor's.
    const SciCall call = callFor(*buffer);
    const int lines = static_cast<int>(call(Sci::SCI_GETLINECOUNT));
    if (buffer->dirty.LineCount() != lines)
        buffer->dirty.Reset(lines, true);
    BlitzLexer& behind = *buffer->lexer;
    behind.setRules(buffer->styledRules);
    behind.setCommands(buffer->styledCommands);
    behind.setDeclared(buffer->styledDeclared);
    if (!behind.styleSome(kSweepLines))
        buffer->recolourNames.clear();
    UpdateFoldLevels(call, buffer->folds, buffer->styledRules, kSweepFoldLines);
    return true;
}

// --- EditCtrl ------------------------------------------------------------------

void EditCtrl::SetKeywords(EditorKeywordListPtr& keywords)
{
    if (!keywords)
        keywords = std::make_shared<EditorKeywordList>();
    d->commands = keywords;
    auto names = std::make_shared<const NameTable>(*keywords, kKindCommand);
    if (!(*names == *d->commandNames)) {
        d->commandNames = std::move(names);
        d->lexer->setCommands(d->commandNames);
        d->queueNamesCheck();
    }
}

std::shared_ptr<NameTable> EditCtrl::Impl::declaredTableFor(const EditorKeywordListPtr& list)
{
    if (!list)
        return noNames;
    for (const CachedNames& c : namesCache)
        if (c.list.lock() == list)
            return c.table;
    const std::uint64_t signature = NameTable::Signature(*list);
    std::shared_ptr<NameTable> table;
    for (auto it = namesCache.begin(); it != namesCache.end(); ++it) {
        if (!it->signature)
            if (const EditorKeywordListPtr held = it->list.lock(); held && held == declared)
                it->signature = NameTable::Signature(*held);
        if (it->signature == signature) {
            // The table moves to the new list; its old list builds another
            // if it is ever shown again.
            table = it->table;
            namesCache.erase(it);
            break;
        }
    }
    if (!table)
        table = std::make_shared<NameTable>(*list);
    constexpr std::size_t kCacheSize = 8;
    if (namesCache.size() == kCacheSize)
        namesCache.erase(namesCache.begin());
    namesCache.push_back({list, table, signature});
    return table;
}

void EditCtrl::SetDeclaredKeywords(EditorKeywordListPtr keywords)
{
    if (keywords && keywords == d->declared)
        return;
    std::shared_ptr<NameTable> names = d->declaredTableFor(keywords);
    d->declared = keywords;
    if (names == d->declaredNames)
        return;
    d->declaredNames = std::move(names);
    d->lexer->setDeclared(d->declaredNames);
    d->queueNamesCheck();
}

void EditCtrl::UpdateDeclaredNames(const EditorKeywordListPtr& keywords, const std::vector<std::string>& names)
{
    if (!keywords)
        return;
    if (keywords != d->declared) {
        // Not shown: its table, if one is kept, no longer fits the list.
        std::erase_if(d->namesCache, [&](const Impl::CachedNames& c) { return c.list.lock() == keywords; });
        return;
    }
    d->settleEdit();
    std::vector<std::string> changed;
    for (const std::string& name : names)
        if (d->declaredNames->Refresh(name, *keywords))
            changed.push_back(text::ToLower(name));
    for (Impl::CachedNames& c : d->namesCache)
        if (c.table == d->declaredNames)
            c.signature.reset();
    if (changed.empty() || !d->current || d->current->styledDeclared != d->declaredNames)
        return;
    d->lexer->forgetLongLine();
    // Only lines holding one of these names can change colour: the visible
    // ones are styled now, the others checked while the program is idle.
    std::vector<std::string>& pending = d->current->recolourNames;
    for (std::string& name : changed)
        if (std::find(pending.begin(), pending.end(), name) == pending.end())
            pending.push_back(std::move(name));
    d->current->dirty.MarkAllForCheck();
    d->styleVisible();
    d->lexer->reopenStyling();
    d->sweep.start();
}

EditorKeywordListPtr EditCtrl::DeclaredKeywords() const
{
    return d->declared;
}

bool EditCtrl::ColouringPending() const
{
    d->settleEdit();
    return d->namesCheckQueued || (d->current && d->current->dirty.Count() > 0);
}

bool EditCtrl::IdleWorkPending() const
{
    return d->sweep.isActive() || d->namesCheckQueued || d->flushQueued;
}

std::vector<LineToken> EditCtrl::CommandTokensBefore(int line, int column)
{
    std::vector<LineToken> out;
    if (line < 1 || line > d->lineCount() || column <= 0)
        return out;
    const int l = line - 1;
    const std::intptr_t start = d->lineStart(l);
    column = static_cast<int>(std::min<std::intptr_t>(column, d->lineEnd(l) - start));
    const auto add = [&](const Token& t) {
        if (t.cls == TokenClass::Name && t.kind == kKindCommand && t.start + t.length <= column)
            out.push_back({t.kind, t.start, d->range(start + t.start, start + t.start + t.length)});
    };
    // A long line keeps its command names with its colours, current once
    // the line is; when the names changed and the line waits for them it
    // is read afresh.
    d->settleEdit();
    if (!d->namesCheckQueued && d->current && d->current->styledCommands == d->commandNames &&
        d->current->styledDeclared == d->declaredNames && d->current->styledRules == d->rules) {
        d->lexer->styleLines(l, l);
        d->lexer->reopenStyling();
        if (const std::vector<Token>* commands = d->lexer->longLineCommands(l)) {
            for (const Token& t : *commands) {
                if (t.start + t.length > column)
                    break;
                add(t);
            }
            return out;
        }
    }
    // A token ending before the column reads the same in the line cut just
    // after it.
    const QByteArray head = d->range(start, start + std::min<std::intptr_t>(column + 1, d->lineEnd(l) - start));
    std::vector<Token> tokens;
    Tokenize(std::string_view(head.constData(), static_cast<std::size_t>(head.size())), d->rules, *d->commandNames,
             *d->declaredNames, tokens);
    for (const Token& t : tokens)
        add(t);
    return out;
}

void EditCtrl::ResetStyles()
{
    ++d->lookVersion;
    d->applyLook();
}

void EditCtrl::Refresh(bool all)
{
    // Colours follow the text and the vocabulary by themselves; a full
    // refresh also picks up names added to the lists in place.
    if (all) {
        EditorKeywordListPtr commands = d->commands;
        if (commands)
            SetKeywords(commands);
        // The list shown may have grown in place: its table is made anew, and
        // taken when it colours differently. Other documents keep theirs, and
        // with them the colours their text has.
        if (const EditorKeywordListPtr shown = d->declared) {
            auto fresh = std::make_shared<NameTable>(*shown);
            if (!(*fresh == *d->declaredNames)) {
                for (Impl::CachedNames& c : d->namesCache)
                    if (c.list.lock() == shown)
                        c = {shown, fresh, std::nullopt};
                d->declaredNames = std::move(fresh);
                d->lexer->setDeclared(d->declaredNames);
                d->queueNamesCheck();
            }
        }
        d->ensureNamesCurrent();
    }
    d->styleVisible();
}

void EditCtrl::RefreshLine(int line)
{
    d->settleEdit();
    d->lexer->styleLines(line - 1, line - 1, true);
    d->lexer->reopenStyling();
    d->view->viewport()->update();
}
