#pragma once

#include "language/Chunked.h"
#include "language/GapVector.h"
#include "language/Syntax.h"

#include <string>
#include <string_view>
#include <vector>

namespace lang {

// A place in a file's statement list: the k-th statement of a line. It
// stays valid across edits that keep each line's statement count.
struct StmtPos {
    std::uint32_t row = 0, k = 0;
    auto operator<=>(const StmtPos&) const = default;
};

// Where a block-level diagnostic stands: at a statement's first token, at
// the ':' before it, at its line's end or at the end of the file.
struct BlockDiag {
    enum class At : std::uint8_t { Stmt, Sep, Eol, EndOfFile };
    StmtPos pos;
    Msg msg = Msg::None;
    At at = At::Stmt;
};

// The `.Type` written after a name, and where.
struct TypeRef {
    NameId name = kNoName;
    std::uint32_t col = 0;
    bool operator==(const TypeRef&) const = default;
};
// A run of expressions in a file's lists.
struct ExprList {
    std::uint32_t first = 0, count = 0;
};

// A Function's statements: its head and everything up to its End Function
// (or the end of the file when it has none).
struct FunctionSpan {
    StmtPos head, end;  // `end` is the End Function, or past the last line
    bool closed = false;
};
// A Type's head and its End Type (or the end of the file).
struct TypeSpan {
    StmtPos head, end;
};

// One file: its lines, their statements and expressions, and the blocks
// matched over them. Parsing is per line: an edit parses only the lines it
// replaced, and matches blocks again only when the kinds of the statements
// changed.
class FileSyntax {
public:
    // The statements of one line, by their place in it.
    template <typename S>
    struct Run {
        S& stmts;
        std::uint32_t first;
        auto& operator[](std::uint32_t k) const { return stmts[first + k]; }
    };
    struct Line {
        std::uint32_t first = 0, count = 0;  // into Stmts()
    };
    struct EditEffect {
        bool structure = false;   // block heads or ends changed
        bool includes = false;    // an Include statement changed
        // Lines added or removed around statements of the same shape: the
        // statements only moved. Where an old row went: rows before the edit
        // stay, rows after it move by newCount - oldCount, and `moved` holds
        // the new row of each replaced one.
        std::uint32_t first = 0, oldCount = 0, newCount = 0;
        std::vector<std::uint32_t> moved;
        // The new lines whose statements are the old ones unchanged, kept
        // with what the checks bound in them.
        std::vector<bool> kept;
        bool Shifted() const { return !structure && oldCount != newCount; }
        std::uint32_t Row(std::uint32_t oldRow) const
        {
            if (oldRow < first)
                return oldRow;
            if (oldRow >= first + oldCount)
                return oldRow + newCount - oldCount;
            return moved[oldRow - first];
        }
    };

    void Parse(std::string_view text, NameTable& names);
    // Lines [first, first + oldCount) became the `newCount` lines of `lines`
    // (with their line ends; the last may lack one).
    EditEffect Edit(std::uint32_t first, std::uint32_t oldCount, std::string_view lines, std::uint32_t newCount,
                    NameTable& names);

    const GapVector<Line>& Lines() const { return m_lines; }
    std::uint32_t LineCount() const { return static_cast<std::uint32_t>(m_lines.size()); }
    const Stmt& At(StmtPos p) const { return m_stmts[m_lines[p.row].first + p.k]; }
    Stmt& At(StmtPos p) { return m_stmts[m_lines[p.row].first + p.k]; }
    Run<const Chunked<Stmt>> LineStmts(std::uint32_t row) const { return {m_stmts, m_lines[row].first}; }
    Run<Chunked<Stmt>> LineStmts(std::uint32_t row) { return {m_stmts, m_lines[row].first}; }
    const Expr& E(std::uint32_t i) const { return m_exprs[i]; }
    Expr& E(std::uint32_t i) { return m_exprs[i]; }
    std::uint32_t ListItem(std::uint32_t list, std::uint32_t i) const { return m_lists[list + i]; }
    // An Include's file name.
    std::string_view Text(const Stmt& s) const { return std::string_view(m_strings).substr(s.list, s.count); }
    // Where an Include's file name ends, where the compiler says it cannot open it.
    static std::uint32_t AfterName(const Stmt& include) { return include.a; }
    // The column of a statement's parse error.
    std::uint32_t ErrorCol(StmtPos p) const;

