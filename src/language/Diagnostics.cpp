#include "language/Checker.h"
#include "language/InOrder.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <iterator>
#include <tuple>
#include <unordered_set>

namespace lang {

const char* MsgText(Msg msg)
{
    switch (msg) {
    case Msg::None: return "";
    case Msg::ExpExpression: return "Expecting expression";
    case Msg::ExpIdentifier: return "Expecting identifier";
    case Msg::ExpEndOfLine: return "Expecting end-of-line";
    case Msg::ExpEndOfFile: return "Expecting end-of-file";
    case Msg::ExpIncludeFilename: return "Expecting include filename";
    case Msg::ExpVariableAssignment: return "Expecting variable assignment";
    case Msg::ExpExpressionSequence: return "Expecting expression sequence";
    case Msg::ExpCloseParen: return "Expecting ')'";
    case Msg::ExpOpenParen: return "Expecting '('";
    case Msg::ExpCloseBracket: return "Expecting ']'";
    case Msg::ExpNext: return "Expecting 'Next'";
    case Msg::ExpTo: return "Expecting 'TO'";
    case Msg::ExpWend: return "Expecting 'Wend'";
    case Msg::ExpUntilOrForever: return "Expecting 'Until' or 'Forever'";
    case Msg::ExpEndIf: return "Expecting 'EndIf'";
    case Msg::ExpEndFunction: return "Expecting 'End Function'";
    case Msg::ExpEndSelect: return "Expecting 'End Select'";
    case Msg::ExpCaseDefaultEndSelect: return "Expecting 'Case', 'Default' or 'End Select'";
    case Msg::ExpFieldOrEndType: return "Expecting 'Field' or 'End Type'";
    case Msg::ExpBeforeOrAfter: return "Expecting 'Before' or 'After'";
    case Msg::NextWithoutFor: return "'Next' without 'For'";
    case Msg::WendWithoutWhile: return "'Wend' without 'While'";
    case Msg::ElseWithoutIf: return "'Else' without 'If'";
    case Msg::EndifWithoutIf: return "'Endif' without 'If'";
    case Msg::EndFunctionWithoutFunction: return "'End Function' without 'Function'";
    case Msg::UntilWithoutRepeat: return "'Until' without 'Repeat'";
    case Msg::ForeverWithoutRepeat: return "'Forever' without 'Repeat'";
    case Msg::CaseWithoutSelect: return "'Case' without 'Select'";
    case Msg::EndSelectWithoutSelect: return "'End Select' without 'Select'";
    case Msg::MismatchedBrackets: return "Mismatched brackets";
    case Msg::ConstantsMustBeInitialized: return "Constants must be initialized";
    case Msg::UnableToOpenInclude: return "Unable to open include file";
    case Msg::GlobalInFunction: return "'Global' can only appear in main program";
    case Msg::ConstInFunction: return "'Const' can only appear in main program";
    case Msg::TypeInFunction: return "'Type' can only appear in main program";
    case Msg::FunctionInFunction: return "'Function' can only appear in main program";
    case Msg::DataInFunction: return "'Data' can only appear in main program";
    case Msg::FunctionNotFound:
    case Msg::UserlibNotInstalled: return "Function '%' not found";
    case Msg::TypeNotFound: return "Type \"%\" not found";
    case Msg::TypeFieldNotFound: return "Type field not found";
    case Msg::ArrayNotFound: return "Array not found";
    case Msg::UndefinedLabel: return "Undefined label '%'";
    case Msg::DuplicateIdentifier: return "Duplicate identifier";
    case Msg::DuplicateVariableName: return "Duplicate variable name";
    case Msg::DuplicateLabel: return "duplicate label";
    case Msg::NotEnoughParameters: return "Not enough parameters";
    case Msg::TooManyParameters: return "Too many parameters";
    case Msg::VariableTypeMismatch: return "Variable type mismatch";
    case Msg::IllegalTypeConversion: return "Illegal type conversion";
    case Msg::TypeMismatch: return "Type mismatch";
    case Msg::OperatorOnStrings: return "Operator cannot be applied to strings";
    case Msg::ExpressionMustBeConstant: return "Expression must be constant";
    case Msg::ConstantsCannotBeAssigned: return "Constants can not be assigned to";
    case Msg::IncorrectSubscripts: return "Incorrect number of subscripts";
    case Msg::GosubInFunction: return "'Gosub' may not be used inside a function";
    case Msg::ExitOutsideLoop: return "break must appear inside a loop";
    case Msg::MainCannotReturn: return "Main program cannot return a value";
    case Msg::MayNotBeUsedLikeThis: return "Identifier '%' may not be used like this";
    case Msg::ArrayNotFoundInMain: return "Array not found in main program";
    case Msg::DuplicateFunction: return "duplicate identifier";
    case Msg::UndefinedLabelInFunction: return "Undefined label";
    case Msg::TypeNameNotFound: return "Type name not found";
    case Msg::CustomTypeNameNotFound: return "custom type name not found";
    case Msg::CustomTypeNameNameNotFound: return "custom type name name not found";
    case Msg::NotANewTypeName: return "Specified name is not a NewType name";
    case Msg::ArrayTypeMismatch: return "array type mismtach";
    case Msg::IncorrectDimensions: return "incorrect number of dimensions";
    case Msg::IllegalOperatorForType: return "Illegal operator for type";
    case Msg::IllegalOperatorForObjects: return "Illegal operator for custom type objects";
    case Msg::ArithmeticOnObjects: return "Arithmetic operator cannot be applied to custom type objects";
    case Msg::ObjectTypesDiffer: return "Objects types are differnt";
    case Msg::IllegalExpressionType: return "Illegal expression type";
    case Msg::VariableMustBeType: return "Variable must be a Type";
    case Msg::VariableMustBeBlitzArray: return "Variable must be a Blitz array";
    case Msg::SubscriptOutOfRange: return "Blitz array subscript out of range";
    case Msg::BlitzArrayAssigned: return "Blitz arrays can not be assigned to";
    case Msg::BlitzArrayConstant: return "Blitz arrays may not be constant";
    case Msg::BlitzArraySizeConstant: return "Blitz array sizes must be constant";
    case Msg::BlitzArraySizeNegative: return "Blitz array sizes must not be negative";
    case Msg::ZeroDimensionalArray: return "can't have a 0 dimensional array";
    case Msg::DivisionByZero: return "Division by zero";
    case Msg::StepMustBeConstant: return "Step value must be constant";
    case Msg::IndexMustBeNumber: return "index variable must be integer or real";
    case Msg::IndexConstant: return "Index variable can not be constant";
    case Msg::IndexNotNewType: return "Index variable is not a NewType";
    case Msg::SelectObjects: return "Select cannot be used with objects";
    case Msg::DataMustBeConstant: return "Data expression must be constant";
    case Msg::DataReadIntoObject: return "Data can not be read into an object";
    case Msg::DeleteNonNewtype: return "Can't delete non-Newtype";
    case Msg::HandleNeedsObject: return "'ObjectHandle' must be used with an object";
    case Msg::BeforeNeedsObject: return "'Before' must be used with a custom type object";
    case Msg::AfterNeedsObject: return "'After' must be used with a custom type object";
    case Msg::BeforeNull: return "'Before' cannot be used with 'Null'";
    case Msg::AfterNull: return "'After' cannot be used on 'Null'";
    case Msg::FunctionReturnType: return "incorrect function return type";
    case Msg::ConstantsCannotBeModified: return "Constants can not be modified";
    case Msg::WarnNeverAssigned: return "Variable '%' is read but never assigned";
    case Msg::WarnHidesGlobal: return "Local '%' hides the global of the same name, which this function also uses";
    case Msg::WarnMissingReturn: return "Function '%' returns a value on some paths and runs off its end on others";
    case Msg::TooDeeplyNested: return "Expression too deeply nested";
    }
    return "";
}

namespace {

Diag MakeDiag(std::uint32_t file, std::uint32_t row, std::uint32_t col, std::uint32_t endCol, Msg msg)
{
    Diag d;
    d.file = file;
    d.row = row;
    d.col = col;
    d.endCol = endCol;
    d.msg = msg;
    return d;
}

// Whether one name is the other with one letter changed, added, dropped,
// or swapped with the next: the typing mistakes a misspelt name comes from.
bool OneTypoApart(std::string_view a, std::string_view b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1 || a == b)
        return false;
    std::size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() < b.size())
        return a.substr(i) == b.substr(i + 1);
    return a.substr(i + 1) == b.substr(i + 1) ||
           (i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.substr(i + 2) == b.substr(i + 2));
}

