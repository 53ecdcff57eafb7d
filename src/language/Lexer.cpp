#include "language/Lexer.h"

#include "language/TokenRules.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lang {

namespace {

struct Keyword {
    std::string_view text;
    std::uint16_t kind;
};

// "end if" and the other two-word forms are one token when a single space
// joins the words, as the compiler reads them. Of the one-word forms only
// EndIf and ElseIf are keywords; "End" alone is a command and a name.
constexpr Keyword kKeywords[] = {
    {"dim", kDim}, {"goto", kGoto}, {"gosub", kGosub}, {"exit", kExit}, {"return", kReturn},
    {"if", kIf}, {"then", kThen}, {"else", kElse}, {"endif", kEndIf}, {"end if", kEndIf},
    {"elseif", kElseIf}, {"else if", kElseIf}, {"while", kWhile}, {"wend", kWend}, {"for", kFor},
    {"to", kTo}, {"step", kStep}, {"next", kNext}, {"function", kFunction},
    {"end function", kEndFunction}, {"type", kType},
    {"end type", kEndType}, {"each", kEach}, {"global", kGlobal},
    {"local", kLocal}, {"field", kField}, {"const", kConst}, {"select", kSelect}, {"case", kCase},
    {"default", kDefault}, {"end select", kEndSelect},
    {"repeat", kRepeat}, {"until", kUntil}, {"forever", kForever}, {"data", kData}, {"read", kRead},
    {"restore", kRestore}, {"mod", kMod}, {"pi", kPi}, {"true", kTrue}, {"false", kFalse},
    {"int", kInt}, {"float", kFloat}, {"str", kStr}, {"include", kInclude}, {"new", kNew},
    {"delete", kDelete}, {"first", kFirst}, {"last", kLast}, {"insert", kInsert},
    {"before", kBefore}, {"after", kAfter}, {"null", kNull}, {"object", kObject},
    {"handle", kHandle}, {"and", kAnd}, {"or", kOr}, {"xor", kXor}, {"not", kNot}, {"shl", kShl},
    {"shr", kShr}, {"sar", kSar}, {"abs", kAbs}, {"sgn", kSgn},
};

constexpr std::string_view kShown[] = {
    "Dim", "Goto", "Gosub", "Exit", "Return", "If", "Then", "Else", "EndIf", "ElseIf", "While", "Wend",
    "For", "To", "Step", "Next", "Function", "End Function", "Type", "End Type", "Each", "Global",
    "Local", "Field", "Const", "Select", "Case", "Default", "End Select", "Repeat", "Until", "Forever",
    "Data", "Read", "Restore", "Mod", "Pi", "True", "False", "Int", "Float", "Str", "Include", "New",
    "Delete", "First", "Last", "Insert", "Before", "After", "Null", "Object", "Handle", "And", "Or",
    "Xor", "Not", "Shl", "Shr", "Sar", "End", "Abs", "Sgn",
};

// Character classes, one table lookup each: the lexer's inner loops.
enum : std::uint8_t { kAlpha = 1, kDigit = 2, kSpace = 8, kNameChar = 16 };
struct CharClasses {
    std::array<std::uint8_t, 256> of{};
    CharClasses()
    {
        for (int c = 0; c < 256; ++c) {
            const auto u = static_cast<unsigned char>(c);
            of[c] = static_cast<std::uint8_t>((tokens::IsNameStart(u) ? kAlpha : 0) | (tokens::IsDigit(u) ? kDigit : 0) |
                                              (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' ? kSpace : 0) |
                                              (tokens::IsNameChar(u) ? kNameChar : 0));
        }
    }
};
const CharClasses kClasses;

inline bool Is(unsigned char c, std::uint8_t cls) { return (kClasses.of[c] & cls) != 0; }
inline bool IsAlpha(unsigned char c) { return Is(c, kAlpha); }
inline bool IsAlnum(unsigned char c) { return Is(c, kAlpha | kDigit); }
inline bool IsSpace(unsigned char c) { return Is(c, kSpace); }
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c | 0x20) : c; }

// Keywords by first letter and length: an identifier is compared with the
// one or two keywords of its bucket at most.
struct KeywordBuckets {
    std::array<std::array<std::uint8_t, 13>, 26> first{}, count{};
    std::array<Keyword, std::size(kKeywords)> sorted{};
    KeywordBuckets()
    {
        std::size_t n = 0;
        for (int letter = 0; letter < 26; ++letter) {
            for (std::size_t len = 1; len <= 12; ++len) {
                first[letter][len] = static_cast<std::uint8_t>(n);
                for (const Keyword& k : kKeywords)
                    if (k.text[0] - 'a' == letter && k.text.size() == len)
                        sorted[n++] = k;
                count[letter][len] = static_cast<std::uint8_t>(n - first[letter][len]);
            }
        }
    }
};
const KeywordBuckets kBuckets;

