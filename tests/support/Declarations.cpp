#include "support/Declarations.h"

#include "platform/Text.h"

#include <map>

DeclStyles TestStyles()
{
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    return {style(2), style(3), style(4), style(5), style(6), style(8)};
}

std::string Describe(const EditorKeywordList& list, bool keys)
{
    std::string out;
    for (const EditorKeywordPtr& e : list) {
        out += (out.empty() ? "" : " ") + e->Name + "|" + std::to_string(e->Kind()) + "|" + e->ReturnType + "|" +
               std::to_string(e->Line);
        if (keys)
            out += "|" + e->Key;
    }
    return out;
}

std::string Names(const EditorKeywordList& list)
{
    std::string out;
    for (const EditorKeywordPtr& e : list)
        out += (out.empty() ? "" : " ") + e->Name;
    return out;
}

ScanResult Scan(std::string_view source, std::initializer_list<std::pair<std::string, std::string>> files)
{
    static const DeclStyles styles = TestStyles();
    ScanOptions options;
    options.readInclude = [contents = std::map<std::string, std::string>(files.begin(), files.end())](
                              const std::string& path) -> std::optional<std::string> {
        const auto it = contents.find(path);
        return it == contents.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    return ScanDocument(source, "/src/", styles, options);
}

EditorKeyword Command(std::string_view name, std::initializer_list<std::string_view> params)
{
    static const auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, 0});
    EditorKeyword e{std::string(name), text::ToLower(name), style, {}, {}, 0};
    for (std::string_view p : params) {
        const bool optional = p.starts_with('[');
        e.Params.push_back({std::string(optional ? p.substr(1, p.size() - 2) : p), optional});
    }
    return e;
}

EditorKeywordListPtr Vocabulary(std::initializer_list<EditorKeyword> commands)
{
    auto list = std::make_shared<EditorKeywordList>();
    for (const EditorKeyword& c : commands)
        list->Add(c);
    return list;
}

Caret At(std::string_view marked)
{
    const std::size_t bar = marked.find('|');
    return {std::string(marked.substr(0, bar)) + std::string(marked.substr(bar + 1)), int(bar)};
}
