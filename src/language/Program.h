#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The whole program as the compiler sees it: a main file and every file it
// includes at any depth, one symbol table, every name use bound to its
// symbol, and the compiler's checks. It does no input or output: the host
// gives each file's text (the editor's unsaved text for open documents, the
// disk's for the rest) and tells it of edits, and asks questions whose
// answers are plain values.
//
// Files are named by keys: absolute paths lower-cased with '/' separators
// (FileKey in Includes.h makes one from a path). Rows and columns are from 0;
// a column is a byte offset in the line, as the compiler counts (a tab is one
// column); the compiler's messages show both plus 1.
//
// A window host typically:
//   Program p;  p.SetVocabulary(...);  p.SetMainFile(key);
//   p.SetFile(key, text);  then for each key of p.NeededFiles(): SetFile or SetMissing
//   on each edit: p.Edit(key, first, oldCount, newLines, newCount)
//   then asks Diagnostics(), Definition(), References(), FieldsAt(), ...
// Queries bring the model up to date first, doing only the work the edits
// since the last query call for.
namespace lang {

struct Model;

struct Range {
    std::string file;  // key
    std::uint32_t row = 0, col = 0, endCol = 0;
    bool operator==(const Range&) const = default;
};

// What the compiler accepts but is most likely a mistake.
enum class WarningKind : std::uint8_t { None, NeverAssigned, HidesGlobal, MissingReturn };

struct Diagnostic {
    std::string file;  // key
    std::uint32_t row = 0, col = 0;  // where the compiler reports it
    std::uint32_t endCol = 0;        // the end of what it is about, for a squiggle
    std::string message;             // the compiler's words
    // The compiler prints row and column 65536 for it; row and column above
    // still name the statement it is about.
    bool placeless = false;
    WarningKind warning = WarningKind::None;
    std::string suggestion;  // the name a warning proposes instead
};

enum class SymbolKind : std::uint8_t { Constant, Global, Array, Local, Parameter, Function, Type, Field, Label };

struct SymbolInfo {
    SymbolKind kind = SymbolKind::Global;
    std::string name;       // lower-cased, as the compiler keeps names
    std::string typeText;   // "%", "#", "$", ".point" or "" (a function's return type, a variable's type)
    std::string container;  // the type of a field, the function of a local, parameter or label
    Range place;            // the declaring name (an undeclared local: its first use)
    std::vector<std::string> params;  // a function's parameters as written: "x#", "p.point", "n=10"
};

// A written name bound to a declaration: what an editor colours by kind.
struct NameUse {
    std::uint32_t row = 0, col = 0, endCol = 0;
    SymbolKind kind = SymbolKind::Global;
    bool declaration = false;  // the name where it is declared
};

// The built-in vocabulary, as plain data from the caller.
struct Callable {
    std::string name;
    struct Param {
        std::string name;  // with its type character
        bool optional = false;
    };
    std::vector<Param> params;
    // What it returns: '%', '#' or '$', ' ' for nothing, '?' for a value of
    // a type the list does not give.
    char result = '?';
};
struct Vocabulary {
    std::vector<Callable> commands;  // commands.txt
    std::vector<Callable> userlibs;  // the install's userlibs/*.decls
    // Functions that .decls files beside the program declare: the name and
    // the file's name, for the message when the install lacks them.
    std::vector<std::pair<std::string, std::string>> shippedDecls;
};

// One edit of a rename: replace [col, endCol) of a row by the new name.
struct RenameEdit {
    std::string file;
    std::uint32_t row = 0, col = 0, endCol = 0;
};
// A name a statement declares, where it is written, or an Include: what a
// list of a file's declarations is made of.
struct Declaration {
    SymbolKind kind = SymbolKind::Global;  // Constant, Global, Array, Local, Function, Type or Label
    std::uint32_t row = 0, col = 0, endCol = 0;
    char tag = 0;  // '%', '#', '$' or '.' written after the name; 0 for none
    std::uint32_t typeCol = 0, typeEndCol = 0;  // the type name of a `.Type` tag
    // An Include: the key of the file it names ("" when it can name none);
    // the fields above are then unused but for the row.
    std::optional<std::string> include;
};

// How the list Diagnostics() handed out last differs from the one before
// it, for a host that shows thousands of problems and redoes only what a
// pause changed. The lists are numbered across all programs, so a host
// can tell whether the list it last showed is the one this starts from.
struct DiagnosticsChange {
    std::uint64_t was = 0, now = 0;
    std::size_t head = 0, tail = 0;  // kept as they were at either end; those between are new
    // The kept ones whose row or columns changed lie in [movedFrom, movedTo) of the new list.
    std::size_t movedFrom = 0, movedTo = 0;
};

struct RenamePlan {
    std::string refusal;  // empty when the rename can go ahead
    std::vector<RenameEdit> edits;
};

class Program {
public:
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void SetVocabulary(const Vocabulary& vocabulary);
    // The main file; includes are taken from its folder.
    void SetMainFile(std::string_view key);
    const std::string& MainFile() const;
    // A file's whole text, or that it cannot be read (and why, when the
    // compiler's words alone would not tell the user).
    void SetFile(std::string_view key, std::string_view text);
    void SetMissing(std::string_view key, std::string_view why = {});
    // Lines [first, first + oldCount) of a file became the `newCount` lines
    // of `lines` (their line ends included; the last may lack one).
    void Edit(std::string_view key, std::uint32_t first, std::uint32_t oldCount, std::string_view lines,
              std::uint32_t newCount);

