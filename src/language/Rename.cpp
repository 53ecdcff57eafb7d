#include "language/Occurrences.h"

#include <algorithm>

// Renaming one symbol: the edits are its references (names only, so type
// characters stay and strings and comments, which hold no names, are never
// touched), and the refusals say why a new name would not do.
namespace lang {

namespace {

bool ValidName(std::string_view name)
{
    const auto alpha = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
    if (name.empty() || !alpha(name[0]) || IsKeyword(name))
        return false;
    return std::all_of(name.begin(), name.end(),
                       [&](char c) { return alpha(c) || (c >= '0' && c <= '9') || c == '_'; });
}

const char* KindWord(SymKind k)
{
    switch (k) {
    case SymKind::Const: return "constant";
    case SymKind::Global: return "global";
    case SymKind::Array: return "array";
    case SymKind::Local: return "local";
    case SymKind::Param: return "parameter";
    case SymKind::Function: return "function";
    case SymKind::Type: return "type";
    case SymKind::Field: return "field";
    case SymKind::Label: return "label";
    }
    return "name";
}

// Whether the function of unit `u` uses a global (variable, constant or
// array) spelled `name` anywhere in its body.
bool UsesGlobal(const Model& m, std::uint32_t u, NameId name)
{
    const Unit& unit = m.units[u];
    if (unit.function < 0)
        return false;
    const FunctionSpan& span = m.files[unit.file].syntax.Functions()[std::size_t(unit.function)];
    std::vector<Occurrence> found;
    for (std::uint32_t row = span.head.row; row <= span.end.row; ++row)
        RowOccurrences(m, unit.file, row, name, found);
    return std::any_of(found.begin(), found.end(), [&](const Occurrence& o) {
        if (o.sym.unit != SymRef::kGlobal)
            return false;
        const SymKind k = m.globals[o.sym.index].kind;
        return k == SymKind::Global || k == SymKind::Const || k == SymKind::Array;
    });
}

}  // namespace

RenamePlan Program::Rename(std::string_view key, std::uint32_t row, std::uint32_t col, std::string_view newName)
{
    RenamePlan plan;
    const std::vector<Range> refs = References(key, row, col);
    if (refs.empty()) {
        plan.refusal = "There is no declared name here to rename.";
        return plan;
    }
    const std::string shown(newName);
    if (!ValidName(newName)) {
        plan.refusal = "\"" + shown + "\" is not a valid name: a letter, then letters, digits or '_', and no keyword.";
        return plan;
    }
    // The symbol, found again at the place.
    const auto file = m->byKey.find(std::string(key));
    std::vector<Occurrence> here;
    RowOccurrences(*m, file->second, row, kNoName, here);
    SymRef target;
    for (const Occurrence& o : here)
        if (col >= o.col && col <= o.endCol && o.sym)
            target = o.sym;
    const Symbol& s = target.unit == SymRef::kGlobal ? m->globals[target.index] : m->units[target.unit].syms[target.index];
    const NameId name = m->names.Find(newName);
    const auto refuse = [&](const std::string& why) {
        plan.refusal = "Cannot rename " + std::string(KindWord(s.kind)) + " '" + std::string(m->names.Text(s.name)) + "' to \"" +
                       shown + "\": " + why;
        return plan;
    };
    if (name != kNoName && name != s.name) {
        if (m->builtins.count(name))
            return refuse("a built-in command or userlib function has that name.");
        const auto taken = [&](const FlatMap<NameId, std::uint32_t>& table) { return table.count(name) != 0; };
        bool collides = false;
        switch (s.kind) {
        case SymKind::Function: collides = taken(m->funcs); break;
        case SymKind::Type: collides = taken(m->types); break;
        case SymKind::Field: collides = m->fields.count((std::uint64_t(s.owner) << 32) | name) != 0; break;
        case SymKind::Label: collides = taken(m->units[target.unit].labels); break;
        case SymKind::Const:
        case SymKind::Global:
        case SymKind::Array:
            // A local of a function may share the name, as the compiler
            // allows, unless the function uses this symbol too: the local
            // would hide it there.
            collides = taken(m->gvars) || taken(m->units[0].vars);
            for (std::uint32_t u = 1; u < m->units.size() && !collides; ++u)
                if (taken(m->units[u].vars) && std::any_of(refs.begin(), refs.end(), [&](const Range& r) {
                        const auto f = m->byKey.find(r.file);
                        return f != m->byKey.end() && UnitAt(*m, f->second, r.row) == u;
                    }))
                    return refuse("function '" + std::string(m->names.Text(m->globals[m->units[u].funcSym].name)) +
                                  "' has a local of that name, which would hide it there.");
            break;
        case SymKind::Local:
        case SymKind::Param:
            // Of a function, it may take a global's name where the function
            // uses no such global; a local of the main program, or one
            // declared by its use, would become the global.
            collides = taken(m->units[target.unit].vars);
            if (!collides && taken(m->gvars)) {
                if (target.unit != 0 && !s.implicit && UsesGlobal(*m, target.unit, name))
                    return refuse("the function also uses the global of that name, which it would hide.");
                collides = target.unit == 0 || s.implicit;
            }
            break;
        }
        if (collides)
            return refuse("that name is already used there (letter case does not count).");
    }
    for (const Range& r : refs)
        plan.edits.push_back(RenameEdit{r.file, r.row, r.col, r.endCol});
    return plan;
}

}  // namespace lang
