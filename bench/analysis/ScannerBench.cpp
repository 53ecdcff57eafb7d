// The declaration list as the parse timer keeps it: read from the program
// model of a project on disk, whole after a file is opened, then a line at a
// time as keys are typed.
#include "model/DocDeclarations.h"
#include "model/ProgramHost.h"
#include "support/BenchLists.h"
#include "support/SourceGenerator.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Project {
    QTemporaryDir dir;
    QString main;
    QByteArray text;  // the main file's, as its tab holds it
    ProgramHost host{[this](const QString&) { return text; }, dir.filePath(QStringLiteral("prefs.ini"))};

    Project(int mainLines, int includes, int includeLines)
    {
        main = QString::fromStdString(gen::WriteProject(dir.path().toStdString(), mainLines, includes, includeLines));
        QFile f(main);
        f.open(QIODevice::ReadOnly);
        text = f.readAll();
        host.DocumentOpened(main);
    }
    DeclSource Source()
    {
        return {host.ProgramOf(main), ProgramHost::KeyOf(main),
                [this](const std::string& key, std::uint32_t row) { return host.LineText(key, row); },
                [this](const std::string& key) { return host.Revision(key); }};
    }
    std::string_view Text() const { return {text.constData(), std::size_t(text.size())}; }
};

// 100,000 lines including 20 files of 2,000 lines.
Project& Large()
{
    static Project p(100000, 20, 2000);
    return p;
}

void BM_ScanLargeProject(benchmark::State& state)
{
    Project& p = Large();
    const DeclStyles styles = gen::Styles();
    std::size_t entries = 0;
    for (auto _ : state) {
        auto declarations = std::make_unique<DocDeclarations>();
        declarations->Rebuild(p.Source(), p.Text(), styles);
        // The declaration list and the colouring read the list in order.
        entries = declarations->DocKeywords()->Entries().size();
        state.PauseTiming();
        declarations.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = double(entries);
}
BENCHMARK(BM_ScanLargeProject)->Unit(benchmark::kMillisecond);

// Types a character into a line and takes it out again, reading the list
// again after each: what the parse timer does while someone types (the
// model's own share, timed by ProgramBench, is left out). `declaring` picks a line that declares a global
// and types into its name; otherwise a line that declares nothing.
void RunKeystrokes(benchmark::State& state, Project& p, int near, bool declaring)
{
    const DeclStyles styles = gen::Styles();
    const DeclSource source = p.Source();
    DocDeclarations declarations;
    declarations.Rebuild(source, p.Text(), styles);
    const QList<QByteArray> lines = p.text.split('\n');
    int line = near;
    while (line < int(lines.size()) &&
           (lines[line].startsWith("Global ") != declaring || std::string_view(lines[line]).find_first_of("\"=") < 10))
        ++line;
    const std::string plain = lines[line].toStdString() + "\n";
    const std::size_t at = declaring ? 8 : plain.size() - 2;
    const std::string typed = plain.substr(0, at) + "x" + plain.substr(at);
    bool in = false;
    std::size_t changed = 0;
    for (auto _ : state) {
        in = !in;
        const std::string& now = in ? typed : plain;
        state.PauseTiming();
        p.host.DocumentEdited(p.main, std::uint32_t(line), 1, now, 1);
        state.ResumeTiming();
        changed += declarations.Update(source, line, 1, now, 1).added.size();
        changed += declarations.Revalidate(source).added.size();
    }
    if (in)
        p.host.DocumentEdited(p.main, std::uint32_t(line), 1, plain, 1);
    state.counters["changed_per_key"] = benchmark::Counter(double(changed), benchmark::Counter::kAvgIterations);
    state.counters["line"] = line + 1;
}

// A key at line 99,000 of 100,000 with 20 included files.
void BM_RescanKeyLargeProject(benchmark::State& state)
{
    RunKeystrokes(state, Large(), 98999, state.range(0) != 0);
}
// A fixed count: the untimed edit of the model costs far more than the timed
// part, which would otherwise be repeated until it alone filled the time.
BENCHMARK(BM_RescanKeyLargeProject)->Arg(0)->Arg(1)->ArgNames({"declaring"})->Unit(benchmark::kMicrosecond)->Iterations(2000);

// A key in a main file of 200 lines that includes 80 files of 3 MB in all.
void BM_RescanKeyManyIncludes(benchmark::State& state)
{
    static Project p(200, 80, 1250);
    RunKeystrokes(state, p, 100, state.range(0) != 0);
}
BENCHMARK(BM_RescanKeyManyIncludes)->Arg(0)->Arg(1)->ArgNames({"declaring"})->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace

BENCHMARK_MAIN();