bool Candidate(const Symbol& s)
{
    return !s.dead && s.kind != SymKind::Array && !(s.kind == SymKind::Local && s.implicit && !s.assigned);
}

// The declared names one typo away from misspelt ones, each among what its
// unit sees (a function: its own names and the globals); the first in the
// program's text when there are several, whatever order the names were met
// in. The globals are read once for all the names asked about: a program
// has tens of thousands of them.
struct NearQuery {
    std::uint32_t unit;
    NameId name;
    std::string_view text = {};
    NameId best = kNoName;
    std::pair<std::uint64_t, std::uint32_t> bestAt{};
};

// Offers the names of `symbols` that `take` accepts to the queries of a
// length one off theirs or the same.
template <typename Symbols, typename Take>
void OfferNames(const Model& m, const Symbols& symbols, Take take, std::vector<NearQuery*>& queries)
{
    std::vector<std::vector<NearQuery*>> byLength;
    for (NearQuery* q : queries) {
        if (byLength.size() <= q->text.size() + 1)
            byLength.resize(q->text.size() + 2);
        byLength[q->text.size()].push_back(q);
    }
    for (const Symbol& s : symbols) {
        if (!take(s) || !Candidate(s))
            continue;
        const std::string_view other = m.names.Text(s.name);
        for (std::size_t length = other.size() == 0 ? 0 : other.size() - 1; length <= other.size() + 1; ++length) {
            if (length >= byLength.size())
                break;
            for (NearQuery* q : byLength[length]) {
                if (s.name == q->name || !OneTypoApart(q->text, other))
                    continue;
                const std::pair<std::uint64_t, std::uint32_t> at{m.Ordinal(s.file, s.row), s.col};
                if (!q->best || at < q->bestAt) {
                    q->best = s.name;
                    q->bestAt = at;
                }
            }
        }
    }
}

