#include "analysis/DocScanner.h"
#include "analysis/Scanner.h"
#include "support/BenchLists.h"
#include "support/SourceGenerator.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::string ReadAll(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    return std::string(b.constData(), std::size_t(b.size()));
}

// A main document and its includes on disk, as a user's project would be.
struct Project {
    QTemporaryDir dir;
    std::string text;
    QString fileDir;

    Project(int mainLines, int includes, int includeLines)
    {
        const std::string main = gen::WriteProject(dir.path().toStdString(), mainLines, includes, includeLines);
        text = ReadAll(QString::fromStdString(main));
        fileDir = dir.path() + QLatin1Char('/');
    }
};

// Scans as the parse timer does; the previous result is released outside the
// timed part (BM_ReleaseLargeProjectResult times that).
void RunScan(benchmark::State& state, const Project& p, const ScanOptions& options = {})
{
    const DeclStyles styles = gen::Styles();
    ScanResult previous;
    for (auto _ : state) {
        ScanResult r = ScanDocument(p.text, p.fileDir, styles, options);
        // The declaration list and the colouring read the list in order.
        benchmark::DoNotOptimize(r.DocKeywords->Entries().size());
        state.PauseTiming();
        previous = std::move(r);
        state.ResumeTiming();
    }
    state.counters["entries"] = double(previous.DocKeywords->Count());
}

// 100,000 lines including 20 files of 2,000 lines.
void BM_ScanLargeProject(benchmark::State& state)
{
    static const Project p(100000, 20, 2000);
    RunScan(state, p);
}
BENCHMARK(BM_ScanLargeProject)->Unit(benchmark::kMillisecond);

void BM_ScanSmallDocument(benchmark::State& state)
{
    static const Project p(1000, 0, 0);
    RunScan(state, p);
}
BENCHMARK(BM_ScanSmallDocument)->Unit(benchmark::kMicrosecond);

// The yield callback must cost next to nothing when the window has nothing
// to do.
void BM_ScanLargeProjectYielding(benchmark::State& state)
{
    static const Project p(100000, 20, 2000);
    int yields = 0;
    ScanOptions options;
    options.yield = [&] { ++yields; };
    options.yieldInterval = std::chrono::milliseconds(5);
    RunScan(state, p, options);
    state.counters["yields"] = benchmark::Counter(yields, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ScanLargeProjectYielding)->Unit(benchmark::kMillisecond);

// Replacing a document's list frees the one before it.
void BM_ReleaseLargeProjectResult(benchmark::State& state)
{
    static const Project p(100000, 20, 2000);
    const DeclStyles styles = gen::Styles();
    for (auto _ : state) {
        state.PauseTiming();
        ScanResult r = ScanDocument(p.text, p.fileDir, styles);
        state.ResumeTiming();
        r = ScanResult();
    }
}
BENCHMARK(BM_ReleaseLargeProjectResult)->Unit(benchmark::kMillisecond);


// Hostile text: one Include line of 600,000 bytes, quotes and colons
// alternating. Each colon asks whether it stands inside the path's quotes.
void BM_ScanColonsInIncludePath(benchmark::State& state)
{
    std::string text = "Include \"";
    for (int i = 0; i < 200000; ++i)
        text += "\":\"";
    const DeclStyles styles = gen::Styles();
    ScanOptions options;
    options.readInclude = [](const QString&) { return std::optional<std::string>(); };
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanDocument(text, "/bench/", styles, options).Includes.size());
}
BENCHMARK(BM_ScanColonsInIncludePath)->Unit(benchmark::kMillisecond);

// The lines of a text, their line ends included.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end + 2 - start));
        start = end + 2;
    }
    return lines;
}

