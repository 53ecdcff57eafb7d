#include "support/Declarations.h"

#include "assist/Completion.h"
#include "model/ProgramNames.h"
#include "platform/Text.h"

#include <cstring>

#include <gtest/gtest.h>

namespace {

EditorKeywordListPtr Commands()
{
    return Vocabulary({Command("Cls"), Command("Graphics"), Command("Text"), Command("WaitKey"),
                       Command("WaitMouse"), Command("WaitTimer")});
}

EditorKeywordList Letters(char last)
{
    EditorKeywordList list;
    for (char c = 'a'; c <= last; ++c)
        list.Add(Command(std::string(1, c)));
    return list;
}

std::string Rows(const CompletionList& list)
{
    std::string out;
    for (const CompletionRow& r : list.VisibleRows())
        out += (out.empty() ? "" : " ") + r.text + "/" + std::to_string(r.icon) + (r.selected ? "*" : "");
    return out;
}

TEST(Completion, OffersVocabularyAndDeclaredNamesInNameOrder)
{
    CompletionList list(Commands());
    const ScanResult r = Scan("Global waitAll, n$\nFunction F.Ship()\nType T\n.lab\nConst C = 1\nLocal p.T");
    list.setTokens(*r.DocKeywords, true);
    list.setRowsPerPage(20);
    list.updateview(1, 3);
    EXPECT_EQ(Rows(list), "C/14 Cls/17 F.Ship/13* Graphics/17 lab/12 n$/1 p.T/20 T/10 Text/17 waitAll%/1 WaitKey/17 "
                          "WaitMouse/17 WaitTimer/17");
    list.setTokens(*r.DocKeywords, false);
    EXPECT_EQ(Names(list.tokens()), "C F.Ship lab n p T waitAll");
    EXPECT_EQ(list.SelectedName(), "");
    // The inserted name leaves out the type tag and anything from a "."
    // on; Escape inserts nothing.
    for (const auto& [prefix, inserted] : std::vector<std::pair<std::string, std::string>>{{"n", "n"}, {"f", "F"}}) {
        list.ShowNearestToken(prefix);
        EXPECT_EQ(list.KeyDown(ListKey::Tab), ListKeyOutcome::Close);
        EXPECT_EQ(list.SelectedName(), inserted);
    }
    EXPECT_EQ(list.KeyDown(ListKey::Escape), ListKeyOutcome::Close);
    EXPECT_EQ(list.SelectedName(), "");
}

// Typing narrows the list without ever choosing: the one name left is
// selected, not inserted.
TEST(Completion, SelectsFirstNameNotBelowTypedPrefix)
{
    CompletionList list(Commands());
    list.setTokens(EditorKeywordList(), true);
    // The prefix typed, the entry selected, whether it is the only one
    // starting with the prefix, and what typing it does to the list.
    using N = Narrowed;
    const std::vector<std::tuple<std::string, int, bool, Narrowed>> cases = {
        {"", 1, false, N::Open},         {"cls", 1, true, N::Complete},        {"d", 2, false, N::NoMatch},
        {"Wai", 4, false, N::Open},      {"WAITK", 4, true, N::Open},          {"WAITKEY", 4, true, N::Complete},
        {"waitkeys", 5, false, N::NoMatch}, {"waitm", 5, true, N::Open},       {"waitt", 6, true, N::Open},
        {"waitz", 6, false, N::NoMatch},  // all below: the last one
        {"graphicsx", 3, false, N::NoMatch},
    };
    for (const auto& [p, current, single, narrowed] : cases)  // braced: each call in turn
        EXPECT_EQ((std::tuple{list.isSingleToken(p), list.current(), list.Narrow(p), list.SelectionMatches(p)}),
                  std::tuple(single, current, narrowed, narrowed != N::NoMatch))
            << p;
    // On a larger list the halving search agrees with a linear one.
    EditorKeywordList many;
    for (int i = 0; i < 300; ++i)
        many.Add(Command("name" + std::to_string(i * 7 % 1000)));
    list.setTokens(many, false);
    for (int i = 0; i < 300; ++i) {
        const std::string prefix = "name" + std::to_string(i * 13 % 1000);
        int expected = list.count();
        while (expected > 1 && list.tokens().Item(std::size_t(expected - 1)).Name >= prefix)
            --expected;
        list.ShowNearestToken(prefix);
        EXPECT_EQ(list.current(), expected) << prefix;
    }
    // Nothing to select in an empty list, whatever is typed or pressed.
    list.setTokens(EditorKeywordList(), false);
    EXPECT_FALSE(list.isSingleToken("a"));
    EXPECT_EQ(list.Narrow(""), Narrowed::NoMatch);
    EXPECT_FALSE(list.SelectionMatches(""));
    list.KeyDown(ListKey::PageDown);
    EXPECT_EQ(std::tuple(list.current(), Rows(list), list.SelectedName()), std::tuple(0, "", ""));
}

// Inside a function its own names lead the list, spelled as declared: a
// typed word selects among them first, and among the rest when none fits.
TEST(Completion, TheFunctionsOwnNamesLeadTheList)
{
    using K = lang::SymbolKind;
    // Each name declared on a row of its own, spelled there as written.
    std::vector<std::string> rows;
    const auto symbols = [&rows](std::vector<std::tuple<K, const char*, const char*>> declared) {
        std::vector<lang::SymbolInfo> found;
        for (const auto& [kind, spelled, type] : declared) {
            lang::SymbolInfo s;
            s.kind = kind;
            s.name = text::ToLower(spelled);
            s.typeText = type;
            s.place = {"f", std::uint32_t(rows.size()), 0, std::uint32_t(std::strlen(spelled))};
            rows.emplace_back(spelled);
            found.push_back(std::move(s));
        }
        return found;
    };
    const auto line = [&rows](const std::string&, std::uint32_t row) { return rows[row]; };
    const EditorKeywordListPtr lead =
        programnames::ListOf(symbols({{K::Local, "Speed", "#"}, {K::Parameter, "wait", "%"}}), {}, line, TestStyles());
    const EditorKeywordListPtr rest = programnames::ListOf(
        symbols({{K::Global, "score", "%"}, {K::Field, "x", "#"}, {K::Function, "Move", "%"}, {K::Type, "Point", ""}}),
        {}, line, TestStyles());
    CompletionList list(Commands());
    list.setTokens(*rest, true, *lead);
    list.setRowsPerPage(20);
    list.updateview(1);
    EXPECT_EQ(Rows(list), "Speed#/20* wait%/20 Cls/17 Graphics/17 Move()/13 Point/10 score%/1 Text/17 WaitKey/17 "
                          "WaitMouse/17 WaitTimer/17 x#/10");
    const std::vector<std::tuple<std::string, int, bool>> cases = {
        {"", 1, false},    {"w", 2, false}, {"WAIT", 2, false}, {"waitk", 9, true},
        {"s", 1, false},   {"sp", 1, true}, {"m", 5, true},     {"z", 12, false},
    };
    for (const auto& [prefix, current, single] : cases)  // braced: isSingleToken selects, then current() reads
        EXPECT_EQ((std::pair{list.isSingleToken(prefix), list.current()}), std::pair(single, current)) << prefix;
    list.ShowNearestToken("sp");
    list.KeyDown(ListKey::Tab);
    EXPECT_EQ(list.SelectedName(), "Speed");
}

TEST(Completion, KeysMoveSelectionWithinListAndKeepItOnPage)
{
    CompletionList list;
    list.setTokens(Letters('t'), false);  // 20 entries, 8 rows a page
    EXPECT_EQ(list.scrollMaximum(), 13);
    list.updateview(1);
    const std::vector<std::tuple<ListKey, int, int>> steps = {
        {ListKey::Up, 1, 1},        {ListKey::PageDown, 9, 2},  {ListKey::Down, 10, 3},  {ListKey::PageDown, 18, 11},
        {ListKey::PageDown, 20, 13}, {ListKey::Up, 19, 13},     {ListKey::PageUp, 11, 11}, {ListKey::PageUp, 3, 3},
    };
    for (const auto& [key, current, top] : steps) {
        EXPECT_EQ(list.KeyDown(key), ListKeyOutcome::Moved);
        EXPECT_EQ(std::pair(list.current(), list.top()), std::pair(current, top));
        EXPECT_EQ(list.SelectedName(), std::string(1, char('a' + current - 1)));
    }
    // A click picks a row of the page; the scroll bar moves the page alone.
    list.ClickRow(2);
    EXPECT_EQ(list.SelectedName(), "e");
    list.Scroll(99);
    EXPECT_EQ(std::pair(list.top(), list.current()), std::pair(13, 5));
    EXPECT_EQ(list.SelectedName(), "e");
    // Five entries on an eight-row page: nothing to scroll, Page Down picks the last.
    list.setTokens(Letters('e'), false);
    list.updateview(1);
    list.KeyDown(ListKey::PageDown);
    EXPECT_EQ(std::tuple(list.scrollMaximum(), list.current(), list.top()), std::tuple(1, 5, 1));
}

}  // namespace
