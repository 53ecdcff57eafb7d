#include "assist/Words.h"

#include "platform/Text.h"

#include <algorithm>

bool IsTypeSuffix(char c)
{
    return c == '$' || c == '#' || c == '%';
}

namespace {

// The number of line bytes the caret stands after, kept within the line.
std::size_t BytesBefore(std::string_view line, int endColumn)
{
    return endColumn <= 0 ? 0 : std::min(line.size(), std::size_t(endColumn));
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsWordDelimiter(char c)
{
    switch (c) {
    case '\\': case '.': case ' ': case ',': case '(': case ')': case '+':
    case '-': case '/': case '*': case '=': case '<': case '>': case '^':
    case '!': case '&': case '|': case '\t': case '\r': case '\n':
        return true;
    default:
        return false;
    }
}

std::string GetWordBeforeCaret(std::string_view line, int endColumn, bool selectionPresent,
                               bool skipLast)
{
    if (selectionPresent)
        return {};
    const int n = skipLast ? endColumn - 1 : endColumn;
    std::size_t end = BytesBefore(line, n);
    std::size_t start = end;
    while (start > 0 && !IsWordDelimiter(line[start - 1]))
        --start;
    std::string word;
    word.reserve(end - start);
    for (char c : line.substr(start, end - start))
        if (!IsTypeSuffix(c))
            word += c;
    return word;
}

std::string GetDelimiterBeforeCaret(std::string_view line, int endColumn, bool selectionPresent)
{
    if (selectionPresent || endColumn <= 0)
        return {};
    for (std::size_t i = BytesBefore(line, endColumn); i > 0; --i)
        if (IsWordDelimiter(line[i - 1]))
            return std::string(1, line[i - 1]);
    return std::string(line.substr(0, 1));
}

std::string WordBeforeBackslash(std::string_view line, int endColumn, bool selectionPresent)
{
    const std::size_t before = BytesBefore(line, endColumn);
    const std::size_t slash = before == 0 ? std::string_view::npos
                                          : line.substr(0, before).rfind('\\');
    // With no backslash the word would end one column before the line starts.
    if (slash == std::string_view::npos)
        return {};
    return GetWordBeforeCaret(line, int(slash), selectionPresent, false);
}

bool IsCaretInString(std::string_view line, int endColumn)
{
    const std::string_view before = line.substr(0, BytesBefore(line, endColumn));
    return std::count(before.begin(), before.end(), '"') % 2 == 1;
}

bool IsCaretInComment(std::string_view line, int endColumn)
{
    return line.substr(0, BytesBefore(line, endColumn)).find(';') != std::string_view::npos;
}

bool IsNumericWord(std::string_view word)
{
    std::string_view s = text::TrimSpace(word);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    int digits = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i]))
            ++digits;
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        const std::size_t expStart = i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        if (i == expStart)
            return false;
    }
    return i == s.size();
}