// The declared names one typo away from misspelt ones, each among what its
// unit sees (a function: its own names and the globals); the first in the
// program's text when there are several, whatever order the names were met
// in. Each table of names is read once for all the names asked about: a
// program has tens of thousands of globals.
void FindClosest(const Model& m, std::vector<NearQuery>& queries)
{
    std::vector<NearQuery*> byUnit;
    for (NearQuery& q : queries) {
        q.text = m.names.Text(q.name);
        byUnit.push_back(&q);
    }
    std::sort(byUnit.begin(), byUnit.end(), [](const NearQuery* a, const NearQuery* b) { return a->unit < b->unit; });
    const auto local = [](const Symbol& s) { return s.kind == SymKind::Local || s.kind == SymKind::Param; };
    for (auto first = byUnit.begin(); first != byUnit.end();) {
        const auto last = std::find_if(first, byUnit.end(), [&](const NearQuery* q) { return q->unit != (*first)->unit; });
        std::vector<NearQuery*> group(first, last);
        OfferNames(m, m.units[(*first)->unit].syms, local, group);
        first = last;
    }
    std::vector<NearQuery*> open;
    for (NearQuery& q : queries)
        if (!q.best)
            open.push_back(&q);
    if (!open.empty())
        OfferNames(m, m.globals, [](const Symbol& s) { return s.kind == SymKind::Global || s.kind == SymKind::Const; }, open);
}

// What compiles but most likely is a mistake: a variable read but never
// given a value anywhere (Blitz declares a misspelt name as a new one), a
// Local hiding a global its function uses, a function that returns a value
// on some paths only.
std::vector<Diag> Warnings(Model& m)
{
    // A name to suggest is looked for among every declared one, for the
    // first few dozen warnings after a check of the whole program: one full
    // of them costs a pause no more than a few.
    constexpr std::size_t kLookups = 64;
    std::vector<Diag> out;
    std::vector<NearQuery> queries;
    std::unordered_set<std::uint64_t> asked;
    std::vector<std::pair<std::size_t, std::uint32_t>> unitOf;  // each such warning's unit
    const auto key = [](std::uint32_t unit, NameId name) { return std::uint64_t(unit) << 32 | name; };
    const auto neverAssigned = [&](const Symbol& s, std::uint32_t unit) {
        if (s.dead || s.vector || !s.read || s.assigned || (s.kind != SymKind::Local && s.kind != SymKind::Global))
            return;
        Diag w = MakeDiag(s.readFile, s.readRow, s.readCol,
                          s.readCol + static_cast<std::uint32_t>(m.names.Text(s.name).size()), Msg::WarnNeverAssigned);
        w.name = s.name;
        unitOf.emplace_back(out.size(), unit);
        if (!m.nearNames.contains(key(unit, s.name)) && m.nearNames.size() + queries.size() < kLookups &&
            asked.insert(key(unit, s.name)).second)
            queries.push_back({unit, s.name});
        out.push_back(std::move(w));
    };
    if (m.units.empty())
        return out;
    for (const Symbol& s : m.globals)
        neverAssigned(s, 0);
    for (std::uint32_t unit = 0; unit < m.units.size(); ++unit) {
        const Unit& u = m.units[unit];
        for (const Symbol& s : u.syms)
            neverAssigned(s, unit);
        out.insert(out.end(), u.warnings.begin(), u.warnings.end());
    }
    FindClosest(m, queries);
    for (const NearQuery& q : queries)
        m.nearNames.emplace(key(q.unit, q.name), q.best);
    for (const auto& [i, unit] : unitOf) {
        const auto near = m.nearNames.find(key(unit, out[i].name));
        if (near != m.nearNames.end() && near->second)
            out[i].extra = m.Extra(std::string(m.names.Text(near->second)));
    }
    std::vector<std::pair<std::pair<std::uint64_t, std::uint32_t>, std::size_t>> order;
    for (std::size_t i = 0; i < out.size(); ++i)
        order.push_back({{m.Ordinal(out[i].file, out[i].row), out[i].col}, i});
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Diag> sorted;
    sorted.reserve(out.size());
    for (const auto& o : order)
        sorted.push_back(std::move(out[o.second]));
    return sorted;
}

}  // namespace

void Model::ForgetNear(NameId changed)
{
    if (nearNames.empty())
        return;
    const std::string_view text = names.Text(changed);
    std::erase_if(nearNames, [&](const auto& entry) {
        const std::string_view misspelt = names.Text(static_cast<NameId>(entry.first));
        return entry.second == changed || OneTypoApart(misspelt, text);
    });
}

std::string MessageText(const Model& m, const Diag& d)
{
    std::string text = MsgText(d.msg);
    if (const std::size_t hole = text.find('%'); hole != std::string::npos)
        text.replace(hole, 1, m.names.Text(d.name));
    if (d.msg == Msg::UserlibNotInstalled)
        text += " (\"" + (d.extra ? *d.extra : std::string()) + "\" beside the program declares it; copy it into the userlibs folder)";
    else if (d.msg == Msg::UnableToOpenInclude && d.extra)
        text += " (" + *d.extra + ")";
    if (d.msg == Msg::WarnNeverAssigned && d.extra)
        text += "; did you mean '" + *d.extra + "'?";
    return text;
}

