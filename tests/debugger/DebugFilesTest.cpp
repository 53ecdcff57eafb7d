#include "debugger/DebugFiles.h"
#include "support/TempDir.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(DebugFiles, ADebugRunsFolderLinksTheInstallOrSaysWhatIsMissing)
{
    TempDir dir;
    for (const char* name : {"b3d/bin/blitzcc.exe", "b3d/bin/runtime.dll", "b3d/bin/linker.dll", "ours.dll"})
        dir.write(name, "MZ");
    dir.write("b3d/userlibs/a.decls", "");
    const struct {
        const char* remove;
        const char* failure;
        const char* detail;
    } rows[] = {
        {nullptr, "", ""},
        {"b3d/bin/runtime.dll", "debugmissing", "b3d/bin/runtime.dll"},
        {"ours.dll", "debugnodll", "ours.dll"},
    };
    for (const auto& row : rows) {
        if (row.remove)
            QFile::remove(dir.file(row.remove));
        const DebugFolder folder = PrepareDebugFolder(dir.file("run"), dir.file("b3d"), dir.file("ours.dll"));
        EXPECT_EQ(folder.failure, row.failure);
        EXPECT_EQ(folder.detail, *row.detail ? dir.file(row.detail) : QString());
        if (!row.remove) {
            EXPECT_EQ(QFileInfo(dir.file("run/bin/runtime.dll")).symLinkTarget(), dir.file("b3d/bin/runtime.dll"));
            EXPECT_TRUE(QFileInfo(dir.file("run/userlibs/a.decls")).exists());
            EXPECT_FALSE(QFileInfo(dir.file("run/bin/debugger.dll")).isSymLink()) << "a copy, which a rebuild leaves alone";
        }
    }
    dir.write("wine/wine64", "");
    EXPECT_TRUE(WineLacks32Bit(dir.file("wine")));
    dir.write("wine/wine", "");
    EXPECT_FALSE(WineLacks32Bit(dir.file("wine")));
}

TEST(DebugFiles, BreakpointsAreKeptPerFileAndABrokenStoreGivesNone)
{
    TempDir dir;
    const QString file = dir.file("breakpoints.txt");
    {
        BreakpointStore store(file);
        EXPECT_TRUE(store.SetLines("/g/main.bb", {9, 3, 3}));
        EXPECT_TRUE(store.SetLines("/g/with\ttab.bb", {1}));
        EXPECT_TRUE(store.SetLines("/g/gone.bb", {}));
    }
    BreakpointStore again(file);
    again.Load();
    EXPECT_EQ(again.Lines("/g/main.bb"), (std::vector<int>{3, 9}));
    EXPECT_EQ(again.Lines("/g/with\ttab.bb"), (std::vector<int>{1}));
    EXPECT_EQ(again.All().size(), 2u);

    dir.write("breakpoints.txt", "x,2,-4\t/a.bb\nno tab here\n\t/empty.bb\n5");
    again.Load();
    EXPECT_EQ(again.Lines("/a.bb"), (std::vector<int>{2}));
    EXPECT_EQ(again.All().size(), 1u);
}
