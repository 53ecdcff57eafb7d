// The checker's findings as the window shows them while typing, in a
// 100,000-line program with 20 includes: how soon a mistake is marked once
// typing pauses, and what the marks and the list cost per pause.
#include "panes/LiveCheck.h"
#include "panes/ProblemsPane.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"
#include "support/BenchApp.h"
#include "support/SourceGenerator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace {

// A 100,000-line main file with 20 includes of 2,000 lines that the compiler
// accepts; with `mistakes`, the benchmarks' usual sources, in which the
// checker finds some 20,000 problems.
std::string WriteProgram(const QString& dir, bool mistakes)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::path(dir.toStdString()) / "project";
    if (mistakes)
        return gen::WriteProject(root.string(), 100000, 20, 2000);
    fs::create_directories(root / "lib");
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        names.push_back("lib\\part" + std::to_string(i) + ".bb");
        std::ofstream(root / "lib" / ("part" + std::to_string(i) + ".bb"), std::ios::binary)
            << gen::BlitzProgram(2000, "inc" + std::to_string(i) + "_");
    }
    std::ofstream(root / "main.bb", std::ios::binary) << gen::BlitzProgram(100000, "m", names);
    return (root / "main.bb").string();
}

void Press(EditCtrl& editor, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor.focusProxy(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor.focusProxy(), &release);
}

bool Marked(const EditCtrl& editor, int line)
{
    const std::vector<EditorDiagnostic> marks = editor.DiagnosticMarks();
    return std::any_of(marks.begin(), marks.end(), [line](const EditorDiagnostic& d) { return d.Line == line; });
}

// From the last key of a mistake (an opening bracket left open at line
// 99,000) to its squiggle in the editor, as the user waits for it: the
// pause, the model's recheck and the marks. Every other round the bracket
// goes again and its mark with it. `longest_event_ms` is the longest the
// window was busy at once while waiting.
void BM_DiagnosticShownAfterTyping(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    w.docs().OpenDoc(QString::fromStdString(WriteProgram(bench.dir(), state.range(0) != 0)));
    EditCtrl& editor = w.editor();
    editor.setFocus();
    int line = 99000;
    while (Marked(editor, line) || editor.LineText(line).trimmed().isEmpty())
        ++line;
    PumpEvents(500);
    // The program's first check is done before the first key.
    w.liveCheck().Refresh();
    const int problems = w.problems().RowCount();
    double longestEvent = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editor.SetCaret(0, line);
        Press(editor, Qt::Key_Return, QStringLiteral("\r"));
        editor.SetCaret(0, line);
        state.ResumeTiming();
        Press(editor, Qt::Key_ParenLeft, QStringLiteral("("));
        QElapsedTimer event;
        while (!Marked(editor, line)) {
            event.start();
            QApplication::processEvents(QEventLoop::AllEvents, 1);
            longestEvent = std::max(longestEvent, double(event.nsecsElapsed()) / 1e6);
        }
        state.PauseTiming();
        editor.Undo();
        editor.Undo();
        while (Marked(editor, line))
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        state.ResumeTiming();
    }
    state.counters["line"] = line;
    state.counters["problems_before"] = problems;
    state.counters["longest_event_ms"] = longestEvent;
}
BENCHMARK(BM_DiagnosticShownAfterTyping)->Arg(0)->Arg(1)->ArgNames({"mistakes"})->Unit(benchmark::kMillisecond)
    ->UseRealTime()->Iterations(20);