namespace {

// The same words about the same file: what was handed out for one can stay
// for the other, wherever the place moved to.
bool SameText(const Diag& a, const Diag& b)
{
    return a.file == b.file && a.msg == b.msg && a.name == b.name && a.placeless == b.placeless && a.extra == b.extra;
}

Diagnostic Handed(const Model& m, const Diag& d)
{
    Diagnostic out;
    out.file = m.files[d.file].key;
    out.message = MessageText(m, d);
    out.placeless = d.placeless;
    if (IsWarning(d.msg)) {
        out.warning = d.msg == Msg::WarnNeverAssigned ? WarningKind::NeverAssigned
                      : d.msg == Msg::WarnHidesGlobal  ? WarningKind::HidesGlobal
                                                       : WarningKind::MissingReturn;
        out.suggestion = d.extra ? *d.extra : std::string();
    }
    return out;
}

// Hands out `now` in place of what was shown: a pause usually changes a few
// problems of thousands and moves the rest, so the unchanged ones keep
// their texts and only take their new places.
void Show(Model& m, std::vector<Diag> now, bool warnings)
{
    Model::Shown& shown = m.shown;
    if (shown.warnings != warnings) {
        shown.diags.clear();
        shown.out.clear();
        shown.warnings = warnings;
    }
    // What SameText compares, hashed.
    const auto key = [](const Diag& d) {
        const std::uint64_t parts = (std::uint64_t(d.file) << 32 | d.name) * 31 + std::uint64_t(d.msg) * 2 + d.placeless;
        return parts * 1099511628211ull ^ std::hash<const std::string*>{}(d.extra);
    };
    const std::vector<std::size_t> twin = MatchInOrder(shown.diags, now, key, SameText);
    // Those at either end stay where they are; the ones between are
    // gathered anew, each from its twin or made.
    const std::size_t was = shown.diags.size();
    std::size_t head = 0, tail = 0;
    while (head < now.size() && twin[head] == head)
        ++head;
    while (tail < now.size() - head && tail < was - head && twin[now.size() - 1 - tail] == was - 1 - tail)
        ++tail;
    DiagnosticsChange& change = shown.change;
    // Numbered across programs: a host's list from another program never
    // passes for this one's.
    static std::atomic<std::uint64_t> lists{0};
    change = {change.now, ++lists, head, tail, now.size(), 0};
    std::vector<Diagnostic> middle;
    middle.reserve(now.size() - head - tail);
    for (std::size_t i = head; i < now.size() - tail; ++i)
        middle.push_back(twin[i] == kUnmatched ? Handed(m, now[i]) : std::move(shown.out[twin[i]]));
    const auto at = shown.out.begin() + std::ptrdiff_t(head);
    if (middle.size() == was - head - tail) {
        std::move(middle.begin(), middle.end(), at);
    } else {
        shown.out.erase(at, shown.out.end() - std::ptrdiff_t(tail));
        shown.out.insert(shown.out.begin() + std::ptrdiff_t(head), std::make_move_iterator(middle.begin()),
                         std::make_move_iterator(middle.end()));
    }
    // The places of those kept are compared in the small lists the model
    // keeps, not in the texts handed out: a pause that moves nothing reads
    // none of them.
    const std::size_t tailFrom = now.size() - tail;
    for (std::size_t i = 0; i < now.size(); ++i) {
        const bool kept = i < head || i >= tailFrom;
        if (kept) {
            const Diag& before = shown.diags[i < head ? i : i + was - now.size()];
            if (before.row == now[i].row && before.col == now[i].col && before.endCol == now[i].endCol)
                continue;
            change.movedFrom = std::min(change.movedFrom, i);
            change.movedTo = i + 1;
        }
        Diagnostic& out = shown.out[i];
        out.row = now[i].row;
        out.col = now[i].col;
        out.endCol = now[i].endCol;
    }
    change.movedFrom = std::min(change.movedFrom, change.movedTo);
    shown.spare = std::move(shown.diags);
    shown.diags = std::move(now);
    shown.at = m.changes;
}

}  // namespace

