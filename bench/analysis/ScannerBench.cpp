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

}  // namespace

BENCHMARK_MAIN();
