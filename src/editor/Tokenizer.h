#pragma once

#include "editor/Keywords.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Names looked up without regard to case, each with its kind code. Built
// from a keyword list when a document is first shown, and kept up to date
// name by name as the scanner changes the list in place.
class NameTable {
public:
    NameTable() = default;
    // Every entry under its bare identifier (see BareName); the first entry
    // of a name decides its kind.
    explicit NameTable(const EditorKeywordList& list, int forcedKind = 0);

    void Add(std::string_view name, int kind);
    // Gives `name` the kind it has in `list` now, as a table built from the
    // list would; returns whether that changed its kind.
    bool Refresh(std::string_view name, const EditorKeywordList& list);
    // The kind of `name` (any letter case), 0 when unknown.
    int Find(std::string_view name) const;
    std::size_t Size() const { return m_count; }
    bool operator==(const NameTable& other) const;

    // A fingerprint of the (name, kind) entries a list would give a table,
    // without building one: lists that give equal tables give equal
    // signatures. Order does not matter.
    static std::uint64_t Signature(const EditorKeywordList& list, int forcedKind = 0);

private:
    // A document of millions of names has a table of as many: a slot is
    // eight bytes, and the names, lower-cased, lie end to end in one string.
    struct Slot {
        std::uint32_t at = 0;          // where its name starts in m_chars
        std::uint32_t length : 24 = 0;  // 0 for a slot never used
        std::uint32_t kind : 8 = 0;    // 0 for a name taken out
    };
    static std::uint32_t Hash(std::string_view name);
    // The slot holding `name`, or the free one it would go in.
    std::size_t Probe(std::string_view name, std::uint32_t hash) const;
    std::string_view NameIn(const Slot& slot) const { return std::string_view(m_chars).substr(slot.at, slot.length); }
    void Put(std::string_view name, int kind);
    void Grow(std::size_t count);

    std::vector<Slot> m_slots;  // a power of two in number, or none
    std::string m_chars;
    std::size_t m_count = 0;  // names held
    std::size_t m_used = 0;   // slots that ever held one
};

// The identifier a declared name colours: "name$" gives name, "Area#" gives
// Area, "grid()" gives grid.
std::string_view BareName(std::string_view name);
// The kind the first entry of `list` whose bare name is `name` (any case)
// has, 0 when there is none: a search by halving, not a walk.
int DeclaredKind(const EditorKeywordList& list, std::string_view name);
// Whether a line may show one of `names` (lower case) as a name: a cheap
// test that passes over lines the names cannot colour.
bool MayHoldName(std::string_view line, const std::vector<std::string>& names);

// What a line's characters are, for colouring and for the call tip.
enum class TokenClass : std::uint8_t {
    Text,      // punctuation and anything unknown
    Comment,
    String,
    Number,
    Operator,
    Keyword,   // a statement word of the language (If, While, Function...)
    Name,      // an identifier; its kind says whether it is known
    Suffix,    // the type character after a name ($ # %)
    Label,     // ".name" opening a line
};

struct Token {
    TokenClass cls = TokenClass::Text;
    std::uint8_t kind = 0;  // KeywordKind of a Name (and of its Suffix); 0 otherwise
    int start = 0;          // byte offset in the line
    int length = 0;
};

// The characters that the settings give a meaning.
struct LexRules {
    char commentChar = ';';
    char stringChar = '"';
    std::bitset<256> operators;

    LexRules();  // the default operators "+-/*=<>^!&|"
    void SetOperators(std::string_view chars);
    bool operator==(const LexRules&) const = default;
};

// Splits one line (without its line end) into tokens, appending them to
// `out`. Blanks and tabs make no token. Names are looked up in `commands`
// first (kind 1), then among the statement words, then in `declared`.
void Tokenize(std::string_view line, const LexRules& rules, const NameTable& commands,
              const NameTable& declared, std::vector<Token>& out);

// A place between two tokens of a line, past its start: tokenizing can
// resume there. `afterName` tells whether the text before it ends a name
// (or a bracket), which keeps a "$" or "%" after it from starting a number.
struct LexPoint {
    int offset = 0;
    bool afterName = false;
    bool operator==(const LexPoint&) const = default;
};

// Tokenize for long lines: starts at `from` (a LexPoint an earlier run over
// the same text before it gave, or offset 0 for the line's start), appends
// a LexPoint to `points` about every `spacing` bytes, and stops at the first
// place at or past `until` that is one of `rejoin` (sorted by offset): from
// there on the tokens are those of the run that gave `rejoin`. Returns where
// it stopped (the line's length when it ran to the end).
LexPoint TokenizeSpan(std::string_view line, const LexRules& rules, const NameTable& commands,
                      const NameTable& declared, LexPoint from, int until, const std::vector<LexPoint>& rejoin,
                      int spacing, std::vector<LexPoint>& points, std::vector<Token>& out);

// True for the statement words of Blitz3D that the command list leaves out.
bool IsStatementWord(std::string_view word);
