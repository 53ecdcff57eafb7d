#include "assist/EditorRouting.h"

#include "assist/Words.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

bool InCommentOrString(std::string_view line, int endColumn)
{
    return IsCaretInComment(line, endColumn) || IsCaretInString(line, endColumn);
}

bool IsLetter(char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// Whether a type's name follows at `column`: after New, Each, First or Last
// and the blanks that end them (not a field or type of that name).
bool TypeNameFollows(std::string_view line, int column)
{
    int end = std::min(column, int(line.size()));
    const int wordEnd = end;
    while (end > 0 && (line[std::size_t(end) - 1] == ' ' || line[std::size_t(end) - 1] == '\t'))
        --end;
    if (end == wordEnd)
        return false;
    int start = end;
    while (start > 0 && IsLetter(line[std::size_t(start) - 1]))
        --start;
    if (start > 0) {
        const char before = line[std::size_t(start) - 1];
        if (before == '\\' || before == '.' || before == '_' || (before >= '0' && before <= '9'))
            return false;
    }
    const std::string_view word = line.substr(std::size_t(start), std::size_t(end - start));
    for (std::string_view keyword : {"new", "each", "first", "last"})
        if (text::EqualsNoCase(word, keyword))
            return true;
    return false;
}

}  // namespace

CharAddedAction OnCharAdded(char ch, std::string_view line, int endColumn, bool selectionPresent,
                            bool popupShown)
{
    switch (ch) {
    case ' ':
    case '(':
    case ')':
    case ',':
    case '.':
    case '\\':
        break;
    default:
        return {popupShown ? CharAddedAction::RefilterCompletion : CharAddedAction::None, {}};
    }
    if (InCommentOrString(line, endColumn))
        return {};
    if (ch == ',')
        return {CharAddedAction::UpdateCallTip, {}};
    if (ch == ' ' && TypeNameFollows(line, endColumn))
        return {CharAddedAction::ShowTypeList, {}};
    if (ch != '.' && ch != '\\')
        return {CharAddedAction::ShowCallTip, {}};

    std::string word = GetWordBeforeCaret(line, endColumn, selectionPresent, true);
    if (word.empty())
        return {};
    if (ch == '.')
        // After a number the "." continues it.
        return {IsNumericWord(word) ? CharAddedAction::None : CharAddedAction::ShowTypeList, {}};
    return {CharAddedAction::ShowFieldList, std::move(word)};
}

CompletionRequest OnCtrlSpace(std::string_view line, int endColumn, bool selectionPresent)
{
    if (InCommentOrString(line, endColumn))
        return {};
    const std::string delimiter = GetDelimiterBeforeCaret(line, endColumn, selectionPresent);
    const std::string prefix = GetWordBeforeCaret(line, endColumn, selectionPresent, false);
    if (delimiter == "\\")
        return {CompletionRequest::ShowFieldList, WordBeforeBackslash(line, endColumn, selectionPresent), prefix};
    int wordStart = std::min(endColumn, int(line.size()));
    while (!selectionPresent && wordStart > 0 && !IsWordDelimiter(line[std::size_t(wordStart) - 1]))
        --wordStart;
    if (delimiter == "." || (!selectionPresent && TypeNameFollows(line, wordStart)))
        return {CompletionRequest::ShowTypeList, {}, prefix};
    return {CompletionRequest::ShowCompletion, {}, {}};
}
