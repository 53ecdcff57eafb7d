#pragma once

#include "editor/Keywords.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// The per-kind styles the main window would make.
DeclStyles TestStyles();

// One line per entry: "Name|kind|ReturnType|Line|Key", in list order.
std::vector<std::string> Describe(const EditorKeywordList& list);
// Only the names, in list order.
std::vector<std::string> Names(const EditorKeywordList& list);

// A vocabulary entry; parameters written "[name]" are optional.
EditorKeyword Command(std::string_view name, std::initializer_list<std::string_view> params = {});
EditorKeywordListPtr Vocabulary(std::initializer_list<EditorKeyword> commands);
