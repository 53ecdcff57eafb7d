#pragma once

#include "language/Model.h"

#include <functional>
#include <span>

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

// A constant's value as the compiler folds it: what errors depend on (a
// divisor of 0, a subscript, an array's size). Strings keep no value.
struct Folded {
    ValueType::K k = ValueType::Int;
    std::int32_t i = 0;
    double f = 0;
    std::int32_t Int() const;
    double Real() const;
};

// A call as written: the name, its type character, the arguments; `preset`
// stands for a single argument already worked out (`f(x) = y` calls f with
// the comparison).
struct CallSite {
    NameId name = kNoName;
    Tag tag = Tag::None;
    NameId typeName = kNoName;
    std::uint32_t list = 0, count = 0;
    const ValueType* preset = nullptr;
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
    // A Blitz array's size, which must be a constant: its element count.
    std::uint32_t VectorSize(std::uint32_t size);

    // Partial checks of the main program: a lookup that the edit would
    // change for other statements sets this.
    bool partial = false;
    // Declarations of the whole program report with the program, not a unit.
    bool toDecls = false;
    // Data statements report after everything else.
    bool toData = false;
    bool aborted = false;

    ValueType Value(std::uint32_t e);
    ValueType Call(const CallSite& c, SymRef& bind);
    std::optional<ValueType> TagType(Tag tag, NameId typeName);
    static bool CastOk(ValueType from, ValueType to);
    void Cast(ValueType from, ValueType to);
    void Error(Msg msg, NameId name = kNoName, std::string extra = {});
    bool IsConstant(std::uint32_t e) const;
    // The value of a constant expression of the statement's file, once its
    // names are bound; nullopt for one that is not constant.
    std::optional<Folded> Fold(std::uint32_t e) const;
    Symbol& Sym(SymRef r);
    static ValueType SymbolValue(const Symbol& s);
    // Data statements (in the program's order), checked after everything
    // else as the compiler does.
    void CheckData(std::span<const std::pair<std::uint32_t, StmtPos>> datas);

private:
    ValueType Variable(Expr& e);
    // A variable read or given a value (`m_written`) here.
    void Used(Symbol& s, const Expr& e);
    // Whether the statements of a function end where it runs off its end
    // while another path returns a value.
    void CheckReturns();
    ValueType Element(Expr& e);
    ValueType Arithmetic(const Expr& e, ValueType l, ValueType r);
    ValueType Comparison(ValueType l, ValueType r, std::uint16_t op);
    std::optional<Folded> FoldIn(const FileSyntax& f, std::uint32_t e, int depth) const;
    // Where the error of the statement is reported when not at itself: an
    // Until's at its Repeat, a Case's at its Select.
    struct Place {
        std::uint32_t file = 0, row = 0, col = 0;
    };
    SymRef DeclaredHere(NameId name);
    void Condition(std::uint32_t e);
    ValueType IndexVariable(std::uint32_t e);
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
    std::vector<Place> m_repeats;
    std::vector<std::pair<Place, ValueType>> m_selects;
    const Place* m_reportAt = nullptr;
    const Expr* m_written = nullptr;  // the variable the statement gives a value
};

// Where a reading of the program's statements stopped.
struct OrderCursor {
    struct Frame {
        std::uint32_t file;
        StmtPos p{};
        std::size_t site = 0;
        bool begun = false;
    };
    std::vector<Frame> frames;
    bool begun = false;
};
// Every statement of the program in the compiler's reading order, the
// included files spliced in at their first Include, from the cursor on
// until `late` says to stop; true once the last was visited.
bool VisitInOrder(Model& m, OrderCursor& cursor, const std::function<void(std::uint32_t file, StmtPos pos)>& visit,
                  const std::function<bool()>& late);
// The order key of a statement in the program's text.
std::uint64_t OrderKey(const Model& m, std::uint32_t file, StmtPos pos);

}  // namespace lang
