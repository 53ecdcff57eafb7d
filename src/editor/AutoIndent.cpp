#include "editor/AutoIndent.h"

#include "language/TokenRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <utility>

namespace {

bool IsWordChar(unsigned char c)
{
    return lang::tokens::IsNameChar(c);
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

namespace {

// The line's first word, lower-cased, and what follows it.
std::pair<std::string, std::string_view> FirstWord(std::string_view line)
{
    line.remove_prefix(LeadingIndent(line).size());
    std::size_t n = 0;
    while (n < line.size() && IsWordChar(static_cast<unsigned char>(line[n])))
        ++n;
    return {text::ToLower(line.substr(0, n)), line.substr(n)};
}

// The code of a line's rest, lower-cased: strings blanked out, so that
// "then" or ";" inside one counts for nothing, and the comment cut off.
std::string CodeOf(std::string_view rest)
{
    std::string code;
    bool quoted = false;
    for (const char c : rest) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ';' && !quoted)
            break;
        code += quoted || c == '"' ? ' ' : c;
    }
    return text::ToLower(code);
}

// "If a Then b = 1" does its work on its own line and opens no block.
bool IsOneLineIf(std::string_view line)
{
    const auto [word, after] = FirstWord(line);
    if (word != "if" && word != "elseif")
        return false;
    const std::string lower = CodeOf(after);
    for (std::size_t at = lower.find("then"); at != std::string::npos; at = lower.find("then", at + 1)) {
        const bool starts = at == 0 || !IsWordChar(static_cast<unsigned char>(lower[at - 1]));
        const bool ends = at + 4 >= lower.size() || !IsWordChar(static_cast<unsigned char>(lower[at + 4]));
        if (starts && ends)
            return !text::TrimSpace(std::string_view(lower).substr(at + 4)).empty();
    }
    return false;
}

bool OpensBlock(std::string_view line, const IndentTokens& tokens)
{
    return StartsWithToken(line, tokens.more) && !IsOneLineIf(line);
}

// A lone "End" ends the program, not a block; "End If", "End Function" do.
bool ClosesBlock(std::string_view line, const IndentTokens& tokens)
{
    if (!StartsWithToken(line, tokens.less))
        return false;
    const auto [word, after] = FirstWord(line);
    return word != "end" || !text::TrimSpace(CodeOf(after)).empty();
}

}  // namespace

IndentAfterEnter IndentForNewLine(std::string_view above, std::string_view line,
                                  std::string_view rest, const IndentTokens& tokens)
{
    IndentAfterEnter out;
    // Enter within a line's indentation keeps the indentation with the text
    // it moves down.
    if (text::TrimSpace(line).empty()) {
        out.newLineIndent = std::string(LeadingIndent(line)) + std::string(LeadingIndent(rest));
        return out;
    }
    std::string indent(LeadingIndent(line));

    // A line that closes a block sits one level out from the block's body,
    // which is measured on the line above; a line already placed there stays.
    if (ClosesBlock(line, tokens) && !text::TrimSpace(above).empty()) {
        std::string body(LeadingIndent(above));
        if (OpensBlock(above, tokens))
            body = AddLevel(body, tokens.tabSize);
        const std::string wanted = RemoveLevel(body, tokens.tabSize);
        if (wanted != indent) {
            out.reindentLine = true;
            out.lineIndent = wanted;
            indent = wanted;
        }
    }

    out.newLineIndent = indent;
    if (OpensBlock(line, tokens))
        out.newLineIndent = AddLevel(out.newLineIndent, tokens.tabSize);
    if (ClosesBlock(rest, tokens))
        out.newLineIndent = RemoveLevel(out.newLineIndent, tokens.tabSize);
    return out;
}