// One pause's work after a key that changes no problem: the model's
// recheck, the marks compared with those in place, the list compared with
// the one shown. `where`: 0 a letter in a name of a function body, 1 in a
// statement of the main program, 2 a new line (the program's lines are
// numbered anew).
void BM_PauseAfterKey(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    w.docs().OpenDoc(QString::fromStdString(WriteProgram(bench.dir(), state.range(1) != 0)));
    EditCtrl& editor = w.editor();
    const int where = int(state.range(0));
    const QByteArray wanted = where == 0 ? "\tText x + 4" : "\tCls : ";
    int line = 99000;
    while (where < 2 && !editor.LineText(line).startsWith(wanted) && line < editor.LineCount())
        ++line;
    const int column = where == 2 ? 0 : int(editor.LineText(line).indexOf(where == 0 ? "x +" : "Hud")) + 1;
    const QByteArray typed = where == 2 ? "\r\n" : "q";
    w.liveCheck().Refresh();
    bool in = false;
    for (auto _ : state) {
        state.PauseTiming();
        in = !in;
        if (in)
            editor.SetCaret(column, line);
        else
            editor.SetSelection({true, column, line - 1, where == 2 ? 0 : column + 1, where == 2 ? line : line - 1});
        editor.ReplaceSelection(in ? typed : "");
        state.ResumeTiming();
        w.liveCheck().Refresh();
    }
    state.counters["line"] = line;
    state.counters["problems"] = w.problems().RowCount();
}
BENCHMARK(BM_PauseAfterKey)->Args({0, 0})->Args({1, 0})->Args({2, 0})->Args({0, 1})->ArgNames({"where", "mistakes"})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

