#include "language/Program.h"

#include "language/Includes.h"
#include "language/Model.h"

#include <algorithm>

namespace lang {

namespace {

bool IsDeclaration(StmtKind k)
{
    switch (k) {
    case StmtKind::Const:
    case StmtKind::Global:
    case StmtKind::Dim:
    case StmtKind::Function:
    case StmtKind::TypeHead:
    case StmtKind::Field:
    case StmtKind::EndType:
    case StmtKind::Label:
    case StmtKind::Include: return true;
    default: return false;
    }
}

// The variables that lines give values to, by name: a variable no longer
// given one where it was may be given none at all now, which only a check of
// everything tells.
std::vector<NameId> WrittenOn(const FileSyntax& f, std::uint32_t first, std::uint32_t count)
{
    std::vector<NameId> names;
    for (std::uint32_t row = first; row < std::min(first + count, f.LineCount()); ++row) {
        for (std::uint32_t k = 0; k < f.Lines()[row].count; ++k) {
            const Stmt& s = f.At({row, k});
            const bool writes = s.kind == StmtKind::Assign || s.kind == StmtKind::For ||
                                s.kind == StmtKind::ForEach || s.kind == StmtKind::Read;
            if (writes && s.error == Msg::None && s.a && f.E(s.a).kind == ExprKind::Var)
                names.push_back(f.E(s.a).name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// What a declaration statement makes known to the rest of the program.
bool SameDeclaration(const FileSyntax& f, const Stmt& a, const Stmt& b)
{
    if (a.kind != b.kind || a.name != b.name || a.tag != b.tag || f.TypeOf(a).name != f.TypeOf(b).name ||
        a.nameCol != b.nameCol ||
        a.count != b.count || a.error != b.error)
        return false;
    if (a.kind == StmtKind::Function) {
        for (std::uint32_t i = 0; i < a.count; ++i) {
            const Expr& p = f.E(f.ListItem(a.list, i));
            const Expr& q = f.E(f.ListItem(b.list, i));
            if (p.name != q.name || p.tag != q.tag || !(f.TypeOf(p) == f.TypeOf(q)) || f.NameCol(p) != f.NameCol(q) ||
                !p.a != !q.a)
                return false;
        }
    }
    return true;
}

}  // namespace

const std::string* Model::Extra(std::string text)
{
    return text.empty() ? nullptr : &*extras.insert(std::move(text)).first;
}

std::uint32_t Model::FileIndex(std::string_view key)
{
    auto it = byKey.find(std::string(key));
    if (it != byKey.end())
        return it->second;
    files.emplace_back();
    files.back().key = std::string(key);
    const auto index = static_cast<std::uint32_t>(files.size() - 1);
    byKey.emplace(files.back().key, index);
    return index;
}

std::uint64_t Model::Ordinal(std::uint32_t file, std::uint32_t row) const
{
    const FileState& f = files[file];
    const auto before = std::lower_bound(f.firstRows.begin(), f.firstRows.end(), row) - f.firstRows.begin();
    return f.base + row + (before ? f.firstSizes[before - 1] : 0);
}

void Model::Assemble()
{
    order.clear();
    for (FileState& f : files) {
        f.inProgram = false;
        f.inFunction = false;
        f.sites.clear();
    }
    units.clear();
    if (main < 0)
        return;
    // Depth first, at each Include in turn: the order the compiler reads.
    std::vector<std::pair<std::uint32_t, StmtPos>> stack;
    const auto enter = [&](std::uint32_t file) {
        files[file].inProgram = true;
        order.push_back(file);
        stack.push_back({file, StmtPos{}});
    };
    enter(static_cast<std::uint32_t>(main));
    while (!stack.empty()) {
        const std::uint32_t file = stack.back().first;
        StmtPos p = stack.back().second;
        const FileSyntax& syntax = files[file].syntax;
        int descend = -1;
        for (bool more = syntax.Settle(p); more; more = syntax.Next(p)) {
            const Stmt& s = syntax.At(p);
            if (s.kind != StmtKind::Include || s.error != Msg::None)
                continue;
            IncludeSite site{p};
            if (auto key = ResolveInclude(mainDir, syntax.Text(s))) {
                site.target = static_cast<int>(FileIndex(*key));
                const FileState& t = files[site.target];
                site.first = t.given && !t.missing && !t.inProgram;
            }
            files[file].sites.push_back(site);
            if (site.first) {
                descend = site.target;
                files[descend].inFunction = files[file].inFunction || syntax.FunctionAt(p) >= 0;
                syntax.Next(p);
                break;
            }
        }
        if (descend < 0) {
            stack.pop_back();
            continue;
        }
        stack.back().second = p;
        enter(static_cast<std::uint32_t>(descend));
    }
    Number();
    std::size_t functions = 0;
    for (std::uint32_t file : order)
        functions += files[file].syntax.Functions().size();
    units.reserve(1 + functions);
    units.emplace_back();
    units[0].file = static_cast<std::uint32_t>(main);
    for (std::uint32_t file : order) {
        files[file].firstUnit = static_cast<std::uint32_t>(units.size());
        for (std::size_t i = 0; i < files[file].syntax.Functions().size(); ++i) {
            Unit& u = units.emplace_back();
            u.file = file;
            u.function = static_cast<int>(i);
        }
    }
}

// Sizes after the included files' sizes, then each file's first ordinal.
void Model::Number()
{
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        FileState& f = files[*it];
        f.size = f.syntax.LineCount();
        f.firstRows.clear();
        f.firstSizes.clear();
        std::uint64_t included = 0;
        for (const IncludeSite& s : f.sites) {
            if (!s.first)
                continue;
            included += files[s.target].size;
            f.firstRows.push_back(s.pos.row);
            f.firstSizes.push_back(included);
        }
        f.size += included;
    }
    if (main >= 0)
        files[main].base = 0;
    for (std::uint32_t file : order) {
        for (const IncludeSite& s : files[file].sites)
            if (s.first)
                files[s.target].base = Ordinal(file, s.pos.row) + 1;
    }
}

// Lines added or removed in a file only moved its statements: what the
// checks found stays true, at the new rows, so it is moved rather than
// found again. The small tables move at once; the symbols and findings of
// the whole program, tens of thousands, when next asked for, so that a key
// pressed in a long program costs what the key changed.
void Model::MoveRows(std::uint32_t file, const FileSyntax::EditEffect& effect)
{
    if (assemble)
        return;  // everything is worked out anew anyway
    const std::uint64_t from = Ordinal(file, effect.first);
    moves.push_back({file, effect, from, from + effect.oldCount});  // no Include among the lines replaced
    for (IncludeSite& s : files[file].sites)
        s.pos.row = effect.Row(s.pos.row);
    for (auto& [f, row] : mainRows)
        if (f == file)
            row = effect.Row(row);
    Number();
}

void Model::TakeMoves()
{
    if (assemble)
        moves.clear();
    for (const Move& move : moves) {
        const std::uint32_t file = move.file;
        const FileSyntax::EditEffect& effect = move.effect;
        const std::int64_t delta = std::int64_t(effect.newCount) - std::int64_t(effect.oldCount);
        const auto ordinal = [&](std::uint64_t o) -> std::uint64_t {
            if (o < move.from)
                return o;
            if (o >= move.to)
                return o + delta;
            return move.from + (effect.Row(effect.first + static_cast<std::uint32_t>(o - move.from)) - effect.first);
        };
        const auto moveSymbol = [&](Symbol& s) {
            if (s.file == file)
                s.row = effect.Row(s.row);
            if (s.read && s.readFile == file)
                s.readRow = effect.Row(s.readRow);
            s.order = static_cast<std::uint32_t>(ordinal(s.order));
        };
        const auto moveDiags = [&](std::vector<Diag>& diags) {
            for (Diag& d : diags)
                if (d.file == file)
                    d.row = effect.Row(d.row);
        };
        for (Symbol& s : globals)
            moveSymbol(s);
        for (Unit& u : units) {
            for (Symbol& s : u.syms)
                moveSymbol(s);
            moveDiags(u.diags);
            moveDiags(u.warnings);
            for (Unit::LabelUse& j : u.jumps)
                if (j.file == file)
                    j.row = effect.Row(j.row);
        }
        moveDiags(declDiags);
        moveDiags(dataDiags);
        for (auto& [name, key] : dimAt)
            key = (ordinal(key >> 10) << 10) | (key & 1023);
    }
    moves.clear();
}

void Model::Interrupt()
{
    ++changes;
    listing = {};
    // A run exists only while `full` is set: the next check starts anew.
    run.reset();
}

bool Model::Advance(Deadline deadline)
{
    EnsureAssembled();
    if (!full) {
        std::sort(dirtyUnits.begin(), dirtyUnits.end());
        dirtyUnits.erase(std::unique(dirtyUnits.begin(), dirtyUnits.end()), dirtyUnits.end());
        // A Global in a function (an error of its own) declares for the
        // whole program in the middle of the checking order: what the main
        // program and every function see then depends on that order, and
        // none of them is checked again alone.
        if ((dirtyMain || !dirtyUnits.empty()) &&
            std::any_of(units.begin() + std::min<std::size_t>(1, units.size()), units.end(),
                        [](const Unit& u) { return u.declaresGlobals; }))
            full = true;
        for (std::uint32_t u : dirtyUnits)
            full = full || u == 0;
        if (!full)
            for (std::uint32_t u : dirtyUnits)
                if (u < units.size())
                    CheckUnit(*this, u);
        if (!full && dirtyMain && !(mainPartialOk && CheckMainRows(*this, mainRows)))
            full = true;
    }
    dirtyUnits.clear();
    mainRows.clear();
    dirtyMain = false;
    mainPartialOk = true;
    if (!full)
        return true;
    if (!CheckAllUntil(*this, deadline))
        return false;
    full = false;
    return true;
}

Program::Program() : m(std::make_unique<Model>()) {}
Program::~Program() = default;

void Program::SetVocabulary(const Vocabulary& vocabulary)
{
    m->Interrupt();
    m->callables.clear();
    m->builtins.clear();
    m->shipped.clear();
    for (const auto* list : {&vocabulary.commands, &vocabulary.userlibs}) {
        for (const Callable& c : *list) {
            m->callables.push_back(c);
            m->builtins[m->names.Intern(c.name)] = static_cast<std::uint32_t>(m->callables.size() - 1);
        }
    }
    for (const auto& [name, file] : vocabulary.shippedDecls)
        m->shipped[m->names.Intern(name)] = file;
    m->full = true;
}

void Program::SetMainFile(std::string_view key)
{
    m->Interrupt();
    m->main = static_cast<int>(m->FileIndex(key));
    m->mainDir = std::string(FolderOf(key));
    m->assemble = true;
}

bool Program::Check(std::chrono::microseconds budget)
{
    return m->Advance(std::chrono::steady_clock::now() + budget);
}

const std::string& Program::MainFile() const
{
    static const std::string none;
    return m->main < 0 ? none : m->files[m->main].key;
}

void Program::SetFile(std::string_view key, std::string_view text)
{
    m->Interrupt();
    FileState& f = m->files[m->FileIndex(key)];
    f.syntax.Parse(text, m->names);
    f.given = true;
    f.missing = false;
    f.why.clear();
    m->assemble = true;
}

void Program::SetMissing(std::string_view key, std::string_view why)
{
    m->Interrupt();
    FileState& f = m->files[m->FileIndex(key)];
    f.syntax.Parse({}, m->names);
    f.given = true;
    f.missing = true;
    f.why = std::string(why);
    m->assemble = true;
}

std::vector<std::string> Program::IncludedBy(std::string_view key) const
{
    std::vector<std::string> keys;
    const auto it = m->byKey.find(std::string(key));
    if (it == m->byKey.end())
        return keys;
    const FileSyntax& syntax = m->files[it->second].syntax;
    StmtPos p{};
    for (bool more = syntax.Settle(p); more; more = syntax.Next(p)) {
        const Stmt& s = syntax.At(p);
        if (s.kind == StmtKind::Include && s.error == Msg::None)
            if (auto target = ResolveInclude(m->mainDir, syntax.Text(s)))
                keys.push_back(std::move(*target));
    }
    return keys;
}

void Program::Edit(std::string_view key, std::uint32_t first, std::uint32_t oldCount, std::string_view lines,
                   std::uint32_t newCount)
{
    m->Interrupt();
    auto it = m->byKey.find(std::string(key));
    if (it == m->byKey.end() || !m->files[it->second].given || m->files[it->second].missing)
        return;
    const std::uint32_t file = it->second;
    FileSyntax& syntax = m->files[file].syntax;
    // The declarations of the lines replaced, to see whether the program's
    // tables can stay.
    std::vector<Stmt> before;
    std::vector<std::size_t> beforeRow;  // where each replaced row's statements start in `before`
    for (std::uint32_t row = first; row < std::min(first + oldCount, syntax.LineCount()); ++row) {
        beforeRow.push_back(before.size());
        for (std::uint32_t k = 0; k < syntax.Lines()[row].count; ++k)
            before.push_back(syntax.At({row, k}));
    }
    beforeRow.push_back(before.size());
    const std::vector<NameId> writtenBefore = WrittenOn(syntax, first, oldCount);
    const FileSyntax::EditEffect effect = syntax.Edit(first, oldCount, lines, newCount, m->names);
    if (!m->files[file].inProgram)
        return;
    if (WrittenOn(syntax, first, newCount) != writtenBefore)
        m->full = true;
    if (effect.Shifted())
        m->MoveRows(file, effect);
    if (m->files[file].inFunction)
        m->full = true;
    if (effect.includes) {
        m->assemble = true;
        return;
    }
    if (effect.structure) {
        // Blocks moved: the units and the program's line numbering change.
        m->assemble = true;
        return;
    }
    std::size_t b = 0;
    for (std::uint32_t row = first; row < first + newCount; ++row) {
        const std::uint32_t count = syntax.Lines()[row].count;
        if (effect.Shifted() && effect.kept[row - first]) {
            b += count;
            continue;
        }
        // Lines replaced one for one may hold more or fewer statements than
        // before, when none of them takes part in a block.
        std::size_t oldFirst = b, oldEnd = b + count;
        if (!effect.Shifted() && row - first + 1 < beforeRow.size()) {
            oldFirst = beforeRow[row - first];
            oldEnd = beforeRow[row - first + 1];
        }
        b += count;
        const bool pairs = oldEnd - oldFirst == count;
        // The unit of a place on the line is checked again.
        const auto touch = [&](std::uint32_t k) {
            const int fn = syntax.FunctionAt({row, k});
            if (fn >= 0) {
                m->dirtyUnits.push_back(m->files[file].firstUnit + static_cast<std::uint32_t>(fn));
            } else {
                m->dirtyMain = true;
                m->mainRows.emplace_back(file, row);
            }
            return fn;
        };
        // A line whose statements all went is checked again where it stands.
        if (count == 0 && oldEnd > oldFirst)
            touch(0);
        for (std::uint32_t k = 0; k < count; ++k) {
            const int fn = touch(k);
            const Stmt& s = syntax.At({row, k});
            if (pairs && (IsDeclaration(s.kind) || IsDeclaration(before[oldFirst + k].kind)) &&
                !SameDeclaration(syntax, s, before[oldFirst + k]))
                m->full = true;
            if (fn < 0 && (s.kind == StmtKind::Exit || s.kind == StmtKind::Local || IsDeclaration(s.kind)))
                m->mainPartialOk = false;
        }
        if (!pairs) {
            for (std::uint32_t k = 0; k < count; ++k)
                m->full = m->full || IsDeclaration(syntax.At({row, k}).kind);
            for (std::size_t o = oldFirst; o < oldEnd; ++o)
                m->full = m->full || IsDeclaration(before[o].kind);
        }
    }
}

// The include graph alone, without checking: what the host asks while it
// is still handing over files.
void Model::EnsureAssembled()
{
    TakeMoves();
    if (assemble) {
        Assemble();
        assemble = false;
        full = true;
    }
}

std::vector<std::string> Program::NeededFiles()
{
    m->EnsureAssembled();
    std::vector<std::string> needed;
    for (std::uint32_t file : m->order)
        for (const IncludeSite& s : m->files[file].sites)
            if (s.target >= 0 && !m->files[s.target].given &&
                std::find(needed.begin(), needed.end(), m->files[s.target].key) == needed.end())
                needed.push_back(m->files[s.target].key);
    return needed;
}

std::vector<std::string> Program::Files()
{
    m->EnsureAssembled();
    std::vector<std::string> keys;
    for (std::uint32_t file : m->order)
        keys.push_back(m->files[file].key);
    return keys;
}

std::vector<std::string> Program::IncludersOf(std::string_view key)
{
    m->EnsureAssembled();
    std::vector<std::string> keys;
    for (std::uint32_t file : m->order)
        for (const IncludeSite& s : m->files[file].sites)
            if (s.target >= 0 && m->files[s.target].key == key) {
                keys.push_back(m->files[file].key);
                break;
            }
    return keys;
}

std::size_t Program::Bytes() const
{
    std::size_t bytes = m->names.Bytes() + m->globals.size() * sizeof(Symbol);
    for (const FileState& f : m->files)
        bytes += f.syntax.Bytes() + f.sites.capacity() * sizeof(IncludeSite);
    for (const Unit& u : m->units)
        bytes += sizeof(Unit) + u.syms.capacity() * sizeof(Symbol) + u.vars.Bytes() + u.labels.Bytes() +
                 u.diags.capacity() * sizeof(Diag);
    bytes += m->gvars.Bytes() + m->funcs.Bytes() + m->types.Bytes() + m->fields.Bytes();
    return bytes;
}

}  // namespace lang
