#include "editor/Keywords.h"

#include "platform/Text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <numeric>
#include <stdexcept>

namespace {

std::uint8_t LowerByte(char c)
{
    return std::uint8_t(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// Sorting tens of thousands of names compares mostly their first bytes;
// having those lower-cased up front, in a key small enough for the sort to
// move cheaply, saves lowering them at every comparison.
struct SortKey {
    std::uint64_t head[2];
    std::uint64_t order;
    std::uint32_t size;
    std::uint32_t index;
};

std::uint64_t ByteSwap(std::uint64_t x)
{
#if defined(_MSC_VER)
    return _byteswap_uint64(x);
#else
    return __builtin_bswap64(x);
#endif
}

// Eight lower-cased bytes of a name from `from` on, the first one highest,
// so that the numbers compare as the bytes do. The eight are lowered at once:
// a byte gets 0x20 added when it lies between 'A' and 'Z'.
std::uint64_t Head(const std::string& name, std::size_t from)
{
    std::uint64_t x = 0;
    if (from < name.size())
        std::memcpy(&x, name.data() + from, std::min<std::size_t>(8, name.size() - from));
    if constexpr (std::endian::native == std::endian::big)
        x = ByteSwap(x);
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::uint64_t low = x & ~kHigh;
    const std::uint64_t atLeastA = low + (0x80 - 'A') * kOnes;
    const std::uint64_t aboveZ = low + (0x80 - 'Z' - 1) * kOnes;
    const std::uint64_t upper = atLeastA & ~aboveZ & ~x & kHigh;
    return ByteSwap(x | (upper >> 2));
}

bool KeyLess(const SortKey& a, const SortKey& b, const std::vector<const EditorKeyword*>& entries)
{
    if (a.head[0] != b.head[0])
        return a.head[0] < b.head[0];
    if (a.head[1] != b.head[1])
        return a.head[1] < b.head[1];
    // The first sixteen bytes are equal; shorter names hold no more.
    if (a.size > 16 && b.size > 16) {
        const int c = EditorKeywordList::CompareNames(std::string_view(entries[a.index]->Name).substr(16),
                                                      std::string_view(entries[b.index]->Name).substr(16));
        if (c != 0)
            return c < 0;
    } else if (a.size != b.size) {
        return a.size < b.size;
    }
    return a.order < b.order;
}

unsigned ByteAt(const SortKey& k, int depth)
{
    return unsigned(k.head[depth >> 3] >> (56 - 8 * (depth & 7))) & 0xFF;
}

// A radix sort on the keys' lower-cased bytes, one byte at a time, down to
// groups small enough to compare: names share long beginnings (a prefix, a
// word and a number), which a comparison sort goes over again and again.
// Each pass deals the keys from one buffer into the other and the next pass
// deals them back, so a group is copied only once, when it is sorted by
// comparing. The group is in `here`; it ends sorted in `here` when `stay`,
// else in `there`, the other buffer's room for it.
void SortKeys(SortKey* here, SortKey* there, std::size_t n, int depth, bool stay,
              const std::vector<const EditorKeyword*>& entries)
{
    const auto less = [&](const SortKey& a, const SortKey& b) { return KeyLess(a, b, entries); };
    while (n >= 48 && depth < 16) {
        // Counts by the byte at `depth`, and finds the bytes every key of the
        // group shares: those are passed over at once.
        std::size_t count[256] = {};
        std::uint64_t differ[2] = {0, 0};
        for (std::size_t i = 0; i < n; ++i) {
            ++count[ByteAt(here[i], depth)];
            differ[0] |= here[i].head[0] ^ here[0].head[0];
            differ[1] |= here[i].head[1] ^ here[0].head[1];
        }
        const int shared = differ[0] ? std::countl_zero(differ[0]) / 8
                                     : differ[1] ? 8 + std::countl_zero(differ[1]) / 8 : 16;
        if (shared > depth) {
            depth = shared;
            continue;
        }
        std::size_t start[257];
        start[0] = 0;
        for (int b = 0; b < 256; ++b)
            start[b + 1] = start[b] + count[b];
        std::size_t next[256];
        std::copy(start, start + 256, next);
        for (std::size_t i = 0; i < n; ++i)
            there[next[ByteAt(here[i], depth)]++] = here[i];
        for (int b = 0; b < 256; ++b)
            if (count[b] != 0)
                SortKeys(there + start[b], here + start[b], count[b], depth + 1, !stay, entries);
        return;
    }
    SortKey* const sorted = stay ? here : there;
    if (!stay)
        std::copy(here, here + n, there);
    std::sort(sorted, sorted + n, less);
}

// The permutation that sorts `entries` (with their orders) into list order.
std::vector<std::uint32_t> SortedPermutation(const std::vector<const EditorKeyword*>& entries,
                                             const std::vector<std::uint64_t>& orders)
{
    // Left uninitialised: every key is written before it is read, and
    // clearing a megabyte first costs as much as filling it.
    const std::size_t n = entries.size();
    const std::unique_ptr<SortKey[]> keys(new SortKey[n]);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& name = entries[i]->Name;
        keys[i] = {{Head(name, 0), name.size() > 8 ? Head(name, 8) : 0}, orders[i], std::uint32_t(name.size()),
                   std::uint32_t(i)};
    }
    const std::unique_ptr<SortKey[]> scratch(new SortKey[n]);
    SortKeys(keys.get(), scratch.get(), n, 0, true, entries);
    std::vector<std::uint32_t> permutation(n);
    for (std::size_t i = 0; i < n; ++i)
        permutation[i] = keys[i].index;
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
    ++m_generation;
}

void EditorKeywordList::AddAll(const EditorKeywordList& other)
{
    if (other.m_entries.empty())
        return;
    ++m_generation;
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
    const std::vector<std::uint32_t> permutation = SortedPermutation(raw, m_orders);
    std::vector<EditorKeywordPtr> entries;
    std::vector<std::uint64_t> orders;
    entries.reserve(m_entries.size());
    orders.reserve(m_entries.size());
    for (std::uint32_t i : permutation) {
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

    ++m_generation;
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
        raw.reserve(added.size());
        orders.reserve(added.size());
        for (const Placed& a : added) {
            raw.push_back(a.entry.get());
            orders.push_back(a.order);
        }
        const std::vector<std::uint32_t> permutation = SortedPermutation(raw, orders);
        if (n == 0) {
            // A list made in one go: the sorted entries are the list.
            m_entries.reserve(added.size());
            m_orders.reserve(added.size());
            for (std::uint32_t i : permutation) {
                m_entries.push_back(std::move(added[i].entry));
                m_orders.push_back(orders[i]);
            }
            m_nextOrder = m_orders.empty() ? 0 : *std::max_element(m_orders.begin(), m_orders.end()) + 1;
            KeysChanged();
            return;
        }
        std::vector<Placed> sorted;
        sorted.reserve(added.size());
        for (std::uint32_t i : permutation)
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
        m_byKey.try_emplace(entries[m_indexed]->Key.str(), entries[m_indexed]);
    auto it = m_byKey.find(std::string(key));
    return it == m_byKey.end() ? nullptr : it->second;
}

const EditorKeyword* EditorKeywordList::Find(std::string_view key) const
{
    return FindPtr(key).get();
}
