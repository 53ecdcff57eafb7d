#include "language/Checker.h"

#include <algorithm>
#include <optional>
#include <set>

// The compiler's order of checking a whole program: every Const, every Type
// and its fields, every Function's head, the main program's statements top
// to bottom, then every function body.
namespace lang {

namespace {

void ResetUnit(Unit& u)
{
    u.syms.clear();
    u.vars.clear();
    u.labels.clear();
    u.jumps.clear();
    u.diags.clear();
    u.warnings.clear();
    u.globalsUsed.clear();
    u.declaresGlobals = false;
}

std::vector<std::uint32_t> FunctionOrder(const Model& m)
{
    std::vector<std::pair<std::uint64_t, std::uint32_t>> keyed;
    for (std::uint32_t i = 1; i < m.units.size(); ++i) {
        const Unit& u = m.units[i];
        keyed.emplace_back(OrderKey(m, u.file, m.files[u.file].syntax.Functions()[u.function].head), i);
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::uint32_t> order;
    for (const auto& k : keyed)
        order.push_back(k.second);
    return order;
}

void DeclareConstant(Model& m, Checker& c, std::uint32_t file, StmtPos pos, Stmt& s)
{
    const std::optional<ValueType> tagged = c.TagType(s.tag, m.files[file].syntax.TypeOf(s).name);
    const ValueType t = tagged ? *tagged : ValueType{ValueType::Int};
    if (s.a) {
        c.Cast(c.Value(s.a), t);
        if (!c.IsConstant(s.a))
            c.Error(Msg::ExpressionMustBeConstant);
    }
    // Constants share the main program's table with its locals, which the
    // value above may have declared.
    SymRef existing;
    if (auto g = m.gvars.find(s.name); g != m.gvars.end())
        existing = SymRef{SymRef::kGlobal, g->second};
    else if (auto l = m.units[0].vars.find(s.name); l != m.units[0].vars.end())
        existing = SymRef{0, l->second};
    if (existing) {
        c.Error(Msg::DuplicateVariableName);
        s.sym = existing;
        return;
    }
    Symbol sym = DeclaredBy(m, SymKind::Const, s, file, pos);
    sym.type = t;
    m.gvars[s.name] = AddGlobal(m, sym, s).index;
}

void DeclareFunction(Model& m, std::uint32_t unit)
{
    Unit& u = m.units[unit];
    FileSyntax& f = m.files[u.file].syntax;
    const StmtPos head = f.Functions()[u.function].head;
    Checker c(m, unit);
    c.toDecls = true;
    c.At(u.file, head);
    Stmt& s = f.At(head);
    Symbol sym = DeclaredBy(m, SymKind::Function, s, u.file, head);
    const std::optional<ValueType> t = c.TagType(s.tag, f.TypeOf(s).name);
    sym.type = t ? *t : ValueType{ValueType::Int};
    sym.owner = unit;
    u.total = s.count;
    u.required = 0;
    for (std::uint32_t i = 0; i < s.count; ++i)
        if (!f.E(f.ListItem(s.list, i)).a)
            u.required = i + 1;
    // The parameters first, then whether the name is taken.
    c.DeclareParams(true);
    c.At(u.file, head);
    if (auto g = m.funcs.find(s.name); g != m.funcs.end()) {
        c.Error(Msg::DuplicateFunction);
        u.funcSym = g->second;
    } else {
        m.globals.push_back(sym);
        u.funcSym = static_cast<std::uint32_t>(m.globals.size() - 1);
        m.funcs[s.name] = u.funcSym;
    }
    s.sym = SymRef{SymRef::kGlobal, u.funcSym};
}

void DeclareType(Model& m, Checker& c, std::uint32_t file, StmtPos p)
{
    c.At(file, p);
    Stmt& s = m.files[file].syntax.At(p);
    if (auto t = m.types.find(s.name); t != m.types.end()) {
        c.Error(Msg::DuplicateIdentifier);
        s.sym = SymRef{SymRef::kGlobal, t->second};
    } else {
        m.types[s.name] = AddGlobal(m, DeclaredBy(m, SymKind::Type, s, file, p), s).index;
    }
}

void DeclareField(Model& m, Checker& c, std::uint32_t file, StmtPos p, std::uint32_t owner)
{
    c.At(file, p);
    Stmt& s = m.files[file].syntax.At(p);
    const std::optional<ValueType> t = c.TagType(s.tag, m.files[file].syntax.TypeOf(s).name);
    const std::uint32_t size = s.c ? c.VectorSize(s.c) : 0;
    if (s.a)
        c.Cast(c.Value(s.a), t ? *t : ValueType{ValueType::Int});
    const std::uint64_t key = (std::uint64_t(owner) << 32) | s.name;
    if (auto f = m.fields.find(key); f != m.fields.end()) {
        c.Error(Msg::DuplicateVariableName);
        s.sym = SymRef{SymRef::kGlobal, f->second};
        return;
    }
    Symbol sym = DeclaredBy(m, SymKind::Field, s, file, p);
    sym.type = t ? *t : ValueType{ValueType::Int};
    sym.vector = s.c != 0;
    sym.dims = size;
    sym.owner = owner;
    m.fields[key] = AddGlobal(m, sym, s).index;
}

}  // namespace

// The check of the whole program in the compiler's order, in steps that
// can stop at a deadline and go on later: the tables it has filled so far
// stay in the model, and what is left is kept here.
struct CheckRun {
    enum class Stage { Collect, Declarations, Heads, Main, Functions, Data, Done } stage = Stage::Collect;
    std::vector<std::pair<std::uint32_t, StmtPos>> consts, types, fields, datas;
    std::vector<int> fieldOwner;
    std::vector<std::uint32_t> typeSyms;  // the symbol of each type declared
    std::vector<std::uint32_t> functions;
    std::size_t next = 0;  // the next declaration, function head or body
    std::optional<Checker> decl, main;
    WalkCursor cursor;
    OrderCursor reading;
    int currentType = -1;

