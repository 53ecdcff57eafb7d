#include "panes/DeclItems.h"

std::optional<DeclTab> DeclTabFor(std::string_view tabKey)
{
    if (tabKey == "Const")
        return DeclTab{kKindConst, 14};
    if (tabKey == "Globals")
        return DeclTab{kKindGlobal, 1};
    if (tabKey == "Types")
        return DeclTab{kKindType, 10};
    if (tabKey == "Functions")
        return DeclTab{kKindFunction, 13};
    if (tabKey == "Labels")
        return DeclTab{kKindLabel, 12};
    return std::nullopt;
}

std::vector<EditorKeywordPtr> DeclListItems(const EditorKeywordList& docKeywords, std::string_view tabKey)
{
    std::vector<EditorKeywordPtr> items;
    const std::optional<DeclTab> tab = DeclTabFor(tabKey);
    if (!tab)
        return items;
    for (const EditorKeywordPtr& e : docKeywords)
        if (e->Line > 0 && e->Kind() == tab->kind)
            items.push_back(e);
    return items;
}
