#include "startup/Layout.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

TEST(Layout, TheExecutablesFolderDecidesBetweenPortableAndInstalled)
{
    TempDir root;
    ScopedEnv home("HOME", root.file("home").toLocal8Bit());
    ScopedEnv config("XDG_CONFIG_HOME", root.file("xdg-config").toLocal8Bit());
    ScopedEnv state("XDG_STATE_HOME", "relative/is/ignored");
    root.write("build/prefs.ini", "");
    root.write("usr/share/ovrel/prefs.ini", "");

    const struct {
        QString exeDir;
        Layout expected;
    } rows[] = {
        {root.file("build"), Layout::Portable(root.file("build"))},
        {root.file("usr/bin"),
         {root.file("usr/share/ovrel"), root.file("xdg-config/ovrel"), root.file("home/.local/state/ovrel"), true}},
        // Start-up then says prefs.ini is missing, as it always did.
        {root.file("lost"), Layout::Portable(root.file("lost"))},
    };
    for (const auto& row : rows) {
        const Layout got = Layout::ForExecutable(row.exeDir);
        const QStringList gotDirs{got.programDir, got.configDir, got.stateDir};
        EXPECT_EQ(gotDirs, QStringList({row.expected.programDir, row.expected.configDir, row.expected.stateDir}))
            << row.exeDir.toStdString();
        EXPECT_EQ(got.installed, row.expected.installed) << row.exeDir.toStdString();
    }
}

TEST(Layout, ANewUserStartsFromTheShippedPrefsAndKeepsTheirOwnAfterwards)
{
    TempDir root;
    root.write("share/prefs.ini", "[PATHS]\r\nB3DDir=\r\n");
    const Layout layout{root.file("share"), root.file("config/ovrel"), root.file("state/ovrel"), true};
    QString error;
    ASSERT_TRUE(PrepareUserFolders(layout, &error)) << error.toStdString();
    EXPECT_EQ(root.read("config/ovrel/prefs.ini"), "[PATHS]\r\nB3DDir=\r\n");
    EXPECT_TRUE(QFileInfo(root.file("state/ovrel")).isDir());

    // A new version ships other defaults; what the user set stays.
    root.write("config/ovrel/prefs.ini", "[PATHS]\r\nB3DDir=/games/Blitz3D\r\n");
    root.write("share/prefs.ini", "[PATHS]\r\nB3DDir=\r\nCommands=commands.txt\r\n");
    ASSERT_TRUE(PrepareUserFolders(layout, &error));
    EXPECT_EQ(root.read("config/ovrel/prefs.ini"), "[PATHS]\r\nB3DDir=/games/Blitz3D\r\n");

    // A configuration folder that cannot be made is named.
    root.write("blocked", "a file where a folder should be");
    EXPECT_FALSE(PrepareUserFolders({root.file("share"), root.file("blocked/ovrel"), root.file("state"), true}, &error));
    EXPECT_TRUE(error.contains(root.file("blocked/ovrel"))) << error.toStdString();
}

}  // namespace
