#include "analysis/StagedEntries.h"

#include <algorithm>
#include <charconv>

namespace {

// The keyword lists order names by their ASCII lower case, byte by byte.
std::uint8_t LowerByte(char c)
{
    return std::uint8_t(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

}  // namespace

void StagedEntries::Add(int kind, int line, std::uint32_t counter, std::string_view name,
                        std::string_view nameTail, std::string_view returnType)
{
    const std::size_t size = name.size() + nameTail.size() + returnType.size();
    if (size > UINT32_MAX - m_arena.size())
        return;
    Record r;
    r.name = std::uint32_t(m_arena.size());
    r.nameSize = std::uint32_t(name.size() + nameTail.size());
    r.keySize = std::uint32_t(name.size());
    m_arena.append(name).append(nameTail);
    r.returnType = std::uint32_t(m_arena.size());
    r.returnTypeSize = std::uint32_t(returnType.size());
    m_arena.append(returnType);
    const std::string_view full = NameOf(r);
    for (std::size_t half = 0; half < 2; ++half) {
        std::uint64_t p = 0;
        for (std::size_t b = half * 8; b < half * 8 + 8; ++b)
            p = (p << 8) | (b < full.size() ? LowerByte(full[b]) : 0);
        r.prefix[half] = p;
    }
    r.counter = counter;
    r.line = line;
    r.kind = std::uint8_t(kind);
    if (m_sorted && !m_records.empty() && Less(r, m_records.back()))
        m_sorted = false;
    m_records.push_back(r);
}

bool StagedEntries::Less(const Record& a, const Record& b) const
{
    if (a.prefix[0] != b.prefix[0])
        return a.prefix[0] < b.prefix[0];
    if (a.prefix[1] != b.prefix[1])
        return a.prefix[1] < b.prefix[1];
    // The first sixteen bytes are equal; shorter names hold no more.
    if (a.nameSize <= 16 || b.nameSize <= 16)
        return a.nameSize < b.nameSize;
    const std::string_view x = NameOf(a);
    const std::string_view y = NameOf(b);
    const std::size_t n = std::min(x.size(), y.size());
    for (std::size_t i = 16; i < n; ++i) {
        if (LowerByte(x[i]) != LowerByte(y[i]))
            return LowerByte(x[i]) < LowerByte(y[i]);
    }
    return x.size() < y.size();
}

void StagedEntries::Sort()
{
    if (m_sorted)
        return;
    // Sorting the records themselves lets the entries be made reading them
    // in order; stable, so equal names keep the order they were found in.
    std::stable_sort(m_records.begin(), m_records.end(),
                     [this](const Record& a, const Record& b) { return Less(a, b); });
    m_sorted = true;
}

std::vector<EditorKeywordPtr> StagedEntries::Make(const DeclStyles& styles) const
{
    std::vector<EditorKeywordPtr> out;
    out.reserve(m_records.size());
    EditorKeywordMaker maker(m_records.size());
    for (const Record& r : m_records) {
        std::shared_ptr<EditorKeyword> e = maker.Make();
        e->Name = NameOf(r);
        char digits[16];
        const char* digitsEnd = std::to_chars(digits, digits + sizeof digits, r.counter).ptr;
        e->Key.reserve(r.keySize + std::size_t(digitsEnd - digits));
        e->Key.append(m_arena, r.name, r.keySize).append(digits, std::size_t(digitsEnd - digits));
        e->Style = styles.Of(r.kind);
        e->ReturnType.assign(m_arena, r.returnType, r.returnTypeSize);
        e->Line = r.line;
        out.push_back(std::move(e));
    }
    return out;
}