    // What an expression's kind keeps in its own way (see Syntax.h).
    TypeRef TypeOf(const Expr& e) const;
    TypeRef TypeOf(const Stmt& s) const
    {
        return s.typed ? TypeRef{m_lists[s.list + s.count], m_lists[s.list + s.count + 1]} : TypeRef{};
    }
    ExprList Items(const Expr& e) const
    {
        return e.kind == ExprKind::CallOrArray ? ExprList{e.a, e.b} : ExprList{};
    }
    // Where the name an expression holds is written.
    std::uint32_t NameCol(const Expr& e) const;
    // The expressions right below one, in order.
    template <typename F>
    void ForEachChild(const Expr& e, F&& visit) const
    {
        switch (e.kind) {
        case ExprKind::Vector:
        case ExprKind::Binary:
            visit(e.a);
            visit(e.b);
            return;
        case ExprKind::Field:
        case ExprKind::Before:
        case ExprKind::After:
        case ExprKind::Handle:
        case ExprKind::Object:
        case ExprKind::Cast:
        case ExprKind::Unary:
        case ExprKind::Param:
            if (e.a)
                visit(e.a);
            return;
        case ExprKind::CallOrArray:
            for (std::uint32_t i = 0; i < e.b; ++i)
                visit(m_lists[e.a + i]);
            return;
        default: return;
        }
    }
    // The expressions a statement holds, in order.
    template <typename F>
    void ForEachOperand(const Stmt& s, F&& visit) const
    {
        if (s.kind == StmtKind::Include)
            return;
        for (std::uint32_t e : {s.a, s.b, s.c})
            if (e)
                visit(e);
        for (std::uint32_t i = 0; i < s.count; ++i)
            visit(m_lists[s.list + i]);
    }

    // The statement after `p` in file order; false at the end.
    bool Next(StmtPos& p) const;
    // The first statement at or after `p`; false when there is none.
    bool Settle(StmtPos& p) const;

    // Block structure, matched over every line.
    const std::vector<BlockDiag>& BlockDiags() const { return m_blockDiags; }
    const std::vector<FunctionSpan>& Functions() const { return m_functions; }
    const std::vector<TypeSpan>& Types() const { return m_types; }
    // The position of a diagnostic of the block pass, in compiler columns (from 0).
    void Place(const BlockDiag& d, std::uint32_t& row, std::uint32_t& col) const;
    // The function whose span holds `p`, or -1 for the main program.
    int FunctionAt(StmtPos p) const;

    std::size_t Bytes() const;
    // Statements with a parse error, so that a clean file is not searched
    // for them.
    std::size_t ErrorCount() const { return m_errors; }

private:
    friend class Parser;
    friend class ExprParser;
    void ParseLines(std::string_view text, std::uint32_t count, NameTable& names, std::vector<Line>& out);
    void MatchBlocks();
    // Whether a replaced line and its new text hold only statements the
    // blocks need not be matched again for.
    bool PlainChange(std::uint32_t row, const Line& old, const Line& now) const;
    bool SameExpr(std::uint32_t a, std::uint32_t b) const;
    bool SameStmt(std::uint32_t a, std::uint32_t b) const;
    std::uint32_t ErrorCol(std::uint32_t stmt) const;
    bool SameLinesMoved(std::uint32_t first, std::uint32_t oldCount, std::vector<Line>& fresh,
                        EditEffect& effect);
    void Compact();

    GapVector<Line> m_lines;
    Chunked<Stmt> m_stmts;
    Chunked<Expr> m_exprs;
    Chunked<std::uint32_t, 14> m_lists;
    std::string m_strings;
    std::size_t m_garbage = 0;
    std::size_t m_errors = 0;  // statements and expressions no line refers to any more
    std::vector<BlockDiag> m_blockDiags;
    std::vector<FunctionSpan> m_functions;
    std::vector<TypeSpan> m_types;
    std::vector<Token> m_tokens;  // scratch
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_errorCols;  // (statement, column), by statement
    // Where the lines end that a block's complaint may be placed at the end
    // of (those with a one-line ElseIf): (the line's first statement, column).
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_lineEnds;
    std::vector<std::uint32_t> m_scratch;
    std::vector<std::uint16_t> m_depths;  // of the expressions of the line being parsed
};

// Where a statement's name ends: names are kept as written, lower-cased.
inline std::uint32_t NameEnd(const Stmt& s, const NameTable& names)
{
    return s.nameCol + static_cast<std::uint32_t>(names.Text(s.name).size());
}

}  // namespace lang
