#include "editor/Tokenizer.h"

#include "language/Lexer.h"
#include "language/TokenRules.h"

#include "platform/Text.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

using lang::tokens::IsDigit;

bool IsIdentStart(unsigned char c)
{
    return lang::tokens::IsNameStart(c);
}

bool IsIdentChar(unsigned char c)
{
    return lang::tokens::IsNameChar(c);
}

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t';
}

}  // namespace

bool IsStatementWord(std::string_view word)
{
    // The command list holds the library's commands only: without these the
    // words that shape a program would stay uncoloured.
    return word.find(' ') == std::string_view::npos && lang::IsKeyword(word);
}

std::uint32_t NameTable::Hash(std::string_view name)
{
    std::uint64_t h = 1469598103934665603ull;
    for (char c : name) {
        h ^= static_cast<unsigned char>(text::ToLower(c));
        h *= 1099511628211ull;
    }
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

NameTable::NameTable(const EditorKeywordList& list, int forcedKind)
{
    for (const EditorKeywordPtr& e : list)
        Add(BareName(e->Name), forcedKind ? forcedKind : e->Kind());
    m_chars.shrink_to_fit();
}

std::size_t NameTable::Probe(std::string_view name, std::uint32_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = m_slots[i];
        if (slot.length == 0 ||
            (slot.kind != 0 && slot.length == name.size() && text::EqualsNoCase(NameIn(slot), name)))
            return i;
    }
}

void NameTable::Grow(std::size_t count)
{
    // At most three quarters full, counting the slots of names taken out.
    std::size_t size = 16;
    while (size * 3 / 4 <= count)
        size *= 2;
    if (size <= m_slots.size() && m_used * 4 < m_slots.size() * 3)
        return;
    std::vector<Slot> old = std::exchange(m_slots, std::vector<Slot>(size));
    std::string chars = std::exchange(m_chars, std::string());
    m_chars.reserve(chars.size() + chars.size() / 2);
    m_count = m_used = 0;
    for (const Slot& slot : old)
        if (slot.kind != 0)
            Put(std::string_view(chars).substr(slot.at, slot.length), int(slot.kind));
}

void NameTable::Put(std::string_view name, int kind)
{
    Slot& slot = m_slots[Probe(name, Hash(name))];
    slot.at = static_cast<std::uint32_t>(m_chars.size());
    slot.length = static_cast<std::uint32_t>(name.size());
    slot.kind = static_cast<std::uint32_t>(kind);
    for (char c : name)
        m_chars += text::ToLower(c);
    ++m_count;
    ++m_used;
}

bool NameTable::operator==(const NameTable& other) const
{
    if (m_count != other.m_count)
        return false;
    for (const Slot& slot : m_slots)
        if (slot.kind != 0 && other.Find(NameIn(slot)) != int(slot.kind))
            return false;
    return true;
}

std::uint64_t NameTable::Signature(const EditorKeywordList& list, int forcedKind)
{
    // A sum and a xor of well-mixed entry hashes: independent of order and
    // cheap to compare. A duplicate entry changes it although the table
    // would not change; that only costs a needless recolouring.
    std::uint64_t sum = 0;
    std::uint64_t mixed = 0;
    std::uint64_t count = 0;
    for (const EditorKeywordPtr& e : list) {
        const std::string_view name = BareName(e->Name);
        const int kind = forcedKind ? forcedKind : e->Kind();
        if (name.empty() || kind == 0)
            continue;
        std::uint64_t h = Hash(name) ^ (std::uint64_t(kind) * 0x9E3779B97F4A7C15ull);
        h ^= h >> 31;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 29;
        sum += h;
        mixed ^= h * 0x94D049BB133111EBull;
        ++count;
    }
    return sum ^ (mixed << 1) ^ (count * 0xD6E8FEB86659FD93ull);
}

void NameTable::Add(std::string_view name, int kind)
{
    // Longer than any line the editor colours: such a name is never met.
    if (name.empty() || kind <= 0 || kind > 255 || name.size() >= (1u << 24))
        return;
    if (!m_slots.empty() && m_slots[Probe(name, Hash(name))].length != 0)
        return;
    Grow(m_count + 1);
    Put(name, kind);
}

