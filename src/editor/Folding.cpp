#include "editor/Folding.h"

#include "language/TokenRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

bool IsWordStart(unsigned char c)
{
    return lang::tokens::IsNameStart(c);
}

bool IsWordChar(unsigned char c)
{
    return IsWordStart(c) || (c >= '0' && c <= '9');
}

// The line as the few kinds of token the block words need.
struct Tok {
    enum Kind : std::uint8_t { End, Word, Operand, Colon, Open, Close, Joiner, Comma, Operator } kind = End;
    std::string_view text;
};

class Toks {
public:
    Toks(std::string_view line, char comment, char quote) : m_s(line), m_comment(comment), m_quote(quote) {}

    Tok Next()
    {
        if (m_held.kind != Tok::End)
            return std::exchange(m_held, Tok{});
        const std::size_t n = m_s.size();
        while (m_i < n && (m_s[m_i] == ' ' || m_s[m_i] == '\t'))
            ++m_i;
        if (m_i >= n)
            return {};
        const unsigned char c = static_cast<unsigned char>(m_s[m_i]);
        if (m_comment && c == static_cast<unsigned char>(m_comment)) {
            m_i = n;
            return {};
        }
        const std::size_t start = m_i++;
        if (m_quote && c == static_cast<unsigned char>(m_quote)) {
            while (m_i < n && m_s[m_i] != m_quote)
                ++m_i;
            m_i = std::min(m_i + 1, n);
            return {Tok::Operand, m_s.substr(start, m_i - start)};
        }
        if (IsWordChar(c)) {
            while (m_i < n && IsWordChar(static_cast<unsigned char>(m_s[m_i])))
                ++m_i;
            // A number's fraction belongs to it: 2.5 is one operand.
            if (!IsWordStart(c))
                while (m_i < n && (m_s[m_i] == '.' || IsWordChar(static_cast<unsigned char>(m_s[m_i]))))
                    ++m_i;
            return {IsWordStart(c) ? Tok::Word : Tok::Operand, m_s.substr(start, m_i - start)};
        }
        switch (c) {
        case ':': return {Tok::Colon, {}};
        case '(':
        case '[': return {Tok::Open, {}};
        case ')':
        case ']': return {Tok::Close, {}};
        case ',': return {Tok::Comma, {}};
        case '.':
        case '\\': return {Tok::Joiner, {}};
        // Type characters and the marks of hexadecimal and binary numbers
        // stand beside an operand and change nothing here.
        case '$':
        case '#':
        case '%': return Next();
        default: return {Tok::Operator, {}};
        }
    }

    // `t` comes again from the next Next.
    void Unget(Tok t) { m_held = t; }

    // Passes over the rest of the statement, up to its ":" (which Next then
    // gives) or the end of the line.
    void SkipStatement()
    {
        m_held = {};
        const std::size_t n = m_s.size();
        while (m_i < n) {
            const char c = m_s[m_i];
            if (c == ':')
                return;
            if (m_comment && c == m_comment) {
                m_i = n;
                return;
            }
            ++m_i;
            if (m_quote && c == m_quote) {
                while (m_i < n && m_s[m_i] != m_quote)
                    ++m_i;
                m_i = std::min(m_i + 1, n);
            }
        }
    }

private:
    std::string_view m_s;
    std::size_t m_i = 0;
    Tok m_held;
    char m_comment;
    char m_quote;
};

bool WordIs(std::string_view word, std::string_view lower)
{
    return word.size() == lower.size() && text::EqualsNoCase(word, lower);
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> lowers)
{
    for (std::string_view w : lowers)
        if (WordIs(word, w))
            return true;
    return false;
}

// The words that start, end or shape a block, at the start of a statement.
enum class BlockWord { None, If, Declaration, End, Opens, Closes };

BlockWord Classify(std::string_view w)
{
    if (w.size() < 2 || w.size() > 8)
        return BlockWord::None;
    switch (text::ToLower(w.front())) {
    case 'i': return WordIs(w, "if") ? BlockWord::If : BlockWord::None;
    case 'f':
        if (WordIs(w, "function"))
            return BlockWord::Declaration;
        if (WordIs(w, "for"))
            return BlockWord::Opens;
        return WordIs(w, "forever") ? BlockWord::Closes : BlockWord::None;
    case 't': return WordIs(w, "type") ? BlockWord::Declaration : BlockWord::None;
    case 'e':
        if (WordIs(w, "end"))
            return BlockWord::End;
        return WordIs(w, "endif") ? BlockWord::Closes : BlockWord::None;
    case 's': return WordIs(w, "select") ? BlockWord::Opens : BlockWord::None;
    case 'w':
        if (WordIs(w, "while"))
            return BlockWord::Opens;
        return WordIs(w, "wend") ? BlockWord::Closes : BlockWord::None;
    case 'r': return WordIs(w, "repeat") ? BlockWord::Opens : BlockWord::None;
    case 'n': return WordIs(w, "next") ? BlockWord::Closes : BlockWord::None;
    case 'u': return WordIs(w, "until") ? BlockWord::Closes : BlockWord::None;
    default: return BlockWord::None;
    }
}

