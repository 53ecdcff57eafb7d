// The debugger with the real Blitz3D compiler and runtime under Wine: how
// fast a program runs under it against a run without -d, how soon a step
// shows its line, and how soon the Variables pane is filled. The programs
// need a display: run under xvfb-run -a, where ../shared/tools/real-compiler
// works. Elsewhere each benchmark says why it cannot run.
#include "build/BuildController.h"
#include "debugger/DebugController.h"
#include "debugger/VariablesPane.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"
#include "support/BenchApp.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <fstream>

namespace {

// The team's shared folder beside the checkout (a worktree sits a level deeper).
const QString kShared = [] {
    QDir dir(QStringLiteral(OVREL_SOURCE_DIR));
    for (int up = 0; up < 3 && dir.cdUp(); ++up)
        if (QFileInfo::exists(dir.filePath(QStringLiteral("shared/tools/real-compiler"))))
            return dir.filePath(QStringLiteral("shared"));
    return QStringLiteral(OVREL_SOURCE_DIR "/../shared");
}();

QString WhyNot()
{
    static const QString why = [] {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            return QStringLiteral("the program needs a display: run under xvfb-run -a");
        QProcess probe;
        probe.start(kShared + QStringLiteral("/tools/real-compiler"), {});
        if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
            return QStringLiteral("the real compiler does not run here");
        if (!QFileInfo::exists(QStringLiteral(OVREL_BUILD_DIR "/debugger.dll")))
            return QStringLiteral("debugger.dll was not built");
        return QString();
    }();
    return why;
}

bool Until(const std::function<bool()>& done, int ms = 90000)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

// A started IDE whose builds use the real compiler and our debugger.dll.
struct RealIde {
    BenchApp bench;
    MainWindow& window = bench.window();
    RealIde()
    {
        qputenv("WINEDEBUG", "-all");
        bench.app().settings.B3DDir = QDir(kShared).filePath(QStringLiteral("blitz3d"));
        QFile::remove(QDir(bench.dir()).filePath(QStringLiteral("debugger.dll")));
        QFile::copy(QStringLiteral(OVREL_BUILD_DIR "/debugger.dll"), QDir(bench.dir()).filePath(QStringLiteral("debugger.dll")));
    }
    QString Write(const QString& name, const std::string& text)
    {
        const QString path = QDir(bench.dir()).filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary) << text;
        return path;
    }
    // Builds and runs `main`, with or without the debugger; false when it
    // did not end within the time.
    bool Run(const QString& main, bool debug, const std::function<bool()>& until = {})
    {
        window.docs().OpenDoc(main);
        window.build().SetDebugEnabled(debug);
        window.build().CompileAndRun();
        return Until(until ? until : [&] { return !window.build().IsBuilding(); });
    }
    const DebugSession& session() const { return window.debugger().session(); }
};

void LoopTurns(benchmark::State& state)
{
    if (const QString why = WhyNot(); !why.isEmpty()) {
        state.SkipWithError(why.toStdString().c_str());
        return;
    }
    RealIde ide;
    const QString count = QDir(ide.bench.dir()).filePath(QStringLiteral("turns.txt"));
    const QString main = ide.Write(QStringLiteral("loop.bb"),
                                   "t = MilliSecs() + 2000\r\nn = 0\r\nWhile MilliSecs() < t\r\n\tn = n + 1\r\nWend\r\n"
                                   "f = WriteFile(\"Z:" + QString(count).replace(u'/', u'\\').toStdString() +
                                       "\")\r\nWriteLine f, n\r\nCloseFile f\r\n");
    auto turns = [&](bool debug) {
        QFile::remove(count);
        ide.Run(main, debug);
        QFile file(count);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toDouble() / 2 : 0.0;
    };
    double plain = 0, debug = 0;
    for (auto _ : state) {
        plain = turns(false);
        debug = turns(true);
    }
    state.counters["plain_turns_per_s"] = plain;
    state.counters["debug_turns_per_s"] = debug;
    state.counters["share_percent"] = plain > 0 ? 100 * debug / plain : 0;
}
BENCHMARK(LoopTurns)->Iterations(1)->Unit(benchmark::kSecond);

