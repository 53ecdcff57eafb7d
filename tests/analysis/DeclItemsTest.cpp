#include "AnalysisTestSupport.h"

#include "analysis/DeclItems.h"

#include <gtest/gtest.h>

namespace {

TEST(DeclList, ListsTheDocumentsOwnDeclarationsOfTheTabsKind)
{
    const ScanResult r = Scan("Include \"lib.bb\"\nFunction Zap()\nConst LIMIT = 3\nFunction draw()\nGlobal hp\n"
                              "Dim map(3)\nLocal temp\n.again",
                              {{"/src/lib.bb", "Function FromLib()\nGlobal libGlobal"}});
    const std::vector<std::tuple<std::string, std::string, int>> cases = {
        {"Functions", "draw Zap", 13}, {"Const", "LIMIT", 14}, {"Globals", "hp map()", 1},
        {"Types", "", 10},              {"Labels", "again", 12}, {"functions", "", 0},
    };
    for (const auto& [tab, texts, icon] : cases) {
        std::string listed;
        const std::optional<DeclTab> shown = DeclTabFor(tab);
        EXPECT_EQ(shown ? shown->icon : 0, icon) << tab;
        for (const EditorKeywordPtr& item : DeclListItems(*r.DocKeywords, tab)) {
            listed += (listed.empty() ? "" : " ") + item->Name;
            const EditorKeyword* e = FindDeclaration(*r.DocKeywords, item->Key, item->Name);
            EXPECT_TRUE(e && e->Name == item->Name && e->Line > 0) << item->Key;
        }
        EXPECT_EQ(listed, texts) << tab;
    }
}

TEST(DeclList, NavigationFindsTheDocumentsEntryWhenAnIncludeSharesItsKey)
{
    // The include's first entry and the document's first are both "score0".
    const ScanResult r = Scan("Include \"lib.bb\"\nGlobal score", {{"/src/lib.bb", "Global score"}});
    const EditorKeyword* e = FindDeclaration(*r.DocKeywords, "score0", "score");
    EXPECT_TRUE(e && e->Line == 2);
    EXPECT_EQ(FindDeclaration(*r.DocKeywords, "score7", "score"), nullptr);
    const ScanResult onlyLib = Scan("Include \"lib.bb\"", {{"/src/lib.bb", "Global score"}});
    EXPECT_EQ(FindDeclaration(*onlyLib.DocKeywords, "score0", "score"), nullptr);

    // a1 as entry 0 and a as entry 10 run together into one key.
    const ScanResult same = Scan("Global a1\nGlobal b,c,d,e,f,g,h,i,j\nGlobal a");
    const EditorKeyword* a1 = FindDeclaration(*same.DocKeywords, "a10", "a1");
    const EditorKeyword* a = FindDeclaration(*same.DocKeywords, "a10", "a");
    EXPECT_TRUE(a1 && a1->Line == 1);
    EXPECT_TRUE(a && a->Line == 3);
}

}  // namespace