// After "If": whether the If takes the lines below it. The condition ends
// at the line's end, at a ":", or where a second operand follows the first
// without an operator between them (If KeyHit(1) End); an If whose
// condition (or Then) is followed by a statement on the same line is done
// with that line. The token that starts such a statement is left to be read
// again.
bool IsBlockIf(Toks& toks)
{
    bool expectOperand = true;
    int depth = 0;
    for (Tok t = toks.Next();; t = toks.Next()) {
        switch (t.kind) {
        case Tok::End:
        case Tok::Colon:
            return true;
        case Tok::Open:
            ++depth;
            expectOperand = true;
            break;
        case Tok::Close:
            depth = std::max(depth - 1, 0);
            expectOperand = false;
            break;
        case Tok::Comma:
        case Tok::Joiner:
        case Tok::Operator:
            expectOperand = true;
            break;
        case Tok::Word:
            if (WordIs(t.text, "then")) {
                const Tok after = toks.Next();
                if (after.kind == Tok::End || after.kind == Tok::Colon)
                    return true;
                toks.Unget(after);
                return false;
            }
            if (IsOneOf(t.text, {"and", "or", "xor", "not", "mod", "shl", "shr", "sar"})) {
                expectOperand = true;
                break;
            }
            // Words that take an operand after them (First Player, Int x).
            if (IsOneOf(t.text, {"new", "first", "last", "before", "after", "handle", "object", "int", "float", "str"})) {
                if (!expectOperand && depth == 0) {
                    toks.Unget(t);
                    return false;
                }
                expectOperand = true;
                break;
            }
            [[fallthrough]];
        case Tok::Operand:
            if (!expectOperand && depth == 0) {
                toks.Unget(t);
                return false;
            }
            expectOperand = false;
            break;
        }
    }
}

}  // namespace

LineBlocks ReadLineBlocks(std::string_view line, char commentChar, char stringChar)
{
    LineBlocks out;
    const std::string_view trimmed = text::TrimSpace(line);
    if (!trimmed.empty() && commentChar && trimmed.front() == commentChar) {
        out.comment = true;
        return out;
    }
    int balance = 0;
    int lowest = 0;
    auto open = [&] { ++balance; };
    auto close = [&] { lowest = std::min(lowest, --balance); };

    // Only the first words of a statement say whether it opens or closes a
    // block; the rest of it is passed over.
    Toks toks(line, commentChar, stringChar);
    for (Tok t = toks.Next(); t.kind != Tok::End; t = toks.Next()) {
        if (t.kind == Tok::Colon)
            continue;
        if (t.kind == Tok::Word) {
            const BlockWord w = Classify(t.text);
            if (w == BlockWord::If) {
                if (IsBlockIf(toks))
                    open();
                // What follows the condition starts a statement: the first
                // of the If's block after a ":", or the one the If runs.
                continue;
            }
            if (w == BlockWord::Declaration || w == BlockWord::End) {
                // A declaration names what it declares; "End" closes with
                // the word after it.
                t = toks.Next();
                if (t.kind == Tok::Colon)
                    continue;
                if (t.kind == Tok::Word && w == BlockWord::Declaration)
                    open();
                else if (t.kind == Tok::Word && IsOneOf(t.text, {"if", "function", "type", "select"}))
                    close();
            } else if (w == BlockWord::Opens) {
                open();
            } else if (w == BlockWord::Closes) {
                close();
            }
        }
        toks.SkipStatement();
    }
    out.closes = -lowest;
    out.opens = balance - lowest;
    return out;
}

int DepthAfter(const LineBlocks& line, int before)
{
    return std::min(std::max(before - line.closes, 0) + line.opens, kMaxFoldDepth);
}

LineFold FoldOf(const LineBlocks& line, int depthBefore, bool commentBefore, bool commentAfter)
{
    LineFold fold;
    fold.level = depthBefore;
    if (line.comment) {
        fold.level += commentBefore ? 1 : 0;
        fold.header = !commentBefore && commentAfter;
    } else {
        fold.header = DepthAfter(line, depthBefore) > depthBefore;
    }
    return fold;
}

std::vector<LineFold> FoldText(std::string_view text, char commentChar, char stringChar)
{
    std::vector<LineBlocks> lines;
    text::ForEachLine(text, [&](std::string_view line, int) { lines.push_back(ReadLineBlocks(line, commentChar, stringChar)); });
    // A text that ends with a line end has an empty last line, as the editor shows it.
    if (text.empty() || text.back() == '\n' || text.back() == '\r')
        lines.emplace_back();
    std::vector<LineFold> folds;
    folds.reserve(lines.size());
    int depth = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool before = i > 0 && lines[i - 1].comment;
        const bool after = i + 1 < lines.size() && lines[i + 1].comment;
        folds.push_back(FoldOf(lines[i], depth, before, after));
        depth = DepthAfter(lines[i], depth);
    }
    return folds;
}
