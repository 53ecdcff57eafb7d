#include "support/Declarations.h"

#include "assist/EditorRouting.h"
#include "assist/PopupPlacement.h"

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
        // A type's name follows New, Each, First and Last, but not a field or a longer name ending so.
        {' ', "p.Player = New |", false, K::ShowTypeList, ""}, {' ', "For e.E = each\t |", false, K::ShowTypeList, ""},
        {' ', "Delete First |", false, K::ShowTypeList, ""},  {' ', "x = p\\Last |", false, K::ShowCallTip, ""},
        {' ', "Renew |", false, K::ShowCallTip, ""},          {' ', "x2New |", false, K::ShowCallTip, ""},
        {' ', "; New |", false, K::None, ""},
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
        {"p = New  Pl|", false, K::ShowTypeList, "", "Pl"},
        {"p = Before Pl|", false, K::ShowCompletion, "", ""},
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

TEST(PopupPlacement, StaysOnTheScreenAndOffTheCaretLine)
{
    const QRect screen(0, 0, 1000, 700);
    const std::pair<QPoint, QPoint> cases[] = {
        {{100, 100}, {110, 124}},  // beside and below the caret
        {{800, 100}, {679, 124}},  // moved in from the right edge
        {{670, 100}, {679, 124}},  // just touching the edge counts as past it
        {{100, 600}, {110, 428}},  // no room below: above the caret's line
        {{-50, 100}, {0, 124}},    // never left of the screen
    };
    for (const auto& [caret, expected] : cases)
        EXPECT_EQ(PopupPosition(caret, {10, 24}, {320, 170}, screen), expected) << caret.x() << "," << caret.y();
    // A second screen to the right keeps its own edges.
    EXPECT_EQ(PopupPosition({1900, 50}, {0, 24}, {200, 20}, QRect(1000, 0, 1000, 700)), QPoint(1799, 74));
}

}  // namespace