    // Included files the program needs whose text was neither given nor
    // said to be missing.
    std::vector<std::string> NeededFiles();
    // The files a given file's Include statements name, in order, without
    // working out the program: a host gives a whole chain of includes at
    // once this way, rather than a level per round of NeededFiles.
    std::vector<std::string> IncludedBy(std::string_view key) const;
    // The program's files, the main file first, in the compiler's order.
    std::vector<std::string> Files();
    // The program's files that include `key`.
    std::vector<std::string> IncludersOf(std::string_view key);

    // Does the checking the edits left for about `budget`, and says whether
    // all of it is done. A host spreads a long check over turns of its event
    // loop this way; any query finishes what is left at once, and an edit
    // starts it again.
    bool Check(std::chrono::microseconds budget);
    // Every diagnostic, the compiler's first error first, then in the
    // compiler's order of checking; the warnings last, unless left out.
    // The list stays the model's until the next call: one that changes a few
    // of thousands builds the texts of those few only.
    const std::vector<Diagnostic>& Diagnostics(bool withWarnings = true);
    // Works towards Diagnostics() for about `budget` (the check first, then
    // the list); true once they are ready, when Diagnostics() costs nothing.
    bool List(std::chrono::microseconds budget, bool withWarnings = true);
    // What the last list handed out changed; `now` is 0 before the first.
    const DiagnosticsChange& LastDiagnosticsChange() const;
    // The declaration of the name at a place.
    std::optional<Range> Definition(std::string_view key, std::uint32_t row, std::uint32_t col);
    // Every use of the symbol at a place, its declaration included, in file order.
    std::vector<Range> References(std::string_view key, std::uint32_t row, std::uint32_t col);
    // The bound names written on rows [firstRow, endRow) of a file, in text order.
    std::vector<NameUse> NamesOn(std::string_view key, std::uint32_t firstRow, std::uint32_t endRow);
    // The fields of the type of what the text of the line holds before `col`
    // (a variable, an array element or a field chain, with a backslash after it
    // being typed): `p\`, `a(i)\next\`. The line's text comes from the
    // host, as it may not parse yet.
    std::vector<SymbolInfo> FieldsAt(std::string_view key, std::uint32_t row, std::string_view lineText,
                                     std::uint32_t col);
    // The fields of a type, by its name.
    std::vector<SymbolInfo> FieldsOf(std::string_view typeName);
    std::vector<SymbolInfo> Types();
    // The type of that name, by lookup: a list that spells a few types asks
    // for them without listing every declaration of the program.
    std::optional<SymbolInfo> TypeNamed(std::string_view typeName);
    // The names usable at a place: the function's locals and parameters (or
    // the main program's locals) first, then constants, globals and arrays,
    // then the program's functions.
    std::vector<SymbolInfo> VisibleNames(std::string_view key, std::uint32_t row);
    // A program function by name (for call tips), nullopt for none.
    std::optional<SymbolInfo> FunctionNamed(std::string_view name);
    // Every declaration of the program (go to symbol).
    std::vector<SymbolInfo> Symbols();
    // Declarations whose names hold the letters of `pattern` in order,
    // letter case ignored, best matches first.
    std::vector<SymbolInfo> MatchSymbols(std::string_view pattern, std::size_t limit);

    // What rows [firstRow, endRow) of a file declare and include, in text
    // order, read from its statements alone: cheap enough for every edit, as
    // nothing is checked or bound. Handed over one at a time: a whole large
    // file's would be a list as large as its text.
    void VisitDeclarations(std::string_view key, std::uint32_t firstRow, std::uint32_t endRow,
                           const std::function<void(const Declaration&)>& visit) const;
    // The lines the model holds of a file (0 for a file it does not have).
    std::uint32_t LineCount(std::string_view key) const;

    // The edits that rename the symbol at a place, or why it cannot be.
    RenamePlan Rename(std::string_view key, std::uint32_t row, std::uint32_t col, std::string_view newName);

    // Memory the model holds, for the benchmarks.
    std::size_t Bytes() const;

private:
    std::unique_ptr<Model> m;
};

}  // namespace lang
