#include "assist/Completion.h"
#include "model/DocDeclarations.h"
#include "assist/Words.h"
#include "support/BenchLists.h"
#include "support/SourceGenerator.h"

#include <benchmark/benchmark.h>

namespace {

using gen::Declared;
using gen::Styles;
using gen::Vocabulary;

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