// Typing near line 99,000 at ten keys a second, slow enough that the check
// runs between every two keys: how late a key is handled after the typist
// pressed it, and the longest the window was busy at once (a key's
// handling, a check), which is what the typist feels as a stall. `at`: 0 on
// a new line of the main program, 1 on a new line in a function, 2 in front
// of a Global (every key changes a declaration).
void BM_TypingWithLiveCheck(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    w.docs().OpenDoc(QString::fromStdString(WriteProgram(bench.dir(), state.range(0) != 0)));
    EditCtrl& editor = w.editor();
    const int at = int(state.range(1));
    // Row 99,000 starts a Global in both programs; a While loop of the main
    // program ends 7 rows before it, and an If of a function starts 17 rows
    // after it. A new line is opened above those.
    editor.SetCaret(0, at == 0 ? 98993 : at == 1 ? 99017 : 99000);
    if (at != 2) {
        Press(editor, Qt::Key_Return, QStringLiteral("\r"));
        Press(editor, Qt::Key_Up, {});
    }
    w.liveCheck().Refresh();
    editor.setFocus();
    PumpEvents(500);
    const QString typed = QStringLiteral("extra = Sqr(score + 1) ; more\n");
    double longestDelay = 0, longestBusy = 0, longestBusyCpu = 0;
    QElapsedTimer busy;
    // The processor time too: on a shared machine the wall time of one
    // event also counts what other programs ran meanwhile.
    const auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    const auto timed = [&](const auto& work) {
        const double cpu = cpuMs();
        busy.start();
        work();
        longestBusy = std::max(longestBusy, double(busy.nsecsElapsed()) / 1e6);
        longestBusyCpu = std::max(longestBusyCpu, cpuMs() - cpu);
    };
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 60; ++i) {
            const qint64 due = i * 100;
            while (clock.elapsed() < due)
                timed([] { QApplication::processEvents(QEventLoop::AllEvents, 1); });
            longestDelay = std::max(longestDelay, double(clock.elapsed() - due));
            const QChar c = typed[i % typed.size()];
            timed([&] {
                Press(editor, c == u'\n' ? Qt::Key_Return : Qt::Key_A,
                      c == u'\n' ? QStringLiteral("\r") : QString(c));
            });
        }
    }
    state.counters["longest_delay_ms"] = longestDelay;
    state.counters["longest_busy_ms"] = longestBusy;
    state.counters["longest_busy_cpu_ms"] = longestBusyCpu;
    state.counters["problems"] = w.problems().RowCount();
}
BENCHMARK(BM_TypingWithLiveCheck)->ArgsProduct({{0, 1}, {0, 1, 2}})->ArgNames({"mistakes", "at"})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A file of 20,000 lines of which `problems` have a problem each, open with
// its marks and its list: what a key costs the window (`key_ms`: the first
// key after a pause, which finds the processor's caches full of what the
// pause touched; `typing_key_ms`: the keys typed on before the next pause;
// `first_edit_cpu_ms`: the document's first edit, which is more than a key)
// and what the pause after them costs (`pause_ms`: the recheck, the marks,
// the list), each also in processor time (`_cpu_ms`), which other programs
// running on a shared machine do not inflate. The key is a letter, or with
// `newline` a new line (every problem below it moves), and then its removal.
void BM_KeyAndPauseWithManyProblems(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const int n = int(state.range(0));
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += (n > 0 && i % (20000 / n) == 0 ? "Print Missing" : "Print Present") + std::to_string(i % 50) + "(" +
                std::to_string(i) + ")\r\n";
    for (int i = 0; i < 50; ++i)
        text += "Function Present" + std::to_string(i) + "(n)\r\nEnd Function\r\n";
    const std::string path = (std::filesystem::path(bench.dir().toStdString()) / "many.bb").string();
    std::ofstream(path, std::ios::binary) << text;
    w.docs().OpenDoc(QString::fromStdString(path));
    EditCtrl& editor = w.editor();
    editor.setFocus();
    editor.SetCaret(0, 10000);
    PumpEvents(300);
    w.liveCheck().Refresh();
    const auto cpuMs = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    const bool newline = state.range(1) != 0;
    // The document's first edit marks it modified (its tab's picture, the
    // Save command) and meets the editor's text measuring for the first
    // time: once per document, not per key, so it is reported on its own.
    double firstEditCpu = cpuMs();
    Press(editor, newline ? Qt::Key_Return : Qt::Key_Z, newline ? QStringLiteral("\r") : QStringLiteral("z"));
    firstEditCpu = cpuMs() - firstEditCpu;
    Press(editor, Qt::Key_Backspace, {});
    w.liveCheck().Refresh();
    double keyMs = 0, pauseMs = 0, keyCpu = 0, pauseCpu = 0, typingCpu = 0;
    bool joined = true;
    QElapsedTimer clock;
    const auto round = [&] {
        clock.start();
        double cpu = cpuMs();
        if (joined)
            Press(editor, newline ? Qt::Key_Return : Qt::Key_X, newline ? QStringLiteral("\r") : QStringLiteral("x"));
        else
            Press(editor, Qt::Key_Backspace, {});
        keyMs += double(clock.nsecsElapsed()) / 1e6;
        keyCpu += cpuMs() - cpu;
        // Typed on and taken back: the text the pause finds is the same.
        cpu = cpuMs();
        Press(editor, newline ? Qt::Key_Return : Qt::Key_Y, newline ? QStringLiteral("\r") : QStringLiteral("y"));
        Press(editor, Qt::Key_Backspace, {});
        typingCpu += (cpuMs() - cpu) / 2;
        joined = !joined;
        clock.start();
        cpu = cpuMs();
        w.liveCheck().Refresh();
        pauseMs += double(clock.nsecsElapsed()) / 1e6;
        pauseCpu += cpuMs() - cpu;
    };
    // As a user's session does, the rounds settle after the first few (the
    // allocator's free lists, the editor's caches): those are not counted.
    for (int i = 0; i < 10; ++i)
        round();
    keyMs = pauseMs = keyCpu = pauseCpu = typingCpu = 0;
    for (auto _ : state)
        round();
    const auto average = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["first_edit_cpu_ms"] = firstEditCpu;
    state.counters["key_ms"] = average(keyMs);
    state.counters["key_cpu_ms"] = average(keyCpu);
    state.counters["typing_key_cpu_ms"] = average(typingCpu);
    state.counters["pause_ms"] = average(pauseMs);
    state.counters["pause_cpu_ms"] = average(pauseCpu);
    state.counters["problems"] = w.problems().RowCount();
}
BENCHMARK(BM_KeyAndPauseWithManyProblems)->ArgsProduct({{0, 1500, 20000}, {0, 1}})->ArgNames({"problems", "newline"})
    ->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

}  // namespace