bool NameTable::Refresh(std::string_view name, const EditorKeywordList& list)
{
    const int kind = DeclaredKind(list, name);
    const int was = Find(name);
    if (kind == was)
        return false;
    if (was == 0) {
        Add(name, kind);
    } else {
        Slot& slot = m_slots[Probe(name, Hash(name))];
        slot.kind = static_cast<std::uint32_t>(kind);
        if (kind == 0)
            --m_count;
    }
    return true;
}

int NameTable::Find(std::string_view name) const
{
    if (m_slots.empty() || name.empty())
        return 0;
    const Slot& slot = m_slots[Probe(name, Hash(name))];
    return slot.length == 0 ? 0 : int(slot.kind);
}

std::string_view BareName(std::string_view name)
{
    name = text::TrimSpace(name);
    if (name.size() >= 2 && name.substr(name.size() - 2) == "()")
        name.remove_suffix(2);
    // The identifier at the front; whatever follows it (a type character, a
    // ".Type" tag) is not part of the coloured word.
    std::size_t n = 0;
    while (n < name.size() && IsIdentChar(static_cast<unsigned char>(name[n])))
        ++n;
    return name.substr(0, n);
}

int DeclaredKind(const EditorKeywordList& list, std::string_view name)
{
    if (name.empty())
        return 0;
    const std::vector<EditorKeywordPtr>& entries = list.Entries();
    const auto from = [&](std::string_view probe) {
        return std::lower_bound(entries.begin(), entries.end(), probe, [](const EditorKeywordPtr& e, std::string_view p) {
            return EditorKeywordList::CompareNames(e->Name, p) < 0;
        });
    };
    // A name written after blanks or tabs (a label ".\tname") sorts before
    // every name starting with a letter; there are hardly ever any.
    for (const char* blank : {"\t", " "})
        for (auto it = from(blank); it != entries.end() && (*it)->Name.starts_with(*blank); ++it)
            if ((*it)->Kind() != 0 && text::EqualsNoCase(BareName((*it)->Name), name))
                return (*it)->Kind();
    // Otherwise the name starts with it and goes on with a character that
    // no identifier holds. Those characters form a few ranges in the lists'
    // order; the first entry found in the first range that has one wins.
    const auto startsWith = [&](const std::string& s) {
        return s.size() >= name.size() && text::EqualsNoCase(std::string_view(s).substr(0, name.size()), name);
    };
    struct Range {
        int low, high;  // the next character, lower-cased; -1 for the end
    };
    static constexpr Range kRanges[] = {{-1, -1}, {0x00, 0x2F}, {0x3A, 0x5E}, {0x60, 0x60}, {0x7B, 0xFF}};
    std::string probe(name);
    for (const Range& r : kRanges) {
        probe.resize(name.size());
        if (r.low >= 0)
            probe += char(r.low);
        for (auto it = from(probe); it != entries.end() && startsWith((*it)->Name); ++it) {
            const std::string& n = (*it)->Name;
            const int next = n.size() == name.size() ? -1 : static_cast<unsigned char>(text::ToLower(n[name.size()]));
            if (next < r.low || next > r.high)
                break;
            if ((*it)->Kind() != 0)
                return (*it)->Kind();
        }
    }
    return 0;
}

