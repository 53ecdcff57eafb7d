#pragma once

#include "language/FileSyntax.h"
#include "language/FlatMap.h"
#include "language/Program.h"

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The inside of Program, shared by its parts: the files and how they
// include each other, the symbol tables and each unit's checking state.
namespace lang {

// A value's type as the checker knows it. Unknown stands for what it cannot
// tell (a built-in command's result): it converts to anything without error.
// Basic is a value of Int, Float or Str without telling which (a command
// whose list gives no result type); Void is a command's missing result.
struct ValueType {
    enum K : std::uint8_t { Unknown, Int, Float, Str, Null, Struct, Vector, Basic, Void } k = Unknown;
    K elem = Unknown;          // a Blitz array's elements
    std::uint32_t type = 0;    // the Type symbol of a Struct, or of a Blitz array's elements
    std::uint32_t size = 0;    // a Blitz array's element count, 0 when not known
    bool operator==(const ValueType&) const = default;
};

enum class SymKind : std::uint8_t { Const, Global, Array, Local, Param, Function, Type, Field, Label };

// A program has a symbol for every two or three lines: kept small.
struct Symbol {
    SymKind kind = SymKind::Local;
    Tag tag = Tag::None;
    bool implicit : 1 = false;  // a local declared by its first use
    bool vector : 1 = false;    // a Blitz array a[n]
    // Gone with the line that declared it, between two checks of the whole
    // main program; its index stays so that the others keep theirs.
    bool dead : 1 = false;
    bool assigned : 1 = false;  // given a value somewhere
    bool read : 1 = false;      // read somewhere (first at readFile, readRow, readCol)
    NameId name = kNoName;
    ValueType type;          // a variable's, a function's result
    NameId typeName = kNoName;
    std::uint32_t file = 0, row = 0, col = 0;  // where its name is written (EndCol: where it ends)
    std::uint32_t owner = 0;  // a field's Type symbol; a function's unit; the unit declaring a Global or an array
    std::uint32_t dims = 0;   // an array's subscripts
    std::uint32_t k = 0;      // the declaring statement's place in its line (Pos)
    std::uint32_t order = 0;  // the ordinal of its line in the program's text
    // Lookups of it from other lines than its own since the main program was
    // last checked whole (never fewer than there are: a line checked again
    // counts its uses again).
    std::uint32_t usesElsewhere = 0;
    std::uint32_t readFile = 0, readRow = 0, readCol = 0;
    // The declaring statement.
    StmtPos Pos() const { return {row, k}; }
};

struct Diag {
    std::uint32_t file = 0, row = 0, col = 0, endCol = 0;
    Msg msg = Msg::None;
    // The compiler names no place for it (row and column 65536); row and
    // column still point at the statement, for the editor.
    bool placeless = false;
    NameId name = kNoName;
    // The .decls file of a missing userlib; the name a warning suggests; why
    // an include cannot be read. Kept once by the model (Model::Extra), so
    // that tens of thousands of problems, listed at every pause, stay small
    // and compare by address.
    const std::string* extra = nullptr;
};

// The main program (unit 0) or one function: its own names and what its
// check found.
struct Unit {
    std::uint32_t file = 0;
    int function = -1;          // index into the file's functions; -1 for the main program
    std::uint32_t funcSym = 0;  // the Function symbol
    std::uint32_t required = 0, total = 0;  // a function's parameters
    std::vector<Symbol> syms;
    FlatMap<NameId, std::uint32_t> vars, labels;
    struct LabelUse {
        NameId name;
        std::uint32_t file, row, col, endCol;
        bool restore;
    };
    std::vector<LabelUse> jumps;
    std::vector<Diag> diags;
    std::vector<Diag> warnings;
    // Globals a function has used so far: a Local of the same name after
    // such a use hides the global from the rest of the function.
    std::vector<NameId> globalsUsed;
    // A Global in a function (an error of its own) declares for the whole
    // program in the middle of the checking order: the function cannot be
    // checked again alone.
    bool declaresGlobals = false;
};

struct IncludeSite {
    StmtPos pos;
    int target = -1;  // file index, -1 for a path no file can have
    bool first = false;
};

struct FileState {
    std::string key;
    FileSyntax syntax;
    bool given = false, missing = false;
    std::string why;  // why a missing file could not be read, when it is not plain
    bool inProgram = false;
    // Included inside a function's body (an error): its statements are not
    // the main program's, whatever its own blocks say, so edits recheck all.
    bool inFunction = false;
    std::vector<IncludeSite> sites;
    std::uint64_t base = 0, size = 0;  // its first line's ordinal in the program's text, its lines with includes
    // The rows of its first Includes, and the lines included up to each.
    std::vector<std::uint32_t> firstRows;
    std::vector<std::uint64_t> firstSizes;
    std::uint32_t firstUnit = 0;       // the unit of its first function
};

// A check of the whole program under way (CheckProgram.cpp).
struct CheckRun;
struct CheckRunEnd {
    void operator()(CheckRun* run) const;
};

struct Model {
    NameTable names;
    // The texts Diag::extra points at: one of each, for the model's life.
    std::unordered_set<std::string> extras;
    const std::string* Extra(std::string text);
    std::deque<FileState> files;  // entries stay put as files are added
    std::unordered_map<std::string, std::uint32_t> byKey;
    int main = -1;
    std::string mainDir;
    std::vector<std::uint32_t> order;  // the program's files, in include order

