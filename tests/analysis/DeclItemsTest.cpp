#include "AnalysisTestSupport.h"

#include "analysis/DeclItems.h"
#include "analysis/Scanner.h"

#include <gtest/gtest.h>

namespace {

EditorKeywordListPtr Declared(std::string_view source, std::string include = {})
{
    ScanOptions options;
    options.readInclude = [include](const QString&) { return std::optional<std::string>(include); };
    return ScanDocument(source, "/src/", TestStyles(), options).DocKeywords;
}

TEST(DeclList, ListsTheDocumentsOwnDeclarationsOfTheTabsKind)
{
    const EditorKeywordListPtr declared = Declared(
        "Include \"lib.bb\"\n"
        "Function Zap()\n"
        "Const LIMIT = 3\n"
        "Function draw()\n"
        "Global hp, name$\n"
        "Dim map(3)\n"
        "Local temp\n"
        "Type Hero\n"
        ".again",
        "Function FromLib()\nGlobal libGlobal\nType LibType");
    struct Case {
        std::string tab;
        std::vector<std::string> texts;
        int icon;
    };
    const std::vector<Case> cases = {
        {"Functions", {"draw", "Zap"}, 13},
        {"Const", {"LIMIT"}, 14},
        {"Globals", {"hp", "map()", "name"}, 1},
        {"Types", {"Hero"}, 10},
        {"Labels", {"again"}, 12},
        {"Locals", {}, 0},
        {"functions", {}, 0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts;
        for (const DeclListItem& item : DeclListItems(*declared, c.tab)) {
            texts.push_back(item.text);
            EXPECT_EQ(item.icon, c.icon) << c.tab;
            const EditorKeyword* e = FindDeclaration(*declared, item.key);
            ASSERT_NE(e, nullptr) << item.key;
            EXPECT_EQ(e->Name, item.text);
        }
        EXPECT_EQ(texts, c.texts) << c.tab;
    }
}

TEST(DeclList, NavigationFindsTheDocumentsEntryEvenWhenAnIncludeSharesItsKey)
{
    // The include's first entry and the document's first entry are both
    // "score0".
    const EditorKeywordListPtr declared = Declared("Include \"lib.bb\"\nGlobal score", "Global score");
    const EditorKeyword* e = FindDeclaration(*declared, "score0");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Line, 2);
    // A key from before a rescan, and a key only an include has.
    EXPECT_EQ(FindDeclaration(*declared, "score7"), nullptr);
    const EditorKeywordListPtr onlyLib = Declared("Include \"lib.bb\"", "Global score");
    EXPECT_EQ(FindDeclaration(*onlyLib, "score0"), nullptr);
}

TEST(DeclList, RescanKeepsTheScrolledRegionInView)
{
    struct Case {
        int firstVisible, perPage, count, target;
    };
    const std::vector<Case> cases = {
        {0, 10, 50, 0},    // at the top: stays there
        {5, 10, 50, 15},   // the last row seen before
        {45, 10, 50, 49},  // not past the end
        {5, 10, 0, 0},     // the list emptied
        {3, 10, 2, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeclListScrollTarget(c.firstVisible, c.perPage, c.count), c.target)
            << c.firstVisible << " " << c.perPage << " " << c.count;
}

}  // namespace
