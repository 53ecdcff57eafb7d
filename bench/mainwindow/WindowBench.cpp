// The main window with long documents: switching between them, a rescan
// handed over to the colouring and the declaration list, and typing while
// rescans run.
#include "assist/CodeAssistant.h"
#include "panes/DeclList.h"
#include "panes/LiveCheck.h"
#include "assist/EditorEvents.h"
#include "model/ProgramHost.h"
#include "documents/DocumentManager.h"
#include "documents/DocumentTabs.h"
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

namespace {

QString WriteSource(const QString& dir, const QString& name, int lines, const std::string& prefix)
{
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    const std::string text = gen::BlitzSource(lines, prefix);
    f.write(text.data(), qint64(text.size()));
    return path;
}

// Until the colouring and folding left to idle time are done, so that what
// is measured next is not that work.
void PumpUntilIdle(EditCtrl& editor)
{
    QElapsedTimer t;
    t.start();
    do
        PumpEvents(50);
    while (editor.IdleWorkPending() && t.elapsed() < 10000);
}

void TypeKey(EditCtrl& editor, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor.focusProxy(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor.focusProxy(), &release);
}

// From the start of the start-up sequence to the main window on screen, on
// the shipped program files (labels, settings, the full command list).
void BM_StartToMainWindow(benchmark::State& state)
{
    for (auto _ : state) {
        BenchApp bench;
        state.SetIterationTime(bench.startSeconds());
    }
}
BENCHMARK(BM_StartToMainWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// Tab clicks from one 100,000-line document to another, painted, once each
// has been shown and its program checked (the first check of a program goes
// on in slices after the first switch, and is not the switch's cost); with
// `folded`, every outermost fold of both is closed, as Fold All leaves them.
void SwitchLongDocuments(benchmark::State& state, bool folded)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    for (const char* name : {"a", "b"}) {
        w.docs().OpenDoc(WriteSource(bench.dir(), QString::fromLatin1(name) + ".bb", 100000, name));
        if (folded)
            w.editor().FoldAll();
    }
    if (!folded)
        w.editor().SetCaret(0, 60000);
    for (const int shown : {1, 2}) {
        w.tabs().setCurrentIndex(shown);
        PumpUntilIdle(w.editor());
        w.liveCheck().Refresh();
    }
    PumpEvents(100);
    int next = 1;
    for (auto _ : state) {
        w.tabs().setCurrentIndex(next);
        QApplication::processEvents();
        next = next == 1 ? 2 : 1;
    }
}

void BM_SwitchLongDocuments(benchmark::State& state)
{
    SwitchLongDocuments(state, false);
}
BENCHMARK(BM_SwitchLongDocuments)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

void BM_SwitchFoldedDocuments(benchmark::State& state)
{
    SwitchLongDocuments(state, true);
}
BENCHMARK(BM_SwitchFoldedDocuments)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// What open 100,000-line documents hold in memory, each shown once with its
// outermost folds closed: the resident size with 2 and with 20 of them.
void BM_LongDocumentsResident(benchmark::State& state)
{
    for (auto _ : state) {
        BenchApp bench;
        MainWindow& w = bench.window();
        for (int i = 0; i < state.range(0); ++i) {
            w.docs().OpenDoc(WriteSource(bench.dir(), QStringLiteral("d%1.bb").arg(i), 100000, "d"));
            w.editor().FoldAll();
        }
        PumpUntilIdle(w.editor());
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (statm.open(QIODevice::ReadOnly))
            state.counters["resident MB"] = statm.readAll().split(' ').value(1).toDouble() * 4096 / (1 << 20);
    }
}
BENCHMARK(BM_LongDocumentsResident)->Arg(2)->Arg(20)->Unit(benchmark::kSecond)->Iterations(1);

// A key typed at line 99,000 of a 100,000-line document with 20 includes of
// 2,000 lines, then the rescan and its hand-over to the colouring and the
// declaration list, as the parse timer runs them. With `declaring` the key
// falls in a declared name: a name goes and another comes.
void BM_KeyRescanAndHandOver(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const std::string main = gen::WriteProject(bench.dir().toStdString() + "/project", 100000, 20, 2000);
    w.docs().OpenDoc(QString::fromStdString(main));
    w.events().SetParsingDisabled(true);
    w.declList().SelectTab(QStringLiteral("Globals"));
    EditCtrl& editor = w.editor();
    const bool declaring = state.range(0) != 0;
    int line = 99000;
    while (editor.LineText(line).startsWith("Global ") != declaring || editor.LineText(line).contains('"'))
        ++line;
    PumpEvents(300);
    bool typed = false;
    for (auto _ : state) {
        state.PauseTiming();
        typed = !typed;
        editor.SetCaret(typed ? 8 : 9, line);
        if (typed)
            TypeKey(editor, Qt::Key_X, QStringLiteral("x"));
        else
            TypeKey(editor, Qt::Key_Backspace, QStringLiteral("\b"));
        state.ResumeTiming();
        w.events().ScanDocument();
    }
    state.counters["line"] = line;
    state.counters["declarations"] = double(w.docs().CurrentDoc()->DocKeywords->Count());
}
BENCHMARK(BM_KeyRescanAndHandOver)->Arg(0)->Arg(1)->ArgNames({"declaring"})->Unit(benchmark::kMicrosecond)
    ->Iterations(40);

// The whole of a key typed into a call and taken out again, as the window
// handles it with parsing on (the model told of the edit, the call tip
// looked up among the commands and the program's functions, the line
// coloured), at line 99,000 of a 100,000-line main file with 20 includes,
// or in a 200-line one with 80. `where` 2: a new line opened and closed
// again at line 100 of the 100,000 lines, where every line below moves.
void BM_KeyInAProgram(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const bool manyIncludes = state.range(0) == 1;
    const bool newLine = state.range(0) == 2;
    const std::string main = gen::WriteProject(bench.dir().toStdString() + "/project", manyIncludes ? 200 : 100000,
                                               manyIncludes ? 80 : 20, manyIncludes ? 1250 : 2000);
    w.docs().OpenDoc(QString::fromStdString(main));
    EditCtrl& editor = w.editor();
    int line = manyIncludes || newLine ? 100 : 99000;
    while (!editor.LineText(line).contains("Sqr("))
        ++line;
    const int column = int(editor.LineText(line).indexOf("Sqr(")) + 4;
    editor.setFocus();
    PumpEvents(300);
    for (auto _ : state) {
        editor.SetCaret(column, line);
        if (newLine)
            TypeKey(editor, Qt::Key_Return, QStringLiteral("\r"));
        else
            TypeKey(editor, Qt::Key_X, QStringLiteral("x"));
        TypeKey(editor, Qt::Key_Backspace, QStringLiteral("\b"));
    }
    state.counters["line"] = line;
    state.counters["files"] = double(w.programs().FilesOf(QString::fromStdString(main)).size());
}
BENCHMARK(BM_KeyInAProgram)->Arg(0)->Arg(1)->Arg(2)->ArgNames({"where"})->Unit(benchmark::kMicrosecond)
    ->Iterations(300);

// Typing at 40 keys a second at the end of a 100,000-line document with 20
// includes, or of a 200-line one with 80 includes of 3 MB in all, while the
// parse timer rescans after every change. The text typed declares a global
// whose name grows key by key. How late a key is handled after the typist
// pressed it is what the typist feels as a stall.
void BM_TypingWhileRescanning(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const bool manyIncludes = state.range(0) != 0;
    const std::string main = manyIncludes
                                 ? gen::WriteProject(bench.dir().toStdString() + "/project", 200, 80, 1250)
                                 : gen::WriteProject(bench.dir().toStdString() + "/project", 100000, 20, 2000);
    w.docs().OpenDoc(QString::fromStdString(main));
    EditCtrl& editor = w.editor();
    editor.SetCaret(0, editor.LineCount());
    editor.setFocus();
    PumpEvents(300);

    const QString typed = QStringLiteral("Global extra = Sqr(score) + 1 ; more\n");
    double longestDelay = 0;
    double totalDelay = 0;
    int keys = 0;
    const int scansBefore = w.events().ScanCount();
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 200; ++i) {
            const qint64 due = i * 25;
            while (clock.elapsed() < due)
                QApplication::processEvents(QEventLoop::AllEvents, 2);
            const double delay = double(clock.elapsed() - due);
            longestDelay = std::max(longestDelay, delay);
            totalDelay += delay;
            ++keys;
            const QChar c = typed[i % typed.size()];
            if (c == u'\n')
                TypeKey(editor, Qt::Key_Return, QStringLiteral("\r"));
            else
                TypeKey(editor, c.unicode() >= 'a' && c.unicode() <= 'z' ? Qt::Key_A + (c.unicode() - 'a') : Qt::Key_Space,
                        QString(c));
        }
    }
    state.counters["longest_delay_ms"] = longestDelay;
    state.counters["mean_delay_ms"] = keys ? totalDelay / keys : 0;
    state.counters["scans"] = w.events().ScanCount() - scansBefore;
    state.counters["declarations"] = double(w.docs().CurrentDoc()->DocKeywords->Count());
}
BENCHMARK(BM_TypingWhileRescanning)->Arg(0)->Arg(1)->ArgNames({"many_includes"})->Unit(benchmark::kMillisecond)
    ->UseRealTime()->Iterations(1);

