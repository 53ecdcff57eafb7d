#include "language/Checker.h"

#include <algorithm>

namespace lang {

namespace {

bool PlacedAtName(StmtKind k)
{
    switch (k) {
    case StmtKind::Global:
    case StmtKind::Local:
    case StmtKind::Const:
    case StmtKind::Dim:
    case StmtKind::Field:
    case StmtKind::Function:
    case StmtKind::TypeHead: return true;
    default: return false;
    }
}

}  // namespace

std::uint64_t OrderKey(const Model& m, std::uint32_t file, StmtPos pos)
{
    return (m.Ordinal(file, pos.row) << 10) | std::min<std::uint32_t>(pos.k, 1023);
}

void ForEachInOrder(Model& m, const std::function<void(std::uint32_t, StmtPos)>& visit)
{
    if (m.main < 0)
        return;
    // A frame per file being read; an include chain of any length costs no stack.
    struct Frame {
        std::uint32_t file;
        StmtPos p{};
        std::size_t site = 0;
        bool begun = false;
    };
    std::vector<Frame> frames{{static_cast<std::uint32_t>(m.main)}};
    while (!frames.empty()) {
        Frame& at = frames.back();
        const FileSyntax& f = m.files[at.file].syntax;
        const bool more = at.begun ? f.Next(at.p) : f.Settle(at.p);
        at.begun = true;
        if (!more) {
            frames.pop_back();
            continue;
        }
        visit(at.file, at.p);
        if (f.At(at.p).kind != StmtKind::Include)
            continue;
        const std::vector<IncludeSite>& sites = m.files[at.file].sites;
        while (at.site < sites.size() && sites[at.site].pos < at.p)
            ++at.site;
        if (at.site < sites.size() && sites[at.site].pos == at.p && sites[at.site].first)
            frames.push_back({static_cast<std::uint32_t>(sites[at.site].target)});
    }
}

Checker::Checker(Model& model, std::uint32_t unit) : m(model), m_unitIndex(unit), u(model.units[unit]) {}

void Checker::At(std::uint32_t file, StmtPos pos)
{
    m_file = file;
    m_f = &m.files[file].syntax;
    m_pos = pos;
    m_s = &m.files[file].syntax.At(pos);
    m_order = OrderKey(m, file, pos);
    m_failed = false;
}

void Checker::Error(Msg msg, NameId name, std::string extra)
{
    if (m_failed)
        return;
    m_failed = true;
    Diag d;
    d.file = m_file;
    d.row = m_pos.row;
    d.col = PlacedAtName(m_s->kind) ? m_s->nameCol : m_s->col;
    d.endCol = std::max(m_s->EndCol(), d.col);
    d.msg = msg;
    d.name = name;
    d.extra = std::move(extra);
    (toDecls ? m.declDiags : u.diags).push_back(std::move(d));
}

void Checker::CountUse(Symbol& s) const
{
    if (s.file != m_file || s.row != m_pos.row)
        ++s.usesElsewhere;
}

Symbol& Checker::Sym(SymRef r) { return r.unit == SymRef::kGlobal ? m.globals[r.index] : m.units[r.unit].syms[r.index]; }

SymRef Checker::Declare(Symbol s)
{
    s.file = m_file;
    s.row = m_pos.row;
    s.k = m_pos.k;
    s.order = static_cast<std::uint32_t>(m_order >> 10);
    u.syms.push_back(s);
    const SymRef ref{m_unitIndex, static_cast<std::uint32_t>(u.syms.size() - 1)};
    (s.kind == SymKind::Label ? u.labels : u.vars)[s.name] = ref.index;
    return ref;
}

void Checker::DeclareParams(bool report)
{
    const FunctionSpan& span = m.files[u.file].syntax.Functions()[u.function];
    At(u.file, span.head);
    // Declared again for a recheck of the body: the head's errors were
    // reported with the program's declarations and stay there.
    m_failed = !report;
    for (std::uint32_t i = 0; i < m_s->count; ++i) {
        Expr& p = m.files[u.file].syntax.E(m_f->ListItem(m_s->list, i));
        Symbol s;
        s.kind = SymKind::Param;
        s.name = p.name;
        s.tag = p.tag;
        s.typeName = m_f->TypeOf(p).name;
        s.col = m_f->NameCol(p);
        const std::optional<ValueType> t = TagType(p.tag, s.typeName);
        s.type = t ? *t : ValueType{ValueType::Int};
        if (u.vars.count(p.name)) {
            if (report)
                Error(Msg::DuplicateVariableName);
            p.sym = SymRef{m_unitIndex, u.vars[p.name]};
            continue;
        }
        if (p.a && report) {
            Value(p.a);
            if (!IsConstant(p.a))
                Error(Msg::ExpressionMustBeConstant);
        }
        p.sym = Declare(s);
    }
}

void Checker::Declaration()
{
    Stmt& s = *m_s;
    const std::optional<ValueType> tagged = TagType(s.tag, m_f->TypeOf(s).name);
    ValueType t = tagged ? *tagged : ValueType{ValueType::Int};
    const bool global = s.kind == StmtKind::Global;
    u.declaresGlobals |= global && m_unitIndex != 0;
    SymRef existing;
    if (auto it = u.vars.find(s.name); it != u.vars.end()) {
        existing = SymRef{m_unitIndex, it->second};
        CountUse(u.syms[it->second]);
    } else if (auto g = m.gvars.find(s.name); (global || m_unitIndex == 0) && g != m.gvars.end())
        existing = SymRef{SymRef::kGlobal, g->second};
    if (existing) {
        Error(Msg::DuplicateIdentifier);
        s.sym = existing;
    } else {
        Symbol sym = DeclaredBy(m, global ? SymKind::Global : SymKind::Local, s, m_file, m_pos);
        sym.type = t;
        sym.vector = s.c != 0;
        if (global) {
            sym.order = static_cast<std::uint32_t>(m_order >> 10);
            sym.owner = m_unitIndex;
            m.gvars[s.name] = AddGlobal(m, sym, s).index;
        } else {
            s.sym = Declare(sym);
        }
    }
    if (s.c)
        Value(s.c);
    if (s.a)
        Cast(Value(s.a), t);
}

void Checker::DeclareArray()
{
    Stmt& s = *m_s;
    const std::optional<ValueType> tagged = TagType(s.tag, m_f->TypeOf(s).name);
    const ValueType t = tagged ? *tagged : ValueType{ValueType::Int};
    SymRef existing;
    if (auto g = m.gvars.find(s.name); g != m.gvars.end())
        existing = SymRef{SymRef::kGlobal, g->second};
    else if (auto it = m.units[0].vars.find(s.name); m_unitIndex == 0 && it != m.units[0].vars.end()) {
        existing = SymRef{0, it->second};
        CountUse(m.units[0].syms[it->second]);
    }
    if (existing) {
        const Symbol& e = Sym(existing);
        if (e.kind != SymKind::Array || e.dims != s.count || (tagged && !(e.type == t)))
            Error(Msg::DuplicateIdentifier);
        s.sym = existing;
    } else {
        Symbol sym = DeclaredBy(m, SymKind::Array, s, m_file, m_pos);
        sym.type = t;
        sym.dims = s.count;
        sym.order = static_cast<std::uint32_t>(m_order >> 10);
        sym.owner = m_unitIndex;
        m.gvars[s.name] = AddGlobal(m, sym, s).index;
    }
    for (std::uint32_t i = 0; i < s.count; ++i)
        Value(m_f->ListItem(s.list, i));
}

void Checker::Statement()
{
    Stmt& s = *m_s;
    if (!s.name && PlacedAtName(s.kind))
        return;  // a declaration whose name did not parse declares nothing
    switch (s.kind) {
    case StmtKind::Assign: {
        Expr& target = m.files[m_file].syntax.E(s.a);
        if (target.kind == ExprKind::CallOrArray && !IsArrayHere(target.name)) {
            // f(x) = y is a call of f whose argument is the comparison.
            const ExprList args = m_f->Items(target);
            for (std::uint32_t i = 0; i < args.count; ++i)
                Value(m_f->ListItem(args.first, i));
            Value(s.b);
            Call(target.name, 0, std::max<std::uint32_t>(args.count, 1), target.sym, 1);
            return;
        }
        const ValueType t = Value(s.a);
        if (target.sym && target.kind == ExprKind::Var && Sym(target.sym).kind == SymKind::Const)
            Error(Msg::ConstantsCannotBeAssigned);
        Cast(Value(s.b), t);
        return;
    }
    case StmtKind::Call: Call(s.name, s.list, s.count, s.sym); return;
    case StmtKind::IfBlock:
    case StmtKind::IfLine:
    case StmtKind::ElseIfBlock:
    case StmtKind::ElseIfLine:
    case StmtKind::Select:
    case StmtKind::Delete:
    case StmtKind::Data: Value(s.a); return;
    case StmtKind::Until:
        Value(s.a);
        m_loops = std::max(m_loops - 1, 0);
        return;
    case StmtKind::While:
        ++m_loops;
        Value(s.a);
        return;
    case StmtKind::Repeat: ++m_loops; return;
    case StmtKind::Wend:
    case StmtKind::Forever:
    case StmtKind::Next: m_loops = std::max(m_loops - 1, 0); return;
    case StmtKind::Case:
        for (std::uint32_t i = 0; i < s.count; ++i)
            Value(m_f->ListItem(s.list, i));
        return;
    case StmtKind::Insert:
        Value(s.a);
        Value(s.b);
        return;
    case StmtKind::Read: Value(s.a); return;
    case StmtKind::Return:
        if (m_unitIndex == 0) {
            if (s.a)
                Error(Msg::MainCannotReturn);
            Value(s.a);
        } else if (s.a) {
            Cast(Value(s.a), m.globals[u.funcSym].type);
        }
        return;
    case StmtKind::For:
        ++m_loops;
        Value(s.a);
        Value(s.b);
        Value(s.c);
        for (std::uint32_t i = 0; i < s.count; ++i)
            Value(m_f->ListItem(s.list, i));
        return;
    case StmtKind::ForEach: {
        ++m_loops;
        const ValueType v = Value(s.a);
        auto t = m.types.find(s.name);
        if (t == m.types.end()) {
            Error(Msg::TypeNotFound, s.name);
            return;
        }
        s.sym = SymRef{SymRef::kGlobal, t->second};
        if (v.k == ValueType::Struct && v.type != t->second)
            Error(Msg::TypeMismatch);
        return;
    }
    case StmtKind::DeleteEach:
        if (auto t = m.types.find(s.name); t != m.types.end())
            s.sym = SymRef{SymRef::kGlobal, t->second};
        else
            Error(Msg::TypeNotFound, s.name);
        return;
    case StmtKind::Exit:
        if (partial)
            aborted = true;
        else if (!m_loops)
            Error(Msg::ExitOutsideLoop);
        return;
    case StmtKind::Gosub:
        if (m_unitIndex != 0) {
            Error(Msg::GosubInFunction);
            return;
        }
        [[fallthrough]];
    case StmtKind::Goto:
    case StmtKind::Restore:
        if (s.name)
            u.jumps.push_back(
                Unit::LabelUse{s.name, m_file, m_pos.row, s.col, NameEnd(s, m.names), s.kind == StmtKind::Restore});
        return;
    case StmtKind::Label:
        if (u.labels.count(s.name)) {
            Error(Msg::DuplicateLabel);
            s.sym = SymRef{m_unitIndex, u.labels[s.name]};
        } else {
            Symbol l;
            l.kind = SymKind::Label;
            l.name = s.name;
            l.col = s.nameCol;
            s.sym = Declare(l);
        }
        return;
    case StmtKind::Global:
    case StmtKind::Local:
        if (partial) {
            aborted = true;
            return;
        }
        Declaration();
        return;
    case StmtKind::Dim:
        if (partial) {
            aborted = true;
            return;
        }
        DeclareArray();
        return;
    default: return;
    }
}

void Checker::Walk()
{
    if (m_unitIndex != 0) {
        m_loops = 0;
        const FileSyntax& f = m.files[u.file].syntax;
        const FunctionSpan& span = f.Functions()[u.function];
        StmtPos p = span.head;
        for (bool more = f.Next(p); more && (span.closed ? p < span.end : p <= span.end); more = f.Next(p)) {
            At(u.file, p);
            Statement();
        }
        return;
    }
    WalkCursor cursor;
    WalkSome(cursor, [] { return false; });
}

bool Checker::WalkSome(WalkCursor& cursor, const std::function<bool()>& late)
{
    if (!cursor.begun) {
        cursor.begun = true;
        m_loops = 0;
        cursor.frames.push_back({u.file});
    }
    std::uint32_t done = 0;
    while (!cursor.frames.empty()) {
        WalkCursor::Frame& at = cursor.frames.back();
        const FileSyntax& f = m.files[at.file].syntax;
        const bool more = at.begun ? f.Next(at.p) : f.Settle(at.p);
        at.begun = true;
        if (!more) {
            cursor.frames.pop_back();
            continue;
        }
        // Function and type bodies belong to other units.
        const auto& fns = f.Functions();
        while (at.fi < fns.size() && fns[at.fi].end < at.p)
            ++at.fi;
        if (at.fi < fns.size() && fns[at.fi].head <= at.p) {
            at.p = fns[at.fi].end;
            continue;
        }
        const auto& tys = f.Types();
        while (at.ti < tys.size() && tys[at.ti].end < at.p)
            ++at.ti;
        if (at.ti < tys.size() && tys[at.ti].head <= at.p) {
            at.p = tys[at.ti].end;
            continue;
        }
        if (f.At(at.p).kind == StmtKind::Include) {
            const std::vector<IncludeSite>& sites = m.files[at.file].sites;
            while (at.si < sites.size() && sites[at.si].pos < at.p)
                ++at.si;
            if (at.si < sites.size() && sites[at.si].pos == at.p && sites[at.si].first)
                cursor.frames.push_back({static_cast<std::uint32_t>(sites[at.si].target)});
            continue;
        }
        At(at.file, at.p);
        Statement();
        if (++done % 64 == 0 && late())
            return false;
    }
    return true;
}

void Checker::CheckJumps()
{
    for (const Unit::LabelUse& j : u.jumps) {
        // Data labels of the main program serve Restore everywhere.
        if (u.labels.count(j.name) || (j.restore && m.units[0].labels.count(j.name)))
            continue;
        Diag d;
        d.file = j.file;
        d.row = j.row;
        d.col = j.col;
        d.endCol = j.endCol;
        d.msg = Msg::UndefinedLabel;
        d.name = j.name;
        u.diags.push_back(d);
        return;
    }
}

}  // namespace lang
