#include "analysis/Navigation.h"

#include "analysis/DocScanner.h"
#include "analysis/LineParts.h"
#include "analysis/SourceWords.h"
#include "editor/Keywords.h"
#include "editor/Tokenizer.h"
#include "platform/Text.h"

#include <algorithm>
#include <map>
#include <memory>

using words::SourceLines;

using namespace lineparts;

namespace {

// Entries of a list whose bare name is `name` (any letter case): one block
// of the list's order, found by halving.
std::vector<EditorKeywordPtr> EntriesNamed(const EditorKeywordList& list, std::string_view name)
{
    std::vector<EditorKeywordPtr> out;
    const std::vector<EditorKeywordPtr>& entries = list.Entries();
    auto it = std::lower_bound(entries.begin(), entries.end(), name, [](const EditorKeywordPtr& e, std::string_view n) {
        return EditorKeywordList::CompareNames(e->Name, n) < 0;
    });
    for (; it != entries.end() && (*it)->Name.size() >= name.size() &&
           text::EqualsNoCase(std::string_view((*it)->Name).substr(0, name.size()), name);
         ++it)
        if (text::EqualsNoCase(BareName((*it)->Name), name))
            out.push_back(*it);
    return out;
}

bool IsArray(const EditorKeyword& e)
{
    return e.Kind() == kKindGlobal && e.Name.ends_with("()");
}

// One lookup: the document's lines and functions and the included files'
// texts are read once, when first needed.
class Lookup {
public:
    Lookup(std::string_view text, const NavigationContext& c) : m_doc(text), m_c(c) {}

    std::optional<SourcePlace> Definition(int line, int column);
    std::optional<FieldsOfAType> FieldsAt(int line, int column);

private:
    struct Scope {
        int first = 0;  // 0: the main program
        int last = 0;
        bool operator==(const Scope&) const = default;
    };
    struct Field {
        SourcePlace place;
        std::string type;
    };
    struct Parameter {
        int column = -1;
        std::string type;
    };

    const SourceLines* Source(const QString& file);
    const EditorKeywordList& Declared() const { return *m_c.scan.DocKeywords(); }
    std::optional<SourcePlace> PlaceOf(const EditorKeyword& entry);
    Scope ScopeOf(int line);
    Parameter ParameterOf(const Scope& scope, std::string_view name);
    const EditorKeyword* LocalOf(std::string_view name, int line);
    std::optional<SourcePlace> FirstUseIn(const Scope& scope, std::string_view name, std::string* typeAfter = nullptr);
    std::optional<std::string> TypeOf(std::string_view name, int line, bool call);
    // A type's fields from its file's text, or else from what the scan kept
    // of an included file.
    std::optional<FieldsOfAType> FieldsOf(const EditorKeyword& type);
    std::optional<Field> FieldOf(std::string_view type, std::string_view field);
    // The type the names before a field's "\" lead to.
    std::optional<std::string> PathType(const words::NameAtCaret& at, int line);
    std::optional<SourcePlace> Label(std::string_view name);
    std::optional<SourcePlace> TypeDeclaration(std::string_view name);
    std::optional<SourcePlace> Named(std::string_view name, int line, bool call);
    bool IsFieldLine(int line);

