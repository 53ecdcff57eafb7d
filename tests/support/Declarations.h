#pragma once

#include "model/DocDeclarations.h"

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

// The per-kind styles the main window would make.
DeclStyles TestStyles();

// "Name|kind|ReturnType|Line" of every entry in list order, joined by
// blanks; with `keys`, "|Key" too.
std::string Describe(const EditorKeywordList& list, bool keys = false);
// Only the names, joined by blanks.
std::string Names(const EditorKeywordList& list);

// Scans with the include files given as key=contents pairs, read from
// memory, as a main file in the folder "/src/".
ScanResult Scan(std::string_view source, std::initializer_list<std::pair<std::string, std::string>> files = {});

// A vocabulary entry; parameters written "[name]" are optional.
EditorKeyword Command(std::string_view name, std::initializer_list<std::string_view> params = {});
EditorKeywordListPtr Vocabulary(std::initializer_list<EditorKeyword> commands);

// A line with the caret written as "|".
struct Caret {
    std::string line;
    int column;
};
Caret At(std::string_view marked);
