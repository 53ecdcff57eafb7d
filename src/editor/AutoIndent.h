#pragma once

#include <string>
#include <string_view>

// The indentation rule applied when Enter splits a line. Token lists are
// the settings' space-framed texts (" If For While "), matched without
// regard to case against a line's first word.
struct IndentTokens {
    std::string more;  // a line starting with one of these opens a block
    std::string less;  // a line starting with one of these closes one
    int tabSize = 3;   // width of one level when the indentation is blanks
};

struct IndentAfterEnter {
    // The new indentation of the line that was just ended (it may close a
    // block and move out one level), or nothing to change.
    bool reindentLine = false;
    std::string lineIndent;
    // The indentation the new line starts with.
    std::string newLineIndent;
};

// `above`: the nearest non-blank line before the ended line ("" if none);
// `line`: the ended line; `rest`: the text that moved to the new line.
IndentAfterEnter IndentForNewLine(std::string_view above, std::string_view line,
                                  std::string_view rest, const IndentTokens& tokens);

// The leading blanks and tabs of a line.
std::string_view LeadingIndent(std::string_view line);
// True when the line's first word is one of the space-framed `tokens`.
bool StartsWithToken(std::string_view line, std::string_view tokens);
