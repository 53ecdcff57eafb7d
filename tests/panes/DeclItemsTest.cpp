#include "support/Declarations.h"

#include "panes/DeclItems.h"

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
        for (const EditorKeywordPtr& item : DeclListItems(*r.DocKeywords, tab))
            listed += (listed.empty() ? "" : " ") + item->Name;
        EXPECT_EQ(listed, texts) << tab;
    }
}

}  // namespace
