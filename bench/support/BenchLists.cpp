#include "support/BenchLists.h"

#include "model/DocDeclarations.h"
#include "support/SourceGenerator.h"

#include <cctype>

namespace gen {

DeclStyles Styles()
{
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    return {style(2), style(3), style(4), style(5), style(6), style(8)};
}

EditorKeywordListPtr Vocabulary()
{
    static const char* const verbs[] = {"Create", "Load", "Free", "Entity", "Set", "Get", "Update",
                                        "Draw", "Copy", "Read", "Write", "Show", "Hide", "Move", "Turn"};
    static const char* const nouns[] = {"Image", "Mesh", "Sound", "Texture", "Brush", "Camera", "Light",
                                        "Pivot", "Sprite", "Surface", "Bank", "File", "Font", "Stream",
                                        "Buffer", "Channel", "Terrain", "Plane", "Mirror", "Listener"};
    static const char* const tails[] = {"", "X", "Y", "Z", "Ex"};
    auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, 0});
    auto list = std::make_shared<EditorKeywordList>();
    for (const char* v : verbs)
        for (const char* n : nouns)
            for (const char* t : tails) {
                EditorKeyword e;
                e.Name = std::string(v) + n + t;
                std::string key;
                for (char c : e.Name)
                    key += char(std::tolower(static_cast<unsigned char>(c)));
                e.Key = key;
                e.Style = style;
                e.Params = {{"handle", false}, {"x#", false}, {"global", true}};
                list->Add(std::move(e));
            }
    list->Entries();
    return list;
}

EditorKeywordListPtr Declared()
{
    ScanResult r = ScanDocument(BlitzSource(32000), "/bench/", Styles());
    r.DocKeywords->Entries();
    return r.DocKeywords;
}

}  // namespace gen
