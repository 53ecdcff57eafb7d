#pragma once

#include "language/Program.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A change to several files of a program at once (a rename, a replace in
// every file) as plain values: what each place becomes, the preview the user
// confirms, and the new texts. Nothing here reads or writes a file.
//
// Rows and columns are the program model's: from 0, columns in bytes of the
// text as the editor holds it; CR LF, LF and a lone CR each end a row.

// The bytes [col, endCol) of a row become `text`.
struct TextEdit {
    std::uint32_t row = 0, col = 0, endCol = 0;
    std::string text;
    bool operator==(const TextEdit&) const = default;
};

// The edits of one file, named by its key, in text order without overlap.
struct FileEdits {
    std::string key;
    std::vector<TextEdit> edits;
    bool operator==(const FileEdits&) const = default;
};

// The files in the order they are listed to the user.
using ProgramEdits = std::vector<FileEdits>;

// A rename's edits grouped by file (files in the order they first appear)
// and sorted in each.
ProgramEdits RenameEdits(const std::vector<lang::RenameEdit>& edits, std::string_view newName);

std::size_t EditCount(const ProgramEdits& edits);

// The edits of a text as one stretch: the bytes [start, end), from the first
// edit to the last, become `text`. A single replacement of it is one undo
// step in the editor. Nullopt when an edit lies beyond its row or overlaps
// the one before, as when the text is not the one the edits were made for.
struct TextSplice {
    std::size_t start = 0, end = 0;
    std::string text;
};
std::optional<TextSplice> SpliceEdits(std::string_view text, const std::vector<TextEdit>& edits);
// The whole text after the edits, on the same terms.
std::optional<std::string> ApplyEdits(std::string_view text, const std::vector<TextEdit>& edits);

// Where a column of a row stands once the edits are made: moved along by
// the edits before it on its row, or, inside an edit, at the end of the new
// text (a caret in a renamed name stays in it). Rows keep their numbers.
std::uint32_t ColumnAfterEdits(const std::vector<TextEdit>& edits, std::uint32_t row, std::uint32_t col);

// One place of the preview: its file and row, and the row as it reads now
// and as it will read (every edit of the row made), without its line end.
struct EditPreview {
    std::string key;
    std::uint32_t row = 0;
    std::string before, after;
};
// One entry per edit, in the order of `edits`; `lineText` gives a row of a
// file as it reads now.
std::vector<EditPreview> PreviewEdits(const ProgramEdits& edits,
                                      const std::function<std::string(std::string_view key, std::uint32_t row)>& lineText);

// A rename as F2 plans it. `spelled` is the name as written at the place,
// "" when no declared name is there; for a new name, either the refusal the
// model gives, or `changedSince` when a place no longer reads as the name
// (a file changed since it was read), or the edits.
struct RenamePlanned {
    std::string spelled;
    std::string refusal;
    bool changedSince = false;
    ProgramEdits edits;
};
using ProgramLineText = std::function<std::string(std::string_view key, std::uint32_t row)>;
// The name at a place, with nothing planned yet.
RenamePlanned NameToRename(lang::Program& program, const ProgramLineText& lineText, std::string_view key,
                           std::uint32_t row, std::uint32_t col);
RenamePlanned PlanRename(lang::Program& program, const ProgramLineText& lineText, std::string_view key,
                         std::uint32_t row, std::uint32_t col, std::string_view newName);
