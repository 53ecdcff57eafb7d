// Vocabulary loading, opening and colouring a long source, and typing in it.
#include "editor/EditCtrl.h"
#include "editor/Vocabulary.h"
#include "platform/Prompter.h"
#include "startup/Settings.h"
#include "support/SourceGenerator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

struct SilentPrompter : Prompter {
    MsgAnswer Ask(const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

void Write(const std::filesystem::path& path, const std::string& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Ten user libraries of 200 functions each.
std::string MakeDeclsDir(const QTemporaryDir& dir)
{
    const std::filesystem::path root = dir.path().toStdString();
    for (int f = 0; f < 10; ++f) {
        std::string decls = ".lib \"lib" + std::to_string(f) + ".dll\"\r\n";
        for (int i = 0; i < 199; ++i)
            decls += "Lib" + std::to_string(f) + "Func" + std::to_string(i) +
                     "%(handle%,name$,x#,y#[,flags%]):\"LibFunc" + std::to_string(i) + "\"\r\n";
        Write(root / "userlibs" / ("lib" + std::to_string(f) + ".decls"), decls);
    }
    return root.string();
}

void BM_LoadVocabulary(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString b3d = QString::fromStdString(MakeDeclsDir(dir));
    SilentPrompter prompter;
    std::size_t count = 0;
    for (auto _ : state) {
        Settings settings;
        settings.B3DDir = b3d;
        EditorKeywordList list;
        LoadCommands(settings, OVREL_RESOURCES_DIR, list, prompter);
        LoadDecls(settings, list);
        count = list.Count();
        benchmark::DoNotOptimize(list.Find("loadimage"));
    }
    state.counters["entries"] = static_cast<double>(count);
}
BENCHMARK(BM_LoadVocabulary)->Unit(benchmark::kMillisecond);

// A shown editor holding a generated 100,000-line source with its
// declarations coloured.
struct LongDocument {
    QTemporaryDir dir;
    QString path;
    EditCtrl editor;
    EditorKeywordListPtr commands = std::make_shared<EditorKeywordList>();

    LongDocument()
    {
        path = dir.filePath("long.bb");
        Write(path.toStdString(), gen::BlitzSource(100000) + "\r\n");
        Settings settings;
        SilentPrompter prompter;
        LoadCommands(settings, OVREL_RESOURCES_DIR, *commands, prompter);
        editor.resize(900, 700);
        editor.show();
        editor.SetKeywords(commands);
        editor.SetDeclaredKeywords(Declared("m"));
        QApplication::processEvents();
    }

    static EditorKeywordListPtr Declared(const std::string& prefix)
    {
        auto list = std::make_shared<EditorKeywordList>();
        for (int n = 0; n < 2000; ++n) {
            const std::pair<const char*, int> names[] = {{"score", 2}, {"Enemy", 3}, {"UpdateEnemy", 4},
                                                         {"levelData", 5}, {"MAX_ENEMIES", 6}, {"dist", 8}};
            for (const auto& [name, kind] : names) {
                EditorKeyword e;
                e.Name = prefix + name + std::to_string(n);
                e.Style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0});
                list->Add(std::move(e));
            }
        }
        return list;
    }

    void finish()
    {
        while (editor.ColouringPending() || editor.FoldingPending())
            QApplication::processEvents();
    }

    void type(int key, const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(editor.focusProxy(), &press);
    }
    // A character, then a Backspace, and so on: the line keeps its length.
    void typeOrErase(int i)
    {
        if (i % 2 == 0)
            type(Qt::Key_A, QStringLiteral("a"));
        else
            type(Qt::Key_Backspace, QStringLiteral("\b"));
    }
};

void BM_OpenAndColourLongSource(benchmark::State& state)
{
    LongDocument doc;
    for (auto _ : state) {
        doc.editor.LoadFile(doc.path);
        doc.finish();
    }
    state.counters["lines"] = doc.editor.LineCount();
}
BENCHMARK(BM_OpenAndColourLongSource)->Unit(benchmark::kMillisecond);

// The editor alone going from one 100,000-line document to another and
// painting it, the window's part in a tab switch; with `folded`, every
// outermost fold of both is closed.
void BM_SwitchBuffersAndPaint(benchmark::State& state)
{
    LongDocument doc;
    EditorBufferPtr buffers[2];
    for (EditorBufferPtr& buffer : buffers) {
        buffer = doc.editor.NewBuffer();
        doc.editor.LoadFile(doc.path);
        doc.finish();
        if (state.range(0) != 0)
            doc.editor.FoldAll();
        else
            doc.editor.SetCaret(0, 60000);
    }
    int next = 0;
    for (auto _ : state) {
        doc.editor.SelectBuffer(buffers[next]);
        doc.editor.repaint();
        next = 1 - next;
    }
}
BENCHMARK(BM_SwitchBuffersAndPaint)->Arg(0)->Arg(1)->ArgNames({"folded"})->Unit(benchmark::kMillisecond);

// A Windows-1252 file (accents and euro signs in a comment on every tenth
// line) read into the editor, which holds UTF-8, and written back.
void BM_OpenAndSaveWindows1252Source(benchmark::State& state)
{
    LongDocument doc;
    std::string source;
    const std::string generated = gen::BlitzSource(100000);
    std::size_t start = 0;
    for (int line = 0; start < generated.size(); ++line) {
        const std::size_t end = std::min(generated.find("\r\n", start), generated.size());
        source += generated.substr(start, end - start);
        if (line % 10 == 0)
            source += " ; d\xE9j\xE0 vu, 5 \x80 \x93quoted\x94";
        source += "\r\n";
        start = end + 2;
    }
    const QString path = doc.dir.filePath("accents.bb");
    Write(path.toStdString(), source);
    for (auto _ : state) {
        doc.editor.LoadFile(path);
        doc.finish();
        benchmark::DoNotOptimize(doc.editor.FileBytes(*doc.editor.CurrentBuffer()));
    }
    if (doc.editor.FileBytes(*doc.editor.CurrentBuffer()) != QByteArray::fromStdString(source))
        state.SkipWithError("the file did not come back byte for byte");
    state.counters["MB"] = double(source.size()) / (1 << 20);
}
BENCHMARK(BM_OpenAndSaveWindows1252Source)->Unit(benchmark::kMillisecond);

// One key at the end of the document, the line restyled.
void BM_TypeAtEndOfLongSource(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    const int last = doc.editor.LineCount();
    doc.editor.SetCaret(0, last);
    int i = 0;
    for (auto _ : state) {
        doc.typeOrErase(i++);
        doc.editor.RefreshLine(last);
    }
}
BENCHMARK(BM_TypeAtEndOfLongSource)->Unit(benchmark::kMicrosecond);

// The same with the window painted, as a user sees it.
void BM_TypeAtEndAndPaint(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    doc.editor.SetCaret(0, doc.editor.LineCount());
    int i = 0;
    for (auto _ : state) {
        doc.typeOrErase(i++);
        doc.editor.focusProxy()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_TypeAtEndAndPaint)->Unit(benchmark::kMicrosecond);

// The same at the end of the last line. At its start (above), a key turns
// "Type Enemy" into "aType Enemy", which opens no block: the folds change,
// and the view is repainted from that line down, as after a new line.
void BM_TypeAtEndOfLineAndPaint(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    const int last = doc.editor.LineCount();
    doc.editor.SetCaret(int(doc.editor.LineText(last).size()), last);
    int i = 0;
    for (auto _ : state) {
        doc.typeOrErase(i++);
        doc.editor.focusProxy()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_TypeAtEndOfLineAndPaint)->Unit(benchmark::kMicrosecond);

// What a rescan that changed the declared names costs the keystroke that
// follows it: the visible lines at once, the rest left for idle time.
void BM_DeclaredNamesChange(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    doc.editor.SetCaret(0, doc.editor.LineCount());
    const EditorKeywordListPtr sets[] = {LongDocument::Declared("m"), LongDocument::Declared("m")};
    sets[1]->Add(EditorKeyword{"extra", "extra", std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{2, 0}), {}, {}, 0, '?'});
    int i = 0;
    for (auto _ : state) {
        // Every scan hands over a list object of its own.
        state.PauseTiming();
        auto fresh = std::make_shared<EditorKeywordList>(*sets[++i % 2]);
        fresh->Entries();  // the scanner hands lists over already in order
        state.ResumeTiming();
        doc.editor.SetDeclaredKeywords(std::move(fresh));
        QApplication::processEvents();
        state.PauseTiming();
        doc.finish();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DeclaredNamesChange)->Unit(benchmark::kMicrosecond);

// The scanner hands over an equal list every 50 ms while the user types.
void BM_DeclaredNamesUnchanged(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    const EditorKeywordListPtr equal[] = {LongDocument::Declared("m"), LongDocument::Declared("m")};
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto fresh = std::make_shared<EditorKeywordList>(*equal[++i % 2]);
        fresh->Entries();
        state.ResumeTiming();
        doc.editor.SetDeclaredKeywords(std::move(fresh));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_DeclaredNamesUnchanged)->Unit(benchmark::kMicrosecond);

// A rescan changed the kind of one name in the shown document's list, in
// place: the lines on screen are recoloured at once (timed), the others are
// checked for the name while the program is idle. The counters give the
// idle work in all and its longest step, which a typist could feel.
void BM_DeclaredNameChangedInPlace(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    doc.editor.SetCaret(0, doc.editor.LineCount());
    const EditorKeywordListPtr declared = LongDocument::Declared("m");
    doc.editor.SetDeclaredKeywords(declared);
    doc.finish();
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    const auto added = std::make_shared<const EditorKeyword>(EditorKeyword{"mscore7", "mscore7x", style(6), {}, {}, 1, '?'});
    double longestStep = 0;
    double idle = 0;
    int rounds = 0;
    bool in = false;
    for (auto _ : state) {
        in = !in;
        // A constant of the same name as a global comes first in the list.
        if (in)
            declared->Patch({}, {{added, 0}});
        else
            declared->Patch({{added, 0}}, {});
        doc.editor.UpdateDeclaredNames(declared, {"mscore7"});
        state.PauseTiming();
        QElapsedTimer total;
        total.start();
        while (doc.editor.ColouringPending()) {
            QElapsedTimer step;
            step.start();
            QApplication::processEvents();
            longestStep = std::max(longestStep, double(step.nsecsElapsed()) / 1e6);
        }
        idle += double(total.nsecsElapsed()) / 1e6;
        ++rounds;
        state.ResumeTiming();
    }
    state.counters["idle_ms"] = idle / std::max(rounds, 1);
    state.counters["longest_step_ms"] = longestStep;
}
BENCHMARK(BM_DeclaredNameChangedInPlace)->Unit(benchmark::kMicrosecond)->Iterations(20);

// A key at line 99,000 that opens or closes a block (a ";" typed before a
// Repeat, then taken back): the fold levels of the line and of the 1,000
// lines after it, whose depth changes, are worked out with the keystroke.
// The counter gives the longest keystroke of the run.
void BM_FoldsAfterKeystrokeAtLine99000(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    const int line = 99000;
    doc.editor.SetSelection({true, 0, line - 1, int(doc.editor.LineText(line).size()), line - 1});
    doc.editor.ReplaceSelection("Repeat");
    doc.finish();
    const int end = doc.editor.FoldEnd(line);
    double longest = 0;
    int i = 0;
    for (auto _ : state) {
        doc.editor.SetCaret(0, line);
        QElapsedTimer key;
        key.start();
        if (i++ % 2 == 0)
            doc.type(Qt::Key_Semicolon, QStringLiteral(";"));
        else
            doc.type(Qt::Key_Delete, QString());
        longest = std::max(longest, double(key.nsecsElapsed()) / 1e3);
        if (doc.editor.FoldingPending())
            state.SkipWithError("fold levels were left for later");
    }
    state.counters["fold_lines"] = end - line + 1;
    state.counters["longest_us"] = longest;
}
BENCHMARK(BM_FoldsAfterKeystrokeAtLine99000)->Unit(benchmark::kMicrosecond);

// Every fold level of a 100,000-line source, as worked out in idle steps
// after it is opened.
void BM_FoldLevelsOfLongSource(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    const QByteArray text = doc.editor.Text();
    for (auto _ : state) {
        state.PauseTiming();
        doc.editor.SetText(text);
        state.ResumeTiming();
        benchmark::DoNotOptimize(doc.editor.FoldEnd(1));
    }
}
BENCHMARK(BM_FoldLevelsOfLongSource)->Unit(benchmark::kMillisecond);

// A plain key at the same line, for comparison: the line's own level only.
void BM_TypeAtLine99000(benchmark::State& state)
{
    LongDocument doc;
    doc.editor.LoadFile(doc.path);
    doc.finish();
    doc.editor.SetCaret(0, 99000);
    int i = 0;
    for (auto _ : state)
        doc.typeOrErase(i++);
}
BENCHMARK(BM_TypeAtLine99000)->Unit(benchmark::kMicrosecond);

// The first 200 characters typed into a document just opened, nothing
// erased: the slowest of them is a stall the typist feels.
void BM_FirstKeysAfterOpening(benchmark::State& state)
{
    LongDocument doc;
    double longest = 0;
    for (auto _ : state) {
        state.PauseTiming();
        doc.editor.LoadFile(doc.path);
        doc.finish();
        doc.editor.SetCaret(0, 99000);
        state.ResumeTiming();
        for (int i = 0; i < 200; ++i) {
            QElapsedTimer key;
            key.start();
            doc.type(Qt::Key_A, QStringLiteral("a"));
            longest = std::max(longest, double(key.nsecsElapsed()) / 1e6);
        }
    }
    state.counters["longest_key_ms"] = longest;
}
BENCHMARK(BM_FirstKeysAfterOpening)->Unit(benchmark::kMillisecond)->Iterations(5);

// A key typed at the end or in the middle of a 1 MB line (and taken back by
// the next one), the window painted, as a user sees it. The line is code, or
// a string literal of one letter repeated.
void BM_TypeInOneMegabyteLine(benchmark::State& state)
{
    LongDocument doc;
    const QString path = doc.dir.filePath("longline.bb");
    std::string line;
    if (state.range(1) != 0)
        line = "s$ = \"" + std::string(1000000, 'A') + "\"";
    while (line.size() < 1000000)
        line += "a = a + 1 : ";
    Write(path.toStdString(), "; one long line\r\n" + line + "\r\nPrint a\r\n");
    doc.editor.LoadFile(path);
    doc.finish();
    const bool middle = state.range(0) != 0;
    doc.editor.SetCaret(middle ? int(line.size() / 2) : int(line.size()), 2);
    doc.editor.focusProxy()->repaint();
    QApplication::processEvents();
    int i = 0;
    for (auto _ : state) {
        doc.typeOrErase(i++);
        doc.editor.focusProxy()->repaint();
        QApplication::processEvents();
    }
    if (doc.editor.LineText(2).size() != qsizetype(line.size() + (i % 2)))
        state.SkipWithError("the keys did not reach the line");
}
BENCHMARK(BM_TypeInOneMegabyteLine)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"middle", "string"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
