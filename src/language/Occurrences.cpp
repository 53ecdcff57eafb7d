#include "language/Occurrences.h"

namespace lang {

namespace {

struct RowWalk {
    const Model& m;
    const FileSyntax& f;
    std::uint32_t unit;
    NameId only;
    std::vector<Occurrence>& out;

    void Add(std::uint32_t col, NameId name, SymRef sym)
    {
        if (!name || (only && name != only))
            return;
        const auto len = static_cast<std::uint32_t>(m.names.Text(name).size());
        out.push_back(Occurrence{col, col + len, sym, name});
    }

    SymRef TypeRef(NameId typeName) const
    {
        auto t = m.types.find(typeName);
        return t == m.types.end() ? SymRef{} : SymRef{SymRef::kGlobal, t->second};
    }

    SymRef LabelRef(NameId name, bool restore) const
    {
        const Unit& u = m.units[unit];
        if (auto l = u.labels.find(name); l != u.labels.end())
            return SymRef{unit, l->second};
        if (restore)
            if (auto l = m.units[0].labels.find(name); l != m.units[0].labels.end())
                return SymRef{0, l->second};
        return SymRef{};
    }

    void Tagged(Tag tag, NameId typeName, std::uint32_t typeCol)
    {
        if (tag == Tag::Custom)
            Add(typeCol, typeName, TypeRef(typeName));
    }

    void Expression(std::uint32_t index)
    {
        if (!index)
            return;
        const Expr& e = f.E(index);
        switch (e.kind) {
        case ExprKind::Var:
        case ExprKind::CallOrArray:
        case ExprKind::Param:
        case ExprKind::Field: Add(f.NameCol(e), e.name, e.sym); break;
        case ExprKind::New:
        case ExprKind::First:
        case ExprKind::Last:
        case ExprKind::Object: Add(f.NameCol(e), e.name, e.sym ? e.sym : TypeRef(e.name)); break;
        default: break;
        }
        const lang::TypeRef type = f.TypeOf(e);
        Tagged(e.tag, type.name, type.col);
        f.ForEachChild(e, [this](std::uint32_t child) { Expression(child); });
    }

    void Statement(const Stmt& s)
    {
        switch (s.kind) {
        case StmtKind::Include: return;
        case StmtKind::Goto:
        case StmtKind::Gosub:
        case StmtKind::Restore: Add(s.nameCol, s.name, LabelRef(s.name, s.kind == StmtKind::Restore)); break;
        case StmtKind::ForEach:
        case StmtKind::DeleteEach: Add(s.nameCol, s.name, s.sym ? s.sym : TypeRef(s.name)); break;
        case StmtKind::Call:
        case StmtKind::Const:
        case StmtKind::Global:
        case StmtKind::Local:
        case StmtKind::Dim:
        case StmtKind::Field:
        case StmtKind::Function:
        case StmtKind::TypeHead:
        case StmtKind::Label:
            Add(s.nameCol, s.name, s.sym);
            Tagged(s.tag, f.TypeOf(s).name, f.TypeOf(s).col);
            break;
        default: break;
        }
        f.ForEachOperand(s, [this](std::uint32_t e) { Expression(e); });
    }
};

}  // namespace

std::uint32_t UnitAt(const Model& m, std::uint32_t file, std::uint32_t row)
{
    const FileState& fs = m.files[file];
    if (!fs.inProgram)
        return 0;
    const int fn = fs.syntax.FunctionAt(StmtPos{row, 0});
    return fn < 0 ? 0 : fs.firstUnit + static_cast<std::uint32_t>(fn);
}

void RowOccurrences(const Model& m, std::uint32_t file, std::uint32_t row, NameId only,
                    std::vector<Occurrence>& out, std::uint32_t unit)
{
    const FileSyntax& f = m.files[file].syntax;
    if (row >= f.LineCount() || m.units.empty())
        return;
    RowWalk walk{m, f, unit == kAnyUnit ? 0 : unit == kUnitOfRow ? UnitAt(m, file, row) : unit, only, out};
    const auto s = f.LineStmts(row);
    for (std::uint32_t k = 0; k < f.Lines()[row].count; ++k)
        walk.Statement(s[k]);
}

SymbolKind KindOf(SymKind k)
{
    switch (k) {
    case SymKind::Const: return SymbolKind::Constant;
    case SymKind::Global: return SymbolKind::Global;
    case SymKind::Array: return SymbolKind::Array;
    case SymKind::Local: return SymbolKind::Local;
    case SymKind::Param: return SymbolKind::Parameter;
    case SymKind::Function: return SymbolKind::Function;
    case SymKind::Type: return SymbolKind::Type;
    case SymKind::Field: return SymbolKind::Field;
    case SymKind::Label: return SymbolKind::Label;
    }
    return SymbolKind::Global;
}

SymbolInfo Describe(const Model& m, SymRef ref)
{
    const Symbol& s = ref.unit == SymRef::kGlobal ? m.globals[ref.index] : m.units[ref.unit].syms[ref.index];
    SymbolInfo info;
    info.kind = KindOf(s.kind);
    info.name = m.names.Text(s.name);
    info.typeText = TypeText(m, s);
    info.place = Range{m.files[s.file].key, s.row, s.col, EndCol(m, s)};
    if (s.kind == SymKind::Field)
        info.container = m.names.Text(m.globals[s.owner].name);
    else if (ref.unit != SymRef::kGlobal && ref.unit != 0)
        info.container = m.names.Text(m.globals[m.units[ref.unit].funcSym].name);
    if (s.kind == SymKind::Function) {
        for (const Symbol& p : m.units[s.owner].syms) {
            if (p.kind != SymKind::Param)
                continue;
            std::string text = std::string(m.names.Text(p.name)) + TypeText(m, p);
            const FileSyntax& f = m.files[s.file].syntax;
            const Stmt& head = f.At(s.Pos());
            for (std::uint32_t i = 0; i < head.count; ++i) {
                const Expr& e = f.E(f.ListItem(head.list, i));
                if (e.name == p.name && e.a)
                    text += "=...";
            }
            info.params.push_back(text);
        }
    }
    return info;
}

}  // namespace lang
