#include "editing/TextSearch.h"

#include <QChar>

#include <algorithm>
#include <vector>

namespace search {

namespace {

char32_t FoldedAscii(unsigned char c)
{
    return char32_t(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The case-folded character at `at` (before `to`) and its length in bytes.
// A byte that starts no valid UTF-8 sequence stands for itself, so text
// that is not quite UTF-8 is still searched byte for byte.
char32_t FoldedAt(std::string_view text, std::size_t at, std::size_t to, std::size_t* length)
{
    const auto c = static_cast<unsigned char>(text[at]);
    *length = 1;
    if (c < 0x80)
        return FoldedAscii(c);
    const int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
    if (extra == 0 || to - at <= std::size_t(extra))
        return 0x110000 + c;
    char32_t cp = c & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i) {
        const auto next = static_cast<unsigned char>(text[at + std::size_t(i)]);
        if (!IsContinuation(next))
            return 0x110000 + c;
        cp = (cp << 6) | (next & 0x3F);
    }
    *length = std::size_t(extra) + 1;
    return QChar::toCaseFolded(cp);
}

// `what` as folded characters, matched against the text one character at a
// time: a folded character may take more or fewer bytes than the pattern's.
class FoldedPattern {
public:
    explicit FoldedPattern(std::string_view what)
    {
        for (std::size_t at = 0, n = 0; at < what.size(); at += n)
            m_chars.push_back(FoldedAt(what, at, what.size(), &n));
    }

    // The end of a match starting at `at` and ending by `to`, if there is one.
    std::optional<std::size_t> MatchAt(std::string_view text, std::size_t at, std::size_t to) const
    {
        for (char32_t want : m_chars) {
            if (at >= to)
                return std::nullopt;
            std::size_t n = 0;
            if (FoldedAt(text, at, to, &n) != want)
                return std::nullopt;
            at += n;
        }
        return at;
    }

    bool CanStartAt(std::string_view text, std::size_t at) const
    {
        const auto c = static_cast<unsigned char>(text[at]);
        // Most positions fail on their first byte; only a character beyond
        // ASCII needs decoding to tell.
        if (c < 0x80)
            return FoldedAscii(c) == m_chars.front();
        return !IsContinuation(c);
    }

private:
    std::vector<char32_t> m_chars;
};

// Finds one pattern again and again in the same text.
class Finder {
public:
    Finder(std::string_view text, std::string_view what, const Options& options)
        : m_text(text), m_what(what), m_matchCase(options.matchCase)
    {
        if (!m_matchCase)
            m_pattern.emplace(what);
    }

    std::optional<Match> Forward(std::size_t from, std::size_t to) const
    {
        to = std::min(to, m_text.size());
        if (m_what.empty() || from >= to)
            return std::nullopt;
        if (m_matchCase) {
            const std::size_t at = m_text.substr(0, to).find(m_what, from);
            if (at == std::string_view::npos)
                return std::nullopt;
            return Match{at, at + m_what.size()};
        }
        for (std::size_t at = from; at < to; ++at) {
            if (!m_pattern->CanStartAt(m_text, at))
                continue;
            if (const auto end = m_pattern->MatchAt(m_text, at, to))
                return Match{at, *end};
        }
        return std::nullopt;
    }

    std::optional<Match> Backward(std::size_t from, std::size_t to) const
    {
        to = std::min(to, m_text.size());
        if (m_what.empty() || from >= to)
            return std::nullopt;
        if (m_matchCase) {
            const std::size_t at = m_text.substr(from, to - from).rfind(m_what);
            if (at == std::string_view::npos)
                return std::nullopt;
            return Match{from + at, from + at + m_what.size()};
        }
        for (std::size_t at = to; at-- > from;) {
            if (!m_pattern->CanStartAt(m_text, at))
                continue;
            if (const auto end = m_pattern->MatchAt(m_text, at, to))
                return Match{at, *end};
        }
        return std::nullopt;
    }

private:
    std::string_view m_text;
    std::string_view m_what;
    bool m_matchCase;
    std::optional<FoldedPattern> m_pattern;
};

}  // namespace

std::optional<Match> FindForward(std::string_view text, std::string_view what, std::size_t from, std::size_t to,
                                 const Options& options)
{
    return Finder(text, what, options).Forward(from, to);
}

std::optional<Match> FindBackward(std::string_view text, std::string_view what, std::size_t from, std::size_t to,
                                  const Options& options)
{
    return Finder(text, what, options).Backward(from, to);
}

Replacement ReplaceAll(std::string_view text, std::string_view what, std::string_view with, std::size_t from,
                       std::size_t to, const Options& options)
{
    Replacement out;
    std::size_t kept = from;  // the first byte not yet copied
    const Finder finder(text, what, options);
    for (auto m = finder.Forward(from, to); m; m = finder.Forward(m->end, to)) {
        if (out.count++ == 0) {
            out.start = m->start;
            kept = m->start;
        }
        out.replacement.append(text.substr(kept, m->start - kept));
        out.replacement.append(with);
        kept = m->end;
        out.end = m->end;
    }
    return out;
}

}  // namespace search
