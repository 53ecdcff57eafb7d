#include "assist/SourceWords.h"

#include "language/TokenRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#define OVREL_SCAN_SSE2
#include <emmintrin.h>
#endif

namespace words {

namespace {

// Position of the next CR or LF at or after `i`, or `n`.
std::size_t FindLineEnd(const char* p, std::size_t i, std::size_t n)
{
    while (i < n && p[i] != '\n' && p[i] != '\r')
        ++i;
    return i;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsTypeChar(char c)
{
    return c == '$' || c == '#' || c == '%';
}

bool WordIs(std::string_view word, std::string_view lower)
{
    return word.size() == lower.size() && text::EqualsNoCase(word, lower);
}

// The identifier that ends right before `end` (blanks skipped), or "".
std::string_view WordBefore(std::string_view line, int end)
{
    int i = end - 1;
    while (i >= 0 && IsBlank(line[std::size_t(i)]))
        --i;
    const int last = i;
    while (i >= 0 && IsNameChar(line[std::size_t(i)]))
        --i;
    return line.substr(std::size_t(i + 1), std::size_t(last - i));
}

// What the text before a name at `start` makes of it, a "\" aside.
NameAtCaret::Context ContextBefore(std::string_view line, int start)
{
    if (start > 0 && line[std::size_t(start) - 1] == '.') {
        int j = start - 2;
        while (j >= 0 && IsBlank(line[std::size_t(j)]))
            --j;
        // ".name" opening its line is a label; otherwise the "." gives a
        // type (p.Player, Function f.Player(), Object.Player(h)).
        return j < 0 ? NameAtCaret::Label : NameAtCaret::TypeName;
    }
    const std::string_view before = WordBefore(line, start);
    if (WordIs(before, "goto") || WordIs(before, "gosub") || WordIs(before, "restore"))
        return NameAtCaret::Label;
    if (WordIs(before, "new") || WordIs(before, "each") || WordIs(before, "first") || WordIs(before, "last"))
        return NameAtCaret::TypeName;
    return NameAtCaret::Plain;
}

// The names of a field access before the "\" at `backslash`, outermost
// first; false when something other than names (and their indexes) leads to
// it.
bool PathBefore(std::string_view line, int backslash, NameAtCaret& out)
{
    int i = backslash - 1;
    while (true) {
        while (i >= 0 && IsBlank(line[std::size_t(i)]))
            --i;
        // An array element or a function's result: grid(x, y)\cell.
        out.pathStartsIndexed = i >= 0 && (line[std::size_t(i)] == ')' || line[std::size_t(i)] == ']');
        if (out.pathStartsIndexed) {
            int depth = 0;
            for (; i >= 0; --i) {
                const char c = line[std::size_t(i)];
                depth += (c == ')' || c == ']') ? 1 : (c == '(' || c == '[') ? -1 : 0;
                if (depth == 0)
                    break;
            }
            --i;
            while (i >= 0 && IsBlank(line[std::size_t(i)]))
                --i;
        }
        if (i >= 0 && IsTypeChar(line[std::size_t(i)]))
            --i;
        const int end = i + 1;
        while (i >= 0 && IsNameChar(line[std::size_t(i)]))
            --i;
        const int start = i + 1;
        if (start == end || !IsNameStart(line[std::size_t(start)]))
            return false;
        out.path.insert(out.path.begin(), std::string(line.substr(std::size_t(start), std::size_t(end - start))));
        int j = i;
        while (j >= 0 && IsBlank(line[std::size_t(j)]))
            --j;
        if (j >= 0 && line[std::size_t(j)] == '\\') {
            i = j - 1;
            continue;
        }
        out.pathStartsWithType = ContextBefore(line, start) == NameAtCaret::TypeName;
        return true;
    }
}

bool SameNoCase(const char* p, std::string_view lower)
{
    for (std::size_t k = 0; k < lower.size(); ++k)
        if (text::ToLower(p[k]) != lower[k])
            return false;
    return true;
}

}  // namespace

bool IsNameStart(char c)
{
    return lang::tokens::IsNameStart(static_cast<unsigned char>(c));
}

bool IsNameChar(char c)
{
    return lang::tokens::IsNameChar(static_cast<unsigned char>(c));
}

SourceLines::SourceLines(std::string_view text) : m_text(text)
{
    m_starts.reserve(text.size() / 32 + 1);
    m_starts.push_back(0);
    const char* p = text.data();
    const std::size_t n = text.size();
    for (std::size_t i = FindLineEnd(p, 0, n); i < n; i = FindLineEnd(p, i, n)) {
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
            ++i;
        m_starts.push_back(++i);
    }
}

std::string_view SourceLines::Line(int line) const
{
    if (line < 1 || line > Count())
        return {};
    const std::size_t start = m_starts[std::size_t(line) - 1];
    if (line == Count())
        return m_text.substr(start);
    // The next line starts right after this one's CR, LF or CR LF.
    std::size_t end = m_starts[std::size_t(line)] - 1;
    if (end > start && m_text[end] == '\n' && m_text[end - 1] == '\r')
        --end;
    return m_text.substr(start, end - start);
}

bool InCode(std::string_view line, int column, char commentChar, char stringChar)
{
    bool inString = false;
    const std::size_t end = std::min(std::size_t(std::max(column, 0)), line.size());
    for (std::size_t i = 0; i < end; ++i) {
        const char c = line[i];
        if (inString) {
            inString = c != stringChar;
        } else if (stringChar && c == stringChar) {
            inString = true;
        } else if (commentChar && c == commentChar) {
            return false;
        }
    }
    return !inString;
}

std::optional<NameAtCaret> NameAt(std::string_view line, int column, char commentChar, char stringChar)
{
    const int n = int(line.size());
    int at = std::clamp(column, 0, n);
    // Right after a name (or its type character) counts as on it.
    if (at == n || !IsNameChar(line[std::size_t(at)])) {
        if (at > 0 && IsTypeChar(line[std::size_t(at) - 1]))
            --at;
        if (at > 0 && IsNameChar(line[std::size_t(at) - 1]))
            --at;
        else
            return std::nullopt;
    }
    int start = at;
    while (start > 0 && IsNameChar(line[std::size_t(start) - 1]))
        --start;
    int end = at;
    while (end < n && IsNameChar(line[std::size_t(end)]))
        ++end;
    // A number (12, 1e5) names nothing.
    if (!IsNameStart(line[std::size_t(start)]))
        return std::nullopt;
    if (!InCode(line, start, commentChar, stringChar))
        return std::nullopt;

    NameAtCaret out;
    out.name = std::string(line.substr(std::size_t(start), std::size_t(end - start)));
    out.start = start;
    out.end = end;
    int after = end;
    if (after < n && IsTypeChar(line[std::size_t(after)]))
        ++after;
    while (after < n && IsBlank(line[std::size_t(after)]))
        ++after;
    out.call = after < n && (line[std::size_t(after)] == '(' || line[std::size_t(after)] == '[');

    int before = start - 1;
    while (before >= 0 && IsBlank(line[std::size_t(before)]))
        --before;
    if (before >= 0 && line[std::size_t(before)] == '\\') {
        out.context = NameAtCaret::Field;
        if (!PathBefore(line, before, out))
            return std::nullopt;
        return out;
    }
    out.context = ContextBefore(line, start);
    return out;
}

std::optional<NameAtCaret> FieldPathAt(std::string_view line, int column, char commentChar, char stringChar)
{
    const int end = std::clamp(column, 0, int(line.size()));
    int start = end;
    if (start > 0 && IsTypeChar(line[std::size_t(start) - 1]))
        --start;
    const int nameEnd = start;
    while (start > 0 && IsNameChar(line[std::size_t(start) - 1]))
        --start;
    int before = start - 1;
    while (before >= 0 && IsBlank(line[std::size_t(before)]))
        --before;
    if (before < 0 || line[std::size_t(before)] != '\\' || !InCode(line, before, commentChar, stringChar))
        return std::nullopt;
    NameAtCaret out;
    out.name = std::string(line.substr(std::size_t(start), std::size_t(nameEnd - start)));
    out.start = start;
    out.end = nameEnd;
    out.context = NameAtCaret::Field;
    if (!PathBefore(line, before, out))
        return std::nullopt;
    return out;
}

int FindWord(std::string_view line, std::string_view name, int from, char commentChar, char stringChar)
{
    if (name.empty())
        return -1;
    const std::string lower = text::ToLower(name);
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inString) {
            inString = c != stringChar;
            continue;
        }
        if (stringChar && c == stringChar) {
            inString = true;
            continue;
        }
        if (commentChar && c == commentChar)
            return -1;
        if (int(i) >= from && i + lower.size() <= line.size() && (i == 0 || !IsNameChar(line[i - 1])) &&
            (i + lower.size() == line.size() || !IsNameChar(line[i + lower.size()])) &&
            SameNoCase(line.data() + i, lower))
            return int(i);
    }
    return -1;
}

