#include "editor/Keywords.h"

#include "platform/Text.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace {

std::uint8_t LowerByte(char c)
{
    return std::uint8_t(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// Sorting tens of thousands of names compares mostly their first bytes;
// having those lower-cased up front saves lowering them at every comparison.
struct SortKey {
    std::uint64_t head[2];
    const EditorKeyword* entry;
    std::uint64_t order;
    std::size_t index;

    SortKey(const EditorKeyword* e, std::uint64_t o, std::size_t i) : entry(e), order(o), index(i)
    {
        const std::string& name = e->Name;
        for (std::size_t half = 0; half < 2; ++half) {
            std::uint64_t h = 0;
            for (std::size_t b = half * 8; b < half * 8 + 8; ++b)
                h = (h << 8) | (b < name.size() ? LowerByte(name[b]) : 0);
            head[half] = h;
        }
    }

    bool operator<(const SortKey& other) const
    {
        if (head[0] != other.head[0])
            return head[0] < other.head[0];
        if (head[1] != other.head[1])
            return head[1] < other.head[1];
        const std::string& a = entry->Name;
        const std::string& b = other.entry->Name;
        // The first sixteen bytes are equal; shorter names hold no more.
        if (a.size() > 16 && b.size() > 16) {
            const int c = EditorKeywordList::CompareNames(std::string_view(a).substr(16), std::string_view(b).substr(16));
            if (c != 0)
                return c < 0;
        } else if (a.size() != b.size()) {
            return a.size() < b.size();
        }
        return order < other.order;
    }
};

// The permutation that sorts `entries` (with their orders) into list order.
std::vector<std::size_t> SortedPermutation(const std::vector<const EditorKeyword*>& entries,
                                           const std::vector<std::uint64_t>& orders)
{
    std::vector<SortKey> keys;
    keys.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        keys.emplace_back(entries[i], orders[i], i);
    std::sort(keys.begin(), keys.end());
    std::vector<std::size_t> permutation;
    permutation.reserve(keys.size());
    for (const SortKey& k : keys)
        permutation.push_back(k.index);
    return permutation;
}

}  // namespace

int EditorKeywordList::CompareNames(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t ca = LowerByte(a[i]);
        const std::uint8_t cb = LowerByte(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EditorKeywordList::Before(const EditorKeyword& a, std::uint64_t orderA, const EditorKeyword& b,
                               std::uint64_t orderB) const
{
    const int c = CompareNames(a.Name, b.Name);
    return c < 0 || (c == 0 && orderA < orderB);
}

void EditorKeywordList::Add(EditorKeyword entry)
{
    Add(std::make_shared<const EditorKeyword>(std::move(entry)));
}

void EditorKeywordList::Add(EditorKeywordPtr entry)
{
    Add(std::move(entry), m_nextOrder);
}

void EditorKeywordList::Add(EditorKeywordPtr entry, std::uint64_t order)
{
    if (m_sorted && !m_entries.empty() && !Before(*m_entries.back(), m_orders.back(), *entry, order))
        m_sorted = false;
    m_entries.push_back(std::move(entry));
    m_orders.push_back(order);
    m_nextOrder = std::max(m_nextOrder, order + 1);
}

void EditorKeywordList::AddAll(const EditorKeywordList& other)
{
    if (other.m_entries.empty())
        return;
    Sort();
    other.Sort();
    std::vector<EditorKeywordPtr> merged;
    merged.reserve(m_entries.size() + other.m_entries.size());
    // Ties keep this list's entries first, as if the others were added after.
    std::merge(m_entries.begin(), m_entries.end(), other.m_entries.begin(), other.m_entries.end(),
               std::back_inserter(merged),
               [](const EditorKeywordPtr& a, const EditorKeywordPtr& b) { return CompareNames(a->Name, b->Name) < 0; });
    m_entries = std::move(merged);
    // The positions rank the entries now; orders follow them.
    m_orders.resize(m_entries.size());
    std::iota(m_orders.begin(), m_orders.end(), std::uint64_t(0));
    m_nextOrder = m_entries.size();
    KeysChanged();
}

void EditorKeywordList::Sort() const
{
    if (m_sorted)
        return;
    std::vector<const EditorKeyword*> raw;
    raw.reserve(m_entries.size());
    for (const EditorKeywordPtr& e : m_entries)
        raw.push_back(e.get());
    const std::vector<std::size_t> permutation = SortedPermutation(raw, m_orders);
    std::vector<EditorKeywordPtr> entries;
    std::vector<std::uint64_t> orders;
    entries.reserve(m_entries.size());
    orders.reserve(m_entries.size());
    for (std::size_t i : permutation) {
        entries.push_back(std::move(m_entries[i]));
        orders.push_back(m_orders[i]);
    }
    m_entries = std::move(entries);
    m_orders = std::move(orders);
    m_sorted = true;
    m_indexed = 0;
    m_byKey.clear();
}

void EditorKeywordList::Patch(std::vector<Placed> removed, std::vector<Placed> added, std::uint64_t from,
                              std::int64_t by)
{
    Sort();
    auto shifted = [&](std::uint64_t order) { return order >= from ? order + std::uint64_t(by) : order; };
    if (removed.empty() && added.empty()) {
        if (by != 0)
            for (std::uint64_t& o : m_orders)
                o = shifted(o);
        return;
    }

    const std::size_t n = m_entries.size();
    std::vector<std::size_t> gone;
    gone.reserve(removed.size());
    for (const Placed& r : removed) {
        std::size_t lo = 0;
        std::size_t hi = n;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (Before(*m_entries[mid], m_orders[mid], *r.entry, r.order))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo < n && m_entries[lo] == r.entry && m_orders[lo] == r.order)
            gone.push_back(lo);
    }
    std::sort(gone.begin(), gone.end());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());

    // The added entries in list order, each with the position it goes before.
    {
        std::vector<const EditorKeyword*> raw;
        std::vector<std::uint64_t> orders;
        for (const Placed& a : added) {
            raw.push_back(a.entry.get());
            orders.push_back(a.order);
        }
        std::vector<Placed> sorted;
        sorted.reserve(added.size());
        for (std::size_t i : SortedPermutation(raw, orders))
            sorted.push_back(std::move(added[i]));
        added = std::move(sorted);
    }
    std::vector<std::size_t> at;
    at.reserve(added.size());
    std::size_t lo = 0;
    for (const Placed& a : added) {
        std::size_t hi = n;
        while (lo < hi) {
            const std::size_t mid = (lo + hi) / 2;
            if (Before(*m_entries[mid], shifted(m_orders[mid]), *a.entry, a.order))
                lo = mid + 1;
            else
                hi = mid;
        }
        at.push_back(lo);
    }

    std::vector<EditorKeywordPtr> entries;
    std::vector<std::uint64_t> orders;
    entries.reserve(n - gone.size() + added.size());
    orders.reserve(entries.capacity());
    std::size_t g = 0;
    std::size_t a = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        for (; a < added.size() && at[a] == i; ++a) {
            entries.push_back(std::move(added[a].entry));
            orders.push_back(added[a].order);
        }
        if (i == n)
            break;
        if (g < gone.size() && gone[g] == i) {
            ++g;
            continue;
        }
        entries.push_back(std::move(m_entries[i]));
        orders.push_back(shifted(m_orders[i]));
    }
    m_entries = std::move(entries);
    m_orders = std::move(orders);
    m_nextOrder = m_orders.empty() ? 0 : std::max(m_nextOrder, *std::max_element(m_orders.begin(), m_orders.end()) + 1);
    KeysChanged();
}

const std::vector<EditorKeywordPtr>& EditorKeywordList::Entries() const
{
    Sort();
    return m_entries;
}

const EditorKeyword& EditorKeywordList::Item(std::size_t position) const
{
    if (position < 1 || position > m_entries.size())
        throw std::out_of_range("keyword position out of range");
    return *Entries()[position - 1];
}

EditorKeywordPtr EditorKeywordList::FindPtr(std::string_view key) const
{
    // Indexed in list order, so the first entry under a key wins.
    const std::vector<EditorKeywordPtr>& entries = Entries();
    for (; m_indexed < entries.size(); ++m_indexed)
        m_byKey.try_emplace(entries[m_indexed]->Key, entries[m_indexed]);
    auto it = m_byKey.find(std::string(key));
    return it == m_byKey.end() ? nullptr : it->second;
}

const EditorKeyword* EditorKeywordList::Find(std::string_view key) const
{
    return FindPtr(key).get();
}
