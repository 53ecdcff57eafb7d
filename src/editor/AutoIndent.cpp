#include "editor/AutoIndent.h"

#include "platform/Text.h"

#include <algorithm>

namespace {

bool IsWordChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// One level in the style of `indent`: a tab unless the indentation is made
// of blanks alone.
std::string AddLevel(std::string_view indent, int tabSize)
{
    const bool blanks = !indent.empty() && indent.find('\t') == std::string_view::npos;
    return std::string(indent) + (blanks ? std::string(std::max(tabSize, 1), ' ') : "\t");
}

std::string RemoveLevel(std::string_view indent, int tabSize)
{
    if (indent.empty())
        return {};
    if (indent.back() == '\t')
        return std::string(indent.substr(0, indent.size() - 1));
    std::size_t n = indent.size();
    for (int i = 0; i < std::max(tabSize, 1) && n > 0 && indent[n - 1] == ' '; ++i)
        --n;
    return std::string(indent.substr(0, n));
}

}  // namespace

std::string_view LeadingIndent(std::string_view line)
{
    std::size_t n = 0;
    while (n < line.size() && (line[n] == ' ' || line[n] == '\t'))
        ++n;
    return line.substr(0, n);
}

bool StartsWithToken(std::string_view line, std::string_view tokens)
{
    line.remove_prefix(LeadingIndent(line).size());
    std::size_t n = 0;
    while (n < line.size() && IsWordChar(static_cast<unsigned char>(line[n])))
        ++n;
    if (n == 0)
        return false;
    const std::string framed = " " + text::ToLower(line.substr(0, n)) + " ";
    return text::ToLower(tokens).find(framed) != std::string::npos;
}

IndentAfterEnter IndentForNewLine(std::string_view above, std::string_view line,
                                  std::string_view rest, const IndentTokens& tokens)
{
    IndentAfterEnter out;
    std::string indent(LeadingIndent(line));

    // A line that closes a block sits one level out from the block's body,
    // which is measured on the line above; a line already placed there stays.
    if (StartsWithToken(line, tokens.less) && !text::TrimSpace(above).empty()) {
        std::string body(LeadingIndent(above));
        if (StartsWithToken(above, tokens.more))
            body = AddLevel(body, tokens.tabSize);
        const std::string wanted = RemoveLevel(body, tokens.tabSize);
        if (wanted != indent) {
            out.reindentLine = true;
            out.lineIndent = wanted;
            indent = wanted;
        }
    }

    out.newLineIndent = indent;
    if (StartsWithToken(line, tokens.more))
        out.newLineIndent = AddLevel(out.newLineIndent, tokens.tabSize);
    if (StartsWithToken(rest, tokens.less))
        out.newLineIndent = RemoveLevel(out.newLineIndent, tokens.tabSize);
    return out;
}
