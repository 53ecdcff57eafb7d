#include "language/Checker.h"

#include <utility>

#include <algorithm>

namespace lang {

namespace {

// The declarations the compiler keeps apart from the statements report at
// their names; Local, Global and Dim are statements, placed at their first
// token (the ',' before a second name).
bool PlacedAtName(StmtKind k)
{
    switch (k) {
    case StmtKind::Const:
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

bool VisitInOrder(Model& m, OrderCursor& cursor, const std::function<void(std::uint32_t, StmtPos)>& visit,
                  const std::function<bool()>& late)
{
    if (!std::exchange(cursor.begun, true) && m.main >= 0)
        cursor.frames.push_back({static_cast<std::uint32_t>(m.main)});
    // A frame per file being read; an include chain of any length costs no stack.
    std::uint32_t visited = 0;
    auto& frames = cursor.frames;
    while (!frames.empty()) {
        if (++visited % 512 == 0 && late())
            return false;
        auto& at = frames.back();
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
    return true;
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
    if (m_reportAt) {
        d.file = m_reportAt->file;
        d.row = m_reportAt->row;
        d.col = m_reportAt->col;
        d.endCol = d.col + 1;
    }
    d.msg = msg;
    d.name = name;
    d.extra = m.Extra(std::move(extra));
    d.placeless = toData;
    (toData ? m.dataDiags : toDecls ? m.declDiags : u.diags).push_back(std::move(d));
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
    m.ForgetNear(s.name);
    const SymRef ref{m_unitIndex, static_cast<std::uint32_t>(u.syms.size() - 1)};
    (s.kind == SymKind::Label ? u.labels : u.vars)[s.name] = ref.index;
    return ref;
}

void Checker::Condition(std::uint32_t e)
{
    Cast(Value(e), ValueType{ValueType::Int});
}

void Checker::Statement()
{
    Stmt& s = *m_s;
    if (!s.name && (PlacedAtName(s.kind) || s.kind == StmtKind::Local || s.kind == StmtKind::Global ||
                    s.kind == StmtKind::Dim))
        return;  // a declaration whose name did not parse declares nothing
    if (s.error != Msg::None)
        return;  // the compiler never gets this far
    switch (s.kind) {
    case StmtKind::Assign: {
        Expr& target = m.files[m_file].syntax.E(s.a);
        if (target.kind == ExprKind::CallOrArray && !IsArrayHere(target.name)) {
            // f(x) = y is a call of f whose argument is the comparison.
            const ExprList args = m_f->Items(target);
            ValueType arg;
            if (args.count == 1) {
                const ValueType l = Value(m_f->ListItem(args.first, 0));
                arg = Comparison(l, Value(s.b), '=');
            }
            CallSite call{target.name, target.tag, m_f->TypeOf(target).name, args.first, args.count};
            call.preset = args.count == 1 ? &arg : nullptr;
            Call(call, target.sym);
            return;
        }
        m_written = &target;
        const ValueType t = Value(s.a);
        m_written = nullptr;
        if (target.sym && target.kind == ExprKind::Var && Sym(target.sym).kind == SymKind::Const)
            Error(Msg::ConstantsCannotBeAssigned);
        else if (t.k == ValueType::Vector)
            Error(Msg::BlitzArrayAssigned);
        Cast(Value(s.b), t);
        return;
    }
    case StmtKind::Call: Call(CallSite{s.name, s.tag, m_f->TypeOf(s).name, s.list, s.count}, s.sym); return;
    case StmtKind::IfBlock:
    case StmtKind::IfLine:
    case StmtKind::ElseIfBlock:
    case StmtKind::ElseIfLine: Condition(s.a); return;
    case StmtKind::While:
        ++m_loops;
        Condition(s.a);
        return;
    case StmtKind::Repeat:
        ++m_loops;
        m_repeats.push_back(Place{m_file, m_pos.row, s.col});
        return;
    case StmtKind::Until:
        if (partial) {
            aborted = true;
            return;
        }
        if (!m_repeats.empty()) {
            const Place at = m_repeats.back();
            m_reportAt = &at;
            Condition(s.a);
            m_reportAt = nullptr;
            m_repeats.pop_back();
        } else {
            Condition(s.a);
        }
        m_loops = std::max(m_loops - 1, 0);
        return;
    case StmtKind::Forever:
        if (!m_repeats.empty())
            m_repeats.pop_back();
        m_loops = std::max(m_loops - 1, 0);
        return;
    case StmtKind::Wend:
    case StmtKind::Next: m_loops = std::max(m_loops - 1, 0); return;
    case StmtKind::Select: {
        if (partial) {
            aborted = true;
            return;
        }
        const ValueType t = Value(s.a);
        if (t.k == ValueType::Struct || t.k == ValueType::Null)
            Error(Msg::SelectObjects);
        m_selects.push_back({Place{m_file, m_pos.row, s.col}, t});
        return;
    }
    case StmtKind::EndSelect:
        if (!m_selects.empty())
            m_selects.pop_back();
        return;
    case StmtKind::Case: {
        if (partial) {
            aborted = true;
            return;
        }
        if (m_selects.empty()) {
            for (std::uint32_t i = 0; i < s.count; ++i)
                Value(m_f->ListItem(s.list, i));
            return;
        }
        const auto [at, t] = m_selects.back();
        m_reportAt = &at;
        std::vector<ValueType> values;
        for (std::uint32_t i = 0; i < s.count; ++i)
            values.push_back(Value(m_f->ListItem(s.list, i)));
        for (ValueType v : values)
            Cast(v, t);
        m_reportAt = nullptr;
        return;
    }
    case StmtKind::Insert: {
        const ValueType a = Value(s.a);
        const ValueType b = Value(s.b);
        const auto object = [](ValueType v) {
            return v.k == ValueType::Struct || v.k == ValueType::Null || v.k == ValueType::Unknown;
        };
        if (!object(a) || !object(b))
            Error(Msg::IllegalExpressionType);
        else if (a.k != ValueType::Unknown && b.k != ValueType::Unknown && !(a == b))
            Error(Msg::ObjectTypesDiffer);
        return;
    }
    case StmtKind::Delete: {
        const ValueType t = Value(s.a);
        if (t.k != ValueType::Struct && t.k != ValueType::Null && t.k != ValueType::Unknown)
            Error(Msg::DeleteNonNewtype);
        return;
    }
    case StmtKind::DeleteEach:
        if (auto t = m.types.find(s.name); t != m.types.end())
            s.sym = SymRef{SymRef::kGlobal, t->second};
        else
            Error(Msg::NotANewTypeName);
        return;
    case StmtKind::Read: {
        const ValueType t = IndexVariable(s.a);
        const Expr& target = m_f->E(s.a);
        if (target.sym && target.kind == ExprKind::Var && Sym(target.sym).kind == SymKind::Const)
            Error(Msg::ConstantsCannotBeModified);
        else if (t.k == ValueType::Struct)
            Error(Msg::DataReadIntoObject);
        return;
    }
    case StmtKind::Data:
        // Worked out after everything else.
        if (partial)
            aborted = true;
        return;
    case StmtKind::Return:
        if (m_unitIndex == 0) {
            if (s.a)
                Error(Msg::MainCannotReturn);
            Value(s.a);
        } else if (s.a) {
            Cast(Value(s.a), m.globals[u.funcSym].type);
        }
        return;
    case StmtKind::For: {
        ++m_loops;
        const ValueType t = IndexVariable(s.a);
        const Expr& index = m_f->E(s.a);
        if (index.sym && index.kind == ExprKind::Var && Sym(index.sym).kind == SymKind::Const)
            Error(Msg::IndexConstant);
        else if (t.k != ValueType::Int && t.k != ValueType::Float && t.k != ValueType::Unknown)
            Error(Msg::IndexMustBeNumber);
        Cast(Value(s.b), t);
        Cast(Value(s.c), t);
        if (s.count) {
            const std::uint32_t step = m_f->ListItem(s.list, 0);
            Cast(Value(step), t);
            if (!IsConstant(step))
                Error(Msg::StepMustBeConstant);
        }
        return;
    }
    case StmtKind::ForEach: {
        ++m_loops;
        const ValueType v = IndexVariable(s.a);
        if (v.k != ValueType::Struct && v.k != ValueType::Unknown)
            Error(Msg::IndexNotNewType);
        auto t = m.types.find(s.name);
        if (t == m.types.end()) {
            Error(Msg::TypeNameNotFound);
            return;
        }
        s.sym = SymRef{SymRef::kGlobal, t->second};
        if (v.k == ValueType::Struct && v.type != t->second)
            Error(Msg::TypeMismatch);
        return;
    }
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

// A variable as For, For Each and Read take it: `name(...)` is an array
// element there, whatever the program declares.
ValueType Checker::IndexVariable(std::uint32_t e)
{
    Expr& x = m.files[m_file].syntax.E(e);
    m_written = &x;
    const ValueType t = x.kind == ExprKind::CallOrArray ? Element(x) : Value(e);
    m_written = nullptr;
    return t;
}

// Whether the function's last statements can run on to its End Function,
// block by block: an If or Select ends every path only with an Else or
// Default and every branch ending so; Repeat ... Forever never ends.
void Checker::CheckReturns()
{
    const FileSyntax& f = m.files[u.file].syntax;
    const FunctionSpan& span = f.Functions()[u.function];
    // A statement list has ended the function once one of its statements
    // always does: what follows it never runs.
    struct Block {
        StmtKind head;
        bool ended = false;      // the current branch
        bool all = true;         // every branch before it
        bool otherwise = false;  // an Else or Default came
        bool begun = false;      // a Select's first Case came
    };
    std::vector<Block> stack{{StmtKind::Function}};
    bool valued = false;
    const auto branch = [&] {
        Block& b = stack.back();
        if (b.head != StmtKind::Select || b.begun)
            b.all = b.all && b.ended;
        b.begun = true;
        b.ended = false;
    };
    StmtPos p = span.head;
    for (bool more = f.Next(p); more && p < span.end; more = f.Next(p)) {
        const Stmt& s = f.At(p);
        bool& ended = stack.back().ended;
        switch (s.kind) {
        case StmtKind::Return:
            valued = valued || s.a;
            ended = true;
            break;
        case StmtKind::Goto: ended = true; break;
        case StmtKind::Call: {
            const std::string_view name = m.names.Text(s.name);
            ended = ended || name == "end" || name == "runtimeerror";
            break;
        }
        case StmtKind::IfLine:
        case StmtKind::ElseIfLine:
            // A one-line If and the rest of its line.
            for (std::uint32_t k = p.k + 1; k < f.Lines()[p.row].count; ++k)
                valued = valued || (f.LineStmts(p.row)[k].kind == StmtKind::Return && f.LineStmts(p.row)[k].a);
            p.k = f.Lines()[p.row].count - 1;
            break;
        case StmtKind::IfBlock:
        case StmtKind::While:
        case StmtKind::Repeat:
        case StmtKind::For:
        case StmtKind::ForEach:
        case StmtKind::Select: stack.push_back({s.kind}); break;
        case StmtKind::ElseIfBlock:
        case StmtKind::Case: branch(); break;
        case StmtKind::Else:
        case StmtKind::Default:
            branch();
            stack.back().otherwise = true;
            break;
        case StmtKind::EndIf:
        case StmtKind::EndSelect:
        case StmtKind::Wend:
        case StmtKind::Next:
        case StmtKind::Until:
        case StmtKind::Forever: {
            if (stack.size() < 2)
                return;  // the blocks do not match: the compiler says so
            branch();
            const Block b = stack.back();
            stack.pop_back();
            stack.back().ended = stack.back().ended || s.kind == StmtKind::Forever ||
                                 ((b.head == StmtKind::IfBlock || b.head == StmtKind::Select) && b.otherwise && b.all);
            break;
        }
        default: break;
        }
    }
    if (valued && stack.size() == 1 && !stack.back().ended) {
        Diag w;
        w.file = u.file;
        w.row = span.end.row;
        w.col = f.At(span.end).col;
        w.endCol = f.At(span.end).EndCol();
        w.msg = Msg::WarnMissingReturn;
        w.name = m.globals[u.funcSym].name;
        u.warnings.push_back(w);
    }
}

void Checker::CheckData(std::span<const std::pair<std::uint32_t, StmtPos>> datas)
{
    for (const auto& [file, pos] : datas) {
        if (m.files[file].syntax.FunctionAt(pos) >= 0)
            continue;
        At(file, pos);
        if (m_s->error != Msg::None)
            continue;
        Value(m_s->a);
        if (!IsConstant(m_s->a))
            Error(Msg::DataMustBeConstant);
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
        if (span.closed)
            CheckReturns();
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
        d.msg = m_unitIndex == 0 ? Msg::UndefinedLabel : Msg::UndefinedLabelInFunction;
        d.name = j.name;
        u.diags.push_back(d);
        return;
    }
}

}  // namespace lang