// Types a character into a line and takes it out again, rescanning after
// each: what the parse timer does while someone types. `declaring` picks a
// line that declares a global and types into its name; otherwise a line
// that declares nothing.
void RunKeystrokes(benchmark::State& state, const Project& p, int near, bool declaring)
{
    const DeclStyles styles = gen::Styles();
    auto includes = std::make_shared<IncludeCache>();
    DocScanner scanner(includes);
    scanner.Rebuild(p.text, p.fileDir, styles);
    const std::vector<std::string> lines = Lines(p.text);
    int line = near;
    while (line < int(lines.size()) &&
           (lines[std::size_t(line)].starts_with("Global ") != declaring ||
            lines[std::size_t(line)].find_first_of("\"=") < 10))
        ++line;
    const std::string plain = lines[std::size_t(line)];
    std::string typed = plain;
    typed.insert(declaring ? 8 : typed.size() - 2, "x");
    bool in = false;
    std::size_t changed = 0;
    for (auto _ : state) {
        in = !in;
        const ScanChanges changes = scanner.Update(line, 1, in ? typed : plain, 1);
        changed += changes.added.size();
    }
    state.counters["changed_per_key"] = benchmark::Counter(double(changed), benchmark::Counter::kAvgIterations);
    state.counters["line"] = line + 1;
    state.counters["kept_include_bytes"] = double(includes->KeptBytes());
    state.counters["include_text_bytes"] = double(includes->FileBytes());
}

// A key at line 99,000 of 100,000 with 20 included files.
void BM_RescanKeyLargeProject(benchmark::State& state)
{
    static const Project p(100000, 20, 2000);
    RunKeystrokes(state, p, 98999, state.range(0) != 0);
}
BENCHMARK(BM_RescanKeyLargeProject)->Arg(0)->Arg(1)->ArgNames({"declaring"})->Unit(benchmark::kMicrosecond);

// A key in a main file of 200 lines that includes 80 files of 3 MB in all.
void BM_RescanKeyManyIncludes(benchmark::State& state)
{
    static const Project p(200, 80, 1250);
    RunKeystrokes(state, p, 100, state.range(0) != 0);
}
BENCHMARK(BM_RescanKeyManyIncludes)->Arg(0)->Arg(1)->ArgNames({"declaring"})->Unit(benchmark::kMicrosecond);

// A source with 3,000 Include lines naming files that are not there, in a
// folder of 5,000 files: each missing name is looked for without regard to
// case. The first scan, then a key typed elsewhere.
struct MissingIncludes {
    QTemporaryDir dir;
    std::string text;
    QString fileDir;

    MissingIncludes()
    {
        for (int i = 0; i < 5000; ++i)
            QFile(dir.filePath(QString("asset%1.bb").arg(i))).open(QIODevice::WriteOnly);
        for (int i = 0; i < 3000; ++i)
            text += "Include \"lib\\Missing" + std::to_string(i) + ".bb\"\r\n";
        text += "Global last";
        fileDir = dir.path() + QLatin1Char('/');
        QDir(dir.path()).mkdir("lib");
        for (int i = 0; i < 5000; ++i)
            QFile(dir.filePath(QString("lib/other%1.bb").arg(i))).open(QIODevice::WriteOnly);
    }
};

void BM_ScanMissingIncludes(benchmark::State& state)
{
    static const MissingIncludes m;
    auto includes = std::make_shared<IncludeCache>();
    for (auto _ : state) {
        DocScanner scanner(includes);
        scanner.Rebuild(m.text, m.fileDir, gen::Styles());
        benchmark::DoNotOptimize(scanner.Includes().size());
    }
}
BENCHMARK(BM_ScanMissingIncludes)->Unit(benchmark::kMillisecond);

void BM_RescanKeyMissingIncludes(benchmark::State& state)
{
    static const MissingIncludes m;
    DocScanner scanner(std::make_shared<IncludeCache>());
    scanner.Rebuild(m.text, m.fileDir, gen::Styles());
    bool in = false;
    for (auto _ : state) {
        in = !in;
        benchmark::DoNotOptimize(scanner.Update(3000, 1, in ? "Global lastx" : "Global last", 1));
    }
}
BENCHMARK(BM_RescanKeyMissingIncludes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
