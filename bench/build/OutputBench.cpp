// A build's output on its way to the output pane: a compiled program that
// prints 100,000 lines (about 4 MB) before it ends, and one that writes
// without end and is stopped.
#include "build/BuildController.h"
#include "build/BuildOutputPane.h"
#include "build/CompilerOutput.h"
#include "platform/Prompter.h"
#include "startup/DebugLog.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 100000;

std::string ProgramOutput()
{
    std::string out = "BlitzCC V1.108\r\n(C)opyright 2000-2003\r\nCompiling \"Z:\\game\\main.bb\"\r\nParsing...\r\n"
                      "Generating...\r\nTranslating...\r\nAssembling...\r\nExecuting...\r\n";
    for (int i = 0; i < kLines; ++i)
        out += "frame " + std::to_string(i) + ": player at 120.5, 33.25, score " + std::to_string(i * 10) + "\r\n";
    return out;
}

class NoHost : public BuildHost {
public:
    std::optional<BuildDocInfo> FindDoc(const QString&) const override { return std::nullopt; }
    QString CurrentDocKey() const override { return {}; }
    void SaveDoc(const QString&) override {}
    void ShowDocAtLine(const QString&, int) override {}
    std::optional<QString> OpenDoc(const QString&) override { return std::nullopt; }
    void MarkError(int, int) override {}
    void ClearErrorMark() override {}
    QString InfoPanelText() const override { return {}; }
    void SetInfoPanelText(const QString&) override {}
};

// One saved document, for a build to have something to build.
class OneDoc : public NoHost {
public:
    explicit OneDoc(QString path) : m_path(std::move(path)) {}
    std::optional<BuildDocInfo> FindDoc(const QString& key) const override
    {
        return key == u"Doc_1" ? std::optional(BuildDocInfo{key, m_path, QStringLiteral("main.bb")}) : std::nullopt;
    }
    QString CurrentDocKey() const override { return QStringLiteral("Doc_1"); }

private:
    QString m_path;
};

class Silent : public Prompter {
public:
    MsgAnswer Ask(const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

// Cutting the output into lines and looking for reports, in the pieces the
// controller hands on.
void BM_ReadOutput(benchmark::State& state)
{
    const std::string output = ProgramOutput();
    for (auto _ : state) {
        CompilerOutputReader reader;
        std::size_t lines = 0;
        for (std::size_t at = 0; at < output.size(); at += 1 << 20)
            lines += reader.Add(std::string_view(output).substr(at, 1 << 20)).size();
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(output.size()));
}
BENCHMARK(BM_ReadOutput)->Unit(benchmark::kMillisecond);

// The pane taking the whole output and showing its end.
void BM_PaneShowsOutput(benchmark::State& state)
{
    const std::string output = ProgramOutput();
    NoHost host;
    Settings settings;
    CUILabels labels;
    Silent prompter;
    DebugLog log(QDir::tempPath());
    BuildController build(host, settings, labels, prompter, log, QDir::tempPath());
    BuildOutputPane pane(build);
    pane.resize(900, 300);
    pane.show();
    for (auto _ : state) {
        Q_EMIT build.BuildStarted(QStringLiteral("Compiling main.bb..."), QStringLiteral("blitzcc main.bb"));
        for (std::size_t at = 0; at < output.size(); at += 1 << 20)
            Q_EMIT build.OutputAdded(QByteArray::fromStdString(output.substr(at, 1 << 20)));
        Q_EMIT build.BuildEnded(QStringLiteral("Finished in 4.2 s"), false);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PaneShowsOutput)->Unit(benchmark::kMillisecond)->Iterations(3);

// Stop, with the pane attached, after a program has written 1 MB every
// 50 ms for a few seconds and never a line end: the time the window is held.
void BM_StopOutputWithoutLineEnds(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("Blitz3D/bin")));
    QFile compiler(dir.filePath(QStringLiteral("Blitz3D/bin/blitzcc.exe")));
    compiler.open(QIODevice::WriteOnly);
    compiler.write("#!/bin/sh\necho Executing...\nwhile :; do head -c 1000000 /dev/zero | tr '\\0' x; sleep 0.05; done\n");
    compiler.close();
    compiler.setPermissions(compiler.permissions() | QFileDevice::ExeOwner);
    QFile source(dir.filePath(QStringLiteral("main.bb")));
    source.open(QIODevice::WriteOnly);
    source.close();

    OneDoc host(source.fileName());
    Settings settings;
    settings.B3DDir = dir.filePath(QStringLiteral("Blitz3D"));
    CUILabels labels;
    Silent prompter;
    DebugLog log(dir.path());
    BuildController build(host, settings, labels, prompter, log, dir.path());
    BuildOutputPane pane(build);
    pane.resize(900, 300);
    pane.show();
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        build.CompileAndRun();
        for (QDeadlineTimer running(seconds * 1000); !running.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        state.ResumeTiming();
        build.Stop();
        QCoreApplication::processEvents();
    }
    state.counters["output.txt MB"] = double(QFileInfo(build.OutputPath()).size()) / (1 << 20);
    // Pages in memory: flat, however long the program wrote.
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (statm.open(QIODevice::ReadOnly))
        state.counters["resident MB"] = statm.readAll().split(' ').value(1).toDouble() * 4096 / (1 << 20);
}
BENCHMARK(BM_StopOutputWithoutLineEnds)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