    // vocabulary
    std::vector<Callable> callables;
    std::unordered_map<NameId, std::uint32_t> builtins;  // into callables
    std::unordered_map<NameId, std::string> shipped;

    // the program's symbols
    // A deque: a large program's symbols are never copied whole to grow.
    std::deque<Symbol> globals;
    FlatMap<NameId, std::uint32_t> gvars, funcs, types;
    FlatMap<std::uint64_t, std::uint32_t> fields;  // type symbol << 32 | name
    // The order keys of the Dim statements, by name: an array is known from
    // its Dim on. Sorted once the whole program's are collected.
    std::vector<std::pair<NameId, std::uint64_t>> dimAt;
    std::vector<Unit> units;
    std::vector<Diag> declDiags;  // constants, types and fields, function heads
    std::vector<Diag> dataDiags;  // Data, checked after everything else
    // The name a misspelt one was most likely meant to be, by unit << 32 |
    // name, as warnings found it; forgotten after a check of the whole program.
    std::unordered_map<std::uint64_t, NameId> nearNames;
    // A name came, went or may now be suggested: what was found near it goes.
    void ForgetNear(NameId changed);

    // The diagnostics as last handed out, and what they were made of.
    struct Shown {
        std::vector<Diag> diags;
        std::vector<Diagnostic> out;
        // The list before, whose room the next one takes: fresh room for
        // tens of thousands of problems at every pause is fresh pages.
        std::vector<Diag> spare;
        bool warnings = true;
        std::uint64_t at = ~std::uint64_t(0);  // `changes` when they were handed out
        DiagnosticsChange change;  // from the list handed out before
    } shown;
    std::uint64_t changes = 0;  // counts the changes to the program, its files and its vocabulary
    // The diagnostics being made ready to hand out, a stage at a time.
    struct Listing {
        enum class Stage { Collect, Warn, Hand } stage = Stage::Collect;
        bool warnings = true;
        std::vector<Diag> out;
    } listing;

    // what edits left to do
    bool assemble = true, full = true;
    std::vector<std::uint32_t> dirtyUnits;
    bool dirtyMain = false;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> mainRows;  // (file, row) edited in the main program
    bool mainPartialOk = true;
    // A whole-program check is done a slice at a time when the host asks for
    // it so; an edit drops it and the next check starts again.
    std::unique_ptr<CheckRun, CheckRunEnd> run;

    std::uint32_t FileIndex(std::string_view key);
    std::uint64_t Ordinal(std::uint32_t file, std::uint32_t row) const;
    void Assemble();
    void Number();
    void MoveRows(std::uint32_t file, const FileSyntax::EditEffect& effect);
    // Lines added or removed whose moves the symbols and findings have yet
    // to take, in the order they came; ordinals as they were then.
    struct Move {
        std::uint32_t file;
        FileSyntax::EditEffect effect;
        std::uint64_t from, to;
    };
    std::vector<Move> moves;
    // Takes the moves: before anything reads a row of a symbol or a finding.
    void TakeMoves();
    void EnsureAssembled();
    using Deadline = std::chrono::steady_clock::time_point;
    // Does what the edits left to do until `deadline`; true once it is all done.
    bool Advance(Deadline deadline);
    void Refresh() { Advance(Deadline::max()); }
    // Called before any change: a check under way would read what changes.
    void Interrupt();
};

// The checker (Check.cpp).
// Starts checking the whole program, or goes on with it, until `deadline`;
// true once it is done.
bool CheckAllUntil(Model& m, Model::Deadline deadline);
// Checks a function again whose names stay its own (no Global or Dim in it).
void CheckUnit(Model& m, std::uint32_t unit);
// Re-checks only the main program's statements on `rows`; false when the
// edit reaches further and the whole main program must be checked again.
bool CheckMainRows(Model& m, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& rows);
std::string MessageText(const Model& m, const Diag& d);
// The symbol a statement declares, named, typed and placed as written;
// its value type and the rest are the caller's.
Symbol DeclaredBy(const Model& m, SymKind kind, const Stmt& s, std::uint32_t file, StmtPos pos);
// Adds a symbol to the program's table and binds the statement to it.
SymRef AddGlobal(Model& m, const Symbol& sym, Stmt& s);
std::string TypeText(const Model& m, const Symbol& s);
// Where a symbol's name ends.
std::uint32_t EndCol(const Model& m, const Symbol& s);
std::string TypeText(const Model& m, Tag tag, NameId typeName);

}  // namespace lang
