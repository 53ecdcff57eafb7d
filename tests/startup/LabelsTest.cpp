#include "startup/LabelsFile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

namespace {

// As Windows editors leave the file too: a byte-order mark in front, and
// any of the three line ends.
TEST(Labels, ReadsEntriesCommentsAndSections)
{
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        std::string text = "\xEF\xBB\xBF";
        for (const char* line : {"# a comment", "", "[Menus]", "   Greeting  =  Hello\\nWorld  ", "ab=", "  # note"})
            text += line + eol;
        const auto parsed = ParseLabels(text);
        EXPECT_EQ(parsed.errorLine, 0);
        EXPECT_EQ(parsed.labels.count(), 2);
        EXPECT_EQ(parsed.labels.getValue("GREETING"), "Hello\r\nWorld");
        EXPECT_EQ(parsed.labels.getValue("ab"), "");
        EXPECT_EQ(parsed.labels.getValue("Missing_Key"), "DEF NOT FOUND: Missing_Key");
    }
}

TEST(Labels, MalformedLinesStopTheReadAtTheirLineNumber)
{
    // Text, line of the error (0: none), entries kept.
    const std::tuple<const char*, int, int> rows[] = {
        {"# comment\r\n\r\nno equals sign\r\nlater=x\r\n", 3, 0},
        {"ok=1\r\nx=short key\r\n", 2, 1},          // fewer than two characters before "="
        {"ok=1\r\n =x\r\n", 2, 1},                // the line is trimmed before the "=" is counted
        {"ok=1\r\na =x\r\n", 0, 2},               // a blank before the "=" counts
        {"a = b\nc d\n", 2, 1},                     // bare LF line ends count lines too
        {"# one\r\n[Two]\r\n\r\n#three", 0, 0},
    };
    for (const auto& [text, errorLine, kept] : rows) {
        const auto parsed = ParseLabels(text);
        EXPECT_EQ(parsed.errorLine, errorLine) << text;
        EXPECT_EQ(parsed.labels.count(), kept) << text;
    }
}

// A duplicate key is an error too: the start-up test.
TEST(Labels, HugeFilesAreRunTimeErrors)
{
    std::string huge = QByteArray("# line\r\n").repeated(32767).toStdString();
    EXPECT_THROW(ParseLabels(huge), std::runtime_error);
    huge.resize(huge.size() - 8);  // 32766 lines are fine
    EXPECT_NO_THROW(ParseLabels(huge));
}

}  // namespace
