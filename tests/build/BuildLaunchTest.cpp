#include "BuildFixture.h"

#include "support/ScopedEnv.h"

#include <QProcess>
#include <QTimer>

TEST_F(BuildFixture, RunningCompilerLeavesTheWindowResponsiveAndRefusesASecondBuild)
{
    blitz.WriteScript(blitz.compiler(), "cc", "/bin/sleep 2\nprintf 'Executing...\\r\\n'\n");
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] { ++ticks; });
    timer.start(50);

    build->Check();
    EXPECT_TRUE(build->IsBuilding());
    ASSERT_TRUE(WaitUntil([&] { return blitz.Started(); }));
    blitz.Forget();
    host.current = "Doc_2";
    build->CompileAndRun();
    EXPECT_TRUE(host.panel.startsWith("The compiler is still running")) << host.panel.toStdString();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(build->LastBuiltKey(), "Doc_1");

    ASSERT_TRUE(Finish());
    EXPECT_GE(ticks, 10);
    EXPECT_FALSE(blitz.Started());
    EXPECT_EQ(host.panel, "Checking game.bb...done.");

    // Once it has ended the next build goes ahead.
    build->CompileAndRun();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(blitz.Args(), QStringList({"-d", otherPath}));
}

TEST_F(BuildFixture, FailedLaunchSaysWhyAndKeepsTheLaunchState)
{
    const QString commandLine = "\"" + blitz.compiler() + "\" -c \"" + gamePath + "\"";
    const struct {
        std::string compiler;  // none when empty
        QString reason;
    } rows[] = {
        {"", "does not exist"},
        {"#!/bin/sh\necho not executable\n", "ermission denied"},
        // A Windows compiler needs wine, which the search path lacks.
        {std::string("MZ\x90\0", 4), "wine"},
    };
    build->SetToolSearchPath({blitz.file("tools")});
    for (const auto& row : rows) {
        if (!row.compiler.empty())
            blitz.write("Blitz3D/bin/blitzcc.exe", row.compiler);
        blitz.write("ide/output.txt", "old output\r\n");
        prompter.shown.clear();
        bool signalled = false;
        QObject::connect(build.get(), &BuildController::BuildingChanged, build.get(), [&] { signalled = true; });

        build->Check();
        QCoreApplication::processEvents();
        build->disconnect(build.get());
        EXPECT_FALSE(build->IsBuilding());
        EXPECT_FALSE(signalled);
        ASSERT_EQ(prompter.shown.size(), 1u);
        const QString text = prompter.told()[0];
        EXPECT_TRUE(text.startsWith("Critical: Unable to launch " + commandLine + "\r\n") && text.contains(row.reason))
            << text.toStdString();
        EXPECT_EQ(host.panel, "Checking game.bb...");
        EXPECT_EQ(build->LastBuiltKey(), "Doc_1");
        EXPECT_EQ(ReadFileBytes(blitz.outputPath()), "");
    }
}

TEST_F(BuildFixture, WindowsCompilerRunsThroughWineWithWinePaths)
{
    blitz.write("Blitz3D/bin/blitzcc.exe", std::string("MZ\x90\0", 4));
    blitz.WriteScript(blitz.file("tools/wine"), "wine", "printf 'Executing...\\r\\n'\n");
    build->SetToolSearchPath({blitz.file("tools")});
    const ScopedEnv prefix("WINEPREFIX", "/tmp/prefix"), unrelated("OVREL_UNRELATED", "x");
    QString shown;
    QObject::connect(build.get(), &BuildController::BuildStarted, build.get(),
                     [&](const QString&, const QString& commandLine) { shown = commandLine; });
    build->BuildExecutable();
    ASSERT_TRUE(Finish());
    const QStringList ran = blitz.Args("wine");

    auto wine = [](QString p) { return "Z:" + p.replace('/', '\\'); };
    EXPECT_EQ(blitz.Args("wine"), QStringList({wine(blitz.compiler()), "-o",
                                               wine(blitz.file("src/game.exe")), wine(gamePath)}));
    EXPECT_EQ(blitz.Cwd("wine"), QFileInfo(blitz.binDir()).canonicalFilePath());
    QMap<QString, QString> env = blitz.Env("wine");
    EXPECT_EQ(env.take("blitzpath"), wine(blitz.b3dDir()));
    EXPECT_EQ(env.take("path"), wine(blitz.binDir()));
    EXPECT_EQ(env.take("WINEPREFIX"), "/tmp/prefix");
    // Wine's own chatter would otherwise end the output.
    EXPECT_EQ(env.take("WINEDEBUG"), "-all");
    const QStringList passed{"HOME", "USER", "LOGNAME", "DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR"};
    for (const QString& key : env.keys())
        EXPECT_TRUE(passed.contains(key)) << key.toStdString();
    EXPECT_EQ(host.panel, "Building the executable of game.bb...done.");

    // The output pane shows what ran: pasted into a terminal it runs wine
    // again the same way.
    QFile::remove(blitz.file("record/wine.run"));
    ASSERT_EQ(QProcess::execute("/bin/sh", {"-c", shown}), 0) << shown.toStdString();
    EXPECT_EQ(blitz.Args("wine"), ran);
    EXPECT_EQ(blitz.Env("wine").value("blitzpath"), wine(blitz.b3dDir()));
}
