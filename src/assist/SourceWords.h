#pragma once

// Names in Blitz3D source text, as the language reads them: identifiers in
// any letter case, a type character ($ # %) after a name being no part of
// it, nothing inside a string or after the comment character counting.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace words {

bool IsNameStart(char c);
bool IsNameChar(char c);

// A text and where each of its lines starts (lines end at CR LF, LF or CR),
// for lookups that go by line number.
class SourceLines {
public:
    explicit SourceLines(std::string_view text);
    int Count() const { return int(m_starts.size()); }
    // A 1-based line without its line end; empty past the last line.
    std::string_view Line(int line) const;
    std::string_view Text() const { return m_text; }

private:
    std::string_view m_text;
    std::vector<std::size_t> m_starts;
};

// Whether the byte at `column` of a line stands in code: not inside a string
// and not in a comment.
bool InCode(std::string_view line, int column, char commentChar = ';', char stringChar = '"');

// The name a caret at `column` of a line stands in or right after, and what
// the text before it makes of it.
struct NameAtCaret {
    std::string name;  // as written, without a type character
    int start = 0;     // its bytes in the line
    int end = 0;
    enum Context {
        Plain,
        Field,     // after "\": a field of what `path` leads to
        TypeName,  // after "." (p.Player), New, Each, First, Last, Object.
        Label,     // after Goto, Gosub or Restore, or the ".name" opening a line
    } context = Plain;
    // Field: the names before it, outermost first (a\b\x gives a, b).
    std::vector<std::string> path;
    // Field: the first name of the path is a type (First Player\x), or is
    // indexed or called (grid(1, 2)\x).
    bool pathStartsWithType = false;
    bool pathStartsIndexed = false;
    // A "(" follows: a function called or an array indexed.
    bool call = false;
};
// Nothing for a caret in a string, a comment, a number or no name at all.
std::optional<NameAtCaret> NameAt(std::string_view line, int column, char commentChar = ';',
                                  char stringChar = '"');

// The field access a caret stands in right after its "\" or in the name
// typed after it (p\, p\na, a\b\): `name` is what was typed of the field so
// far (without a type character), `path` the names before the "\". Nothing
// when no "\" in code comes before the typed name.
std::optional<NameAtCaret> FieldPathAt(std::string_view line, int column, char commentChar = ';',
                                       char stringChar = '"');

// Where `name` stands in a line as a whole word in code, from `from` on
// (any letter case); -1 when it does not.
int FindWord(std::string_view line, std::string_view name, int from = 0, char commentChar = ';',
             char stringChar = '"');

// One use of a name: its line (from 1), its column (bytes from 0) and the
// text of its line.
struct Use {
    int line = 0;
    int column = 0;
    std::string_view lineText;
};
// Every use of `name` in `text` as a whole word in code, in any letter case,
// with or without a type character, in order, for as long as `each` returns
// true. Long texts are searched sixteen bytes at a time.
void ForEachUse(std::string_view text, std::string_view name, const std::function<bool(const Use&)>& each,
                char commentChar = ';', char stringChar = '"');

}  // namespace words
