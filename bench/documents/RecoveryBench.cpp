// Recovery copies of 100,000-line documents: what they cost the window's
// thread at each key and when the copy timer fires, and what the writing
// thread and the end at a signal take.
#include "assist/EditorEvents.h"
#include "documents/DocumentManager.h"
#include "documents/RecoveryKeeper.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"
#include "support/BenchApp.h"
#include "support/SourceGenerator.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <numeric>
#include <vector>

namespace {

// A started IDE showing `count` modified 100,000-line documents, the caret
// in the middle of the last, where a key costs the editor most. Parsing is
// off: its cost per key is measured elsewhere and would hide this one.
struct LongDocuments {
    BenchApp bench;
    MainWindow& w = bench.window();
    EditCtrl& editor = w.editor();
    RecoveryKeeper& keeper = w.recovery();
    int typed = 0;

    explicit LongDocuments(int count)
    {
        w.events().SetParsingDisabled(true);
        for (int i = 0; i < count; ++i) {
            const QString path = QDir(bench.dir()).filePath(QStringLiteral("long%1.bb").arg(i));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            const std::string text = gen::BlitzSource(100000, "d" + std::to_string(i));
            f.write(text.data(), qint64(text.size()));
            f.close();
            w.docs().OpenDoc(path);
            editor.SetCaret(0, 50000);
            Key();
        }
        keeper.TakeCopies();
        keeper.Flush();
        PumpEvents(300);
    }

    // A character, then a Backspace, and so on: the text keeps its length.
    void Key()
    {
        const bool erase = typed++ % 2 != 0;
        const int key = erase ? Qt::Key_Backspace : Qt::Key_A;
        const QString text = erase ? QStringLiteral("\b") : QStringLiteral("a");
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(editor.focusProxy(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(editor.focusProxy(), &release);
    }
};

// The time of one run of `work` on the window's thread, and the processor
// time that thread spent in it: on a busy machine the first also holds the
// time other programs ran meanwhile. The slowest run is what a typist feels.
struct Timings {
    std::vector<double> cpu;
    double wallSlowest = 0;

    template <typename Work>
    void Time(benchmark::State& state, Work work)
    {
        timespec cpu0{}, cpu1{};
        QElapsedTimer clock;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu0);
        clock.start();
        work();
        const double wall = double(clock.nsecsElapsed()) / 1e6;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu1);
        cpu.push_back(double(cpu1.tv_sec - cpu0.tv_sec) * 1e3 + double(cpu1.tv_nsec - cpu0.tv_nsec) / 1e6);
        wallSlowest = std::max(wallSlowest, wall);
        state.SetIterationTime(wall / 1000);
    }
    void Report(benchmark::State& state)
    {
        if (cpu.empty())
            return;
        std::sort(cpu.begin(), cpu.end());
        state.counters["cpu_mean_ms"] = std::accumulate(cpu.begin(), cpu.end(), 0.0) / double(cpu.size());
        state.counters["cpu_p99_ms"] = cpu[cpu.size() * 99 / 100];
        state.counters["cpu_slowest_ms"] = cpu.back();
        state.counters["wall_slowest_ms"] = wallSlowest;
    }
};

// A key at line 50,000, with the keeper listening to the edits (1) or not
// (0): the difference is what keeping copies adds to every key.
void BM_Key(benchmark::State& state)
{
    LongDocuments docs(1);
    if (state.range(0) == 0)
        QObject::disconnect(&docs.editor, &EditCtrl::Change, &docs.keeper, nullptr);
    Timings timings;
    for (auto _ : state)
        timings.Time(state, [&] { docs.Key(); });
    timings.Report(state);
}
BENCHMARK(BM_Key)->Arg(0)->Arg(1)->ArgNames({"copies"})->UseManualTime()->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

// The copy timer firing after a key: the text taken on the window's thread
// and handed to the writing thread (0), and the first key after it (1).
void BM_CopyTimer(benchmark::State& state)
{
    LongDocuments docs(1);
    Timings timings;
    for (auto _ : state) {
        docs.Key();
        if (state.range(0) == 0) {
            timings.Time(state, [&] { docs.keeper.TakeCopies(); });
        } else {
            docs.keeper.TakeCopies();
            if (state.range(0) == 2)
                docs.keeper.Flush();
            timings.Time(state, [&] { docs.Key(); });
        }
        docs.keeper.Flush();
    }
    timings.Report(state);
}
BENCHMARK(BM_CopyTimer)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"key_after"})->UseManualTime()->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

// The writing thread's share: a 4 MB copy written and flushed to the disk.
void BM_WriteCopy(benchmark::State& state)
{
    LongDocuments docs(1);
    for (auto _ : state) {
        state.PauseTiming();
        docs.Key();
        docs.keeper.TakeCopies();
        state.ResumeTiming();
        docs.keeper.Flush();
    }
    state.counters["MB"] = double(docs.editor.Text().size()) / (1 << 20);
}
BENCHMARK(BM_WriteCopy)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// What the end at a signal waits for, with two 100,000-line documents: their
// copies up to date but for the last key of one (0), or both stale (1).
void BM_KeepAtSignal(benchmark::State& state)
{
    LongDocuments docs(2);
    const auto& open = docs.w.docs().Docs();
    for (auto _ : state) {
        state.PauseTiming();
        docs.keeper.TakeCopies();
        docs.keeper.Flush();
        if (state.range(0) == 1) {
            docs.w.docs().ShowDoc(*open[0]);
            docs.Key();
            docs.w.docs().ShowDoc(*open[1]);
        }
        docs.Key();
        state.ResumeTiming();
        docs.keeper.KeepForNextStart();
    }
}
BENCHMARK(BM_KeepAtSignal)->Arg(0)->Arg(1)->ArgNames({"both_stale"})->UseRealTime()
    ->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