    SourceLines m_doc;
    const NavigationContext& m_c;
    std::vector<Scope> m_functions;
    bool m_functionsRead = false;
    struct File {
        std::string text;
        std::unique_ptr<SourceLines> lines;
    };
    std::map<QString, File> m_files;
};

const SourceLines* Lookup::Source(const QString& file)
{
    if (file.isEmpty())
        return &m_doc;
    auto it = m_files.find(file);
    if (it == m_files.end()) {
        File f;
        if (std::optional<std::string> text = m_c.readFile ? m_c.readFile(file) : std::nullopt) {
            f.text = std::move(*text);
            f.lines = std::make_unique<SourceLines>(f.text);
        }
        it = m_files.emplace(file, std::move(f)).first;
    }
    return it->second.lines.get();
}

std::optional<SourcePlace> Lookup::PlaceOf(const EditorKeyword& entry)
{
    const std::optional<DocScanner::Origin> origin = m_c.scan.OriginOf(entry);
    if (!origin)
        return std::nullopt;
    SourcePlace place{origin->file, origin->line, 0};
    const SourceLines* source = Source(origin->file);
    if (!source)
        return place;
    // The declaring occurrence: the first one a keyword, a "," or the "." of
    // a label leads to, or else the first one on the line.
    const std::string_view line = source->Line(origin->line);
    const std::string_view name = BareName(entry.Name);
    int first = -1;
    for (int at = words::FindWord(line, name, 0, m_c.commentChar, m_c.stringChar); at >= 0;
         at = words::FindWord(line, name, at + 1, m_c.commentChar, m_c.stringChar)) {
        if (first < 0)
            first = at;
        int i = at - 1;
        while (i >= 0 && IsBlank(line[std::size_t(i)]))
            --i;
        const char before = i >= 0 ? line[std::size_t(i)] : '\0';
        const std::size_t wordEnd = std::size_t(i + 1);
        while (i >= 0 && words::IsNameChar(line[std::size_t(i)]))
            --i;
        const std::string_view word = line.substr(std::size_t(i + 1), wordEnd - std::size_t(i + 1));
        if (before == ',' || before == '.' ||
            (!word.empty() && (WordIs(word, "global") || WordIs(word, "local") || WordIs(word, "const") ||
                               WordIs(word, "dim") || WordIs(word, "type") || WordIs(word, "function")))) {
            first = at;
            break;
        }
    }
    place.column = std::max(first, 0);
    return place;
}

Lookup::Scope Lookup::ScopeOf(int line)
{
    if (!m_functionsRead) {
        m_functionsRead = true;
        // Functions do not nest: each runs from its Function line to its End
        // Function, or to the next Function when that is missing.
        for (int l = 1; l <= m_doc.Count(); ++l) {
            const std::string_view text = m_doc.Line(l);
            std::size_t i = 0;
            while (i < text.size() && IsBlank(text[i]))
                ++i;
            // Most lines start with neither "fu" nor "en": a look at two
            // letters keeps this walk over every line cheap.
            const char first = char(i + 1 < text.size() ? text[i] | 0x20 : 0);
            const char second = char(first ? text[i + 1] | 0x20 : 0);
            if (!(first == 'f' && second == 'u') && !(first == 'e' && second == 'n'))
                continue;
            const std::string_view word = NextWord(text, i);
            if (WordIs(word, "function") && i < text.size() && IsBlank(text[i])) {
                if (!m_functions.empty() && m_functions.back().last == 0)
                    m_functions.back().last = l - 1;
                m_functions.push_back({l, 0});
            } else if ((WordIs(word, "end") && WordIs(NextWord(text, i), "function")) || WordIs(word, "endfunction")) {
                if (!m_functions.empty() && m_functions.back().last == 0)
                    m_functions.back().last = l;
            }
        }
        if (!m_functions.empty() && m_functions.back().last == 0)
            m_functions.back().last = m_doc.Count();
    }
    auto it = std::upper_bound(m_functions.begin(), m_functions.end(), line,
                               [](int l, const Scope& s) { return l < s.first; });
    if (it != m_functions.begin() && line <= std::prev(it)->last)
        return *std::prev(it);
    return {};
}

Lookup::Parameter Lookup::ParameterOf(const Scope& scope, std::string_view name)
{
    Parameter found;
    if (scope.first == 0)
        return found;
    const std::string_view header = m_doc.Line(scope.first);
    const std::size_t open = header.find('(');
    if (open == std::string_view::npos || !words::InCode(header, int(open), m_c.commentChar, m_c.stringChar))
        return found;
    std::size_t close = open + 1;
    for (int depth = 1; close < header.size(); ++close) {
        depth += header[close] == '(' ? 1 : header[close] == ')' ? -1 : 0;
        if (depth == 0)
            break;
    }
    ForEachItem(header.substr(open + 1, close - open - 1), open + 1, m_c.stringChar,
                [&](std::string_view item, std::size_t at) {
                    std::size_t i = 0;
                    const std::string_view word = NextWord(item, i);
                    if (found.column < 0 && !word.empty() && text::EqualsNoCase(word, name)) {
                        found.column = int(at + i - word.size());
                        found.type = TypeAfter(item, i);
                    }
                });
    return found;
}

const EditorKeyword* Lookup::LocalOf(std::string_view name, int line)
{
    // The declaration nearest above the line; the first below when there is
    // none above.
    const Scope scope = ScopeOf(line);
    const EditorKeyword* above = nullptr;
    const EditorKeyword* below = nullptr;
    for (const EditorKeywordPtr& e : EntriesNamed(Declared(), name)) {
        if (e->Kind() != kKindLocal || e->Line <= 0 || !(ScopeOf(e->Line) == scope))
            continue;
        if (e->Line <= line) {
            if (!above || e->Line > above->Line)
                above = e.get();
        } else if (!below || e->Line < below->Line) {
            below = e.get();
        }
    }
    return above ? above : below;
}

std::optional<SourcePlace> Lookup::FirstUseIn(const Scope& scope, std::string_view name, std::string* typeAfter)
{
    std::optional<SourcePlace> found;
    words::ForEachUse(
        m_doc.Text(), name,
        [&](const words::Use& use) {
            if (!(ScopeOf(use.line) == scope))
                return true;
            if (typeAfter) {
                // A use that says the variable's type: e.Enemy = New Enemy.
                std::string type = TypeAfter(use.lineText, std::size_t(use.column) + name.size());
                if (type.empty())
                    return true;
                *typeAfter = std::move(type);
            }
            found = SourcePlace{QString(), use.line, use.column};
            return false;
        },
        m_c.commentChar, m_c.stringChar);
    return found;
}

std::optional<std::string> Lookup::TypeOf(std::string_view name, int line, bool call)
{
    auto typeTag = [](const EditorKeyword& e) -> std::optional<std::string> {
        if (e.ReturnType.size() > 1 && e.ReturnType.front() == '.')
            return e.ReturnType.substr(1);
        return std::nullopt;
    };
    if (const EditorKeyword* local = LocalOf(name, line))
        return typeTag(*local);
    const Scope scope = ScopeOf(line);
    if (const Parameter p = ParameterOf(scope, name); p.column >= 0)
        return p.type.empty() ? std::nullopt : std::optional<std::string>(p.type);
    for (const EditorKeywordPtr& e : EntriesNamed(Declared(), name)) {
        if (e->Kind() == kKindGlobal && IsArray(*e) == call)
            return typeTag(*e);
        // A function's result: Function Spawn.Enemy().
        if (e->Kind() == kKindFunction && call) {
            const std::string type = TypeAfter(e->Name, BareName(e->Name).size());
            return type.empty() ? std::nullopt : std::optional<std::string>(type);
        }
    }
    std::string type;
    if (FirstUseIn(scope, name, &type))
        return type;
    return std::nullopt;
}

std::optional<FieldsOfAType> Lookup::FieldsOf(const EditorKeyword& type)
{
    const std::optional<DocScanner::Origin> origin = m_c.scan.OriginOf(type);
    if (!origin)
        return std::nullopt;
    if (const SourceLines* source = Source(origin->file))
        return FieldsOfAType{origin->file, FieldsOfType(*source, origin->line, m_c.commentChar, m_c.stringChar)};
    if (origin->included && origin->included->types)
        if (std::optional<std::vector<TypeField>> kept =
                origin->included->types->FieldsOf(origin->line, m_c.commentChar, m_c.stringChar))
            return FieldsOfAType{origin->file, std::move(*kept)};
    return std::nullopt;
}

std::optional<Lookup::Field> Lookup::FieldOf(std::string_view type, std::string_view field)
{
    for (const EditorKeywordPtr& e : EntriesNamed(Declared(), type)) {
        if (e->Kind() != kKindType)
            continue;
        if (const std::optional<FieldsOfAType> fields = FieldsOf(*e))
            for (const TypeField& f : fields->fields)
                if (text::EqualsNoCase(f.name, field))
                    return Field{{fields->file, f.line, f.column}, f.type};
    }
    return std::nullopt;
}

std::optional<SourcePlace> Lookup::Label(std::string_view name)
{
    for (const EditorKeywordPtr& e : EntriesNamed(Declared(), name))
        if (e->Kind() == kKindLabel)
            return PlaceOf(*e);
    // Labels the scan does not keep: indented ones, and those of included
    // files (Restore with the Data of a level file).
    QStringList files{QString()};
    files += m_c.scan.IncludedFiles();
    for (const QString& file : files) {
        const SourceLines* source = Source(file);
        for (int l = 1; source && l <= source->Count(); ++l) {
            const std::string_view line = source->Line(l);
            std::size_t i = 0;
            while (i < line.size() && IsBlank(line[i]))
                ++i;
            if (i < line.size() && line[i] == '.') {
                const std::size_t start = ++i;
                const std::string_view word = NextWord(line, i);
                if (word.data() == line.data() + start && text::EqualsNoCase(word, name))
                    return SourcePlace{file, l, int(start)};
            }
        }
    }
    return std::nullopt;
}

std::optional<SourcePlace> Lookup::TypeDeclaration(std::string_view name)
{
    for (const EditorKeywordPtr& e : EntriesNamed(Declared(), name))
        if (e->Kind() == kKindType)
            return PlaceOf(*e);
    return std::nullopt;
}

bool Lookup::IsFieldLine(int line)
{
    std::size_t i = 0;
    return WordIs(NextWord(m_doc.Line(line), i), "field");
}

std::optional<SourcePlace> Lookup::Named(std::string_view name, int line, bool call)
{
    if (const EditorKeyword* local = LocalOf(name, line))
        return PlaceOf(*local);
    const Scope scope = ScopeOf(line);
    if (const Parameter p = ParameterOf(scope, name); p.column >= 0)
        return SourcePlace{QString(), scope.first, p.column};

    // Called or indexed, a name is a function or an array first; otherwise
    // a variable or constant, then a type, a function, an array.
    const std::vector<EditorKeywordPtr> entries = EntriesNamed(Declared(), name);
    auto rank = [call](const EditorKeyword& e) {
        const bool array = IsArray(e);
        switch (e.Kind()) {
        case kKindGlobal: return call ? (array ? 0 : 4) : (array ? 3 : 0);
        case kKindConst: return 1;
        case kKindType: return 2;
        case kKindFunction: return call ? 0 : 3;
        default: return 9;
        }
    };
    const EditorKeyword* best = nullptr;
    for (const EditorKeywordPtr& e : entries)
        if (rank(*e) < 9 && (!best || rank(*e) < rank(*best)))
            best = e.get();
    if (best)
        return PlaceOf(*best);
    if (m_c.isCommand && m_c.isCommand(name))
        return std::nullopt;
    if (IsStatementWord(name))
        return std::nullopt;
    if (std::optional<SourcePlace> label = Label(name))
        return label;
    return FirstUseIn(scope, name);
}

std::optional<std::string> Lookup::PathType(const words::NameAtCaret& at, int line)
{
    std::optional<std::string> type = at.pathStartsWithType
                                          ? std::optional<std::string>(at.path.front())
                                          : TypeOf(at.path.front(), line, at.pathStartsIndexed);
    for (std::size_t i = 1; type && i < at.path.size(); ++i) {
        const std::optional<Field> step = FieldOf(*type, at.path[i]);
        type = step && !step->type.empty() ? std::optional<std::string>(step->type) : std::nullopt;
    }
    return type;
}

std::optional<FieldsOfAType> Lookup::FieldsAt(int line, int column)
{
    const std::optional<words::NameAtCaret> at =
        words::FieldPathAt(m_doc.Line(line), column, m_c.commentChar, m_c.stringChar);
    const std::optional<std::string> type = at ? PathType(*at, line) : std::nullopt;
    if (!type)
        return std::nullopt;
    for (const EditorKeywordPtr& e : EntriesNamed(Declared(), *type))
        if (e->Kind() == kKindType)
            if (std::optional<FieldsOfAType> fields = FieldsOf(*e))
                return fields;
    return std::nullopt;
}

std::optional<SourcePlace> Lookup::Definition(int line, int column)
{
    const std::optional<words::NameAtCaret> at =
        words::NameAt(m_doc.Line(line), column, m_c.commentChar, m_c.stringChar);
    if (!at)
        return std::nullopt;
    switch (at->context) {
    case words::NameAtCaret::Label:
        return Label(at->name);
    case words::NameAtCaret::TypeName:
        return TypeDeclaration(at->name);
    case words::NameAtCaret::Field: {
        const std::optional<std::string> type = PathType(*at, line);
        if (!type)
            return std::nullopt;
        if (const std::optional<Field> field = FieldOf(*type, at->name))
            return field->place;
        return std::nullopt;
    }
    case words::NameAtCaret::Plain:
        break;
    }
    // A field's own declaration names itself.
    if (IsFieldLine(line))
        return SourcePlace{QString(), line, at->start};
    return Named(at->name, line, at->call);
}

}  // namespace

std::optional<FieldsOfAType> FieldsAt(std::string_view text, int line, int column, const NavigationContext& context)
{
    if (!context.scan.DocKeywords())
        return std::nullopt;
    return Lookup(text, context).FieldsAt(line, column);
}

std::optional<SourcePlace> FindDefinition(std::string_view text, int line, int column, const NavigationContext& context)
{
    if (!context.scan.DocKeywords())
        return std::nullopt;
    return Lookup(text, context).Definition(line, column);
}

std::vector<Reference> FindReferences(std::string_view text, std::string_view name, const NavigationContext& context)
{
    std::vector<Reference> found;
    const std::string_view bare = BareName(name);
    auto collect = [&](std::string_view source, const QString& file) {
        words::ForEachUse(
            source, bare,
            [&](const words::Use& use) {
                found.push_back({file, use.line, use.column, std::string(use.lineText)});
                return true;
            },
            context.commentChar, context.stringChar);
    };
    collect(text, QString());
    for (const QString& file : context.scan.IncludedFiles())
        if (const std::optional<std::string> source = context.readFile ? context.readFile(file) : std::nullopt)
            collect(*source, file);
    return found;
}