// From F10 to the next line highlighted, in a loop of two lines.
void StepToHighlight(benchmark::State& state)
{
    if (const QString why = WhyNot(); !why.isEmpty()) {
        state.SkipWithError(why.toStdString().c_str());
        return;
    }
    RealIde ide;
    const QString main = ide.Write(QStringLiteral("step.bb"), "Stop\r\nWhile 1\r\n\tx = x + 1\r\nWend\r\n");
    if (!ide.Run(main, true, [&] { return ide.session().Halted(); })) {
        state.SkipWithError("the program did not stop");
        return;
    }
    EditCtrl& editor = ide.window.editor();
    for (auto _ : state) {
        const int before = editor.ExecutionLine();
        // The step takes the arrow away; the next stop puts it back.
        ide.window.dispatcher().DoCommand(QStringLiteral("mnuStepOver"));
        if (!Until([&] { return ide.session().Halted() && editor.ExecutionLine() != 0; }, 20000)) {
            state.SkipWithError(("no step from line " + std::to_string(before) + ", state " +
                                 std::to_string(int(ide.session().State())) + ", at " +
                                 std::to_string(editor.ExecutionLine()))
                                    .c_str());
            break;
        }
        editor.repaint();
    }
    ide.window.build().Stop();
}
BENCHMARK(StepToHighlight)->Unit(benchmark::kMillisecond)->Iterations(50);

// A program the size of a large game: 600 globals of every kind, 45 types
// of 6 fields, a few objects of each; and one type with 10,000 objects.
std::string BigProgram()
{
    std::string text;
    for (int t = 0; t < 45; ++t) {
        text += "Type Kind" + std::to_string(t) + "\r\n\tField id, x#, y#, name$, link.Kind" + std::to_string(t) +
                "\r\n\tField slots[4]\r\nEnd Type\r\n";
    }
    for (int g = 0; g < 600; ++g) {
        const char* kinds[] = {"", "#", "$", ".Kind"};
        std::string type = kinds[g % 4];
        if (g % 4 == 3)
            type += std::to_string(g % 45);
        text += "Global value" + std::to_string(g) + type + (g % 4 == 2 ? " = \"text\"" : g % 4 == 3 ? "" : " = 1") +
                "\r\n";
    }
    for (int t = 0; t < 45; ++t)
        text += "For i = 1 To 3 : k" + std::to_string(t) + ".Kind" + std::to_string(t) + " = New Kind" + std::to_string(t) +
                " : k" + std::to_string(t) + "\\id = i : Next\r\n";
    text += "For i = 1 To 10000 : m.Kind0 = New Kind0 : m\\id = i : Next\r\nStop\r\n";
    return text;
}

void VariablesAtAStop(benchmark::State& state)
{
    if (const QString why = WhyNot(); !why.isEmpty()) {
        state.SkipWithError(why.toStdString().c_str());
        return;
    }
    RealIde ide;
    const QString main = ide.Write(QStringLiteral("big.bb"), BigProgram());
    if (!ide.Run(main, true, [&] { return ide.session().Halted(); })) {
        state.SkipWithError("the program did not stop");
        return;
    }
    VariablesPane& pane = ide.window.debugger().variablesPane();
    pane.show();
    const bool firstHundred = state.range(0) == 1;
    QTreeWidgetItem* kind0 = nullptr;
    for (auto _ : state) {
        if (!firstHundred) {
            pane.Refresh(0);
            pane.tree().viewport()->repaint();
            continue;
        }
        state.PauseTiming();
        pane.Refresh(0);
        const QList<QTreeWidgetItem*> found = pane.tree().findItems(QStringLiteral("Kind0"), Qt::MatchExactly | Qt::MatchRecursive);
        kind0 = found.isEmpty() ? nullptr : found.front();
        state.ResumeTiming();
        if (kind0)
            pane.Expand(kind0);
        pane.tree().viewport()->repaint();
    }
    state.counters["rows"] = firstHundred && kind0 ? kind0->childCount() : pane.tree().topLevelItemCount();
    ide.window.build().Stop();
}
BENCHMARK(VariablesAtAStop)->Arg(0)->Arg(1)->ArgNames({"first_100_of_10000"})->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
