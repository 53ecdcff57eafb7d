#include "AnalysisTestSupport.h"

#include "platform/Text.h"

DeclStyles TestStyles()
{
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    return {style(2), style(3), style(4), style(5), style(6), style(8)};
}

std::vector<std::string> Describe(const EditorKeywordList& list)
{
    std::vector<std::string> out;
    for (const EditorKeywordPtr& e : list)
        out.push_back(e->Name + "|" + std::to_string(e->Kind()) + "|" + e->ReturnType + "|" +
                      std::to_string(e->Line) + "|" + e->Key);
    return out;
}

std::vector<std::string> Names(const EditorKeywordList& list)
{
    std::vector<std::string> out;
    for (const EditorKeywordPtr& e : list)
        out.push_back(e->Name);
    return out;
}

EditorKeyword Command(std::string_view name, std::initializer_list<std::string_view> params)
{
    static const auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, 0});
    EditorKeyword e;
    e.Name = name;
    e.Key = text::ToLower(name);
    e.Style = style;
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