namespace {

// The main program's problems in reading order (a partial check adds at the
// end), its labels after them.
void AppendMainInReadingOrder(const Model& m, const std::vector<Diag>& diags, std::vector<Diag>& out)
{
    const auto key = [&m](const Diag& d) {
        return std::tuple(d.msg == Msg::UndefinedLabel, m.Ordinal(d.file, d.row), d.col);
    };
    // Usually they are in order already, and then they are not copied to be
    // sorted: thousands of them are listed at every pause, and their copies
    // would push the editor's own work out of the processor's caches.
    if (std::adjacent_find(diags.begin(), diags.end(), [&](const Diag& a, const Diag& b) { return key(b) < key(a); }) ==
        diags.end()) {
        out.insert(out.end(), diags.begin(), diags.end());
        return;
    }
    // Each place is worked out once.
    std::vector<std::pair<decltype(key(diags.front())), const Diag*>> keyed;
    keyed.reserve(diags.size());
    for (const Diag& d : diags)
        keyed.emplace_back(key(d), &d);
    const auto reading = [](const auto& a, const auto& b) { return a.first < b.first; };
    // In order already, but for what checks of edited lines added since.
    const auto added = std::is_sorted_until(keyed.begin(), keyed.end(), reading);
    std::stable_sort(added, keyed.end(), reading);
    std::inplace_merge(keyed.begin(), added, keyed.end(), reading);
    for (const auto& [place, d] : keyed)
        out.push_back(*d);
}

// The program's problems in the order the compiler would meet them, but
// for the warnings.
std::vector<Diag> Collected(Model* m)
{
    struct Keyed {
        std::uint64_t ordinal;
        std::uint32_t col;
        const Diag* d;
    };
    std::vector<Diag> parsed;
    for (std::uint32_t file : m->order) {
        const FileState& fs = m->files[file];
        const FileSyntax& f = fs.syntax;
        for (std::uint32_t row = 0; f.ErrorCount() && row < f.LineCount(); ++row) {
            const auto s = f.LineStmts(row);
            for (std::uint32_t k = 0; k < f.Lines()[row].count; ++k) {
                if (s[k].error != Msg::None) {
                    const std::uint32_t col = f.ErrorCol({row, k});
                    parsed.push_back(MakeDiag(file, row, col, std::max(s[k].EndCol(), col + 1), s[k].error));
                }
            }
        }
        for (const BlockDiag& b : f.BlockDiags()) {
            Diag d = MakeDiag(file, 0, 0, 0, b.msg);
            f.Place(b, d.row, d.col);
            d.endCol = d.row < f.LineCount() && b.at == BlockDiag::At::Stmt ? f.At(b.pos).EndCol() : d.col + 1;
            parsed.push_back(d);
        }
        for (const IncludeSite& site : fs.sites) {
            if (site.target >= 0 && !(m->files[site.target].given && m->files[site.target].missing))
                continue;
            const Stmt& s = f.At(site.pos);
            const std::uint32_t col = FileSyntax::AfterName(s);
            parsed.push_back(MakeDiag(file, site.pos.row, col, std::max(s.EndCol(), col + 1), Msg::UnableToOpenInclude));
            if (site.target >= 0)
                parsed.back().extra = m->Extra(m->files[site.target].why);
        }
    }
    std::vector<Keyed> keyed;
    for (const Diag& d : parsed)
        keyed.push_back(Keyed{m->Ordinal(d.file, d.row), d.col, &d});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.ordinal != b.ordinal ? a.ordinal < b.ordinal : a.col < b.col;
    });
    std::vector<Diag> out = std::move(m->shown.spare);
    out.clear();
    out.reserve(keyed.size() + m->declDiags.size() + (m->units.empty() ? 0 : m->units[0].diags.size()));
    const auto emit = [&](const Diag& d) { out.push_back(d); };
    for (const Keyed& k : keyed)
        emit(*k.d);
    for (const Diag& d : m->declDiags)
        emit(d);
    if (m->units.empty())
        return out;
    AppendMainInReadingOrder(*m, m->units[0].diags, out);
    std::vector<std::pair<std::uint64_t, std::uint32_t>> functions;
    for (std::uint32_t i = 1; i < m->units.size(); ++i)
        if (!m->units[i].diags.empty())
            functions.emplace_back(m->Ordinal(m->units[i].file, m->files[m->units[i].file].syntax.Functions()[m->units[i].function].head.row), i);
    std::sort(functions.begin(), functions.end());
    for (const auto& f : functions)
        for (const Diag& d : m->units[f.second].diags)
            emit(d);
    for (const Diag& d : m->dataDiags)
        emit(d);
    return out;
}

}  // namespace

bool Program::List(std::chrono::microseconds budget, bool withWarnings)
{
    Model::Listing& l = m->listing;
    if (m->shown.at == m->changes && m->shown.warnings == withWarnings)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + budget;
    if (!m->Advance(deadline))
        return false;
    const auto late = [&] { return std::chrono::steady_clock::now() > deadline; };
    // The problems found, the warnings, and what is handed out each take a
    // few milliseconds with tens of thousands of problems.
    if (l.stage == Model::Listing::Stage::Collect || l.warnings != withWarnings) {
        l.out = Collected(m.get());
        l.warnings = withWarnings;
        l.stage = withWarnings ? Model::Listing::Stage::Warn : Model::Listing::Stage::Hand;
        if (late())
            return false;
    }
    if (l.stage == Model::Listing::Stage::Warn) {
        for (Diag& w : Warnings(*m))
            l.out.push_back(std::move(w));
        l.stage = Model::Listing::Stage::Hand;
        if (late())
            return false;
    }
    Show(*m, std::move(l.out), withWarnings);
    l = {};
    return true;
}

const DiagnosticsChange& Program::LastDiagnosticsChange() const
{
    return m->shown.change;
}

const std::vector<Diagnostic>& Program::Diagnostics(bool withWarnings)
{
    while (!List(std::chrono::hours(1), withWarnings)) {
    }
    return m->shown.out;
}

}  // namespace lang
