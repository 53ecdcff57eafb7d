// A document of 100 MiB open in the window with live checking: the most the
// window holds at once, from opening it to the end of its first check.
#include "panes/LiveCheck.h"
#include "documents/DocumentManager.h"
#include "mainwindow/MainWindow.h"
#include "support/BenchApp.h"
#include "support/SourceGenerator.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

// The process's peak resident memory so far, in MiB.
double PeakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024;
    return 0;
}

void BM_LargeDocumentPeakMemory(benchmark::State& state)
{
    for (auto _ : state) {
        BenchApp bench;
        MainWindow& w = bench.window();
        const QString file = QDir(bench.dir()).filePath(QStringLiteral("big.bb"));
        {
            // About 32 bytes a line.
            std::ofstream(file.toStdString(), std::ios::binary) << gen::BlitzProgram(int(state.range(0)) * 32768, "m");
        }
        QElapsedTimer opened;
        opened.start();
        w.docs().OpenDoc(file);
        PumpEvents(200);
        w.liveCheck().Refresh();
        state.SetIterationTime(double(opened.nsecsElapsed()) / 1e9);
    }
    state.counters["peak_MiB"] = PeakMiB();
}
BENCHMARK(BM_LargeDocumentPeakMemory)->Arg(100)->ArgNames({"MiB"})->UseManualTime()->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
