#pragma once

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
    struct Line {
        std::uint32_t first = 0, count = 0;  // into Stmts()
        std::uint32_t eolCol = 0;
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

    const std::vector<Line>& Lines() const { return m_lines; }
    std::uint32_t LineCount() const { return static_cast<std::uint32_t>(m_lines.size()); }
    const Stmt& At(StmtPos p) const { return m_stmts[m_lines[p.row].first + p.k]; }
    Stmt& At(StmtPos p) { return m_stmts[m_lines[p.row].first + p.k]; }
    const Stmt* LineStmts(std::uint32_t row) const { return m_stmts.data() + m_lines[row].first; }
    Stmt* LineStmts(std::uint32_t row) { return m_stmts.data() + m_lines[row].first; }
    const Expr& E(std::uint32_t i) const { return m_exprs[i]; }
    Expr& E(std::uint32_t i) { return m_exprs[i]; }
    std::uint32_t ListItem(std::uint32_t list, std::uint32_t i) const { return m_lists[list + i]; }
    std::string_view Text(const Stmt& s) const { return std::string_view(m_strings).substr(s.text, s.textLen); }

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
    void ParseLines(std::string_view text, std::uint32_t count, std::uint32_t row, NameTable& names,
                    std::vector<Line>& out);
    void MatchBlocks();
    // Whether a replaced line and its new text hold only statements the
    // blocks need not be matched again for.
    bool PlainChange(std::uint32_t row, const Line& old, const Stmt* was, const Line& now, const Stmt* is) const;
    bool SameExpr(std::uint32_t a, std::uint32_t b) const;
    bool SameStmt(const Stmt& a, const Stmt& b) const;
    bool SameLinesMoved(std::uint32_t first, std::uint32_t oldCount, std::vector<Line>& fresh,
                        EditEffect& effect);
    void Compact();

    std::vector<Line> m_lines;
    std::vector<Stmt> m_stmts;
    std::vector<Expr> m_exprs;
    std::vector<std::uint32_t> m_lists;
    std::string m_strings;
    std::size_t m_garbage = 0;
    std::size_t m_errors = 0;  // statements and expressions no line refers to any more
    std::vector<BlockDiag> m_blockDiags;
    std::vector<FunctionSpan> m_functions;
    std::vector<TypeSpan> m_types;
    std::vector<Token> m_tokens;  // scratch
    std::vector<std::uint32_t> m_scratch;
    std::vector<std::uint16_t> m_depths;  // of the expressions of the line being parsed
};

}  // namespace lang
