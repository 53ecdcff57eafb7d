#include "language/Checker.h"
#include "language/Includes.h"
#include "language/Occurrences.h"

#include <algorithm>

namespace lang {

namespace {

const Symbol& SymOf(const Model& m, SymRef r)
{
    return r.unit == SymRef::kGlobal ? m.globals[r.index] : m.units[r.unit].syms[r.index];
}

// The symbol written at a place, if a bound name is there.
std::optional<std::pair<std::uint32_t, Occurrence>> At(Model& m, std::string_view key, std::uint32_t row,
                                                         std::uint32_t col)
{
    m.Refresh();
    auto it = m.byKey.find(std::string(key));
    if (it == m.byKey.end() || !m.files[it->second].inProgram)
        return std::nullopt;
    std::vector<Occurrence> found;
    RowOccurrences(m, it->second, row, kNoName, found);
    for (const Occurrence& o : found)
        if (col >= o.col && col <= o.endCol && o.sym)
            return std::make_pair(it->second, o);
    return std::nullopt;
}

std::vector<SymbolInfo> FieldsOfType(const Model& m, std::uint32_t type)
{
    std::vector<SymbolInfo> out;
    for (std::uint32_t i = 0; i < m.globals.size(); ++i)
        if (m.globals[i].kind == SymKind::Field && m.globals[i].owner == type)
            out.push_back(Describe(m, SymRef{SymRef::kGlobal, i}));
    return out;
}

// A function found by its head alone, the first of that name in the
// compiler's order, as the check binds it.
std::optional<SymbolInfo> HeadNamed(Model& m, NameId name)
{
    std::optional<std::pair<std::uint64_t, std::uint32_t>> first;  // order key, unit
    for (std::uint32_t i = 1; i < m.units.size(); ++i) {
        const Unit& u = m.units[i];
        const StmtPos head = m.files[u.file].syntax.Functions()[u.function].head;
        if (m.files[u.file].syntax.At(head).name != name)
            continue;
        const std::uint64_t key = OrderKey(m, u.file, head);
        if (!first || key < first->first)
            first = {key, i};
    }
    if (!first)
        return std::nullopt;
    const Unit& u = m.units[first->second];
    const FileSyntax& f = m.files[u.file].syntax;
    const Stmt& s = f.At(f.Functions()[u.function].head);
    SymbolInfo info;
    info.kind = SymbolKind::Function;
    info.name = m.names.Text(name);
    info.typeText = TypeText(m, s.tag, f.TypeOf(s).name);
    info.place = Range{m.files[u.file].key, f.Functions()[u.function].head.row, s.nameCol, NameEnd(s, m.names)};
    std::vector<NameId> seen;
    for (std::uint32_t i = 0; i < s.count; ++i) {
        const Expr& p = f.E(f.ListItem(s.list, i));
        if (std::find(seen.begin(), seen.end(), p.name) != seen.end())
            continue;
        seen.push_back(p.name);
        info.params.push_back(std::string(m.names.Text(p.name)) + TypeText(m, p.tag, f.TypeOf(p).name) + (p.a ? "=..." : ""));
    }
    return info;
}

}  // namespace

std::optional<Range> Program::Definition(std::string_view key, std::uint32_t row, std::uint32_t col)
{
    const auto at = At(*m, key, row, col);
    if (!at)
        return std::nullopt;
    const Symbol& s = SymOf(*m, at->second.sym);
    return Range{m->files[s.file].key, s.row, s.col, EndCol(*m, s)};
}

std::vector<Range> Program::References(std::string_view key, std::uint32_t row, std::uint32_t col)
{
    const auto at = At(*m, key, row, col);
    if (!at)
        return {};
    const SymRef target = at->second.sym;
    const NameId name = at->second.name;
    std::vector<Range> out;
    std::vector<Occurrence> found;
    // A name bound program-wide is no label: which unit a row is in does not matter.
    const std::uint32_t unit = target.unit == SymRef::kGlobal ? kAnyUnit : kUnitOfRow;
    const auto scan = [&](std::uint32_t file, std::uint32_t from, std::uint32_t to) {
        for (std::uint32_t r = from; r < to; ++r) {
            found.clear();
            RowOccurrences(*m, file, r, name, found, unit);
            for (const Occurrence& o : found)
                if (o.sym == target)
                    out.push_back(Range{m->files[file].key, r, o.col, o.endCol});
        }
    };
    if (target.unit != SymRef::kGlobal && target.unit != 0) {
        // A function's own names are used in that function only.
        const Unit& u = m->units[target.unit];
        const FunctionSpan& span = m->files[u.file].syntax.Functions()[u.function];
        scan(u.file, span.head.row, std::min(span.end.row + 1, m->files[u.file].syntax.LineCount()));
        return out;
    }
    for (std::uint32_t file : m->order)
        scan(file, 0, m->files[file].syntax.LineCount());
    return out;
}

std::vector<NameUse> Program::NamesOn(std::string_view key, std::uint32_t firstRow, std::uint32_t endRow)
{
    m->Refresh();
    const auto it = m->byKey.find(std::string(key));
    if (it == m->byKey.end() || !m->files[it->second].inProgram)
        return {};
    const std::uint32_t file = it->second;
    endRow = std::min(endRow, m->files[file].syntax.LineCount());
    std::vector<NameUse> out;
    std::vector<Occurrence> found;
    for (std::uint32_t r = firstRow; r < endRow; ++r) {
        found.clear();
        RowOccurrences(*m, file, r, kNoName, found);
        std::sort(found.begin(), found.end(), [](const Occurrence& a, const Occurrence& b) { return a.col < b.col; });
        for (const Occurrence& o : found) {
            if (!o.sym)
                continue;
            const Symbol& s = SymOf(*m, o.sym);
            out.push_back({r, o.col, o.endCol, KindOf(s.kind), s.file == file && s.row == r && s.col == o.col});
        }
    }
    return out;
}

std::vector<SymbolInfo> Program::FieldsOf(std::string_view typeName)
{
    m->Refresh();
    auto t = m->types.find(m->names.Find(typeName));
    return t == m->types.end() ? std::vector<SymbolInfo>{} : FieldsOfType(*m, t->second);
}

std::vector<SymbolInfo> Program::FieldsAt(std::string_view key, std::uint32_t row, std::string_view lineText,
                                          std::uint32_t col)
{
    m->Refresh();
    auto file = m->byKey.find(std::string(key));
    if (file == m->byKey.end() || m->units.empty())
        return {};
    // The chain before the place, read backwards: name, (...) , [...], \field ...
    std::vector<Token> tokens;
    NameTable scratch;
    LexLine(lineText.substr(0, std::min<std::size_t>(col, lineText.size())), col, scratch, tokens);
    tokens.pop_back();
    if (!tokens.empty() && tokens.back().kind == '\\')
        tokens.pop_back();
    std::vector<NameId> fields;
    std::ptrdiff_t i = static_cast<std::ptrdiff_t>(tokens.size()) - 1;
    NameId head = kNoName;
    while (i >= 0) {
        // An array's subscripts, then a Blitz array's element: the element's
        // type is the array's.
        for (const auto& [open, close] : {std::pair<int, int>{'[', ']'}, std::pair<int, int>{'(', ')'}}) {
            if (i < 0 || tokens[i].kind != close)
                continue;
            int depth = 0;
            for (; i >= 0; --i) {
                depth += tokens[i].kind == close ? 1 : tokens[i].kind == open ? -1 : 0;
                if (!depth)
                    break;
            }
            --i;
        }
        while (i >= 0 && (tokens[i].kind == '%' || tokens[i].kind == '#' || tokens[i].kind == '$'))
            --i;
        if (i < 0 || tokens[i].kind != kIdent)
            return {};
        const NameId name = m->names.Find(scratch.Text(tokens[i].name));
        if (i >= 1 && tokens[i - 1].kind == '\\') {
            fields.push_back(name);
            i -= 2;
            continue;
        }
        head = name;
        break;
    }
    if (!head)
        return {};
    const Unit& u = m->units[UnitAt(*m, file->second, row)];
    const Symbol* var = nullptr;
    if (auto v = u.vars.find(head); v != u.vars.end())
        var = &u.syms[v->second];
    else if (auto g = m->gvars.find(head); g != m->gvars.end())
        var = &m->globals[g->second];
    if (!var || var->type.k != ValueType::Struct)
        return {};
    std::uint32_t type = var->type.type;
    for (auto f = fields.rbegin(); f != fields.rend(); ++f) {
        auto field = m->fields.find((std::uint64_t(type) << 32) | *f);
        if (field == m->fields.end() || m->globals[field->second].type.k != ValueType::Struct)
            return {};
        type = m->globals[field->second].type.type;
    }
    return FieldsOfType(*m, type);
}

std::vector<SymbolInfo> Program::Types()
{
    m->Refresh();
    std::vector<SymbolInfo> out;
    for (std::uint32_t i = 0; i < m->globals.size(); ++i)
        if (m->globals[i].kind == SymKind::Type)
            out.push_back(Describe(*m, SymRef{SymRef::kGlobal, i}));
    return out;
}

std::optional<SymbolInfo> Program::TypeNamed(std::string_view typeName)
{
    m->Refresh();
    const auto t = m->types.find(m->names.Find(typeName));
    if (t == m->types.end())
        return std::nullopt;
    return Describe(*m, SymRef{SymRef::kGlobal, t->second});
}

std::vector<SymbolInfo> Program::VisibleNames(std::string_view key, std::uint32_t row)
{
    m->Refresh();
    auto file = m->byKey.find(std::string(key));
    if (file == m->byKey.end() || m->units.empty())
        return {};
    const std::uint32_t unit = UnitAt(*m, file->second, row);
    std::vector<SymbolInfo> out;
    const Unit& u = m->units[unit];
    for (std::uint32_t i = 0; i < u.syms.size(); ++i)
        if (u.syms[i].kind != SymKind::Label && !u.syms[i].dead)
            out.push_back(Describe(*m, SymRef{unit, i}));
    for (SymKind kind : {SymKind::Const, SymKind::Global, SymKind::Array, SymKind::Function})
        for (std::uint32_t i = 0; i < m->globals.size(); ++i)
            if (m->globals[i].kind == kind && (kind == SymKind::Function || !u.vars.count(m->globals[i].name)))
                out.push_back(Describe(*m, SymRef{SymRef::kGlobal, i}));
    return out;
}

std::optional<SymbolInfo> Program::FunctionNamed(std::string_view name)
{
    // Call tips ask at every key: the function's head answers, without
    // waiting for a check of what the key changed.
    m->EnsureAssembled();
    return HeadNamed(*m, m->names.Find(name));
}

std::vector<SymbolInfo> Program::Symbols()
{
    m->Refresh();
    std::vector<SymbolInfo> out;
    for (std::uint32_t i = 0; i < m->globals.size(); ++i)
        out.push_back(Describe(*m, SymRef{SymRef::kGlobal, i}));
    for (std::uint32_t u = 0; u < m->units.size(); ++u)
        for (std::uint32_t i = 0; i < m->units[u].syms.size(); ++i)
            if (!m->units[u].syms[i].implicit)
                out.push_back(Describe(*m, SymRef{u, i}));
    return out;
}

std::vector<SymbolInfo> Program::MatchSymbols(std::string_view pattern, std::size_t limit)
{
    m->Refresh();
    std::string lower(pattern);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = char(c | 0x20);
    // Letters in order; a match that starts the name, runs on without gaps
    // and leaves less of the name over ranks first.
    const auto score = [&](std::string_view name) -> int {
        int s = 0, run = 0;
        std::size_t at = 0;
        for (char c : lower) {
            const std::size_t hit = name.find(c, at);
            if (hit == std::string::npos)
                return -1;
            run = hit == at ? run + 1 : 0;
            s += 10 + run * 5 - static_cast<int>(hit - at);
            if (hit == 0)
                s += 15;
            at = hit + 1;
        }
        return s * 4 - static_cast<int>(name.size());
    };
    std::vector<std::pair<int, SymRef>> hits;
    const auto consider = [&](SymRef r, const Symbol& s) {
        const int sc = score(m->names.Text(s.name));
        if (sc >= 0 || lower.empty())
            hits.emplace_back(sc, r);
    };
    for (std::uint32_t i = 0; i < m->globals.size(); ++i)
        consider(SymRef{SymRef::kGlobal, i}, m->globals[i]);
    for (std::uint32_t u = 0; u < m->units.size(); ++u)
        for (std::uint32_t i = 0; i < m->units[u].syms.size(); ++i)
            if (!m->units[u].syms[i].implicit)
                consider(SymRef{u, i}, m->units[u].syms[i]);
    const std::size_t n = std::min(limit, hits.size());
    std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(n), hits.end(),
                      [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<SymbolInfo> out;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(Describe(*m, hits[i].second));
    return out;
}

std::uint32_t Program::LineCount(std::string_view key) const
{
    const auto it = m->byKey.find(std::string(key));
    return it == m->byKey.end() ? 0 : m->files[it->second].syntax.LineCount();
}

void Program::VisitDeclarations(std::string_view key, std::uint32_t firstRow, std::uint32_t endRow,
                                const std::function<void(const Declaration&)>& visit) const
{
    const auto it = m->byKey.find(std::string(key));
    if (it == m->byKey.end())
        return;
    const FileSyntax& syntax = m->files[it->second].syntax;
    endRow = std::min(endRow, syntax.LineCount());
    for (std::uint32_t row = firstRow; row < endRow; ++row) {
        const auto stmts = syntax.LineStmts(row);
        for (std::uint32_t k = 0; k < syntax.Lines()[row].count; ++k) {
            const Stmt& s = stmts[k];
            Declaration d;
            d.row = row;
            if (s.kind == StmtKind::Include) {
                if (s.error == Msg::None)
                    d.include = ResolveInclude(m->mainDir, syntax.Text(s)).value_or(std::string());
                if (d.include)
                    visit(d);
                continue;
            }
            switch (s.kind) {
            case StmtKind::Const: d.kind = SymbolKind::Constant; break;
            case StmtKind::Global: d.kind = SymbolKind::Global; break;
            case StmtKind::Local: d.kind = SymbolKind::Local; break;
            case StmtKind::Dim: d.kind = SymbolKind::Array; break;
            case StmtKind::Function: d.kind = SymbolKind::Function; break;
            case StmtKind::TypeHead: d.kind = SymbolKind::Type; break;
            case StmtKind::Label: d.kind = SymbolKind::Label; break;
            default: continue;
            }
            // An array needs its bounds: without them nothing is declared.
            if (s.name == kNoName || (s.kind == StmtKind::Dim && s.error != Msg::None))
                continue;
            d.col = s.nameCol;
            d.endCol = NameEnd(s, m->names);
            static constexpr char kTags[] = {0, '%', '#', '$', '.'};
            d.tag = kTags[static_cast<int>(s.tag)];
            if (const TypeRef t = syntax.TypeOf(s); t.name != kNoName) {
                d.typeCol = t.col;
                d.typeEndCol = t.col + static_cast<std::uint32_t>(m->names.Text(t.name).size());
            }
            visit(d);
        }
    }
}

}  // namespace lang
