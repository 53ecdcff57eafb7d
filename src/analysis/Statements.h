#pragma once

// The scanner's walk over a source text, statement by statement. A
// 100,000-line document is walked on every rescan, so the walk looks at
// sixteen bytes at a time where the processor allows it.

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cctype>
#include <cstring>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define OVREL_SCAN_SSE2 1
#endif

namespace scan {

enum Keyword { kGlobal, kLocal, kDim, kConst, kType, kFunction, kInclude, kKeywordCount };
constexpr std::string_view kKeywordText[kKeywordCount] = {
    "Global ", "Local ", "Dim ", "Const ", "Type ", "Function ", "Include ",
};
constexpr unsigned kAllKeywords = (1u << kKeywordCount) - 1;

// One statement: its text, its 1-based line and where each keyword first
// starts in it (npos when absent).
struct Statement {
    std::string_view text;
    int line = 1;
    std::size_t pos[kKeywordCount];
    unsigned found = 0;  // a bit per keyword whose pos is set
};

namespace detail {

// What a byte means to the walk. Every keyword starts with a different
// capital, so its first byte names the one keyword to compare.
enum ByteClass : std::uint8_t { kPlain, kLineEnd, kComment, kSeparator, kKeywordStart };

constexpr std::array<std::uint8_t, 256> MakeByteClasses()
{
    std::array<std::uint8_t, 256> t{};
    t['\n'] = t['\r'] = kLineEnd;
    t[';'] = kComment;
    t[':'] = kSeparator;
    for (int k = 0; k < kKeywordCount; ++k)
        t[std::uint8_t(kKeywordText[k][0])] = std::uint8_t(kKeywordStart + k);
    return t;
}
inline constexpr auto kByteClass = MakeByteClasses();

inline bool KeywordAt(int k, const char* s, std::size_t available)
{
    // Constant lengths let the compiler compare in a few loads.
    switch (k) {
    case kGlobal: return available >= 7 && std::memcmp(s, "Global ", 7) == 0;
    case kLocal: return available >= 6 && std::memcmp(s, "Local ", 6) == 0;
    case kDim: return available >= 4 && std::memcmp(s, "Dim ", 4) == 0;
    case kConst: return available >= 6 && std::memcmp(s, "Const ", 6) == 0;
    case kType: return available >= 5 && std::memcmp(s, "Type ", 5) == 0;
    case kFunction: return available >= 9 && std::memcmp(s, "Function ", 9) == 0;
    case kInclude: return available >= 8 && std::memcmp(s, "Include ", 8) == 0;
    default: return false;
    }
}

// Bit k set when byte k of the next (at most) sixteen matters to the walk.
inline std::uint32_t SpecialMask(const char* p, std::size_t available)
{
#ifdef OVREL_SCAN_SSE2
    if (available >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto eq = [&](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
        const __m128i ends = _mm_or_si128(_mm_or_si128(eq('\n'), eq('\r')), _mm_or_si128(eq(';'), eq(':')));
        const __m128i caps1 = _mm_or_si128(_mm_or_si128(eq('G'), eq('L')), _mm_or_si128(eq('D'), eq('C')));
        const __m128i caps2 = _mm_or_si128(_mm_or_si128(eq('T'), eq('F')), eq('I'));
        return std::uint32_t(_mm_movemask_epi8(_mm_or_si128(ends, _mm_or_si128(caps1, caps2))));
    }
#endif
    std::uint32_t mask = 0;
    const std::size_t n = std::min<std::size_t>(available, 16);
    for (std::size_t k = 0; k < n; ++k)
        if (kByteClass[std::uint8_t(p[k])] != kPlain)
            mask |= 1u << k;
    return mask;
}

// Position of the next CR or LF at or after `i`, or `n`.
inline std::size_t FindLineEnd(const char* p, std::size_t i, std::size_t n)
{
#ifdef OVREL_SCAN_SSE2
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        if (mask)
            return i + std::size_t(std::countr_zero(unsigned(mask)));
    }
#endif
    while (i < n && p[i] != '\n' && p[i] != '\r')
        ++i;
    return i;
}

}  // namespace detail

// Hands every statement of `text` to `handle`, with the positions of the
// `keywords` (a bit per Keyword) it holds. Lines end at CR LF, LF or CR;
// everything from the first ";" of a line on is a comment, and ":" separates
// statements. The walk is textual, so a ";" or ":" inside a string literal
// cuts as well, except for the drive colon at the start of an Include path. Empty
// statements are not handed over. Returns the number of lines.
template <class F>
int ForEachStatement(std::string_view text, unsigned keywords, F&& handle)
{
    using namespace detail;
    constexpr auto npos = std::string_view::npos;
    const char* p = text.data();
    const std::size_t n = text.size();

    Statement st;
    std::fill(std::begin(st.pos), std::end(st.pos), npos);
    unsigned found = 0;
    std::size_t start = 0;
    auto finish = [&](std::size_t end) {
        if (end > start) {
            st.text = text.substr(start, end - start);
            st.found = found;
            handle(static_cast<const Statement&>(st));
        }
        if (found) {
            std::fill(std::begin(st.pos), std::end(st.pos), npos);
            found = 0;
        }
    };
    // The byte at `i` matters; returns where to look next.
    auto step = [&](std::size_t i) -> std::size_t {
        const std::uint8_t c = kByteClass[std::uint8_t(p[i])];
        if (c == kLineEnd) {
            finish(i);
            start = i + ((p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1);
            ++st.line;
            return start;
        }
        if (c == kComment) {
            finish(i);
            start = FindLineEnd(p, i + 1, n);
            return start;
        }
        if (c == kSeparator) {
            // A Windows include path carries a drive colon right after its
            // opening quote; cutting there would leave the include unusable.
            // Any other colon cuts, inside quotes or not.
            if (found & (1u << kInclude)) {
                const std::size_t include = start + st.pos[kInclude];
                const bool counts = include == start || p[include - 1] == ' ' || p[include - 1] == '\t';
                std::size_t j = include + kKeywordText[kInclude].size();
                while (j < i && p[j] == ' ')
                    ++j;
                if (counts && j + 2 == i && p[j] == '"' && std::isalpha(static_cast<unsigned char>(p[j + 1])))
                    return i + 1;
            }
            finish(i);
            start = i + 1;
            return start;
        }
        const int k = c - kKeywordStart;
        if ((keywords & ~found & (1u << k)) && KeywordAt(k, p + i, n - i)) {
            found |= 1u << k;
            st.pos[k] = i - start;
            return i + kKeywordText[k].size();
        }
        return i + 1;
    };

    // Sixteen bytes at a time: `mask` marks the bytes that matter from `base`.
    std::size_t base = 0;
    std::uint32_t mask = n ? SpecialMask(p, n) : 0;
    while (base < n) {
        if (mask == 0) {
            base += 16;
            if (base < n)
                mask = SpecialMask(p + base, n - base);
            continue;
        }
        const std::size_t next = step(base + std::size_t(std::countr_zero(mask)));
        if (next - base < 16) {
            mask &= ~0u << (next - base);
        } else {
            base = next;
            mask = base < n ? SpecialMask(p + base, n - base) : 0;
        }
    }
    finish(n);
    return st.line;
}

}  // namespace scan
