#include "model/ProgramNames.h"

#include "language/TokenRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>

namespace programnames {

namespace {

// Where `name` stands in `line` as a word, any letter case, from `from` on.
std::size_t FindWord(std::string_view line, std::string_view name, std::size_t from)
{
    const auto isName = [](char c) { return lang::tokens::IsNameChar(static_cast<unsigned char>(c)); };
    for (std::size_t at = from; at + name.size() <= line.size(); ++at) {
        if (text::EqualsNoCase(line.substr(at, name.size()), name) && (at == 0 || !isName(line[at - 1])) &&
            (at + name.size() == line.size() || !isName(line[at + name.size()])))
            return at;
    }
    return std::string_view::npos;
}

// A parameter as the model gives it ("speed#", "p.point", "n=..."), spelt
// as the function's line writes it, and whether it has a default value.
EditorKeywordParam Param(std::string_view param, std::string_view head, std::size_t& from,
                         const std::map<std::string, std::string>& types)
{
    EditorKeywordParam p;
    p.Optional = param.find('=') != std::string_view::npos;
    param = param.substr(0, param.find('='));
    const std::size_t tail = param.find_first_of("%#$.");
    const std::string_view name = param.substr(0, tail);
    const std::size_t at = FindWord(head, name, from);
    if (at != std::string_view::npos) {
        p.Name = std::string(head.substr(at, name.size()));
        from = at + name.size();
    } else {
        p.Name = std::string(name);
    }
    if (tail == std::string_view::npos)
        return p;
    if (param[tail] != '.') {
        p.Name += param.substr(tail);
        return p;
    }
    const auto type = types.find(std::string(param.substr(tail + 1)));
    p.Name += "." + (type != types.end() ? type->second : std::string(param.substr(tail + 1)));
    return p;
}

// The spelling of each type `symbols` name: reading the line of every type
// a program declares would cost more than the list itself.
std::map<std::string, std::string> TypeSpellings(const std::vector<lang::SymbolInfo>& symbols,
                                                 const std::vector<lang::SymbolInfo>& types, const LineText& line)
{
    std::map<std::string, std::string> spelt;
    for (const lang::SymbolInfo& s : symbols)
        if (s.typeText.size() > 1 && s.typeText.front() == '.')
            spelt.emplace(s.typeText.substr(1), std::string());
    if (spelt.empty())
        return spelt;
    for (const lang::SymbolInfo& t : types) {
        const auto it = spelt.find(t.name);
        if (it != spelt.end() && it->second.empty())
            it->second = Spelling(t, line);
    }
    std::erase_if(spelt, [](const auto& entry) { return entry.second.empty(); });
    return spelt;
}

// A variable's type as the document's own entries show it: an untyped name
// is an integer.
std::string TypeText(const std::string& typeText, const std::map<std::string, std::string>& types)
{
    if (typeText.empty())
        return "%";
    if (typeText.size() < 2 || typeText.front() != '.')
        return typeText;
    const auto type = types.find(typeText.substr(1));
    return type == types.end() ? typeText : "." + type->second;
}

}  // namespace

std::string Spelling(const lang::SymbolInfo& symbol, const LineText& line)
{
    const std::string text = line(symbol.place.file, symbol.place.row);
    const std::uint32_t col = symbol.place.col;
    if (symbol.place.endCol > col && symbol.place.endCol <= text.size()) {
        const std::string_view written = std::string_view(text).substr(col, symbol.place.endCol - col);
        if (text::EqualsNoCase(written, symbol.name))
            return std::string(written);
    }
    return symbol.name;
}

int KindOf(lang::SymbolKind kind)
{
    switch (kind) {
    case lang::SymbolKind::Constant: return kKindConst;
    case lang::SymbolKind::Global:
    case lang::SymbolKind::Array: return kKindGlobal;
    case lang::SymbolKind::Local:
    case lang::SymbolKind::Parameter: return kKindLocal;
    case lang::SymbolKind::Function: return kKindFunction;
    case lang::SymbolKind::Type:
    case lang::SymbolKind::Field: return kKindType;
    case lang::SymbolKind::Label: return kKindLabel;
    }
    return 0;
}

EditorKeywordListPtr ListOf(const std::vector<lang::SymbolInfo>& symbols, const std::vector<lang::SymbolInfo>& types,
                            const LineText& line, const DeclStyles& styles)
{
    const std::map<std::string, std::string> spelt = TypeSpellings(symbols, types, line);
    auto list = std::make_shared<EditorKeywordList>();
    list->Option = true;
    for (const lang::SymbolInfo& s : symbols) {
        const int kind = KindOf(s.kind);
        if (!kind || s.kind == lang::SymbolKind::Label)
            continue;
        EditorKeyword e;
        e.Name = Spelling(s, line);
        e.Style = styles.Of(kind);
        e.Key = s.name + "@" + s.place.file + ":" + std::to_string(s.place.row);
        switch (s.kind) {
        case lang::SymbolKind::Function: {
            if (!s.typeText.empty() && s.typeText != "%")
                e.ReturnType = TypeText(s.typeText, spelt);
            const EditorKeywordPtr callable = CallableOf(s, line);
            e.ReturnType += "(";
            for (std::size_t i = 0; i < callable->Params.size(); ++i)
                e.ReturnType += (i ? ", " : "") + callable->Params[i].Name;
            e.ReturnType += ")";
            break;
        }
        case lang::SymbolKind::Type: break;
        case lang::SymbolKind::Field:
            // As a Field line writes it: choosing "pos.Vector" inserts "pos".
            if (!s.typeText.empty() && s.typeText != "%")
                e.Name += TypeText(s.typeText, spelt);
            break;
        case lang::SymbolKind::Array:
            e.Name += "()";
            e.ReturnType = TypeText(s.typeText, spelt);
            break;
        default: e.ReturnType = TypeText(s.typeText, spelt); break;
        }
        list->Add(std::move(e));
    }
    return list;
}

std::vector<EditorKeywordPtr> SharedEntries(const std::vector<lang::SymbolInfo>& symbols,
                                            const std::set<std::string>& covered, const LineText& line,
                                            const DeclStyles& styles)
{
    std::vector<EditorKeywordPtr> entries;
    for (const lang::SymbolInfo& s : symbols) {
        if (covered.count(s.place.file))
            continue;
        auto e = std::make_shared<EditorKeyword>();
        e->Name = Spelling(s, line);
        e->Key = s.name + "@" + s.place.file + ":" + std::to_string(s.place.row);
        // The type as the document's own entries carry it: a function's on
        // its name, a variable's after it.
        switch (s.kind) {
        case lang::SymbolKind::Function:
            if (s.typeText == "#" || s.typeText == "$")
                e->Name += s.typeText;
            break;
        case lang::SymbolKind::Array:
            e->Name += "()";
            e->ReturnType = TypeText(s.typeText, {});
            break;
        case lang::SymbolKind::Global:
        case lang::SymbolKind::Constant: e->ReturnType = TypeText(s.typeText, {}); break;
        case lang::SymbolKind::Type: break;
        default: continue;
        }
        e->Style = styles.Of(KindOf(s.kind));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<lang::SymbolInfo> TypesOf(const std::vector<lang::SymbolInfo>& symbols, lang::Program& program)
{
    std::vector<lang::SymbolInfo> types;
    for (const lang::SymbolInfo& s : symbols) {
        if (s.typeText.size() < 2 || s.typeText.front() != '.')
            continue;
        const std::string_view name = std::string_view(s.typeText).substr(1);
        if (std::none_of(types.begin(), types.end(), [&](const lang::SymbolInfo& t) { return t.name == name; }))
            if (std::optional<lang::SymbolInfo> type = program.TypeNamed(name))
                types.push_back(std::move(*type));
    }
    return types;
}

NamesAtPlace CompletionNames(lang::Program& program, const std::string& key, std::uint32_t row, int col,
                             const LineText& line, const DeclStyles& styles)
{
    std::vector<lang::SymbolInfo> names = program.VisibleNames(key, row);
    std::erase_if(names, [&](const lang::SymbolInfo& s) {
        return s.place.file == key && s.place.row == row && int(s.place.col) <= col && col <= int(s.place.endCol);
    });
    const auto own = std::stable_partition(names.begin(), names.end(), [](const lang::SymbolInfo& s) {
        return s.kind == lang::SymbolKind::Local || s.kind == lang::SymbolKind::Parameter;
    });
    const std::vector<lang::SymbolInfo> types = program.Types();
    std::vector<lang::SymbolInfo> others(own, names.end());
    others.insert(others.end(), types.begin(), types.end());
    return {ListOf({names.begin(), own}, types, line, styles), ListOf(others, types, line, styles)};
}

EditorKeywordPtr CallableOf(const lang::SymbolInfo& function, const LineText& line)
{
    auto entry = std::make_shared<EditorKeyword>();
    entry->Name = Spelling(function, line);
    entry->Key = function.name;
    const std::string head = line(function.place.file, function.place.row);
    std::size_t from = std::min<std::size_t>(function.place.endCol, head.size());
    for (const std::string& p : function.params)
        entry->Params.push_back(Param(p, head, from, {}));
    return entry;
}

}  // namespace programnames
