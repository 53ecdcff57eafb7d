#include "startup/Layout.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

QByteArray Bytes(const QString& path)
{
    return path.toLocal8Bit();
}

TEST(Layout, TheExecutablesFolderDecidesBetweenPortableAndInstalled)
{
    TempDir root;
    ScopedEnv home("HOME", Bytes(root.file("home")));
    ScopedEnv config("XDG_CONFIG_HOME", Bytes(root.file("xdg-config")));
    ScopedEnv state("XDG_STATE_HOME", Bytes(root.file("xdg-state")));
    const Layout installed{root.file("usr/share/ovrel"), root.file("xdg-config/ovrel"), root.file("xdg-state/ovrel"),
                           true};

    struct Row {
        const char* name;
        std::function<void()> prepare;
        QString exeDir;
        Layout expected;
    };
    const std::vector<Row> rows = {
        {"as built", [&] { root.write("build/prefs.ini", ""); }, root.file("build"),
         Layout::Portable(root.file("build"))},
        {"installed under a prefix", [&] { root.write("usr/share/ovrel/prefs.ini", ""); }, root.file("usr/bin"),
         installed},
        // Start-up then says prefs.ini is missing, as it always did.
        {"nothing anywhere", [] {}, root.file("lost"), Layout::Portable(root.file("lost"))},
        {"no valid XDG variables",
         [&] {
             qputenv("XDG_CONFIG_HOME", "relative/config");
             qunsetenv("XDG_STATE_HOME");
         },
         root.file("usr/bin"),
         {root.file("usr/share/ovrel"), root.file("home/.config/ovrel"), root.file("home/.local/state/ovrel"), true}},
    };
    for (const Row& row : rows) {
        row.prepare();
        const Layout got = Layout::ForExecutable(row.exeDir);
        EXPECT_EQ(got.programDir, row.expected.programDir) << row.name;
        EXPECT_EQ(got.configDir, row.expected.configDir) << row.name;
        EXPECT_EQ(got.stateDir, row.expected.stateDir) << row.name;
        EXPECT_EQ(got.installed, row.expected.installed) << row.name;
    }
}

TEST(Layout, AProgramFolderItMayNotWriteIsReadAsInstalled)
{
    TempDir root;
    ScopedEnv config("XDG_CONFIG_HOME", Bytes(root.file("config")));
    const QString prefs = root.write("opt/ovrel/prefs.ini", "");
    QFile::setPermissions(prefs, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (QFileInfo(prefs).isWritable())
        GTEST_SKIP() << "this user may write any file";
    const Layout got = Layout::ForExecutable(root.file("opt/ovrel"));
    EXPECT_TRUE(got.installed);
    EXPECT_EQ(got.programDir, root.file("opt/ovrel"));
    EXPECT_EQ(got.PrefsPath(), root.file("config/ovrel/prefs.ini"));
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
    const Layout blocked{root.file("share"), root.file("blocked/ovrel"), root.file("state/ovrel"), true};
    EXPECT_FALSE(PrepareUserFolders(blocked, &error));
    EXPECT_TRUE(error.contains(root.file("blocked/ovrel"))) << error.toStdString();

    // The portable layout has nothing to prepare.
    EXPECT_TRUE(PrepareUserFolders(Layout::Portable(root.file("nowhere")), &error));
    EXPECT_FALSE(root.exists("nowhere"));
}

}  // namespace
