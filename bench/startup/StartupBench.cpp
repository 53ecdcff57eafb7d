// Reading the program's own files at start-up: locale.txt and prefs.ini as
// shipped.
#include "platform/Prompter.h"
#include "startup/LabelsFile.h"
#include "startup/Preferences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

class SilentPrompter : public Prompter {
public:
    MsgAnswer Ask(const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};

void BM_LoadLabelsAndSettings(benchmark::State& state)
{
    QTemporaryDir dir;
    for (const char* name : {"locale.txt", "prefs.ini"})
        QFile::copy(QDir(QStringLiteral(OVREL_RESOURCES_DIR)).filePath(QString::fromLatin1(name)),
                    dir.filePath(QString::fromLatin1(name)));
    SilentPrompter prompter;
    for (auto _ : state) {
        auto labels = LoadLabels(dir.path(), prompter);
        Settings settings;
        LoadSettings(Layout::Portable(dir.path()), settings, *labels, prompter);
        benchmark::DoNotOptimize(settings);
    }
}
BENCHMARK(BM_LoadLabelsAndSettings)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