// A document whose second line is 1 MB of code (or a string literal of one
// letter repeated), as the window handles keys typed at its end or in its
// middle: a letter and its Backspace, then a blank and a "(" that ask for the
// call tip, and their Backspaces, each painted, the parse timer's rescan of
// the line included (`scan_ms`, per key).
void BM_TypeInOneMegabyteLineWindow(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    std::string line;
    if (state.range(1) != 0)
        line = "s$ = \"" + std::string(1000000, 'A') + "\"";
    while (line.size() < 1000000)
        line += "a = a + 1 : ";
    const QString path = QDir(bench.dir()).filePath("longline.bb");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray::fromStdString("Global a\r\n" + line + "\r\nPrint a\r\n"));
    f.close();
    w.docs().OpenDoc(path);
    w.events().SetParsingDisabled(true);
    EditCtrl& editor = w.editor();
    editor.SetCaret(state.range(0) != 0 ? int(line.size() / 2) : int(line.size()), 2);
    editor.setFocus();
    PumpEvents(300);
    const QString back = QStringLiteral("\b");
    const std::pair<int, QString> keys[] = {
        {Qt::Key_X, QStringLiteral("x")},     {Qt::Key_Backspace, back},        {Qt::Key_Space, QStringLiteral(" ")},
        {Qt::Key_ParenLeft, QStringLiteral("(")}, {Qt::Key_Backspace, back}, {Qt::Key_Backspace, back},
    };
    // How much longer than at the start the line is after each key.
    const int grown[] = {0, 1, 0, 1, 2, 1};
    int i = 0;
    double scan = 0;
    for (auto _ : state) {
        const auto& [key, text] = keys[i++ % std::size(keys)];
        TypeKey(editor, key, text);
        editor.focusProxy()->repaint();
        QApplication::processEvents();
        QElapsedTimer clock;
        clock.start();
        w.events().ScanDocument();
        scan += double(clock.nsecsElapsed()) / 1e6;
    }
    state.counters["scan_ms"] = scan / std::max(i, 1);
    if (editor.LineText(2).size() != qsizetype(line.size()) + grown[i % 6])
        state.SkipWithError("the keys did not reach the line");
}
BENCHMARK(BM_TypeInOneMegabyteLineWindow)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"middle", "string"})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(24);

