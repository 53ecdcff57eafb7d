// The window's own costs: reading the picture strips at start-up, drawing a
// picture for a scaled screen, recomputing which commands are enabled (after
// every change of the document situation) and fitting the toolbar bands
// (at every resize).
#include "mainwindow/MainWindow.h"
#include "mainwindow/ToolbarBands.h"
#include "mainwindow/ToolbarImages.h"
#include "documents/DocumentManager.h"
#include "platform/Prompter.h"
#include "support/BenchApp.h"
#include "support/SourceGenerator.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmapCache>

#include <benchmark/benchmark.h>

namespace {

class Quiet : public Prompter {
public:
    MsgAnswer Ask(const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

void BM_LoadToolbarImages(benchmark::State& state)
{
    BenchApp bench;
    Quiet quiet;
    for (auto _ : state) {
        ToolbarImages images;
        benchmark::DoNotOptimize(LoadToolbarImages(bench.dir(), quiet, images));
    }
}
BENCHMARK(BM_LoadToolbarImages)->Unit(benchmark::kMillisecond);

// A toolbar picture at twice its size, drawn from its SVG (uncached).
void BM_PictureForScaledScreen(benchmark::State& state)
{
    BenchApp bench;
    const QIcon icon = bench.window().images().ToolbarIcon(26);
    for (auto _ : state) {
        QPixmapCache::clear();
        benchmark::DoNotOptimize(icon.pixmap(QSize(20, 20), 2.0));
    }
}
BENCHMARK(BM_PictureForScaledScreen)->Unit(benchmark::kMicrosecond);

void BM_UpdateCommandState(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const QString path = QDir(bench.dir()).filePath(QStringLiteral("a.bb"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray::fromStdString(gen::BlitzSource(100000)));
    f.close();
    w.docs().OpenDoc(path);
    PumpEvents(200);
    for (auto _ : state)
        w.UpdateCommandState();
}
BENCHMARK(BM_UpdateCommandState)->Unit(benchmark::kMicrosecond);

// A resize that changes no row, and one that wraps or joins a row.
void BM_FitToolbarBands(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const bool wrapping = state.range(0) != 0;
    const int wide = w.width();
    const int narrow = w.minimumWidth();
    int i = 0;
    for (auto _ : state) {
        w.resize(wrapping && (++i % 2) ? narrow : wide, w.height());
        w.bands().FitToolbarBands();
    }
    state.SetLabel(wrapping ? "rows change" : "rows stay");
}
BENCHMARK(BM_FitToolbarBands)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