std::uint16_t LookupLower(std::string_view lower)
{
    if (lower.empty() || lower.size() > 12 || lower[0] < 'a' || lower[0] > 'z')
        return 0;
    const int letter = lower[0] - 'a';
    const std::size_t from = kBuckets.first[letter][lower.size()];
    for (std::size_t i = from; i < from + kBuckets.count[letter][lower.size()]; ++i)
        if (kBuckets.sorted[i].text == lower)
            return kBuckets.sorted[i].kind;
    return 0;
}

std::uint64_t Hash(std::string_view s)
{
    std::uint64_t h = 1469598103934665603ull;
    for (char c : s)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h | 1;
}

}  // namespace

NameTable::NameTable()
{
    m_texts.emplace_back();  // id 0: no name
    m_slots.assign(1024, 0);
    m_hashes.assign(1024, 0);
}

std::size_t NameTable::Bytes() const
{
    return m_slots.capacity() * 8 + m_texts.size() * sizeof(std::string_view) + m_blockBytes;
}

std::string_view NameTable::Keep(std::string_view text)
{
    constexpr std::size_t kBlock = 64 << 10;
    if (text.size() > m_room) {
        const std::size_t size = std::max(kBlock, text.size());
        m_blocks.push_back(std::make_unique_for_overwrite<char[]>(size));
        m_blockBytes += size;
        m_next = m_blocks.back().get();
        m_room = size;
    }
    char* at = m_next;
    std::copy(text.begin(), text.end(), at);
    m_next += text.size();
    m_room -= text.size();
    return std::string_view(at, text.size());
}

std::size_t NameTable::Slot(std::string_view lower, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        if (m_slots[i] == 0 || (m_hashes[i] == std::uint32_t(hash >> 32) && m_texts[m_slots[i]] == lower))
            return i;
    }
}

void NameTable::Grow()
{
    std::vector<std::uint32_t> slots(m_slots.size() * 2, 0);
    std::vector<std::uint32_t> hashes(slots.size(), 0);
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        if (!m_slots[i])
            continue;
        std::size_t j = Hash(m_texts[m_slots[i]]) & mask;
        while (slots[j])
            j = (j + 1) & mask;
        slots[j] = m_slots[i];
        hashes[j] = m_hashes[i];
    }
    m_slots.swap(slots);
    m_hashes.swap(hashes);
}

NameId NameTable::InternLower(std::string_view key, std::uint64_t hash)
{
    std::size_t slot = Slot(key, hash);
    if (m_slots[slot])
        return m_slots[slot];
    if ((m_texts.size() + 1) * 2 > m_slots.size()) {
        Grow();
        slot = Slot(key, hash);
    }
    m_texts.push_back(Keep(key));
    m_slots[slot] = static_cast<std::uint32_t>(m_texts.size() - 1);
    m_hashes[slot] = std::uint32_t(hash >> 32);
    return m_slots[slot];
}

NameId NameTable::Intern(std::string_view name)
{
    char buffer[64];
    std::string longer;
    char* lower = buffer;
    if (name.size() > sizeof buffer) {
        longer.resize(name.size());
        lower = longer.data();
    }
    for (std::size_t i = 0; i < name.size(); ++i)
        lower[i] = Lower(name[i]);
    const std::string_view key(lower, name.size());
    return InternLower(key, Hash(key));
}

NameId NameTable::Find(std::string_view name) const
{
    std::string lower(name);
    for (char& c : lower)
        c = Lower(c);
    return m_slots[Slot(lower, Hash(lower))];
}

bool IsKeyword(std::string_view word)
{
    if (word.empty() || word.size() > 12)
        return false;
    char lower[16];
    for (std::size_t i = 0; i < word.size(); ++i)
        lower[i] = Lower(word[i]);
    return LookupLower(std::string_view(lower, word.size())) != 0;
}

std::string_view KeywordText(std::uint16_t kind)
{
    if (kind < kDim || kind > kSgn)
        return {};
    return kShown[kind - kDim];
}

