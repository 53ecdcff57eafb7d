#include "platform/Paths.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(Paths, SplitsAndJoinsWithEitherSeparator)
{
    EXPECT_TRUE(paths::IsAbsolute("/home/a.bb"));
    EXPECT_TRUE(paths::IsAbsolute("\\src\\a.bb"));
    EXPECT_TRUE(paths::IsAbsolute("C:\\src\\a.bb"));
    EXPECT_FALSE(paths::IsAbsolute("lib\\a.bb"));
    EXPECT_EQ(paths::Join("/src", "a.bb"), "/src/a.bb");
    EXPECT_EQ(paths::Join("/src/", "a.bb"), "/src/a.bb");
    EXPECT_EQ(paths::DirOf("C:\\src\\main.bb"), "C:\\src\\");
    EXPECT_EQ(paths::DirOf("/src/lib/a.bb"), "/src/lib/");
    EXPECT_EQ(paths::DirOf("main.bb"), "");
    EXPECT_EQ(paths::FileNameOf("/src/lib\\a.bb"), "a.bb");
    EXPECT_EQ(paths::FileNameOf("main.bb"), "main.bb");
}

// A path found in another letter case: the compiler output's test.
TEST(Paths, APathNothingOnDiskMatchesComesBackWithForwardSlashes)
{
    TempDir dir;
    dir.write("Lib/Player.bb", "x");
    EXPECT_EQ(paths::ResolveOnDisk(dir.path() + "\\lib\\none.bb"), dir.path() + "/lib/none.bb");
}

}  // namespace
