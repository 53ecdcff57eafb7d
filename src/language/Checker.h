#pragma once

#include "language/Model.h"

#include <functional>

// Binds names and checks one unit (the main program or a function) the way
// the compiler's second pass does: statement by statement, reporting at the
// statement's first token (a declaration: at its name), at most one error
// per statement, since the compiler stops at it.
namespace lang {

// Where a walk through the main program's statements stands: a frame per
// file, the included ones above the file that includes them.
struct WalkCursor {
    struct Frame {
        std::uint32_t file = 0;
        StmtPos p{};
        std::size_t fi = 0, ti = 0, si = 0;  // the next function, type and include site
        bool begun = false;
    };
    std::vector<Frame> frames;
    bool begun = false;
};

class Checker {
public:
    Checker(Model& m, std::uint32_t unit);

    // Where the statement being checked is.
    void At(std::uint32_t file, StmtPos pos);
    void Statement();
    // The statements of the unit; the main program splices its includes.
    void Walk();
    // The main program's statements from where `cursor` stands, until
    // `late()` (asked every few statements) says to stop; true at the end.
    bool WalkSome(WalkCursor& cursor, const std::function<bool()>& late);
    void CheckJumps();
    void DeclareParams(bool report);

    // Partial checks of the main program: a lookup that the edit would
    // change for other statements sets this.
    bool partial = false;
    // Declarations of the whole program report with the program, not a unit.
    bool toDecls = false;
    bool aborted = false;

    ValueType Value(std::uint32_t e);
    ValueType Call(NameId name, std::uint32_t list, std::uint32_t count, SymRef& bind, std::uint32_t extraArg = 0);
    std::optional<ValueType> TagType(Tag tag, NameId typeName);
    void Cast(ValueType from, ValueType to);
    void Error(Msg msg, NameId name = kNoName, std::string extra = {});
    bool IsConstant(std::uint32_t e) const;
    Symbol& Sym(SymRef r);

private:
    ValueType Variable(Expr& e);
    ValueType Element(Expr& e);
    bool IsArrayHere(NameId name) const;
    SymRef FindVar(NameId name);
    void CountUse(Symbol& s) const;
    SymRef Declare(Symbol s);
    void Declaration();
    void DeclareArray();

    Model& m;
    std::uint32_t m_unitIndex;
    Unit& u;
    std::uint32_t m_file = 0;
    const FileSyntax* m_f = nullptr;
    StmtPos m_pos;
    Stmt* m_s = nullptr;
    std::uint64_t m_order = 0;
    bool m_failed = false;
    int m_loops = 0;
};

// Every statement of the program in the compiler's reading order, the
// included files spliced in at their first Include.
void ForEachInOrder(Model& m, const std::function<void(std::uint32_t file, StmtPos pos)>& visit);
// The order key of a statement in the program's text.
std::uint64_t OrderKey(const Model& m, std::uint32_t file, StmtPos pos);

}  // namespace lang
