#include "BuildFixture.h"

#include <QTimer>

#include <csignal>

namespace {

// True while the process exists and is not a zombie waiting to be reaped.
bool Alive(qint64 pid)
{
    if (pid <= 0)
        return false;
    const std::string stat = ReadFileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const std::size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

}  // namespace

TEST_F(BuildFixture, LongCompileKeepsTheEventLoopRunning)
{
    blitz.WriteScript(blitz.compiler(), "cc", "/bin/sleep 2\necho Executing...\n");
    int ticks = 0;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] { ++ticks; });
    timer.start();

    build->Check();
    EXPECT_TRUE(build->IsBuilding());
    ASSERT_TRUE(Finish());
    EXPECT_GE(ticks, 10);
    EXPECT_EQ(host.panel, "Checking game.bb...done");
}

TEST_F(BuildFixture, SecondBuildIsRefusedWhileTheCompilerRuns)
{
    blitz.WriteScript(blitz.compiler(), "cc", "/bin/sleep 1\necho Executing...\n");
    build->Check();
    ASSERT_TRUE(WaitUntil([&] { return blitz.Started(); }));
    blitz.Forget();

    host.current = "Doc_2";
    host.calls.clear();
    build->CompileAndRun();
    EXPECT_TRUE(host.panel.startsWith("The compiler is still running")) << host.panel.toStdString();
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(build->LastBuiltKey(), "Doc_1");

    ASSERT_TRUE(Finish());
    EXPECT_FALSE(blitz.Started());
    EXPECT_EQ(host.panel, "Checking game.bb...done");

    build->CompileAndRun();
    ASSERT_TRUE(Finish());
    EXPECT_EQ(blitz.Args(), QStringList({"-d", otherPath}));
}

TEST_F(BuildFixture, FailedLaunchSaysWhyAndKeepsTheLaunchState)
{
    const QString commandLine = "\"" + blitz.compiler() + "\" -c \"" + gamePath + "\"";
    const struct {
        std::function<void()> setUp;
        QString reason;
    } rows[] = {
        {[] {}, "does not exist"},
        {[&] { blitz.write("Blitz3D/bin/blitzcc.exe", "#!/bin/sh\necho hi\n"); }, "ermission denied"},
        // A Windows compiler needs wine, which the search path does not hold.
        {[&] {
             blitz.write("Blitz3D/bin/blitzcc.exe", std::string("MZ\x90\0", 4));
             build->SetToolSearchPath({blitz.file("record")});
         },
         "wine"},
    };
    for (const auto& row : rows) {
        row.setUp();
        blitz.write("ide/output.txt", "old output\r\n");
        prompter.shown.clear();
        bool signalled = false;
        QObject::connect(build.get(), &BuildController::BuildingChanged, build.get(),
                         [&] { signalled = true; });

        build->Check();
        EXPECT_FALSE(build->IsBuilding());
        ASSERT_EQ(prompter.shown.size(), 1u);
        const QString text = prompter.shown[0].text;
        EXPECT_TRUE(text.startsWith("Unable to launch " + commandLine + "\r\n")) << text.toStdString();
        EXPECT_TRUE(text.contains(row.reason)) << text.toStdString();
        EXPECT_EQ(prompter.shown[0].icon, MsgIcon::Critical);
        EXPECT_EQ(host.panel, "Checking game.bb...");
        EXPECT_EQ(build->LastBuiltKey(), "Doc_1");
        EXPECT_EQ(ReadFileBytes(blitz.outputPath()), "");
        QCoreApplication::processEvents();
        EXPECT_FALSE(signalled);
        build->disconnect();
    }
}

TEST_F(BuildFixture, WindowsCompilerRunsThroughWineWithWinePaths)
{
    blitz.write("Blitz3D/bin/blitzcc.exe", std::string("MZ\x90\0", 4));
    const QString wine = blitz.file("tools/wine");
    QDir().mkpath(blitz.file("tools"));
    blitz.WriteScript(wine, "wine", "echo 'fixme:ntdll: chatter' >&2\necho Executing...\n");
    build->SetToolSearchPath({blitz.file("tools")});
    qputenv("WINEPREFIX", "/tmp/prefix");

    build->BuildExecutable();
    ASSERT_TRUE(Finish());
    qunsetenv("WINEPREFIX");

    auto winePath = [](QString p) { return "Z:" + p.replace('/', '\\'); };
    EXPECT_EQ(blitz.Args("wine"),
              QStringList({winePath(blitz.compiler()), "-o", winePath(blitz.file("src/game.exe")),
                           winePath(gamePath)}));
    EXPECT_EQ(blitz.Cwd("wine"), Canonical(blitz.binDir()));
    const QMap<QString, QString> env = blitz.Env("wine");
    EXPECT_EQ(env.value("blitzpath"), winePath(blitz.b3dDir()));
    EXPECT_EQ(env.value("path"), winePath(blitz.binDir()));
    EXPECT_EQ(env.value("WINEPREFIX"), "/tmp/prefix");
    EXPECT_EQ(env.value("WINEDEBUG"), "-all");
    const QStringList allowed = {"blitzpath", "path", "HOME", "USER", "LOGNAME", "DISPLAY",
                                 "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR", "WINEPREFIX",
                                 "WINEARCH", "WINELOADER", "WINESERVER", "WINEDLLOVERRIDES",
                                 "WINEDEBUG"};
    for (const QString& key : env.keys())
        EXPECT_TRUE(allowed.contains(key)) << key.toStdString();
    EXPECT_EQ(host.panel, "Creating executable from game.bb...done");
}

TEST_F(BuildFixture, ClosingEndsTheCompilerAndTheProgramItRuns)
{
    // The compiler runs the compiled program, which outlives it unless the
    // whole group is ended.
    blitz.WriteScript(blitz.compiler(), "cc",
                      "/bin/sleep 60 &\necho $! > '" + blitz.file("record/game.pid").toStdString()
                          + "'\nwait\n");
    build->CompileAndRun();
    ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(blitz.file("record/game.pid")); }));
    ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(blitz.file("record/game.pid")).empty(); }));
    const qint64 compiler = blitz.Pid();
    const qint64 game = QString::fromStdString(ReadFileBytes(blitz.file("record/game.pid")))
                            .trimmed()
                            .toLongLong();
    ASSERT_TRUE(Alive(compiler));
    ASSERT_TRUE(Alive(game));

    build.reset();
    EXPECT_FALSE(Alive(compiler));
    EXPECT_TRUE(WaitUntil([&] { return !Alive(game); }, 5000));
}
