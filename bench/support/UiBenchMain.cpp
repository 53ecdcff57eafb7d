// main() for widget benchmarks: a real QApplication on the offscreen platform.
#include "help/HelpGraphics.h"
#include "help/HelpScheme.h"
#include "help/WebEngineSetup.h"

#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    help::PrepareWebEngine();
    help::RegisterHelpScheme();
    help::SoftwareHelpDrawing helpDrawing;
    QApplication app(argc, argv);
    helpDrawing.ApplicationMade();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
