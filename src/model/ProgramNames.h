#pragma once

#include "editor/Keywords.h"
#include "language/Program.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The program model's names as the window shows them: entries of the
// autocomplete lists, of the colouring and of the call tip. The model keeps
// names in lower case, as the compiler does; the window shows them as their
// declarations write them, read from the line a declaration stands on.
namespace programnames {

// A line of a file (by model key, row from 0), without its line end.
using LineText = std::function<std::string(const std::string& key, std::uint32_t row)>;

// The name as its declaration writes it; the model's name when the line no
// longer holds it there.
std::string Spelling(const lang::SymbolInfo& symbol, const LineText& line);

// The colour and picture kind of a symbol; 0 for one the lists leave out.
int KindOf(lang::SymbolKind kind);

// The autocomplete list of `symbols`: each entry's Name is what a choice
// inserts (an array's with "()", a field's with its type as its Field line
// has it), what follows it in the list is its type or a function's
// parameters. `types` spell the type names.
EditorKeywordListPtr ListOf(const std::vector<lang::SymbolInfo>& symbols, const std::vector<lang::SymbolInfo>& types,
                            const LineText& line, const DeclStyles& styles);

// The names the program's files declare for every file (globals, arrays,
// constants, functions, types), but for the files in `covered`, whose names
// a document's list has already (its own and those of its includes), as
// entries of that list with Line 0: coloured and offered like the list's
// own, and left out of the declaration list.
std::vector<EditorKeywordPtr> SharedEntries(const std::vector<lang::SymbolInfo>& symbols,
                                            const std::set<std::string>& covered, const LineText& line,
                                            const DeclStyles& styles);

// The types `symbols` are of, looked up by name: what ListOf needs to spell
// them, without every type of the program.
std::vector<lang::SymbolInfo> TypesOf(const std::vector<lang::SymbolInfo>& symbols, lang::Program& program);

// What the autocomplete list offers at a place of a file: the function's own
// locals and parameters (`lead`) ahead of the program's constants, globals,
// arrays, functions and types (`rest`). Not the name being typed at `col`,
// which the model takes for a new local.
struct NamesAtPlace {
    EditorKeywordListPtr lead, rest;
};
NamesAtPlace CompletionNames(lang::Program& program, const std::string& key, std::uint32_t row, int col,
                             const LineText& line, const DeclStyles& styles);

// A program's function as the call tip shows a command: its parameters as
// declared, those with a default value optional; its Key the name in lower
// case, as the commands' are.
EditorKeywordPtr CallableOf(const lang::SymbolInfo& function, const LineText& line);

}  // namespace programnames
