#pragma once

#include "navigation/ProgramEdits.h"
#include "editing/TextSearch.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Finding a text in every file of a program: each match with its row and its
// row's text, for a list grouped by file. Rows and columns count from 0,
// columns in bytes; CR LF, LF and a lone CR each end a row.
namespace search {

struct ProgramOptions : Options {
    // Only matches that neither start nor end inside a name: no letter,
    // digit or '_' right before or after them (checked at an end of the
    // searched text that is itself a name's character).
    bool wholeWord = false;
};

struct RowMatch {
    std::uint32_t row = 0, col = 0, endCol = 0;
    std::string line;  // the row, without its line end
};

// Every match of `what` in `text`, left to right and without overlap. A
// match never spans rows.
std::vector<RowMatch> FindInText(std::string_view text, std::string_view what, const ProgramOptions& options);

// The matches in each of a program's files (named by the model's keys), the
// files in the order given and those without a match left out. `text` gives
// a file's text, nothing for one that cannot be read.
struct FileMatches {
    std::string key;
    std::vector<RowMatch> matches;
};
std::vector<FileMatches> FindInFiles(const std::vector<std::string>& keys,
                                     const std::function<std::optional<std::string>(const std::string& key)>& text,
                                     std::string_view what, const ProgramOptions& options);

// Every match replaced by `with`, as a change across the program.
ProgramEdits ReplaceMatches(const std::vector<FileMatches>& found, std::string_view with);

}  // namespace search
