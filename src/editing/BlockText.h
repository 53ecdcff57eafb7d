#pragma once

#include <string>
#include <string_view>

// The block commands' work on the text of whole lines. A block is the text
// of one or more lines with the line ends between them (CR LF, LF or CR, as
// the editor counts lines) and none after the last; every line end is kept
// as it was.
namespace block {

// ";" in front of every line, empty ones and comments included.
std::string CommentLines(std::string_view lines);
// Each line loses the ";" that is its first non-blank character; blanks
// before it stay.
std::string UncommentLines(std::string_view lines);

// One level of indentation as a document writes it: a tab, or `tabSize`
// blanks when the block's indented lines (else the first indented line of
// `document`) use blanks alone.
std::string IndentUnit(std::string_view lines, std::string_view document, int tabSize);
// `unit` in front of every line that is not empty.
std::string IndentLines(std::string_view lines, std::string_view unit);
// Each line loses one level from the front of its indentation: a tab, or
// blanks up to `tabSize` columns.
std::string UnindentLines(std::string_view lines, int tabSize);

}  // namespace block
