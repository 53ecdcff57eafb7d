#include "language/Program.h"
#include "startup/CheckCommand.h"
#include "support/SourceGenerator.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>

namespace {

struct Source {
    std::string key, text;
};

// A main file that includes `includes` files at its top, `lines` lines in all.
std::vector<Source> MakeProgram(int lines, int includes, int includeLines)
{
    std::vector<Source> files;
    std::vector<std::string> names;
    for (int i = 0; i < includes; ++i)
        names.push_back("lib\\part" + std::to_string(i) + ".bb");
    files.push_back({"/bench/main.bb", gen::BlitzProgram(lines - includes * includeLines, "m", names)});
    for (int i = 0; i < includes; ++i)
        files.push_back({"/bench/lib/part" + std::to_string(i) + ".bb",
                         gen::BlitzProgram(includeLines, "inc" + std::to_string(i) + "_")});
    return files;
}

const lang::Vocabulary& Vocabulary()
{
    static const lang::Vocabulary v = [] {
        std::ifstream in(OVREL_BENCH_RESOURCES "/commands.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return check::ReadVocabulary(text.str(), {}, {});
    }();
    return v;
}

void Load(lang::Program& p, const std::vector<Source>& files)
{
    p.SetVocabulary(Vocabulary());
    p.SetMainFile(files.front().key);
    for (const Source& s : files)
        p.SetFile(s.key, s.text);
}

std::size_t Bytes(const std::vector<Source>& files)
{
    std::size_t n = 0;
    for (const Source& s : files)
        n += s.text.size();
    return n;
}

// 100,000 lines: a main file of 60,000 lines including 20 files of 2,000.
const std::vector<Source>& Large()
{
    static const std::vector<Source> files = MakeProgram(100000, 20, 2000);
    return files;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// Parsing every file and finding the includes: the model before checking.
void BM_BuildModel(benchmark::State& state)
{
    const auto& files = Large();
    for (auto _ : state) {
        lang::Program p;
        Load(p, files);
        benchmark::DoNotOptimize(p.NeededFiles());
    }
    lang::Program p;
    Load(p, files);
    p.Diagnostics();
    state.counters["bytes/source byte"] = double(p.Bytes()) / double(Bytes(files));
    state.counters["symbols"] = double(p.Symbols().size());
}
BENCHMARK(BM_BuildModel)->Unit(benchmark::kMillisecond);

// Everything from the texts to the diagnostics, and the check alone.
void BM_CheckFromScratch(benchmark::State& state)
{
    const auto& files = Large();
    for (auto _ : state) {
        lang::Program p;
        Load(p, files);
        benchmark::DoNotOptimize(p.Diagnostics());
    }
}
BENCHMARK(BM_CheckFromScratch)->Unit(benchmark::kMillisecond);

void BM_CheckAgain(benchmark::State& state)
{
    lang::Program p;
    Load(p, Large());
    p.Diagnostics();
    for (auto _ : state) {
        p.SetVocabulary(Vocabulary());  // makes every table anew
        benchmark::DoNotOptimize(p.Diagnostics());
    }
}
BENCHMARK(BM_CheckAgain)->Unit(benchmark::kMillisecond);

// Typing a letter into a name and taking it out again at a line near the
// end of a program: arg 0 a function body, arg 1 the main program. With
// `check`, the diagnostics are asked for after each keystroke.
void Keystrokes(benchmark::State& state, const std::vector<Source>& files, std::uint32_t nearRow, bool check)
{
    lang::Program p;
    Load(p, files);
    p.Diagnostics();
    const std::vector<std::string> lines = Lines(files.front().text);
    const char* const wanted = state.range(0) == 0 ? "\tText x + 4" : "\tCls : ";
    std::uint32_t row = nearRow;
    while (lines[row].rfind(wanted, 0) != 0)
        ++row;
    const std::string plain = lines[row] + "\r\n";
    std::string typed = plain;
    typed.insert(std::string_view(typed).find(state.range(0) == 0 ? "x +" : "Hud") + 1, 1, 'q');
    bool on = false;
    for (auto _ : state) {
        on = !on;
        p.Edit(files.front().key, row, 1, on ? typed : plain, 1);
        if (check)
            benchmark::DoNotOptimize(p.Diagnostics());
    }
    state.counters["row"] = row;
}

void BM_KeystrokeLargeProgram(benchmark::State& state) { Keystrokes(state, Large(), 59000 - 1000, false); }
BENCHMARK(BM_KeystrokeLargeProgram)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeLargeProgramChecked(benchmark::State& state) { Keystrokes(state, Large(), 59000 - 1000, true); }
BENCHMARK(BM_KeystrokeLargeProgramChecked)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Enter at the start of a line near the end of a large program and the new
// line taken out again, the diagnostics asked for after each: every line
// after it moves.
void BM_NewLineLargeProgramChecked(benchmark::State& state)
{
    lang::Program p;
    Load(p, Large());
    p.Diagnostics();
    const std::vector<std::string> lines = Lines(Large().front().text);
    const std::uint32_t row = 58000;
    const std::string plain = lines[row] + "\r\n";
    bool on = false;
    for (auto _ : state) {
        on = !on;
        if (on)
            p.Edit(Large().front().key, row, 1, "\r\n" + plain, 2);
        else
            p.Edit(Large().front().key, row, 2, plain, 1);
        benchmark::DoNotOptimize(p.Diagnostics());
    }
}
BENCHMARK(BM_NewLineLargeProgramChecked)->Unit(benchmark::kMicrosecond);

// A 200-line main file with 80 includes of 3 MB in all.
void BM_KeystrokeManyIncludes(benchmark::State& state)
{
    static const std::vector<Source> files = MakeProgram(200 + 80 * 900, 80, 900);
    Keystrokes(state, files, 80, false);
    state.counters["include bytes"] = double(Bytes(files) - files.front().text.size());
}
BENCHMARK(BM_KeystrokeManyIncludes)->Arg(1)->Unit(benchmark::kMicrosecond);

// References of a Global named like fields of two types used 10,000 times.
void BM_ReferencesAmongFields(benchmark::State& state)
{
    std::string text = "Type A\r\nField Collider\r\nEnd Type\r\nType B\r\nField Collider\r\nEnd Type\r\n"
                       "Global Collider = 1\r\na.A = New A : b.B = New B\r\n";
    for (int i = 0; i < 5000; ++i)
        text += "a\\Collider = b\\Collider + " + std::string(i % 100 == 0 ? "Collider" : "1") + "\r\n";
    lang::Program p;
    Load(p, {{"/bench/refs.bb", text}});
    p.Diagnostics();
    std::size_t found = 0;
    for (auto _ : state) {
        found = p.References("/bench/refs.bb", 6, 8).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["references"] = double(found);
}
BENCHMARK(BM_ReferencesAmongFields)->Unit(benchmark::kMillisecond);

// The field list after `p\` where p's type is declared in an included file.
void BM_FieldsOfIncludedType(benchmark::State& state)
{
    std::vector<Source> files = Large();
    files.front().text += "\r\nLocal t.inc7_Enemy3 = New inc7_Enemy3\r\nt\\";
    lang::Program p;
    Load(p, files);
    p.Diagnostics();
    const auto row = static_cast<std::uint32_t>(Lines(files.front().text).size() - 1);
    std::size_t fields = 0;
    for (auto _ : state) {
        fields = p.FieldsAt(files.front().key, row, "t\\", 2).size();
        benchmark::DoNotOptimize(fields);
    }
    state.counters["fields"] = double(fields);
}
BENCHMARK(BM_FieldsOfIncludedType)->Unit(benchmark::kMicrosecond);

// Go to symbol: each keystroke of a name narrows the program's declarations.
void BM_GoToSymbol(benchmark::State& state)
{
    lang::Program p;
    Load(p, Large());
    p.Diagnostics();
    const std::string typed = "inc7upen";
    std::size_t i = 0;
    for (auto _ : state) {
        i = i % typed.size() + 1;
        benchmark::DoNotOptimize(p.MatchSymbols(typed.substr(0, i), 50));
    }
    state.counters["symbols"] = double(p.Symbols().size());
}
BENCHMARK(BM_GoToSymbol)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
