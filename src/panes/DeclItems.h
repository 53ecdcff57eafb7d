#pragma once

#include "editor/Keywords.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the declaration pane shows: one kind of the document's own
// declarations at a time, chosen by the tab strip above the list.

// The kind a tab of the declaration pane shows and the icon of its items.
struct DeclTab {
    int kind = 0;
    int icon = 0;
};
// For the tab keys "Const", "Globals", "Types", "Functions" and "Labels".
std::optional<DeclTab> DeclTabFor(std::string_view tabKey);

// The entries of the document itself (not of its includes) of the tab's
// kind, in the list's order; each is shown by its Name and found again by
// its Key. Locals are never listed; an unknown tab lists nothing.
std::vector<EditorKeywordPtr> DeclListItems(const EditorKeywordList& docKeywords, std::string_view tabKey);