void ForEachUse(std::string_view text, std::string_view name, const std::function<bool(const Use&)>& each,
                char commentChar, char stringChar)
{
    if (name.empty() || !IsNameStart(name.front()))
        return;
    const std::string lower = text::ToLower(name);
    const char* p = text.data();
    const std::size_t n = text.size();
    const std::size_t m = lower.size();

    // The lines are counted only up to each use found.
    int line = 1;
    std::size_t lineStart = 0;
    std::size_t counted = 0;
    auto countTo = [&](std::size_t to) {
        for (std::size_t i = FindLineEnd(p, counted, to); i < to;
             i = FindLineEnd(p, i, to)) {
            if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
                ++i;
            ++line;
            lineStart = ++i;
        }
        counted = to;
    };
    bool goOn = true;
    auto check = [&](std::size_t pos) {
        if (pos + m > n || (pos > 0 && IsNameChar(p[pos - 1])) || (pos + m < n && IsNameChar(p[pos + m])) ||
            !SameNoCase(p + pos, lower))
            return;
        countTo(pos);
        const std::size_t lineEnd = FindLineEnd(p, pos, n);
        const std::string_view lineText(p + lineStart, lineEnd - lineStart);
        if (InCode(lineText, int(pos - lineStart), commentChar, stringChar))
            goOn = each({line, int(pos - lineStart), lineText});
    };

    // Candidates are the places where the first two characters match in
    // any letter case; setting bit 5 folds a letter's cases together.
    const char first = char(lower[0] | 0x20);
    const char second = char((m > 1 ? lower[1] : 0) | 0x20);
    std::size_t i = 0;
#ifdef OVREL_SCAN_SSE2
    const __m128i fold = _mm_set1_epi8(0x20);
    const __m128i want0 = _mm_set1_epi8(first);
    const __m128i want1 = _mm_set1_epi8(second);
    for (; goOn && i + 17 <= n; i += 16) {
        const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), fold);
        __m128i hits = _mm_cmpeq_epi8(a, want0);
        if (m > 1) {
            const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1)), fold);
            hits = _mm_and_si128(hits, _mm_cmpeq_epi8(b, want1));
        }
        for (unsigned mask = unsigned(_mm_movemask_epi8(hits)); goOn && mask; mask &= mask - 1)
            check(i + std::size_t(std::countr_zero(mask)));
    }
#endif
    for (; goOn && i < n; ++i)
        if (char(p[i] | 0x20) == first)
            check(i);
}

}  // namespace words