void LexLine(std::string_view line, std::uint32_t eolCol, NameTable& names, std::vector<Token>& out)
{
    const std::size_t n = line.size();
    const auto at = [&](std::size_t i) -> unsigned char { return i < n ? static_cast<unsigned char>(line[i]) : '\n'; };
    const auto push = [&](std::uint16_t kind, std::size_t from, std::size_t to, NameId name = kNoName) {
        out.push_back(Token{kind, static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(to - from), name});
    };
    std::size_t k = 0;
    while (k < n) {
        const unsigned char c = at(k);
        const std::size_t from = k;
        if (IsSpace(c)) {
            ++k;
            continue;
        }
        if (c == ';')
            break;
        if (const tokens::NumberSpan number = tokens::NumberAt(line, k); number.kind != tokens::Number::None) {
            static constexpr std::uint16_t kKinds[] = {0, kIntConst, kFloatConst, kBinConst, kHexConst};
            k = number.end;
            push(kKinds[static_cast<int>(number.kind)], from, k);
            continue;
        }
        if (c == '"') {
            k = tokens::StringEnd(line, k);
            push(kStringConst, from, k);
            continue;
        }
        if (IsAlpha(c)) {
            // Lower-cased and hashed in one pass; looked up as a keyword,
            // else interned.
            char buffer[64];
            std::string longer;
            char* lower = buffer;
            std::uint64_t hash = 1469598103934665603ull;
            for (; k < n && Is(static_cast<unsigned char>(line[k]), kNameChar); ++k) {
                const std::size_t i = k - from;
                if (i == sizeof buffer) {
                    longer.assign(buffer, sizeof buffer);
                    lower = nullptr;
                }
                const char l = Lower(line[k]);
                if (lower)
                    lower[i] = l;
                else
                    longer.push_back(l);
                hash = (hash ^ static_cast<unsigned char>(l)) * 1099511628211ull;
            }
            const std::size_t len = k - from;
            const std::string_view word = lower ? std::string_view(lower, len) : std::string_view(longer);
            std::uint16_t kind = len <= 12 ? LookupLower(word) : 0;
            // "end if", "else if": one space, then the second word.
            if ((kind == kElse || word == "end") && at(k) == ' ' && IsAlpha(at(k + 1))) {
                std::size_t t = k + 2;
                for (; IsAlnum(at(t)) || at(t) == '_'; ++t) {}
                char joined[16];
                if (t - from <= sizeof joined) {
                    for (std::size_t i = 0; i < t - from; ++i)
                        joined[i] = Lower(line[from + i]);
                    if (std::uint16_t two = LookupLower(std::string_view(joined, t - from))) {
                        kind = two;
                        k = t;
                    }
                }
            }
            if (kind)
                push(kind, from, k);
            else
                push(kIdent, from, k, names.InternLower(word, hash | 1));
            continue;
        }
        ++k;
        std::uint16_t kind = c;
        if (c == '<' && at(k) == '>') {
            kind = kNe, ++k;
        } else if ((c == '<' && at(k) == '=') || (c == '=' && at(k) == '<')) {
            kind = kLe, ++k;
        } else if ((c == '>' && at(k) == '=') || (c == '=' && at(k) == '>')) {
            kind = kGe, ++k;
        }
        push(kind, from, k);
    }
    out.push_back(Token{kEol, eolCol, 0, kNoName});
}

namespace {

// Where the line starting at `start` ends (its line end left out), and
// where the next one starts: past the text's end after the last line. The
// line ends at the first LF, or at a CR before it; CR LF is one line end.
std::size_t EndOfLine(std::string_view text, std::size_t start, std::size_t& next)
{
    const std::size_t n = text.size();
    const void* lf = std::memchr(text.data() + start, '\n', n - start);
    std::size_t i = lf ? static_cast<const char*>(lf) - text.data() : n;
    if (const void* cr = std::memchr(text.data() + start, '\r', i - start))
        i = static_cast<const char*>(cr) - text.data();
    next = i >= n ? n + 1 : (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? i + 2 : i + 1;
    return std::min(i, n);
}

}  // namespace

void SplitLines(std::string_view text, std::vector<LineSpan>& out)
{
    for (std::size_t start = 0, next = 0; start <= text.size(); start = next) {
        const auto len = static_cast<std::uint32_t>(EndOfLine(text, start, next) - start);
        out.push_back(LineSpan{start, len, len});
    }
}

std::string_view LineCursor::Line(std::uint32_t row)
{
    std::size_t next = 0;
    while (!m_past && m_row < row) {
        EndOfLine(m_text, m_start, next);
        if (next > m_text.size())
            m_past = true;
        else
            m_start = next, ++m_row;
    }
    if (m_past || m_row != row)
        return {};
    return m_text.substr(m_start, EndOfLine(m_text, m_start, next) - m_start);
}

std::uint32_t LineCursor::Count(std::string_view text)
{
    std::uint32_t count = 1;
    if (text.empty())
        return count;
    const char* const end = text.data() + text.size();
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)))); ++p)
        ++count;
    // A CR ends a line of its own unless an LF follows it.
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\r', std::size_t(end - p)))); ++p)
        if (p + 1 == end || p[1] != '\n')
            ++count;
    return count;
}

}  // namespace lang
