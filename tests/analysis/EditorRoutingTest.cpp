#include "analysis/EditorRouting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Caret {
    std::string line;
    int column;
};

Caret At(std::string_view marked)
{
    const std::size_t bar = marked.find('|');
    return {std::string(marked.substr(0, bar)) + std::string(marked.substr(bar + 1)), int(bar)};
}

TEST(EditorRouting, TypedCharactersOpenListsAndTips)
{
    using K = CharAddedAction::Kind;
    struct Case {
        char ch;
        std::string marked;  // after the character was typed
        bool popupShown;
        K kind;
        std::string word;
    };
    const std::vector<Case> cases = {
        {' ', "Graphics |", false, K::ShowCallTip, ""},
        {'(', "Graphics(|", false, K::ShowCallTip, ""},
        {')', "Str(1)|", true, K::ShowCallTip, ""},
        {',', "Graphics(1,|", false, K::UpdateCallTip, ""},
        {'.', "player.|", false, K::ShowTypeList, ""},
        {'.', "player.|", true, K::ShowTypeList, ""},
        {'.', "x = 3.|", false, K::None, ""},
        {'.', ".|", false, K::None, ""},
        {'\\', "Print p$\\|", false, K::ShowFieldList, "p"},
        {'\\', "\\|", false, K::None, ""},
        {'(', "Print \"(|", false, K::None, ""},
        {' ', "x ; note |", false, K::None, ""},
        {'.', "; player.|", false, K::None, ""},
        {'\\', "Print \"a\\|", true, K::None, ""},
        {'a', "Wa|", true, K::RefilterCompletion, ""},
        {'a', "Wa|", false, K::None, ""},
        {'a', "Print \"Wa|", true, K::RefilterCompletion, ""},
    };
    for (const Case& c : cases) {
        const Caret caret = At(c.marked);
        const CharAddedAction a = OnCharAdded(c.ch, caret.line, caret.column, false, c.popupShown);
        EXPECT_EQ(a.kind, c.kind) << c.marked;
        EXPECT_EQ(a.word, c.word) << c.marked;
    }
}

TEST(EditorRouting, CtrlSpaceListsFieldsTypesOrEveryName)
{
    using K = CompletionRequest::Kind;
    struct Case {
        std::string marked;
        bool selection;
        K kind;
        std::string varName, prefix;
    };
    const std::vector<Case> cases = {
        {"Print player\\sc|", false, K::ShowFieldList, "player", "sc"},
        {"Print player\\|", false, K::ShowFieldList, "player", ""},
        {"Local p.He|", false, K::ShowTypeList, "", "He"},
        {"Local p.|", false, K::ShowTypeList, "", ""},
        {"Wai|", false, K::ShowCompletion, "", ""},
        {"x = Wai|", false, K::ShowCompletion, "", ""},
        {"|", false, K::ShowCompletion, "", ""},
        {"player\\x|", true, K::ShowCompletion, "", ""},
        {"Print \"abc|", false, K::Nothing, "", ""},
        {"x ; Wai|", false, K::Nothing, "", ""},
    };
    for (const Case& c : cases) {
        const Caret caret = At(c.marked);
        const CompletionRequest r = OnCtrlSpace(caret.line, caret.column, c.selection);
        EXPECT_EQ(r.kind, c.kind) << c.marked;
        EXPECT_EQ(r.varName, c.varName) << c.marked;
        EXPECT_EQ(r.prefix, c.prefix) << c.marked;
    }
}

TEST(EditorRouting, DroppedFilesOpenWhenTheyEndInBb)
{
    for (const char* p : {"a.bb", "x.BB", "/games/Main.Bb", ".bb"})
        EXPECT_TRUE(IsSourceFileName(p)) << p;
    for (const char* p : {"b.txt", "bb", "a.bbb", "a.bb.txt", ""})
        EXPECT_FALSE(IsSourceFileName(p)) << p;
}

}  // namespace
