// `ovrel --check` as a shell runs it, on programs at the ends of the scale:
// the peak memory of a 50 MiB program, and the time of an include chain
// 5,000 files deep.
#include "support/SourceGenerator.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <string>

extern char** environ;

namespace {

struct Run {
    double seconds = 0;
    double peakMiB = 0;
    int status = -1;
};

// The check of `file`, its output thrown away, with its wall time and the
// largest it grew.
Run Check(const std::string& file)
{
    const std::string program = OVREL_BUILD_DIR "/ovrel";
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--check"), const_cast<char*>(file.c_str()),
                    nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Run run;
    if (posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, environ) == 0) {
        rusage usage{};
        int status = 0;
        wait4(pid, &status, 0, &usage);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakMiB = double(usage.ru_maxrss) / 1024;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&quiet);
    return run;
}

// A program the compiler accepts, of about `mib` MiB (its memory is
// measured against that target).
void BM_CheckLargeProgramPeakMemory(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath(QStringLiteral("main.bb")).toStdString();
    const int mib = int(state.range(0));
    {
        // About 32 bytes a line.
        std::ofstream(file, std::ios::binary) << gen::BlitzProgram(mib * 32768, "m");
    }
    Run run;
    for (auto _ : state) {
        run = Check(file);
        state.SetIterationTime(run.seconds);
    }
    state.counters["peak_MiB"] = run.peakMiB;
    state.counters["exit"] = run.status;
}
BENCHMARK(BM_CheckLargeProgramPeakMemory)->Arg(50)->ArgNames({"MiB"})->UseManualTime()->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A main file that includes a file that includes the next, 5,000 deep (or
// as deep as the argument), each with a global and a function.
void BM_CheckIncludeChain(benchmark::State& state)
{
    QTemporaryDir dir;
    const int depth = int(state.range(0));
    for (int i = 0; i < depth; ++i) {
        std::ofstream out(dir.filePath(QStringLiteral("c%1.bb").arg(i)).toStdString(), std::ios::binary);
        out << "Global g" << i << " = " << i << "\r\n";
        if (i + 1 < depth)
            out << "Include \"c" << i + 1 << ".bb\"\r\n";
        out << "Function f" << i << "(a)\r\n\tReturn a + g" << i << "\r\nEnd Function\r\n";
    }
    const std::string main = dir.filePath(QStringLiteral("main.bb")).toStdString();
    std::ofstream(main, std::ios::binary) << "Include \"c0.bb\"\r\nPrint f0(1)\r\n";
    Run run;
    for (auto _ : state) {
        run = Check(main);
        state.SetIterationTime(run.seconds);
    }
    state.counters["exit"] = run.status;
}
BENCHMARK(BM_CheckIncludeChain)->Arg(1000)->Arg(5000)->ArgNames({"depth"})->UseManualTime()->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace
