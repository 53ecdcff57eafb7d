#pragma once

// The pieces of a source line the lookups take apart: its words, its
// statements and the items of a declaration list.

#include "analysis/SourceWords.h"
#include "platform/Text.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace lineparts {

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool WordIs(std::string_view word, std::string_view lower)
{
    return word.size() == lower.size() && text::EqualsNoCase(word, lower);
}

// The name at `i` of a line (blanks skipped first), moving `i` past it.
inline std::string_view NextWord(std::string_view line, std::size_t& i)
{
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    const std::size_t start = i;
    if (i < line.size() && words::IsNameStart(line[i]))
        while (i < line.size() && words::IsNameChar(line[i]))
            ++i;
    return line.substr(start, i - start);
}

// The type a declared item names after its identifier at `end`: "Player" for
// p.Player (a type character or an index may come first).
inline std::string TypeAfter(std::string_view text, std::size_t end)
{
    std::size_t i = end;
    if (i < text.size() && (text[i] == '$' || text[i] == '#' || text[i] == '%'))
        ++i;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i >= text.size() || text[i] != '.')
        return {};
    ++i;
    return std::string(NextWord(text, i));
}

// The statements of a line (its code before the comment, cut at ":"
// outside strings), each with the column it starts at, for as long as
// `each` returns true.
template <class F>
void ForEachStatement(std::string_view line, char commentChar, char stringChar, F&& each)
{
    std::size_t start = 0;
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inString) {
            inString = c != stringChar;
        } else if (c == stringChar) {
            inString = true;
        } else if (c == commentChar) {
            each(line.substr(start, i - start), start);
            return;
        } else if (c == ':') {
            if (!each(line.substr(start, i - start), start))
                return;
            start = i + 1;
        }
    }
    each(line.substr(start), start);
}

// The items of a declaration list (after Field, or in a parameter list),
// split at the commas outside brackets and strings, each with the column it
// starts at (`offset` being the list's).
template <class F>
void ForEachItem(std::string_view list, std::size_t offset, char stringChar, F&& each)
{
    int depth = 0;
    bool inString = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const char c = list[i];
        if (inString) {
            inString = c != stringChar;
        } else if (c == stringChar) {
            inString = true;
        } else if (c == '(' || c == '[') {
            ++depth;
        } else if (c == ')' || c == ']') {
            depth = std::max(depth - 1, 0);
        } else if (c == ',' && depth == 0) {
            each(list.substr(start, i - start), offset + start);
            start = i + 1;
        }
    }
    each(list.substr(start), offset + start);
}

}  // namespace lineparts
