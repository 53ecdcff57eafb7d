#include "build/BuildController.h"
#include "documents/Document.h"
#include "documents/DocumentManager.h"
#include "mainwindow/MainWindow.h"
#include "startup/App.h"
#include "startup/Layout.h"
#include "startup/SingleInstance.h"
#include "install/Installed.h"
#include "support/Wait.h"

#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST_F(Installed, StartsOnAnEmptyConfigurationFolderAndASecondStartReadsItBack)
{
    ASSERT_TRUE(layout.installed);
    // The debugger a debug run loads into the program; what a run of the
    // build folder's program wrote there stays behind.
    EXPECT_TRUE(QFileInfo(Prefix("share/ovrel/debugger.dll")).isFile());
    EXPECT_FALSE(QFileInfo::exists(Prefix("share/ovrel/breakpoints.txt")));
    const std::string shipped = ReadFileBytes(Prefix("share/ovrel/prefs.ini"));
    ASSERT_FALSE(shipped.empty());

    QProcess first;
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(Prefix("bin/ovrel"), {});
    // Up once it answers a later start, even while it asks for the Blitz3D
    // folder; its prefs.ini was made before that question.
    const bool answered = WaitUntil(
        [&] { return first.state() == QProcess::Running && HandToRunningInstance(layout, {}); }, 60000);
    ASSERT_TRUE(answered) << first.readAll().toStdString();
    EXPECT_EQ(user.read("config/ovrel/prefs.ini"), shipped);
    first.kill();
    first.waitForFinished();

    // What the user then chose, as the settings dialog writes it.
    SetUserPref("PATHS", "B3DDir", user.file("Blitz3D"));
    SetUserPref("IDEOPTS", "TabSize", "7");
    {
        App second(layout, prompter, dialogs);
        ASSERT_TRUE(second.Start()) << prompter.texts().join("|").toStdString();
        EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join("|").toStdString();
        EXPECT_EQ(second.settings.B3DDir, user.file("Blitz3D"));
        EXPECT_EQ(second.settings.TabSize, 7);
        // What it writes for itself goes to the state folder.
        EXPECT_EQ(second.mainWindow()->build().OutputPath(), user.file("state/ovrel/output.txt"));
        second.log.OpenLog();
        EXPECT_TRUE(user.exists("state/ovrel/debug.log"));
        second.mainWindow()->close();
    }
    const std::string kept = user.read("config/ovrel/prefs.ini");
    EXPECT_NE(kept.find("TabSize=7"), std::string::npos) << kept;
    EXPECT_EQ(ReadFileBytes(Prefix("share/ovrel/prefs.ini")), shipped);
}

TEST_F(Installed, ASecondStartHandsItsFileToTheFirstAndEnds)
{
    PrepareUser();
    App first(layout, prompter, dialogs);
    ASSERT_TRUE(first.Start()) << prompter.texts().join("|").toStdString();
    DocumentManager& docs = first.mainWindow()->docs();
    Pump();

    // Named as typed in a shell, relative to the second start's folder.
    const QString source = user.write("game/main.bb", "Print \"Hello\"\r\n");
    QProcess second;
    second.setProcessChannelMode(QProcess::MergedChannels);
    second.setWorkingDirectory(user.file("game"));
    second.start(Prefix("bin/ovrel"), {"main.bb"});
    ASSERT_TRUE(WaitUntil([&] { return second.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAll().toStdString();

    ASSERT_TRUE(WaitUntil([&] { return docs.CurrentDoc() && docs.CurrentDoc()->FilePath == source; }));
    EXPECT_EQ(docs.Docs().size(), 1);

    // A program on other settings is never reached.
    TempDir elsewhere;
    EXPECT_FALSE(HandToRunningInstance(Layout::Portable(elsewhere.path()), {source}));
    first.mainWindow()->close();
}

}  // namespace
