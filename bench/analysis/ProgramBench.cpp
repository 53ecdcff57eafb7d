// The program model as the window holds it: a project on disk with its main
// file open, fed and asked through the host, as keys and F12 and Shift+F12 do.
#include "model/ProgramHost.h"
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

    // With `whole`, the main file's tab holds that instead.
    Project(int mainLines, int includes, int includeLines, const std::string& tail = {}, const std::string& whole = {})
    {
        main = QString::fromStdString(gen::WriteProject(dir.path().toStdString(), mainLines, includes, includeLines));
        QFile f(main);
        f.open(QIODevice::ReadOnly);
        text = whole.empty() ? f.readAll() + QByteArray::fromStdString(tail) : QByteArray::fromStdString(whole);
        host.DocumentOpened(main);
        host.ProgramOf(main).Diagnostics();
    }
    std::string Line(int row) const
    {
        qsizetype at = 0;
        for (int r = 0; r < row; ++r)
            at = text.indexOf('\n', at) + 1;
        const qsizetype end = text.indexOf('\n', at);
        return text.mid(at, end < 0 ? -1 : end + 1 - at).toStdString();
    }
    // The row (from 0) and column of the first `what` at or after `row`.
    std::pair<std::uint32_t, std::uint32_t> Find(std::string_view what, int row) const
    {
        for (;; ++row) {
            const std::string line = Line(row);
            if (line.empty())
                return {0, 0};
            if (const std::size_t at = line.find(what); at != std::string::npos)
                return {std::uint32_t(row), std::uint32_t(at)};
        }
    }
};

// 100,000 lines in the main file and 20 includes of 2,000; the main program
// ends using what an included file declares.
Project& Large()
{
    static Project p(100000, 20, 2000, "\r\nLocal t.inc7_Enemy0 = New inc7_Enemy0\r\nt\\health = inc7_UpdateEnemy2(t, 0.5)");
    return p;
}

// A key typed into a name and taken out again, near a line of the main
// file, as the editor reports each edit.
void Keystrokes(benchmark::State& state, Project& p, int nearRow)
{
    const auto [row, col] = p.Find("Sqr(", nearRow);
    const std::string plain = p.Line(int(row));
    std::string typed = plain;
    typed.insert(col + 1, 1, 'q');
    bool on = false;
    for (auto _ : state) {
        on = !on;
        p.host.DocumentEdited(p.main, row, 1, on ? typed : plain, 1);
    }
    // The next benchmark finds its places in the text as the tab holds it.
    if (on)
        p.host.DocumentEdited(p.main, row, 1, plain, 1);
    state.counters["row"] = row;
    state.counters["files"] = double(p.host.FilesOf(p.main).size());
}

void BM_KeystrokeLargeProgram(benchmark::State& state) { Keystrokes(state, Large(), 99000 - 1); }
BENCHMARK(BM_KeystrokeLargeProgram)->Unit(benchmark::kMicrosecond);

// A 200-line main file with 80 includes, 3 MB in all.
void BM_KeystrokeManyIncludes(benchmark::State& state)
{
    static Project p(200, 80, 1250);
    Keystrokes(state, p, 80);
}
BENCHMARK(BM_KeystrokeManyIncludes)->Unit(benchmark::kMicrosecond);

void RunDefinition(benchmark::State& state, std::string_view what, int fromRow, std::uint32_t offset)
{
    Project& p = Large();
    const auto [row, col] = p.Find(what, fromRow);
    const std::string key = ProgramHost::KeyOf(p.main);
    std::optional<lang::Range> place;
    for (auto _ : state)
        benchmark::DoNotOptimize(place = p.host.ProgramOf(p.main).Definition(key, row, col + offset));
    if (!place)
        state.SkipWithError("nothing found");
    state.counters["from_row"] = row;
}

// A Local of the function the caret is in, a field of a type an included
// file declares, and a function of an included file.
void BM_GoToLocal(benchmark::State& state) { RunDefinition(state, "Sqr(dx", 99000, 4); }
BENCHMARK(BM_GoToLocal)->Unit(benchmark::kMicrosecond);
void BM_GoToIncludedField(benchmark::State& state) { RunDefinition(state, "t\\health", 100000, 2); }
BENCHMARK(BM_GoToIncludedField)->Unit(benchmark::kMicrosecond);
void BM_GoToIncludedFunction(benchmark::State& state) { RunDefinition(state, "inc7_UpdateEnemy2", 100000, 3); }
BENCHMARK(BM_GoToIncludedFunction)->Unit(benchmark::kMicrosecond);

// Shift+F12: the uses and the text of each one's line, as the pane lists them.
std::size_t References(Project& p, std::uint32_t row, std::uint32_t col)
{
    const std::string key = ProgramHost::KeyOf(p.main);
    std::size_t bytes = 0;
    for (const lang::Range& r : p.host.ProgramOf(p.main).References(key, row, col))
        bytes += p.host.LineText(r.file, r.row).size();
    return bytes;
}

void BM_FindReferencesOfIncludedFunction(benchmark::State& state)
{
    Project& p = Large();
    const auto [row, col] = p.Find("inc7_UpdateEnemy2", 100000);
    for (auto _ : state)
        benchmark::DoNotOptimize(References(p, row, col + 2));
    state.counters["uses"] = double(p.host.ProgramOf(p.main).References(ProgramHost::KeyOf(p.main), row, col).size());
}
BENCHMARK(BM_FindReferencesOfIncludedFunction)->Unit(benchmark::kMillisecond);

// A Global named like the fields of two types, used 10,000 times as fields.
void BM_FindReferencesOfGlobalAmongFields(benchmark::State& state)
{
    static Project p(10, 0, 0, {}, [] {
        std::string text = "Type A\r\nField Collider\r\nEnd Type\r\nType B\r\nField Collider\r\nEnd Type\r\n"
                           "Global Collider = 1\r\na.A = New A : b.B = New B\r\n";
        for (int i = 0; i < 5000; ++i)
            text += "a\\Collider = b\\Collider + " + std::string(i % 100 == 0 ? "Collider" : "1") + "\r\n";
        return text;
    }());
    for (auto _ : state)
        benchmark::DoNotOptimize(References(p, 6, 8));
    state.counters["uses"] = double(p.host.ProgramOf(p.main).References(ProgramHost::KeyOf(p.main), 6, 8).size());
}
BENCHMARK(BM_FindReferencesOfGlobalAmongFields)->Unit(benchmark::kMillisecond);

// A document opened in a folder of 240 example programs, named in mixed
// case, none including it: the search for its main file reads each of them,
// as at a start that names the document.
void BM_MainFileAmongManySources(benchmark::State& state)
{
    QTemporaryDir dir;
    for (int i = 0; i < 240; ++i) {
        QFile f(dir.filePath(QStringLiteral("Example%1Demo.bb").arg(i)));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray::fromStdString(gen::BlitzProgram(150, "e" + std::to_string(i) + "_")));
    }
    const QString doc = dir.filePath(QStringLiteral("Example7Demo.bb"));
    QString main;
    for (auto _ : state) {
        ProgramHost host{[](const QString&) { return QByteArray(); }, dir.filePath(QStringLiteral("prefs.ini"))};
        main = host.MainFileOf(doc);
    }
    if (main != doc)
        state.SkipWithError("another main file");
}
BENCHMARK(BM_MainFileAmongManySources)->Unit(benchmark::kMillisecond);

}  // namespace
