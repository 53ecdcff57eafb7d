#include "editing/BlockText.h"

#include <algorithm>

namespace block {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Calls `edit(line, out)` for each line and copies the line ends between.
template <typename Edit>
std::string EachLine(std::string_view text, Edit edit)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 1);
    std::size_t at = 0;
    while (true) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        edit(text.substr(at, end - at), out);
        if (end == text.size())
            return out;
        const std::size_t next = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
        out.append(text.substr(end, next - end));
        at = next;
    }
}

std::string_view Indentation(std::string_view line)
{
    std::size_t n = 0;
    while (n < line.size() && IsBlank(line[n]))
        ++n;
    return line.substr(0, n);
}

// 't' for tabs, 's' for blanks alone, 0 when no line of `text` is indented.
char IndentStyle(std::string_view text)
{
    char style = 0;
    EachLine(text, [&style](std::string_view line, std::string&) {
        const std::string_view indent = Indentation(line);
        if (style == 't' || indent.empty() || indent.size() == line.size())
            return;
        style = indent.find('\t') != std::string_view::npos ? 't' : 's';
    });
    return style;
}

}  // namespace

std::string CommentLines(std::string_view lines)
{
    return EachLine(lines, [](std::string_view line, std::string& out) {
        out += ';';
        out.append(line);
    });
}

std::string UncommentLines(std::string_view lines)
{
    return EachLine(lines, [](std::string_view line, std::string& out) {
        const std::size_t first = Indentation(line).size();
        if (first < line.size() && line[first] == ';') {
            out.append(line.substr(0, first));
            out.append(line.substr(first + 1));
        } else {
            out.append(line);
        }
    });
}

std::string IndentUnit(std::string_view lines, std::string_view document, int tabSize)
{
    char style = IndentStyle(lines);
    if (style == 0) {
        // The first indented line of the document speaks for it.
        for (std::size_t at = 0; at < document.size() && style == 0;) {
            const std::size_t end = std::min(document.find('\n', at), document.size());
            style = IndentStyle(document.substr(at, end - at));
            at = end + 1;
        }
    }
    return style == 's' ? std::string(std::size_t(std::max(tabSize, 1)), ' ') : std::string("\t");
}

std::string IndentLines(std::string_view lines, std::string_view unit)
{
    return EachLine(lines, [unit](std::string_view line, std::string& out) {
        if (!line.empty())
            out.append(unit);
        out.append(line);
    });
}

std::string UnindentLines(std::string_view lines, int tabSize)
{
    const int width = std::max(tabSize, 1);
    return EachLine(lines, [width](std::string_view line, std::string& out) {
        // Columns up to the next multiple of the tab size, so a blank or two
        // before a tab goes together with it.
        std::size_t n = 0;
        for (int column = 0; n < line.size() && IsBlank(line[n]) && column < width; ++n)
            column = line[n] == '\t' ? width : column + 1;
        out.append(line.substr(n));
    });
}

}  // namespace block
