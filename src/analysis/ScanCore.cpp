#include "analysis/ScanCore.h"

#include "analysis/StagedEntries.h"
#include "analysis/Words.h"
#include "platform/Text.h"

#include <bit>

namespace scan {

namespace {

constexpr auto npos = std::string_view::npos;

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

// A keyword counts at the start of the statement or after a blank or a tab.
bool StandsAlone(std::string_view stmt, std::size_t pos)
{
    return pos == 0 || IsBlankOrTab(stmt[pos - 1]);
}

struct VarName {
    std::string_view name;
    std::string_view tag;
};

// p.Player is p with type tag .Player; name$ is name with $; a bare name is
// an integer.
VarName SplitVarName(std::string_view t)
{
    if (!t.empty() && IsTypeSuffix(t.back()))
        return {t.substr(0, t.size() - 1), t.substr(t.size() - 1)};
    const std::size_t dot = t.find('.');
    if (dot != npos)
        return {t.substr(0, dot), t.substr(dot)};
    return {t, "%"};
}

}  // namespace

namespace {

// Position of the next byte at or after `i` that splitting items looks at,
// or `n`: a declaration line is mostly names and values in between.
std::size_t NextItemByte(const char* p, std::size_t i, std::size_t n)
{
#ifdef OVREL_SCAN_SSE2
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        auto eq = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
        const int mask = _mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_or_si128(eq('('), eq(')')), _mm_or_si128(eq('"'), eq('|'))), eq(',')));
        if (mask)
            return i + std::size_t(std::countr_zero(unsigned(mask)));
    }
#endif
    while (i < n && p[i] != '(' && p[i] != ')' && p[i] != '"' && p[i] != '|' && p[i] != ',')
        ++i;
    return i;
}

}  // namespace

bool SplitItems(std::string_view text, std::vector<std::string_view>& items)
{
    items.clear();
    // The depth is a 16-bit counter: a statement nesting deeper is given up.
    int depth = 0;
    bool inString = false;
    std::size_t start = 0;
    for (std::size_t i = NextItemByte(text.data(), 0, text.size()); i < text.size();
         i = NextItemByte(text.data(), i + 1, text.size())) {
        const char c = text[i];
        if (c == '(') {
            if (++depth > INT16_MAX)
                return false;
        } else if (c == ')') {
            if (--depth < INT16_MIN)
                return false;
        } else if (c == '"') {
            inString = !inString;
        }
        if (c == '|' || (c == ',' && depth == 0 && !inString)) {
            items.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    items.push_back(text.substr(start));
    return true;
}

void Collector::Declaration(const Statement& st, bool labels)
{
    const std::string_view stmt = st.text;
    m_line = st.line * m_lineSign;
    // The first of the declaring keywords the statement holds decides.
    static_assert(kGlobal == 0 && kFunction < kInclude);
    if (const unsigned declaring = st.found & ((2u << kFunction) - 1)) {
        const int k = std::countr_zero(declaring);
        const std::size_t pos = st.pos[k];
        if (StandsAlone(stmt, pos))
            Items(Keyword(k), ItemText(stmt.substr(pos + kKeywordText[k].size())));
        return;
    }
    if (labels && stmt.size() >= 2 && stmt[0] == '.') {
        const std::string_view name = stmt.substr(1, stmt.find(' ', 1) - 1);
        if (!name.empty())
            Add(kKindLabel, name, {}, {});
    }
}

std::string_view Collector::ItemText(std::string_view rest)
{
    if (rest.find('\t') == npos)
        return text::TrimBlanks(rest);
    m_scratch.clear();
    for (char c : rest)
        if (c != '\t')
            m_scratch += c;
    return text::TrimBlanks(m_scratch);
}

void Collector::Items(Keyword k, std::string_view items)
{
    switch (k) {
    case kType:
        if (!items.empty())
            Add(kKindType, items, {}, {});
        return;
    case kFunction: {
        const std::string_view name = items.substr(0, items.find('('));
        if (!name.empty())
            Add(kKindFunction, name, {}, {});
        return;
    }
    default:
        break;
    }
    if (!SplitItems(items, m_items))
        return;
    for (std::string_view item : m_items) {
        switch (k) {
        case kConst: {
            const std::string_view name = text::TrimBlanks(item.substr(0, item.find('=')));
            Add(kKindConst, name, {}, {});
            break;
        }
        case kDim: {
            item = text::TrimBlanks(item);
            const std::size_t open = item.find('(');
            if (open == npos || item.find(')') == npos)
                break;
            const VarName v = SplitVarName(text::TrimBlanks(item.substr(0, open)));
            Add(kKindGlobal, v.name, "()", v.tag);
            break;
        }
        default: {
            const VarName v = SplitVarName(text::TrimBlanks(item.substr(0, item.find('='))));
            Add(k == kLocal ? kKindLocal : kKindGlobal, v.name, {}, v.tag);
            break;
        }
        }
    }
}

IncludeTest TestInclude(std::string_view stmt, std::size_t pos)
{
    if (!StandsAlone(stmt, pos))
        return {true, std::nullopt};
    const std::string_view path = text::TrimBlanks(stmt.substr(pos + kKeywordText[kInclude].size()));
    if (path.empty() || path.front() != '"' || path.back() != '"')
        return {};
    if (path.size() < 2)
        return {true, std::nullopt};  // a lone quote names no file
    return {false, path.substr(1, path.size() - 2)};
}

Yielder::Yielder(std::function<void()> yield, std::chrono::milliseconds interval)
    : m_yield(std::move(yield)), m_interval(interval), m_last(std::chrono::steady_clock::now())
{
}

void Yielder::Check()
{
    if (!m_yield)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last < m_interval)
        return;
    m_yield();
    m_last = std::chrono::steady_clock::now();
}

void ScanIncludeText(std::string_view content, StagedEntries& out)
{
    // Keys count the included file's own entries from 0.
    class Counted : public DeclSink {
    public:
        explicit Counted(StagedEntries& out) : m_out(out) {}
        void Declared(int kind, int line, std::string_view name, std::string_view nameTail,
                      std::string_view returnType) override
        {
            m_out.Add(kind, line, m_counter++, name, nameTail, returnType);
        }

    private:
        StagedEntries& m_out;
        std::uint32_t m_counter = 0;
    } counted(out);
    Collector collector(-1, counted);
    ForEachStatement(content, kIncludeKeywords, [&](const Statement& st) { collector.Declaration(st, false); });
}

}  // namespace scan