// "\" typed after a variable at the end of a 100,000-line document with 20
// includes of 2,000 lines: the field list shown, with the fields read from
// the document's lines after the type's, or, for a type an included file
// declares, the scan of the edit and the names resolved first. Escape and
// Backspace, untimed, take it back.
void BM_BackslashListsFields(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const std::string main = gen::WriteProject(bench.dir().toStdString() + "/project", 100000, 20, 2000);
    w.docs().OpenDoc(QString::fromStdString(main));
    w.events().SetParsingDisabled(true);
    EditCtrl& editor = w.editor();
    const int last = editor.LineCount();
    editor.SetCaret(int(editor.LineText(last).size()), last);
    editor.ReplaceSelection(state.range(0) ? "\r\nLocal t.inc7_Enemy0 = New inc7_Enemy0\r\nt"
                                           : "\r\nLocal t.mEnemy0 = New mEnemy0\r\nt");
    w.events().ScanDocument();
    editor.setFocus();
    PumpEvents(300);
    const CodeAssistant* assist = w.findChild<CodeAssistant*>();
    bool listed = true;
    for (auto _ : state) {
        TypeKey(editor, Qt::Key_Backslash, QStringLiteral("\\"));
        state.PauseTiming();
        listed = listed && assist->PopupShown();
        TypeKey(editor, Qt::Key_Escape, QString());
        TypeKey(editor, Qt::Key_Backspace, QStringLiteral("\b"));
        state.ResumeTiming();
    }
    if (!listed)
        state.SkipWithError("no field list");
}
BENCHMARK(BM_BackslashListsFields)->Arg(0)->Arg(1)->ArgNames({"included"})->Unit(benchmark::kMillisecond)
    ->Iterations(200);

// Saving a modified 100,000-line document: the look at its file on disk, the
// write, and watching the new file.
void BM_SaveLongDocument(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    w.docs().OpenDoc(WriteSource(bench.dir(), "a.bb", 100000, "a"));
    w.events().SetParsingDisabled(true);
    PumpEvents(300);
    CDoc& doc = *w.docs().CurrentDoc();
    for (auto _ : state) {
        doc.Modified = true;
        w.docs().SaveDoc(doc, true);
    }
}
BENCHMARK(BM_SaveLongDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// Another program rewrites the file of an unmodified 100,000-line document
// that is shown: the look at every open file, the reload and the rescan.
void BM_ReloadLongDocumentChangedOnDisk(benchmark::State& state)
{
    BenchApp bench;
    MainWindow& w = bench.window();
    const QString path = WriteSource(bench.dir(), "a.bb", 100000, "a");
    w.docs().OpenDoc(path);
    w.docs().OpenDoc(WriteSource(bench.dir(), "b.bb", 100000, "b"));
    w.docs().ShowDoc(*w.docs().Docs().first());
    PumpEvents(300);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        WriteSource(bench.dir(), "a.bb", 100000, ++n % 2 ? "c" : "a");
        state.ResumeTiming();
        w.docs().CheckDiskFiles();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ReloadLongDocumentChangedOnDisk)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace
