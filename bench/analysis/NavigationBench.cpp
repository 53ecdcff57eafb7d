// Go to definition and find references in a large project: 100,000 lines
// including 20 files of 2,000 lines, read from disk as the program reads them.
#include "analysis/DocScanner.h"
#include "analysis/Navigation.h"
#include "support/BenchLists.h"
#include "support/SourceGenerator.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Project {
    QTemporaryDir dir;
    std::string text;
    DocScanner scanner{std::make_shared<IncludeCache>()};
    DiskFiles disk;

    Project()
    {
        const std::string main = gen::WriteProject(dir.path().toStdString(), 100000, 20, 2000);
        QFile f(QString::fromStdString(main));
        f.open(QIODevice::ReadOnly);
        text = f.readAll().toStdString();
        // The main program ends using what an included file declares.
        text += "\r\nLocal t.inc7_Enemy0 = New inc7_Enemy0\r\nt\\health = inc7_UpdateEnemy2(t, 0.5)";
        scanner.Rebuild(text, dir.path() + QLatin1Char('/'), gen::Styles());
    }
    NavigationContext Context()
    {
        return {scanner, [this](const QString& path) { return disk.Read(path); }, [](std::string_view) { return false; }};
    }
    int LineCount() const { return int(std::count(text.begin(), text.end(), '\n')) + 1; }
    // The line (from 1) and column of the first `what` at or after `line`.
    std::pair<int, int> Find(std::string_view what, int fromLine) const
    {
        std::size_t pos = 0;
        for (int l = 1; l < fromLine; ++l)
            pos = text.find('\n', pos) + 1;
        const std::size_t at = text.find(what, pos);
        if (at == std::string::npos)
            return {0, 0};
        const int line = int(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n')) + 1;
        return {line, int(at - text.rfind('\n', at) - 1)};
    }
};

Project& TheProject()
{
    static Project p;
    return p;
}

void RunDefinition(benchmark::State& state, std::string_view what, int fromLine, int offset)
{
    Project& p = TheProject();
    const auto [line, column] = p.Find(what, fromLine);
    const NavigationContext context = p.Context();
    std::optional<SourcePlace> place;
    for (auto _ : state)
        benchmark::DoNotOptimize(place = FindDefinition(p.text, line, column + offset, context));
    if (!place)
        state.SkipWithError("nothing found");
    state.counters["from_line"] = line;
    state.counters["to_line"] = place ? place->line : 0;
}

// A Local of the function the caret is in, at line 99,000.
void BM_GoToLocal(benchmark::State& state)
{
    RunDefinition(state, "Sqr(dx", 99000, 4);
}
BENCHMARK(BM_GoToLocal)->Unit(benchmark::kMillisecond);

// A field of a type declared in an included file.
void BM_GoToIncludedField(benchmark::State& state)
{
    RunDefinition(state, "t\\health", 100000, 2);
}
BENCHMARK(BM_GoToIncludedField)->Unit(benchmark::kMillisecond);

// A function declared in an included file.
void BM_GoToIncludedFunction(benchmark::State& state)
{
    RunDefinition(state, "inc7_UpdateEnemy2", 100000, 3);
}
BENCHMARK(BM_GoToIncludedFunction)->Unit(benchmark::kMillisecond);

// A name declared nowhere, the longest way: no declaration, no label in the
// document or any included file, then its first use in the main program.
void BM_GoToUndeclared(benchmark::State& state)
{
    RunDefinition(state, "Cls : mDrawHud", 99000, 8);
}
BENCHMARK(BM_GoToUndeclared)->Unit(benchmark::kMillisecond);

// The field list after "t\" typed in the main program, t being of a type an
// included file declares: the fields come from what the scan kept, no file
// is read.
void BM_FieldListOfIncludedType(benchmark::State& state)
{
    Project& p = TheProject();
    const auto [line, column] = p.Find("t\\health", 100000);
    const NavigationContext context{p.scanner, {}, {}};
    std::optional<FieldsOfAType> fields;
    for (auto _ : state)
        benchmark::DoNotOptimize(fields = FieldsAt(p.text, line, column + 2, context));
    if (!fields)
        state.SkipWithError("nothing found");
    state.counters["fields"] = fields ? double(fields->fields.size()) : 0;
}
BENCHMARK(BM_FieldListOfIncludedType)->Unit(benchmark::kMillisecond);

void RunReferences(benchmark::State& state, std::string_view name)
{
    Project& p = TheProject();
    const NavigationContext context = p.Context();
    std::size_t found = 0;
    for (auto _ : state)
        found = FindReferences(p.text, name, context).size();
    state.counters["uses"] = double(found);
}

// A field every type and function of the project uses: thousands of uses.
void BM_FindReferencesOfField(benchmark::State& state)
{
    RunReferences(state, "health");
}
BENCHMARK(BM_FindReferencesOfField)->Unit(benchmark::kMillisecond);

// A function of an included file.
void BM_FindReferencesOfFunction(benchmark::State& state)
{
    RunReferences(state, "inc7_UpdateEnemy2");
}
BENCHMARK(BM_FindReferencesOfFunction)->Unit(benchmark::kMillisecond);

}  // namespace
