#include "language/FileSyntax.h"

#include "language/Parser.h"

#include <algorithm>

namespace lang {

// A file holds a statement for every line or so, and an expression for
// every dozen bytes.
static_assert(sizeof(Stmt) == 48 && sizeof(Expr) == 24);
static_assert(kSgn < 512 && static_cast<int>(StmtKind::End) < 64 && static_cast<int>(Msg::TooDeeplyNested) < 128);

namespace {

// What block matching and the program's shape depend on in a line: the
// kinds of its statements, where ':' separates them, and its Includes.
using Stmts = FileSyntax::Run<const Chunked<Stmt>>;

bool SameShape(const FileSyntax& f, const FileSyntax::Line& a, Stmts as, const FileSyntax::Line& b, Stmts bs)
{
    if (a.count != b.count)
        return false;
    for (std::uint32_t i = 0; i < a.count; ++i) {
        if (as[i].kind != bs[i].kind || as[i].afterColon != bs[i].afterColon || as[i].token != bs[i].token)
            return false;
        if (as[i].kind == StmtKind::Include && f.Text(as[i]) != f.Text(bs[i]))
            return false;
    }
    return true;
}

// Statements no block holds, ends or looks at (outside a Type): a line of
// nothing else may become another such line without the blocks being
// matched again.
bool Plain(const FileSyntax::Line& line, Stmts stmts)
{
    for (std::uint32_t i = 0; i < line.count; ++i) {
        switch (stmts[i].kind) {
        case StmtKind::Assign:
        case StmtKind::Call:
        case StmtKind::Exit:
        case StmtKind::Goto:
        case StmtKind::Gosub:
        case StmtKind::Return:
        case StmtKind::Delete:
        case StmtKind::DeleteEach:
        case StmtKind::Insert:
        case StmtKind::Read:
        case StmtKind::Restore:
        case StmtKind::Local:
        case StmtKind::Dim:
        case StmtKind::Label:
        case StmtKind::End: break;
        default: return false;
        }
    }
    return true;
}

}  // namespace

bool FileSyntax::PlainChange(std::uint32_t row, const Line& old, const Line& now) const
{
    const Stmts was{m_stmts, old.first}, is{m_stmts, now.first};
    if (!Plain(old, was) || !Plain(now, is))
        return false;
    // The block pass tells such statements apart only by their first token
    // and where they stand.
    bool samePlaces = old.count == now.count;
    for (std::uint32_t i = 0; samePlaces && i < old.count; ++i)
        samePlaces = was[i].token == is[i].token && was[i].afterColon == is[i].afterColon;
    if (samePlaces)
        return true;
    // Elsewhere a statement comes or goes. Where blocks were matched without
    // a complaint, none was left open to end at whichever statement comes
    // last, and no statement stands where only a Field or a Case may.
    if (!m_blockDiags.empty())
        return false;
    if (std::any_of(m_types.begin(), m_types.end(),
                    [row](const TypeSpan& t) { return t.head.row <= row && row <= t.end.row; }))
        return false;
    for (std::uint32_t r = row; r-- > 0;)
        if (m_lines[r].count > 0)
            return LineStmts(r)[m_lines[r].count - 1].kind != StmtKind::Select;
    return true;
}

void FileSyntax::ParseLines(std::string_view text, std::uint32_t count, NameTable& names, std::vector<Line>& out)
{
    std::vector<LineSpan> spans;
    SplitLines(text, spans);
    if (count == ~0u)
        count = static_cast<std::uint32_t>(spans.size());
    if (spans.size() > count)
        spans.resize(count);
    while (spans.size() < count)
        spans.push_back(LineSpan{text.size(), 0, 0});
    out.reserve(out.size() + count);
    for (const LineSpan& span : spans) {
        const std::string_view line = text.substr(span.start, span.length);
        m_tokens.clear();
        LexLine(line, span.eolCol, names, m_tokens);
        Line l;
        l.first = static_cast<std::uint32_t>(m_stmts.size());
        ParseLineInto(*this, m_tokens, line);
        l.count = static_cast<std::uint32_t>(m_stmts.size()) - l.first;
        for (std::uint32_t k = l.first; k < l.first + l.count; ++k) {
            if (m_stmts[k].kind == StmtKind::ElseIfLine) {
                m_lineEnds.emplace_back(l.first, span.eolCol);
                break;
            }
        }
        for (std::uint32_t k = l.first; k < l.first + l.count; ++k)
            m_errors += m_stmts[k].error != Msg::None;
        out.push_back(l);
    }
}

void FileSyntax::Parse(std::string_view text, NameTable& names)
{
    m_lines.clear();
    m_stmts.clear();
    m_exprs.clear();
    m_exprs.push_back(Expr{});  // index 0: no expression
    m_lists.clear();
    m_strings.clear();
    m_errorCols.clear();
    m_lineEnds.clear();
    m_garbage = 0;
    m_errors = 0;
    std::vector<Line> lines;
    ParseLines(text, ~0u, names, lines);
    m_lines.Assign(std::move(lines));
    MatchBlocks();
}

FileSyntax::EditEffect FileSyntax::Edit(std::uint32_t first, std::uint32_t oldCount, std::string_view lines,
                                        std::uint32_t newCount, NameTable& names)
{
    if (m_exprs.empty())
        m_exprs.push_back(Expr{});
    first = std::min<std::uint32_t>(first, LineCount());
    oldCount = std::min(oldCount, LineCount() - first);
    std::vector<Line> fresh;
    fresh.reserve(newCount);
    const std::size_t stmtsBefore = m_stmts.size();
    ParseLines(lines, newCount, names, fresh);

    EditEffect effect;
    effect.first = first;
    effect.oldCount = oldCount;
    effect.newCount = newCount;
    effect.structure = oldCount != newCount && !SameLinesMoved(first, oldCount, fresh, effect);
    for (std::uint32_t i = 0; i < oldCount; ++i) {
        const Line& old = m_lines[first + i];
        m_garbage += old.count;
        for (std::uint32_t k = old.first; k < old.first + old.count; ++k)
            m_errors -= m_stmts[k].error != Msg::None;
        if (i < newCount && !effect.structure && oldCount == newCount) {
            if (!SameShape(*this, old, {m_stmts, old.first}, fresh[i], {m_stmts, fresh[i].first}) &&
                !PlainChange(first + i, old, fresh[i]))
                effect.structure = true;
        }
        for (std::uint32_t k = 0; k < old.count; ++k)
            if (m_stmts[old.first + k].kind == StmtKind::Include)
                effect.includes = true;
    }
    for (std::size_t s = stmtsBefore; s < m_stmts.size(); ++s)
        if (m_stmts[s].kind == StmtKind::Include)
            effect.includes = true;
    if (effect.includes && !effect.structure) {
        // The same Includes on the same lines: nothing about files changed.
        effect.includes = false;
        for (std::uint32_t i = 0; i < oldCount; ++i) {
            const Line& old = m_lines[first + i];
            for (std::uint32_t k = 0; k < old.count; ++k)
                if (m_stmts[old.first + k].kind == StmtKind::Include &&
                    Text(m_stmts[old.first + k]) != Text(m_stmts[fresh[i].first + k]))
                    effect.includes = true;
        }
    }

    m_lines.Replace(first, oldCount, fresh.data(), fresh.size());
    if (effect.Shifted()) {
        for (FunctionSpan& f : m_functions) {
            f.head.row = effect.Row(f.head.row);
            f.end.row = effect.Row(f.end.row);
        }
        for (TypeSpan& t : m_types) {
            t.head.row = effect.Row(t.head.row);
            t.end.row = effect.Row(t.end.row);
        }
        for (BlockDiag& d : m_blockDiags)
            d.pos.row = effect.Row(d.pos.row);
    }
    if (m_garbage > 4096 && m_garbage > m_stmts.size() / 2) {
        Compact();
        effect.structure = true;
    }
    if (effect.structure)
        MatchBlocks();
    return effect;
}

// Whether lines added or removed left the statements as they were, only on
// other rows: the lines that hold statements pair up one to one with the same
// shape, and no Include is among them (an Include's row places the file it
// reads). Fills in where each replaced row went.
bool FileSyntax::SameExpr(std::uint32_t a, std::uint32_t b) const
{
    if (!a || !b)
        return a == b;
    const Expr& x = m_exprs[a];
    const Expr& y = m_exprs[b];
    if (x.kind != y.kind || x.tag != y.tag || x.op != y.op || x.name != y.name)
        return false;
    switch (x.kind) {
    case ExprKind::CallOrArray:
        if (x.b != y.b || NameCol(x) != NameCol(y) || !(TypeOf(x) == TypeOf(y)))
            return false;
        for (std::uint32_t i = 0; i < x.b; ++i)
            if (!SameExpr(m_lists[x.a + i], m_lists[y.a + i]))
                return false;
        return true;
    case ExprKind::Param: return NameCol(x) == NameCol(y) && TypeOf(x) == TypeOf(y) && SameExpr(x.a, y.a);
    case ExprKind::Var: return x.b == y.b && TypeOf(x) == TypeOf(y);
    case ExprKind::Vector:
    case ExprKind::Binary: return SameExpr(x.a, y.a) && SameExpr(x.b, y.b);
    case ExprKind::Field:
    case ExprKind::Object: return x.b == y.b && SameExpr(x.a, y.a);
    case ExprKind::Before:
    case ExprKind::After:
    case ExprKind::Handle:
    case ExprKind::Cast:
    case ExprKind::Unary: return SameExpr(x.a, y.a);
    default: return x.a == y.a && x.b == y.b;  // a value, a `.Type`, a name's column
    }
}

// The same statement, but for its row and what the checks bound in it.
bool FileSyntax::SameStmt(std::uint32_t i, std::uint32_t j) const
{
    const Stmt& a = m_stmts[i];
    const Stmt& b = m_stmts[j];
    if (a.kind != b.kind || a.tag != b.tag || a.afterColon != b.afterColon || a.parenthesized != b.parenthesized ||
        a.before != b.before || a.error != b.error || a.token != b.token || a.col != b.col || a.endGap != b.endGap ||
        a.sepGap != b.sepGap || a.name != b.name || a.nameCol != b.nameCol || a.count != b.count ||
        !(TypeOf(a) == TypeOf(b)))
        return false;
    if (a.error != Msg::None && ErrorCol(i) != ErrorCol(j))
        return false;
    if (a.kind == StmtKind::Include)
        return Text(a) == Text(b) && a.a == b.a;
    if (!SameExpr(a.a, b.a) || !SameExpr(a.b, b.b) || !SameExpr(a.c, b.c))
        return false;
    for (std::uint32_t k = 0; k < a.count; ++k)
        if (!SameExpr(m_lists[a.list + k], m_lists[b.list + k]))
            return false;
    return true;
}

bool FileSyntax::SameLinesMoved(std::uint32_t first, std::uint32_t oldCount, std::vector<Line>& fresh,
                                EditEffect& effect)
{
    std::vector<std::uint32_t> olds, news;
    for (std::uint32_t i = 0; i < oldCount; ++i)
        if (m_lines[first + i].count)
            olds.push_back(i);
    for (std::uint32_t i = 0; i < fresh.size(); ++i)
        if (fresh[i].count)
            news.push_back(i);
    if (olds.size() != news.size())
        return false;
    for (std::size_t j = 0; j < olds.size(); ++j) {
        const Line& a = m_lines[first + olds[j]];
        const Line& b = fresh[news[j]];
        if (!SameShape(*this, a, {m_stmts, a.first}, b, {m_stmts, b.first}))
            return false;
        for (std::uint32_t k = 0; k < a.count; ++k)
            if (m_stmts[a.first + k].kind == StmtKind::Include)
                return false;
    }
    // A line moved as it was keeps its statements, so that they need no
    // checking again.
    effect.kept.assign(fresh.size(), false);
    for (std::size_t j = 0; j < olds.size(); ++j) {
        const Line& a = m_lines[first + olds[j]];
        Line& b = fresh[news[j]];
        bool same = true;
        for (std::uint32_t k = 0; k < a.count && same; ++k)
            same = SameStmt(a.first + k, b.first + k);
        if (same) {
            b.first = a.first;
            effect.kept[news[j]] = true;
        }
    }
    // An empty line goes with the statements after it, so that rows stay in order.
    effect.moved.assign(oldCount, first + static_cast<std::uint32_t>(fresh.size()));
    std::size_t j = olds.size();
    for (std::uint32_t i = oldCount; i-- > 0;) {
        if (j > 0 && olds[j - 1] == i) {
            --j;
            effect.moved[i] = first + news[j];
        } else if (i + 1 < oldCount)
            effect.moved[i] = effect.moved[i + 1];
    }
    return true;
}

// Drops what no line refers to any more, so that a long session of typing
// does not grow the file's tables without end.
void FileSyntax::Compact()
{
    Chunked<Stmt> stmts;
    Chunked<Expr> exprs;
    exprs.push_back(Expr{});
    Chunked<std::uint32_t, 14> lists;
    std::string strings;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> errorCols, lineEnds;
    const auto keepType = [&](const TypeRef& t) {
        lists.push_back(t.name);
        lists.push_back(t.col);
    };
    // A name's column, and its `.Type` tag after it.
    const auto keepName = [&](const Expr& e) {
        const auto at = static_cast<std::uint32_t>(lists.size());
        lists.push_back(NameCol(e));
        if (e.tag == Tag::Custom)
            keepType(TypeOf(e));
        return at;
    };
    const auto moveExpr = [&](auto& self, std::uint32_t e) -> std::uint32_t {
        if (!e)
            return 0;
        const Expr& was = m_exprs[e];
        Expr x = was;
        switch (x.kind) {
        case ExprKind::CallOrArray: {
            std::vector<std::uint32_t> items;
            for (std::uint32_t i = 0; i < was.b; ++i)
                items.push_back(self(self, m_lists[was.a + i]));
            x.a = static_cast<std::uint32_t>(lists.size());
            lists.append(items.begin(), items.end());
            keepName(was);
            break;
        }
        case ExprKind::Param:
            x.a = self(self, was.a);
            x.b = keepName(was);
            break;
        case ExprKind::Var:
            if (x.tag == Tag::Custom) {
                x.a = static_cast<std::uint32_t>(lists.size());
                keepType(TypeOf(was));
            }
            break;
        case ExprKind::Vector:
        case ExprKind::Binary:
            x.a = self(self, was.a);
            x.b = self(self, was.b);
            break;
        case ExprKind::Field:
        case ExprKind::Object:
        case ExprKind::Before:
        case ExprKind::After:
        case ExprKind::Handle:
        case ExprKind::Cast:
        case ExprKind::Unary: x.a = self(self, was.a); break;
        default: break;  // a value, a `.Type`, a name's column
        }
        exprs.push_back(x);
        return static_cast<std::uint32_t>(exprs.size() - 1);
    };
    for (std::uint32_t row = 0; row < LineCount(); ++row) {
        Line& line = m_lines[row];
        const std::uint32_t first = static_cast<std::uint32_t>(stmts.size());
        const auto end = std::lower_bound(m_lineEnds.begin(), m_lineEnds.end(), std::make_pair(line.first, 0u));
        if (line.count && end != m_lineEnds.end() && end->first == line.first)
            lineEnds.emplace_back(first, end->second);
        for (std::uint32_t k = 0; k < line.count; ++k) {
            Stmt s = m_stmts[line.first + k];
            if (s.error != Msg::None)
                errorCols.emplace_back(static_cast<std::uint32_t>(stmts.size()), ErrorCol(line.first + k));
            if (s.kind == StmtKind::Include) {
                const std::string_view text = Text(s);
                s.list = static_cast<std::uint32_t>(strings.size());
                strings.append(text);
            } else {
                const TypeRef type = TypeOf(s);
                s.a = moveExpr(moveExpr, s.a);
                s.b = moveExpr(moveExpr, s.b);
                s.c = moveExpr(moveExpr, s.c);
                std::vector<std::uint32_t> items;
                for (std::uint32_t i = 0; i < s.count; ++i)
                    items.push_back(moveExpr(moveExpr, m_lists[s.list + i]));
                s.list = static_cast<std::uint32_t>(lists.size());
                lists.append(items.begin(), items.end());
                if (s.typed)
                    keepType(type);
            }
            stmts.push_back(s);
        }
        line.first = first;
    }
    m_stmts.swap(stmts);
    m_exprs.swap(exprs);
    m_lists.swap(lists);
    m_strings.swap(strings);
    m_errorCols.swap(errorCols);
    m_lineEnds.swap(lineEnds);
    m_garbage = 0;
}

std::uint32_t FileSyntax::ErrorCol(std::uint32_t stmt) const
{
    const auto it = std::lower_bound(m_errorCols.begin(), m_errorCols.end(), std::make_pair(stmt, 0u));
    return it != m_errorCols.end() && it->first == stmt ? it->second : 0;
}

std::uint32_t FileSyntax::ErrorCol(StmtPos p) const
{
    return ErrorCol(m_lines[p.row].first + p.k);
}

TypeRef FileSyntax::TypeOf(const Expr& e) const
{
    if (e.tag != Tag::Custom)
        return {};
    switch (e.kind) {
    case ExprKind::Var: return {m_lists[e.a], m_lists[e.a + 1]};
    case ExprKind::CallOrArray: return {m_lists[e.a + e.b + 1], m_lists[e.a + e.b + 2]};
    case ExprKind::Param: return {m_lists[e.b + 1], m_lists[e.b + 2]};
    default: return {};
    }
}

std::uint32_t FileSyntax::NameCol(const Expr& e) const
{
    switch (e.kind) {
    case ExprKind::CallOrArray: return m_lists[e.a + e.b];
    case ExprKind::Param: return m_lists[e.b];
    default: return e.b;
    }
}

bool FileSyntax::Settle(StmtPos& p) const
{
    while (p.row < m_lines.size()) {
        if (p.k < m_lines[p.row].count)
            return true;
        ++p.row;
        p.k = 0;
    }
    return false;
}

bool FileSyntax::Next(StmtPos& p) const
{
    ++p.k;
    return Settle(p);
}

void FileSyntax::Place(const BlockDiag& d, std::uint32_t& row, std::uint32_t& col) const
{
    row = d.pos.row;
    switch (d.at) {
    case BlockDiag::At::Stmt: col = At(d.pos).col; break;
    case BlockDiag::At::Sep: col = At(d.pos).col - At(d.pos).sepGap; break;
    case BlockDiag::At::Eol: {
        const std::uint32_t first = m_lines[d.pos.row].first;
        const auto it = std::lower_bound(m_lineEnds.begin(), m_lineEnds.end(), std::make_pair(first, 0u));
        col = it != m_lineEnds.end() && it->first == first ? it->second : At(d.pos).EndCol();
        break;
    }
    case BlockDiag::At::EndOfFile:
        row = LineCount();
        col = 0;
        break;
    }
}

int FileSyntax::FunctionAt(StmtPos p) const
{
    auto it = std::upper_bound(m_functions.begin(), m_functions.end(), p,
                               [](const StmtPos& q, const FunctionSpan& f) { return q < f.head; });
    if (it == m_functions.begin())
        return -1;
    --it;
    return p <= it->end ? static_cast<int>(it - m_functions.begin()) : -1;
}

std::size_t FileSyntax::Bytes() const
{
    return m_lines.Bytes() + m_stmts.Bytes() + m_exprs.Bytes() + m_lists.Bytes() + m_strings.capacity() +
           (m_errorCols.capacity() + m_lineEnds.capacity()) * sizeof(m_errorCols[0]) +
           (m_blockDiags.capacity() * sizeof(BlockDiag)) + m_functions.capacity() * sizeof(FunctionSpan) +
           m_types.capacity() * sizeof(TypeSpan);
}

}  // namespace lang
