#include "analysis/EditorRouting.h"

#include "analysis/Words.h"

namespace {

bool InCommentOrString(std::string_view line, int endColumn)
{
    return IsCaretInComment(line, endColumn) || IsCaretInString(line, endColumn);
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
    if (delimiter == ".")
        return {CompletionRequest::ShowTypeList, {}, prefix};
    return {CompletionRequest::ShowCompletion, {}, {}};
}
