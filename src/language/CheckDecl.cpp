#include "language/Checker.h"

#include <algorithm>

// Declarations met among the statements: a function's parameters, Local and
// Global, Dim. Each is worked out before its name is declared, as the
// compiler does, so that `Local x = x` finds the x it is about to declare.
namespace lang {

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
        s.assigned = true;
        s.name = p.name;
        s.tag = p.tag;
        s.typeName = m_f->TypeOf(p).name;
        s.col = m_f->NameCol(p);
        // A parameter's error is reported at its name.
        const Place at{u.file, span.head.row, s.col};
        m_reportAt = &at;
        const std::optional<ValueType> t = TagType(p.tag, s.typeName);
        s.type = t ? *t : ValueType{ValueType::Int};
        if (p.a && !m_failed) {
            // Defaults are worked out in the main program, which may declare
            // a name there as the compiler does.
            Checker main(m, 0);
            main.At(u.file, span.head);
            main.toDecls = true;
            main.m_reportAt = &at;
            main.Cast(main.Value(p.a), s.type);
            if (!main.IsConstant(p.a))
                main.Error(Msg::ExpressionMustBeConstant);
            m_failed = main.m_failed;
        }
        if (u.vars.count(p.name)) {
            Error(Msg::DuplicateVariableName);
            p.sym = SymRef{m_unitIndex, u.vars[p.name]};
            m_reportAt = nullptr;
            continue;
        }
        m_reportAt = nullptr;
        p.sym = Declare(s);
    }
}

// The table a declaration of this unit goes into: a function's own names,
// or the main program's, where its locals, globals, constants and arrays
// share one table.
SymRef Checker::DeclaredHere(NameId name)
{
    if (auto it = u.vars.find(name); it != u.vars.end()) {
        CountUse(u.syms[it->second]);
        return SymRef{m_unitIndex, it->second};
    }
    if (m_unitIndex == 0)
        if (auto g = m.gvars.find(name); g != m.gvars.end())
            return SymRef{SymRef::kGlobal, g->second};
    return SymRef{};
}

std::uint32_t Checker::VectorSize(std::uint32_t size)
{
    Value(size);
    const std::optional<Folded> n = Fold(size);
    if (!n || n->k == ValueType::Str) {
        Error(Msg::BlitzArraySizeConstant);
        return 0;
    }
    if (n->Int() < 0) {
        Error(Msg::BlitzArraySizeNegative);
        return 0;
    }
    return static_cast<std::uint32_t>(n->Int()) + 1;
}

void Checker::Declaration()
{
    Stmt& s = *m_s;
    const std::optional<ValueType> tagged = TagType(s.tag, m_f->TypeOf(s).name);
    const ValueType t = tagged ? *tagged : ValueType{ValueType::Int};
    const bool global = s.kind == StmtKind::Global;
    u.declaresGlobals |= global && m_unitIndex != 0;
    // The size or the first value is worked out before the name is declared.
    const std::uint32_t size = s.c ? VectorSize(s.c) : 0;
    if (s.a)
        Cast(Value(s.a), t);
    if (const SymRef existing = DeclaredHere(s.name)) {
        Error(Msg::DuplicateVariableName);
        s.sym = existing;
        return;
    }
    Symbol sym = DeclaredBy(m, global ? SymKind::Global : SymKind::Local, s, m_file, m_pos);
    sym.type = t;
    sym.vector = s.c != 0;
    sym.dims = size;
    sym.assigned = s.a != 0;
    if (!global && m_unitIndex != 0 &&
        std::find(u.globalsUsed.begin(), u.globalsUsed.end(), s.name) != u.globalsUsed.end()) {
        Diag w;
        w.file = m_file;
        w.row = m_pos.row;
        w.col = s.nameCol;
        w.endCol = NameEnd(s, m.names);
        w.msg = Msg::WarnHidesGlobal;
        w.name = s.name;
        u.warnings.push_back(w);
    }
    if (global) {
        sym.order = static_cast<std::uint32_t>(m_order >> 10);
        sym.owner = m_unitIndex;
        m.gvars[s.name] = AddGlobal(m, sym, s).index;
    } else {
        s.sym = Declare(sym);
    }
}

void Checker::DeclareArray()
{
    Stmt& s = *m_s;
    const std::optional<ValueType> tagged = TagType(s.tag, m_f->TypeOf(s).name);
    const ValueType t = tagged ? *tagged : ValueType{ValueType::Int};
    SymRef existing;
    if (auto it = u.vars.find(s.name); it != u.vars.end()) {
        existing = SymRef{m_unitIndex, it->second};
        CountUse(u.syms[it->second]);
    } else if (auto g = m.gvars.find(s.name); g != m.gvars.end()) {
        existing = SymRef{SymRef::kGlobal, g->second};
    }
    if (existing) {
        const Symbol& e = Sym(existing);
        if (e.kind != SymKind::Array || e.dims != s.count || (tagged && !(e.type == t)))
            Error(Msg::DuplicateIdentifier);
        s.sym = existing;
    } else if (m_unitIndex != 0) {
        Error(Msg::ArrayNotFoundInMain);
    } else {
        Symbol sym = DeclaredBy(m, SymKind::Array, s, m_file, m_pos);
        sym.type = t;
        sym.dims = s.count;
        sym.order = static_cast<std::uint32_t>(m_order >> 10);
        sym.owner = m_unitIndex;
        m.gvars[s.name] = AddGlobal(m, sym, s).index;
    }
    std::vector<ValueType> sizes;
    for (std::uint32_t i = 0; i < s.count; ++i)
        sizes.push_back(Value(m_f->ListItem(s.list, i)));
    for (ValueType size : sizes)
        Cast(size, ValueType{ValueType::Int});
}

}  // namespace lang