    bool Step(Model& m, Model::Deadline deadline);

private:
    // The program's tables emptied, then its declarations gathered in
    // reading order: a long program's take more than one slice.
    bool Collect(Model& m, const std::function<bool()>& late);
    bool Gather(Model& m, const std::function<bool()>& late);
    bool Declare(Model& m, const std::function<bool()>& late);
};

void CheckRunEnd::operator()(CheckRun* run) const
{
    delete run;
}

bool CheckRun::Collect(Model& m, const std::function<bool()>& late)
{
    if (reading.begun)
        return Gather(m, late);
    m.nearNames.clear();
    m.globals.clear();
    m.gvars.clear();
    m.funcs.clear();
    m.types.clear();
    m.fields.clear();
    m.dimAt.clear();
    m.declDiags.clear();
    m.dataDiags.clear();
    for (Unit& u : m.units)
        ResetUnit(u);
    return Gather(m, late);
}

bool CheckRun::Gather(Model& m, const std::function<bool()>& late)
{
    return VisitInOrder(m, reading, [&](std::uint32_t file, StmtPos p) {
        const Stmt& s = m.files[file].syntax.At(p);
        if (!s.name && (s.kind == StmtKind::Dim || s.kind == StmtKind::Const || s.kind == StmtKind::TypeHead ||
                        s.kind == StmtKind::Field))
            return;
        switch (s.kind) {
        case StmtKind::Dim: m.dimAt[s.name].push_back(OrderKey(m, file, p)); break;
        case StmtKind::Data:
            datas.emplace_back(file, p);
            currentType = -1;
            break;
        case StmtKind::Const: consts.emplace_back(file, p); break;
        case StmtKind::TypeHead:
            currentType = static_cast<int>(types.size());
            types.emplace_back(file, p);
            break;
        case StmtKind::Field:
            if (currentType >= 0) {
                fields.emplace_back(file, p);
                fieldOwner.push_back(currentType);
            }
            break;
        default: currentType = -1; break;
        }
    }, late);
}

bool CheckRun::Declare(Model& m, const std::function<bool()>& late)
{
    if (!decl) {
        decl.emplace(m, 0);
        decl->toDecls = true;
    }
    const std::size_t total = consts.size() + types.size() + fields.size();
    while (next < total) {
        const std::size_t i = next++;
        if (i < consts.size()) {
            const auto& [file, p] = consts[i];
            decl->At(file, p);
            DeclareConstant(m, *decl, file, p, m.files[file].syntax.At(p));
        } else if (i < consts.size() + types.size()) {
            const auto& [file, p] = types[i - consts.size()];
            DeclareType(m, *decl, file, p);
            typeSyms.push_back(m.files[file].syntax.At(p).sym.index);
        } else {
            const std::size_t f = i - consts.size() - types.size();
            DeclareField(m, *decl, fields[f].first, fields[f].second, typeSyms[fieldOwner[f]]);
        }
        if (next % 64 == 0 && late())
            return false;
    }
    decl.reset();
    next = 0;
    functions = FunctionOrder(m);
    return true;
}

bool CheckRun::Step(Model& m, Model::Deadline deadline)
{
    const auto late = [deadline] { return std::chrono::steady_clock::now() >= deadline; };
    while (stage != Stage::Done) {
        switch (stage) {
        case Stage::Collect:
            if (!Collect(m, late))
                return false;
            stage = m.units.empty() ? Stage::Done : Stage::Declarations;
            break;
        case Stage::Declarations:
            if (!Declare(m, late))
                return false;
            stage = Stage::Heads;
            break;
        case Stage::Heads:
            while (next < functions.size()) {
                DeclareFunction(m, functions[next++]);
                if (next % 64 == 0 && late())
                    return false;
            }
            next = 0;
            stage = Stage::Main;
            break;
        case Stage::Main:
            if (!main)
                main.emplace(m, 0);
            if (!main->WalkSome(cursor, late))
                return false;
            main->CheckJumps();
            main.reset();
            stage = Stage::Functions;
            break;
        case Stage::Functions:
            while (next < functions.size()) {
                Checker c(m, functions[next++]);
                c.Walk();
                c.CheckJumps();
                m.units[functions[next - 1]].syms.shrink_to_fit();
                if (next % 16 == 0 && late())
                    return false;
            }
            next = 0;
            stage = Stage::Data;
            break;
        case Stage::Data:
            while (next < datas.size()) {
                const std::size_t end = std::min(next + 256, datas.size());
                Checker c(m, 0);
                c.toData = true;
                c.CheckData(std::span(datas).subspan(next, end - next));
                next = end;
                if (next < datas.size() && late())
                    return false;
            }
            stage = Stage::Done;
            break;
        case Stage::Done: break;
        }
        if (stage != Stage::Done && late())
            return false;
    }
    return true;
}

bool CheckAllUntil(Model& m, Model::Deadline deadline)
{
    if (!m.run)
        m.run.reset(new CheckRun);
    if (!m.run->Step(m, deadline))
        return false;
    m.run.reset();
    return true;
}

void CheckUnit(Model& m, std::uint32_t unit)
{
    ResetUnit(m.units[unit]);
    Checker c(m, unit);
    c.DeclareParams(false);
    c.Walk();
    c.CheckJumps();
}

bool CheckMainRows(Model& m, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& rows)
{
    if (m.units.empty())
        return true;
    Unit& u = m.units[0];
    const std::set<std::pair<std::uint32_t, std::uint32_t>> edited(rows.begin(), rows.end());
    // A name first used on an edited line goes with it, to be declared
    // again by what the line holds now, when no other line looked it up
    // since the whole main program was last checked. Anything else declared
    // there reaches other statements: the caller checks everything again.
    for (std::uint32_t i = 0; i < u.syms.size(); ++i) {
        Symbol& s = u.syms[i];
        if (s.dead || !edited.count({s.file, s.row}))
            continue;
        if (s.kind != SymKind::Local || !s.implicit || s.usesElsewhere != 0)
            return false;
        s.dead = true;
        if (const auto it = u.vars.find(s.name); it != u.vars.end() && it->second == i)
            u.vars.erase(it);
    }
    const auto onEdited = [&](std::uint32_t file, std::uint32_t row) { return edited.count({file, row}) != 0; };
    // A read seen first on an edited line is looked for again there, so that
    // a warning about it goes with the read.
    const auto forget = [&](Symbol& s) {
        if (s.read && onEdited(s.readFile, s.readRow))
            s.read = false;
    };
    std::for_each(u.syms.begin(), u.syms.end(), forget);
    std::for_each(m.globals.begin(), m.globals.end(), forget);
    std::erase_if(u.diags, [&](const Diag& d) { return onEdited(d.file, d.row) || d.msg == Msg::UndefinedLabel; });
    std::erase_if(u.jumps, [&](const Unit::LabelUse& j) { return onEdited(j.file, j.row); });
    Checker c(m, 0);
    c.partial = true;
    for (const auto& [file, row] : edited) {
        const FileSyntax& f = m.files[file].syntax;
        for (std::uint32_t k = 0; k < f.Lines()[row].count; ++k) {
            c.At(file, StmtPos{row, k});
            c.Statement();
            if (c.aborted)
                return false;
        }
    }
    // The jumps of the lines checked again were added at the end; the first
    // undefined label is the first in reading order.
    std::vector<std::pair<std::pair<std::uint64_t, std::uint32_t>, Unit::LabelUse>> keyed;
    for (const Unit::LabelUse& j : u.jumps)
        keyed.push_back({{m.Ordinal(j.file, j.row), j.col}, j});
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        u.jumps[i] = keyed[i].second;
    c.CheckJumps();
    return true;
}

Symbol DeclaredBy(const Model& m, SymKind kind, const Stmt& s, std::uint32_t file, StmtPos pos)
{
    Symbol sym;
    sym.kind = kind;
    sym.name = s.name;
    sym.tag = s.tag;
    sym.typeName = m.files[file].syntax.TypeOf(s).name;
    sym.file = file;
    sym.row = pos.row;
    sym.col = s.nameCol;
    sym.k = pos.k;
    return sym;
}

SymRef AddGlobal(Model& m, const Symbol& sym, Stmt& s)
{
    m.globals.push_back(sym);
    s.sym = SymRef{SymRef::kGlobal, static_cast<std::uint32_t>(m.globals.size() - 1)};
    return s.sym;
}

std::string TypeText(const Model& m, Tag tag, NameId typeName)
{
    switch (tag) {
    case Tag::Int: return "%";
    case Tag::Float: return "#";
    case Tag::Str: return "$";
    case Tag::Custom: return "." + m.names.Text(typeName);
    default: return {};
    }
}

std::uint32_t EndCol(const Model& m, const Symbol& s)
{
    return s.col + static_cast<std::uint32_t>(m.names.Text(s.name).size());
}

std::string TypeText(const Model& m, const Symbol& s)
{
    return TypeText(m, s.tag, s.typeName);
}

}  // namespace lang
