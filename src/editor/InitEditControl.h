#pragma once

#include "editor/EditCtrl.h"
#include "editor/Keywords.h"

struct Settings;

// The editor's look and behaviour as the settings describe them.
EditorAppearance AppearanceFromSettings(const Settings& settings);

// Applies the settings to the editor, hands it the command vocabulary and
// returns the six new styles for declared names. A null `keywordList` is
// replaced by an empty list; afterwards it holds the list the editor uses.
// Running it again gives the same editor state with new style objects.
DeclStyles InitEditControl(EditCtrl& editor, const Settings& settings, EditorKeywordListPtr& keywordList);
