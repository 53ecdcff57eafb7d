#include "startup/LabelsFile.h"
#include "support/Scripted.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Labels, ReadsEntriesCommentsAndSections)
{
    const auto parsed = ParseLabels("# a comment\r\n"
                                    "\r\n"
                                    "[Menus]\r\n"
                                    "   Greeting  =  Hello\\nWorld  \r\n"
                                    "ab=\r\n"
                                    "  # indented comment\r\n");
    EXPECT_EQ(parsed.errorLine, 0);
    EXPECT_EQ(parsed.labels.count(), 2);
    EXPECT_EQ(parsed.labels.getValue("GREETING"), "Hello\r\nWorld");
    EXPECT_EQ(parsed.labels.getValue("ab"), "");
    EXPECT_EQ(parsed.labels.getValue("Missing_Key"), "DEF NOT FOUND: Missing_Key");
}

TEST(Labels, OnlyCommentsAndSectionsGiveAnEmptyTable)
{
    const auto parsed = ParseLabels("# one\r\n[Two]\r\n\r\n#three");
    EXPECT_EQ(parsed.errorLine, 0);
    EXPECT_EQ(parsed.labels.count(), 0);
}

TEST(Labels, MalformedLinesStopTheReadAtTheirLineNumber)
{
    struct Row {
        const char* text;
        int errorLine;
        int keptEntries;
    };
    const Row rows[] = {
        {"# comment\r\n\r\nno equals sign\r\nlater=x\r\n", 3, 0},
        {"ok=1\r\nx=short key\r\n", 2, 1},          // fewer than two characters before "="
        {"ok=1\r\n =x\r\n", 2, 1},                // the line is trimmed before the "=" is counted
        {"ok=1\r\na =x\r\n", 0, 2},               // a blank before the "=" counts
        {"a = b\nc d\n", 2, 1},                     // bare LF line ends count lines too
    };
    for (const Row& r : rows) {
        const auto parsed = ParseLabels(r.text);
        EXPECT_EQ(parsed.errorLine, r.errorLine) << r.text;
        EXPECT_EQ(parsed.labels.count(), r.keptEntries) << r.text;
    }
}

TEST(Labels, DuplicateKeysAndHugeFilesAreRunTimeErrors)
{
    EXPECT_THROW(ParseLabels("Key=1\r\nKEY=2\r\n"), std::runtime_error);
    std::string huge;
    for (int i = 0; i < 32767; ++i)
        huge += "# line\r\n";
    EXPECT_THROW(ParseLabels(huge), std::runtime_error);
    huge.resize(huge.size() - 8);  // 32766 lines are fine
    EXPECT_NO_THROW(ParseLabels(huge));
}

TEST(Labels, LoaderReportsMissingAndMalformedFiles)
{
    TempDir dir;
    ScriptedPrompter prompter;
    EXPECT_FALSE(LoadLabels(dir.path(), prompter));
    EXPECT_EQ(prompter.texts(), QStringList{"Locale.txt not found!!"});
    EXPECT_EQ(prompter.shown[0].icon, MsgIcon::Critical);

    dir.write("locale.txt", "# header\r\n\r\nbroken\r\n");
    prompter.shown.clear();
    EXPECT_FALSE(LoadLabels(dir.path(), prompter));
    EXPECT_EQ(prompter.texts(), QStringList{"Parse error on locale.txt, line 3"});

    dir.write("locale.txt", "mnufile = &File\r\n");
    prompter.shown.clear();
    const auto labels = LoadLabels(dir.path(), prompter);
    ASSERT_TRUE(labels);
    EXPECT_EQ(labels->getValue("MnuFile"), "&File");
    EXPECT_TRUE(prompter.shown.empty());
}

}  // namespace
