#include "startup/DebugLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(DebugLog, WritesOnlyWhileOnAndStartsEmptyEachTime)
{
    TempDir dir;
    DebugLog log(dir.path());
    log.LogLine("ignored");
    EXPECT_FALSE(dir.exists("debug.log"));

    log.OpenLog();
    ASSERT_TRUE(log.LogToFile());
    log.LogLine("A");
    log.LogLine("B");
    log.CloseLog();
    EXPECT_EQ(dir.read("debug.log"), "A\r\n\r\nB\r\n\r\n");

    log.OpenLog();
    log.LogLine("C");
    log.CloseLog();
    EXPECT_FALSE(log.LogToFile());
    EXPECT_EQ(dir.read("debug.log"), "C\r\n\r\n");

    // An unwritable folder leaves it off.
    DebugLog nowhere("/no/such/folder");
    nowhere.OpenLog();
    EXPECT_FALSE(nowhere.LogToFile());
}

}  // namespace
