// The commands over a whole program, as the window runs them on the model:
// find in the program, the preview of a rename, go-to-symbol narrowing and the
// field list of a type declared in an included file.
#include "navigation/ProgramEdits.h"
#include "model/ProgramNames.h"
#include "editing/ProgramSearch.h"
#include "language/Program.h"
#include "language/Lexer.h"
#include "support/BenchLists.h"
#include "support/SourceGenerator.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <map>

namespace {

// A program's files by key, with each file's line starts, as the host keeps
// them for LineText.
struct Files {
    std::vector<std::string> keys;
    std::map<std::string, std::string> texts;
    std::map<std::string, std::vector<lang::LineSpan>> lines;

    void Add(std::string key, std::string text)
    {
        keys.push_back(key);
        lang::SplitLines(text, lines[key]);
        texts[key] = std::move(text);
    }
    std::string Line(std::string_view key, std::uint32_t row) const
    {
        const std::string k(key);
        const lang::LineSpan& l = lines.at(k)[row];
        return texts.at(k).substr(l.start, l.length);
    }
    void Load(lang::Program& p) const
    {
        p.SetMainFile(keys.front());
        for (const std::string& key : keys)
            p.SetFile(key, texts.at(key));
        p.Diagnostics();
    }
};

// A main file including `includes` files; `lines` lines in all, and what
// `extra` adds to each file (0 the main file, then the includes from 1).
Files MakeProgram(int lines, int includes, const std::function<std::string(int file)>& extra = {})
{
    const int each = lines / (includes + 1);
    std::vector<std::string> names;
    for (int i = 0; i < includes; ++i)
        names.push_back("lib\\part" + std::to_string(i) + ".bb");
    Files files;
    files.Add("/bench/main.bb", gen::BlitzProgram(each, "m", names) + (extra ? extra(0) : ""));
    for (int i = 0; i < includes; ++i)
        files.Add("/bench/lib/part" + std::to_string(i) + ".bb",
                  gen::BlitzProgram(each, "inc" + std::to_string(i) + "_") + (extra ? extra(i + 1) : ""));
    return files;
}

std::size_t Lines(const Files& files)
{
    std::size_t n = 0;
    for (const auto& [key, lines] : files.lines)
        n += lines.size();
    return n;
}

// Find in the program: a whole word in 50,000 lines of 24 files, the texts
// handed over as the host hands them (a copy of each).
void BM_FindInProgram(benchmark::State& state)
{
    static const Files files = MakeProgram(50000, 23);
    search::ProgramOptions options;
    options.wholeWord = true;
    std::size_t found = 0;
    for (auto _ : state) {
        const auto matches = search::FindInFiles(
            files.keys, [](const std::string& key) { return std::optional<std::string>(files.texts.at(key)); },
            "dist", options);
        found = 0;
        for (const auto& f : matches)
            found += f.matches.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["lines"] = double(Lines(files));
    state.counters["matches"] = double(found);
}
BENCHMARK(BM_FindInProgram)->Unit(benchmark::kMillisecond);

// The preview of renaming a global used 1,000 times across 20 files: the
// model's edits, grouped, and every place with its line before and after.
void BM_RenamePreview(benchmark::State& state)
{
    // 50 uses in each file (two a line), in a function of its own.
    static const Files files = MakeProgram(20000, 19, [](int file) {
        std::string text = file == 0 ? "\r\nGlobal benchTotal%" : "";
        text += "\r\nFunction benchUse" + std::to_string(file) + "()";
        for (int i = 0; i < 25; ++i)
            text += "\r\n\tbenchTotal = benchTotal + " + std::to_string(i);
        return text + "\r\nEnd Function";
    });
    lang::Program p;
    files.Load(p);
    const std::string& main = files.keys.front();
    std::uint32_t row = 0;
    while (files.Line(main, row).rfind("Global benchTotal", 0) != 0)
        ++row;
    std::size_t places = 0;
    for (auto _ : state) {
        const lang::RenamePlan plan = p.Rename(main, row, 7, "benchSum");
        const std::vector<EditPreview> preview = PreviewEdits(
            RenameEdits(plan.edits, "benchSum"), [](std::string_view key, std::uint32_t r) { return files.Line(key, r); });
        places = preview.size();
        benchmark::DoNotOptimize(places);
    }
    state.counters["places"] = double(places);
}
BENCHMARK(BM_RenamePreview)->Unit(benchmark::kMillisecond);

// Go to symbol: each keystroke of a name narrows the program's declarations
// (about 20,000) to the best thousand, as the box lists them.
void BM_GoToSymbolNarrowing(benchmark::State& state)
{
    static const Files files = MakeProgram(32000, 20);
    lang::Program p;
    files.Load(p);
    const std::string typed = "inc7upen";
    std::size_t i = 0;
    for (auto _ : state) {
        i = i % typed.size() + 1;
        benchmark::DoNotOptimize(p.MatchSymbols(typed.substr(0, i), 1000));
    }
    state.counters["symbols"] = double(p.Symbols().size());
}
BENCHMARK(BM_GoToSymbolNarrowing)->Unit(benchmark::kMillisecond);

// The field list after `t\` where t's type is declared in an included file:
// the model's fields, spelled as declared, as list entries.
void BM_FieldListOfIncludedType(benchmark::State& state)
{
    static const Files files = MakeProgram(100000, 20, [](int file) {
        return file == 0 ? "\r\nLocal t.inc7_Enemy3 = New inc7_Enemy3\r\nt\\" : "";
    });
    lang::Program p;
    files.Load(p);
    const DeclStyles styles = gen::Styles();
    const auto row = std::uint32_t(files.lines.at(files.keys.front()).size() - 1);
    std::size_t fields = 0;
    for (auto _ : state) {
        const std::vector<lang::SymbolInfo> found = p.FieldsAt(files.keys.front(), row, "t\\", 2);
        const EditorKeywordListPtr list = programnames::ListOf(
            found, programnames::TypesOf(found, p),
            [](const std::string& key, std::uint32_t r) { return files.Line(key, r); }, styles);
        fields = list->Count();
        benchmark::DoNotOptimize(fields);
    }
    state.counters["fields"] = double(fields);
}
BENCHMARK(BM_FieldListOfIncludedType)->Unit(benchmark::kMicrosecond);

}  // namespace
