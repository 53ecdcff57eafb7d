#pragma once

#include "FakeBlitz.h"
#include "build/BuildController.h"
#include "startup/DebugLog.h"
#include "startup/Labels.h"
#include "startup/Settings.h"
#include "support/Scripted.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A controller over a fake Blitz3D folder and a fake window holding two
// saved documents, Doc_1 (game.bb, current) and Doc_2 (other.bb).
class BuildFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.B3DDir = blitz.b3dDir();
        labels.add("Checking #filename#...", "checkfile");
        labels.add("Building #filename#...", "buildfile");
        labels.add("Creating executable from #filename#...", "createexe");
        labels.add("done", "done");
        labels.add("Please save #docname# before building.", "savebeforebuild");
        labels.add("Error at line #numline#, column #numcolumn#:\r\n#errstr#", "compileerr");
        labels.add("Cancel", "cancel");
        labels.add("Program command line", "mnucommandline");
        log = std::make_unique<DebugLog>(blitz.programDir());
        gamePath = blitz.write("src/game.bb", "Print \"hi\"\r\n");
        otherPath = blitz.write("src/other.bb", "End\r\n");
        host.Add("Doc_1", gamePath);
        host.Add("Doc_2", otherPath);
        host.current = "Doc_1";
        MakeController();
    }

    void MakeController()
    {
        build = std::make_unique<BuildController>(host, settings, labels, prompter, *log,
                                                  blitz.programDir());
    }

    // Runs the event loop until the build's result is shown; false when it
    // does not come.
    bool Finish(int timeoutMs = 30000)
    {
        bool ended = false;
        const auto c = QObject::connect(build.get(), &BuildController::BuildingChanged, build.get(),
                                        [&](bool building) { ended = ended || !building; });
        WaitUntil([&] { return ended; }, timeoutMs);
        QObject::disconnect(c);
        return ended;
    }

    static bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < timeoutMs) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        return done();
    }

    QString Canonical(const QString& path) const { return QFileInfo(path).canonicalFilePath(); }

    FakeBlitz blitz;
    FakeHost host;
    Settings settings;
    CUILabels labels;
    ScriptedPrompter prompter;
    std::unique_ptr<DebugLog> log;
    std::unique_ptr<BuildController> build;
    QString gamePath;
    QString otherPath;
};

// The real compiler's progress lines for a source.
inline std::string Progress(const QString& source, const std::string& last = "Executing...")
{
    return "BlitzCC V1.108\r\n(C)opyright 2000-2003\r\nCompiling \""
           + source.toStdString() + "\"\r\nParsing...\r\nGenerating...\r\nTranslating...\r\n"
           "Assembling...\r\n" + last + "\r\n";
}
