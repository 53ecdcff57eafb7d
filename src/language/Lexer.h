#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Tokens of Blitz3D source, one line at a time, as the compiler cuts them.
//
// Positions: a column is the byte offset in the line from 0 (a tab is one
// column, a UTF-8 character as many columns as it has bytes), which is what
// the compiler counts; diagnostics add 1 when they are shown.
namespace lang {

using NameId = std::uint32_t;  // an interned, lower-cased name; 0 is none
constexpr NameId kNoName = 0;

// Names without regard to letter case: each distinct lower-cased spelling
// gets one id for the life of the table, so the rest of the model compares
// integers.
class NameTable {
public:
    NameTable();
    NameId Intern(std::string_view name);
    // A name already lower-cased, with its hash (the lexer makes both at once).
    NameId InternLower(std::string_view lower, std::uint64_t hash);
    // The id of a name already met, kNoName for one never met.
    NameId Find(std::string_view name) const;
    // The lower-cased spelling.
    std::string_view Text(NameId id) const { return m_texts[id]; }
    std::size_t Size() const { return m_texts.size(); }
    std::size_t Bytes() const;

private:
    std::size_t Slot(std::string_view lower, std::uint64_t hash) const;
    void Grow();
    // A copy of the spelling in the table's own blocks of text, which never move.
    std::string_view Keep(std::string_view text);

    std::deque<std::string_view> m_texts;  // never copied whole to grow
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    std::size_t m_room = 0, m_blockBytes = 0;
    std::vector<std::uint32_t> m_slots;  // open addressing, 0 = empty
    std::vector<std::uint32_t> m_hashes; // of the names in the slots, to compare few texts
};

// Token kinds: a single-character operator is its character; the others
// follow.
enum Tok : std::uint16_t {
    kEol = 1,  // the end of the line, where the compiler sees its '\n'
    kIdent = 256,
    kIntConst, kFloatConst, kStringConst, kBinConst, kHexConst,
    kNe, kLe, kGe,
    // keywords
    kDim, kGoto, kGosub, kExit, kReturn, kIf, kThen, kElse, kEndIf, kElseIf,
    kWhile, kWend, kFor, kTo, kStep, kNext, kFunction, kEndFunction, kType, kEndType,
    kEach, kGlobal, kLocal, kField, kConst, kSelect, kCase, kDefault, kEndSelect,
    kRepeat, kUntil, kForever, kData, kRead, kRestore, kMod, kPi, kTrue, kFalse,
    kInt, kFloat, kStr, kInclude, kNew, kDelete, kFirst, kLast, kInsert, kBefore,
    kAfter, kNull, kObject, kHandle, kAnd, kOr, kXor, kNot, kShl, kShr, kSar, kEnd,
    kAbs, kSgn,
};

struct Token {
    std::uint16_t kind = kEol;
    std::uint32_t col = 0;
    std::uint32_t len = 0;
    NameId name = kNoName;  // identifiers only
};

// Appends the tokens of one line (without its line end) to `out`, ending
// with a kEol token at `eolCol`: where the compiler sees the line end (at
// the CR of a CR LF line end).
void LexLine(std::string_view line, std::uint32_t eolCol, NameTable& names, std::vector<Token>& out);

// Whether a spelling is one of the language's keywords (letter case ignored).
bool IsKeyword(std::string_view word);
// The keyword's spelling as the help writes it, for messages; "" for none.
std::string_view KeywordText(std::uint16_t kind);

// A source cut into lines at CR LF, LF or CR, as the editor cuts it: the
// start of each line, its length without the line end, and where the
// compiler's line end falls.
struct LineSpan {
    std::size_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t eolCol = 0;
};
void SplitLines(std::string_view text, std::vector<LineSpan>& out);

// The same lines met one at a time, front to back, for a reader of a large
// text that needs only some of them and should not hold a span for each.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : m_text(text) {}
    // Row `row` (from 0) without its line end; "" past the last. Rows asked
    // for must not go back.
    std::string_view Line(std::uint32_t row);
    // How many lines the text has (at least one).
    static std::uint32_t Count(std::string_view text);

private:
    std::string_view m_text;
    std::size_t m_start = 0;
    std::uint32_t m_row = 0;
    bool m_past = false;
};

}  // namespace lang
