#pragma once

#include "editor/Keywords.h"

// Keyword lists the benchmarks share.
namespace gen {

// One style per declaration kind.
DeclStyles Styles();
// 1,500 command names shaped like the real vocabulary's (verb, noun,
// qualifier), in name order.
EditorKeywordListPtr Vocabulary();
// About 10,000 names declared in a generated document.
EditorKeywordListPtr Declared();

}  // namespace gen
