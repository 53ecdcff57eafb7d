#include "analysis/Completion.h"
#include "analysis/Scanner.h"
#include "analysis/Words.h"
#include "support/SourceGenerator.h"

#include <benchmark/benchmark.h>

namespace {

DeclStyles Styles()
{
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    return {style(2), style(3), style(4), style(5), style(6), style(8)};
}

// 1,500 command names in the vocabulary's style: verb, noun, qualifier.
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
                e.Key = e.Name;
                for (char& c : e.Key)
                    c = char(std::tolower(static_cast<unsigned char>(c)));
                e.Style = style;
                e.Params = {{"handle", false}, {"x#", false}, {"[global]", true}};
                list->Add(std::move(e));
            }
    list->Entries();
    return list;
}

// About 10,000 names declared in a generated document.
EditorKeywordListPtr Declared()
{
    ScanResult r = ScanDocument(gen::BlitzSource(32000), "/bench/", Styles());
    r.DocKeywords->Entries();
    return r.DocKeywords;
}

// Ctrl+Space: the vocabulary and the document's names merged into the list.
void BM_CompletionOpen(benchmark::State& state)
{
    static const EditorKeywordListPtr vocabulary = Vocabulary();
    static const EditorKeywordListPtr declared = Declared();
    CompletionList list(vocabulary);
    for (auto _ : state) {
        list.setTokens(*declared, true);
        list.updateview(1);
        benchmark::DoNotOptimize(list.isSingleToken("mUp"));
    }
    state.counters["tokens"] = double(list.count());
}
BENCHMARK(BM_CompletionOpen)->Unit(benchmark::kMillisecond);

// Each typed letter narrows the open list to the first name not below the
// word at the caret.
void BM_CompletionNarrow(benchmark::State& state)
{
    static const EditorKeywordListPtr vocabulary = Vocabulary();
    static const EditorKeywordListPtr declared = Declared();
    CompletionList list(vocabulary);
    list.setTokens(*declared, true);
    const std::string typed = "\tx = mUpdateEnemy1234";
    int column = 5;
    for (auto _ : state) {
        const std::string word = GetWordBeforeCaret(typed, column, false, false);
        benchmark::DoNotOptimize(list.isSingleToken(word));
        column = column + 1 > int(typed.size()) ? 5 : column + 1;
    }
    state.counters["tokens"] = double(list.count());
}
BENCHMARK(BM_CompletionNarrow)->Unit(benchmark::kMicrosecond);

}  // namespace
