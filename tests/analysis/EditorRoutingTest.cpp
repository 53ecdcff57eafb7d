#include "AnalysisTestSupport.h"

#include "analysis/EditorRouting.h"

#include <gtest/gtest.h>

namespace {

TEST(EditorRouting, TypedCharactersOpenListsAndTips)
{
    using K = CharAddedAction::Kind;
    // The character typed, the line after it with the caret, and whether the
    // list is open.
    const std::vector<std::tuple<char, std::string, bool, K, std::string>> cases = {
        {' ', "Graphics |", false, K::ShowCallTip, ""},     {')', "Str(1)|", true, K::ShowCallTip, ""},
        {',', "Graphics(1,|", false, K::UpdateCallTip, ""}, {'.', "player.|", true, K::ShowTypeList, ""},
        {'.', "x = 3.|", false, K::None, ""},               {'.', ".|", false, K::None, ""},
        {'\\', "Print p$\\|", false, K::ShowFieldList, "p"}, {'\\', "\\|", false, K::None, ""},
        {'(', "Print \"(|", false, K::None, ""},            {'.', "; player.|", false, K::None, ""},
        {'a', "Print \"Wa|", true, K::RefilterCompletion, ""}, {'a', "Wa|", false, K::None, ""},
    };
    for (const auto& [ch, marked, popup, kind, word] : cases) {
        const Caret caret = At(marked);
        const CharAddedAction a = OnCharAdded(ch, caret.line, caret.column, false, popup);
        EXPECT_EQ(std::pair(a.kind, a.word), std::pair(kind, word)) << marked;
    }
}

TEST(EditorRouting, CtrlSpaceListsFieldsTypesOrEveryNameAndDropsOpenSources)
{
    using K = CompletionRequest::Kind;
    const std::vector<std::tuple<std::string, bool, K, std::string, std::string>> cases = {
        {"Print player\\sc|", false, K::ShowFieldList, "player", "sc"},
        {"Local p.He|", false, K::ShowTypeList, "", "He"},
        {"x = Wai|", false, K::ShowCompletion, "", ""},
        {"player\\x|", true, K::ShowCompletion, "", ""},
        {"Print \"abc|", false, K::Nothing, "", ""},
        {"x ; Wai|", false, K::Nothing, "", ""},
    };
    for (const auto& [marked, selection, kind, var, prefix] : cases) {
        const Caret caret = At(marked);
        const CompletionRequest r = OnCtrlSpace(caret.line, caret.column, selection);
        EXPECT_EQ(std::tuple(r.kind, r.varName, r.prefix), std::tuple(kind, var, prefix)) << marked;
    }
}

}  // namespace