bool MayHoldName(std::string_view line, const std::vector<std::string>& names)
{
    const std::size_t n = line.size();
    std::size_t i = 0;
    while (i < n) {
        if (!IsIdentChar(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        std::size_t j = i;
        while (j < n && IsIdentChar(static_cast<unsigned char>(line[j])))
            ++j;
        // Digits before a name are a number's (1abc reads as 1 and abc).
        std::size_t start = i;
        while (start < j && IsDigit(static_cast<unsigned char>(line[start])))
            ++start;
        const std::string_view word = line.substr(start, j - start);
        for (const std::string& name : names)
            if (name.size() == word.size() && text::EqualsNoCase(word, name))
                return true;
        i = j;
    }
    return false;
}

LexRules::LexRules()
{
    SetOperators("+-/*=<>^!&|");
}

void LexRules::SetOperators(std::string_view chars)
{
    operators.reset();
    for (unsigned char c : chars)
        operators.set(c);
}

void Tokenize(std::string_view line, const LexRules& rules, const NameTable& commands,
              const NameTable& declared, std::vector<Token>& out)
{
    std::vector<LexPoint> none;
    TokenizeSpan(line, rules, commands, declared, {}, INT_MAX, none, INT_MAX, none, out);
}

LexPoint TokenizeSpan(std::string_view line, const LexRules& rules, const NameTable& commands,
                      const NameTable& declared, LexPoint from, int until, const std::vector<LexPoint>& rejoin,
                      int spacing, std::vector<LexPoint>& points, std::vector<Token>& out)
{
    const int n = static_cast<int>(line.size());
    auto at = [&](int i) -> unsigned char { return i < n ? static_cast<unsigned char>(line[i]) : 0; };
    auto push = [&](TokenClass cls, int start, int length, int kind = 0) {
        out.push_back({cls, static_cast<std::uint8_t>(kind), start, length});
    };

    int i = std::clamp(from.offset, 0, n);
    while (from.offset == 0 && i < n && IsBlank(at(i)))
        ++i;
    // A label opens its line: ".name".
    if (from.offset == 0 && at(i) == '.' && IsIdentStart(at(i + 1))) {
        int j = i + 1;
        while (j < n && IsIdentChar(at(j)))
            ++j;
        push(TokenClass::Label, i, j - i, kKindLabel);
        i = j;
    }

    const unsigned char comment = static_cast<unsigned char>(rules.commentChar);
    const unsigned char quote = static_cast<unsigned char>(rules.stringChar);
    bool afterName = from.offset > 0 && from.afterName;  // the previous character ends an identifier
    int lastPoint = i;
    auto next = rejoin.begin();
    while (i < n) {
        if (i >= until) {
            while (next != rejoin.end() && next->offset < i)
                ++next;
            if (next != rejoin.end() && *next == LexPoint{i, afterName})
                return {i, afterName};
        }
        if (i - lastPoint >= spacing && i > 0) {
            points.push_back({i, afterName});
            lastPoint = i;
        }
        const unsigned char c = at(i);
        const int start = i;
        if (IsBlank(c)) {
            ++i;
            afterName = false;
            continue;
        }
        if (comment && c == comment) {
            push(TokenClass::Comment, i, n - i);
            break;
        }
        if (quote && c == quote) {
            const int j = int(lang::tokens::StringEnd(line, std::size_t(i), char(quote)));
            push(TokenClass::String, i, j - i);
            i = j;
            afterName = false;
            continue;
        }
        if (IsIdentStart(c)) {
            int j = i + 1;
            while (j < n && IsIdentChar(at(j)))
                ++j;
            const std::string_view word = line.substr(i, j - i);
            int kind = commands.Find(word);
            TokenClass cls = TokenClass::Name;
            if (kind == 0 && IsStatementWord(word))
                cls = TokenClass::Keyword;
            else if (kind == 0)
                kind = declared.Find(word);
            push(cls, i, j - i, cls == TokenClass::Name ? kind : 0);
            i = j;
            const unsigned char s = at(i);
            if (cls == TokenClass::Name && (s == '$' || s == '#' || s == '%')) {
                push(TokenClass::Suffix, i, 1, kind);
                ++i;
            }
            afterName = true;
            continue;
        }
        // After a name a '$' or '%' is its type, not a number's start.
        if (const auto number = lang::tokens::NumberAt(line, std::size_t(i));
            !afterName && number.kind != lang::tokens::Number::None) {
            push(TokenClass::Number, start, int(number.end) - start);
            i = int(number.end);
            afterName = false;
            continue;
        }
        push(rules.operators.test(c) ? TokenClass::Operator : TokenClass::Text, i, 1);
        ++i;
        // After a closing bracket a "$" or "%" is not a literal either.
        afterName = c == ')' || c == ']';
    }
    return {n, afterName};
}
