#include "assist/Completion.h"

#include "assist/Words.h"
#include "platform/Text.h"

#include <algorithm>
#include <string>

namespace {

// Ordinal comparison of the lower-cased texts, the order the keyword lists
// keep their entries in.
int CompareNoCase(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(text::ToLower(a[i]));
        const auto cb = static_cast<unsigned char>(text::ToLower(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && text::EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

}  // namespace

CompletionList::CompletionList(EditorKeywordListPtr vocabulary) : m_vocabulary(std::move(vocabulary)) {}

void CompletionList::setRowsPerPage(int rows)
{
    m_rowsPerPage = std::max(1, rows);
}

void CompletionList::setTokens(const EditorKeywordList& list, bool withCommands, const EditorKeywordList& lead)
{
    m_lead = lead;
    m_tokens = EditorKeywordList();
    m_tokens.Option = true;
    if (withCommands && m_vocabulary)
        m_tokens.AddAll(*m_vocabulary);
    m_tokens.AddAll(list);
    m_current = 0;
    m_top = 1;
    m_selectedName.clear();
}

const EditorKeyword& CompletionList::Item(int position) const
{
    const int lead = int(m_lead.Count());
    return position <= lead ? m_lead.Item(std::size_t(position)) : m_tokens.Item(std::size_t(position - lead));
}

int CompletionList::scrollMaximum() const
{
    return std::max(1, count() - m_rowsPerPage + 1);
}

void CompletionList::updateview(int first, int selected)
{
    m_top = first;
    m_current = selected == -1 ? first : selected;
    // Only a drawn row sets the name, as only a drawn row can be seen chosen.
    const int last = std::min(first + m_rowsPerPage - 1, count());
    if (m_current >= std::max(first, 1) && m_current <= last) {
        const std::string& name = Item(m_current).Name;
        m_selectedName = name.substr(0, name.find('.'));
    }
}

int CompletionList::NearestIn(int first, int last, std::string_view prefix) const
{
    // A search by halving that stops on an exact hit and when the middle no
    // longer moves; `hi` ends on the first entry not below the prefix.
    int lo = first;
    int hi = last;
    int mid = (first + last + 1) / 2;
    while (true) {
        const int c = CompareNoCase(Item(mid).Name, prefix);
        if (c < 0) {
            lo = mid;
        } else {
            hi = mid;
            if (c == 0)
                lo = mid;
        }
        if (lo == hi)
            break;
        const int next = (lo + hi) / 2;
        if (next == mid)
            break;
        mid = next;
    }
    return hi;
}

int CompletionList::StartingFrom(int position, int last, std::string_view prefix) const
{
    int n = 0;
    for (; position <= last && n < 2 && StartsWithNoCase(Item(position).Name, prefix); ++position)
        ++n;
    return n;
}

void CompletionList::ShowNearestToken(std::string_view prefix)
{
    const int n = count();
    if (n == 0) {
        m_current = 0;
        m_top = 1;
        return;
    }
    const int lead = int(m_lead.Count());
    int nearest = 0;
    if (lead > 0) {
        nearest = NearestIn(1, lead, prefix);
        if (!StartsWithNoCase(Item(nearest).Name, prefix) && lead < n)
            nearest = 0;
    }
    if (nearest == 0)
        nearest = NearestIn(lead + 1, n, prefix);
    updateview(std::min(nearest, scrollMaximum()), nearest);
}

bool CompletionList::isSingleToken(std::string_view prefix)
{
    ShowNearestToken(prefix);
    if (m_current < 1 || !StartsWithNoCase(Item(m_current).Name, prefix))
        return false;
    const int lead = int(m_lead.Count()), n = count();
    // The same name may start entries both among the leading ones and after.
    int found = 0;
    if (lead > 0)
        found += StartingFrom(NearestIn(1, lead, prefix), lead, prefix);
    if (lead < n)
        found += StartingFrom(NearestIn(lead + 1, n, prefix), n, prefix);
    return found == 1;
}

Narrowed CompletionList::Narrow(std::string_view word)
{
    const bool single = isSingleToken(word);
    if (!SelectionMatches(word))
        return Narrowed::NoMatch;
    if (single && text::EqualsNoCase(Item(m_current).Name, word))
        return Narrowed::Complete;
    return Narrowed::Open;
}

bool CompletionList::SelectionMatches(std::string_view word) const
{
    return m_current >= 1 && m_current <= count() &&
           StartsWithNoCase(Item(m_current).Name, word);
}

ListKeyOutcome CompletionList::KeyDown(ListKey key)
{
    switch (key) {
    case ListKey::Down: m_current += 1; break;
    case ListKey::Up: m_current -= 1; break;
    case ListKey::PageDown: m_current += m_rowsPerPage; break;
    case ListKey::PageUp: m_current -= m_rowsPerPage; break;
    case ListKey::Escape:
        m_selectedName.clear();
        return ListKeyOutcome::Close;
    case ListKey::Enter:
    case ListKey::Tab:
        return ListKeyOutcome::Close;
    }
    m_current = std::min(std::max(m_current, 1), count());
    if (m_current < m_top)
        m_top = m_current;
    if (m_current >= m_top + m_rowsPerPage - 1)
        m_top = m_current - m_rowsPerPage + 1;
    m_top = std::max(std::min(m_top, count() - m_rowsPerPage + 1), 1);
    updateview(m_top, m_current);
    return ListKeyOutcome::Moved;
}

void CompletionList::ClickRow(int row)
{
    updateview(m_top, m_top + row);
}

void CompletionList::Scroll(int value)
{
    updateview(std::min(std::max(value, 1), scrollMaximum()), m_current);
}

std::vector<CompletionRow> CompletionList::VisibleRows() const
{
    std::vector<CompletionRow> rows;
    const int last = std::min(m_top + m_rowsPerPage - 1, count());
    for (int p = std::max(m_top, 1); p <= last; ++p) {
        const EditorKeyword& e = Item(p);
        rows.push_back({p, RowText(e), RowIcon(e.Kind()), p == m_current});
    }
    return rows;
}

std::string CompletionList::RowText(const EditorKeyword& entry)
{
    return entry.Name + entry.ReturnType;
}

int CompletionList::RowIcon(int kind)
{
    switch (kind) {
    case 1: return 17;
    case 2: return 1;
    case 3: return 10;
    case 4: return 13;
    case 5: return 12;
    case 6: return 14;
    case 7: return 18;
    default: return 20;
    }
}
