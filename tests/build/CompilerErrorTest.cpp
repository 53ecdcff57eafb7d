#include "build/CompilerError.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(CompilerError, ReportLinesAreTakenApartByTheirFields)
{
    const struct {
        const char* line;
        const char* file;
        int row;
        const char* column;
        const char* message;
        bool placed;
    } rows[] = {
        {"\"c:\\games\\mygame\\player.bb\":12:5:12:5:Expecting expression",
         "c:\\games\\mygame\\player.bb", 12, "5", "Expecting expression", true},
        // An error inside an include names that file, in lower case.
        {"\"/home/me/game/lib/maths.bb\":3:1:3:1:Function 'Foo' not found",
         "/home/me/game/lib/maths.bb", 3, "1", "Function 'Foo' not found", true},
        // Fields after the fifth are dropped, so the message stops at its colon.
        {"\"C:\\a.bb\":7:2:7:2:Illegal type conversion: Int to String", "C:\\a.bb", 7, "2",
         "Illegal type conversion", true},
        {"\"\":65536:65536:65536:65536:Not enough parameters", "", 65536, "65536",
         "Not enough parameters", false},
        // Output written on Windows ends its lines with CR LF.
        {"\"C:\\a.bb\":1:1:1:1:Expecting End If\r", "C:\\a.bb", 1, "1", "Expecting End If", true},
        {"\"x.bb\":4:9:4:9:", "x.bb", 4, "9", "", true},
        // The column is only shown, never read as a number.
        {"\"x.bb\":4:?:4:9:m", "x.bb", 4, "?", "m", true},
        {"\"x.bb\"junk:4:9:4:9:m", "x.bb", 4, "9", "m", true},
        {"\"x.bb\": 4 :9:4:9:m", "x.bb", 4, "9", "m", true},
        {"\"big.bb\":99999:1:99999:1:m", "big.bb", 99999, "1", "m", true},
        {"\"big.bb\":65536:1:65536:1:m", "big.bb", 65536, "1", "m", true},
        {"\"x.bb\":0:0:0:0:m", "x.bb", 0, "0", "m", false},
    };
    for (const auto& row : rows) {
        const std::optional<CompilerError> e = ParseErrorLine(row.line);
        ASSERT_TRUE(e) << row.line;
        EXPECT_EQ(e->file, row.file) << row.line;
        EXPECT_EQ(e->line, row.row) << row.line;
        EXPECT_EQ(e->column, row.column) << row.line;
        EXPECT_EQ(e->message, row.message) << row.line;
        EXPECT_EQ(e->HasPosition(), row.placed) << row.line;
    }
}

TEST(CompilerError, LinesOutsideTheGrammarAreRefused)
{
    const char* rows[] = {
        "",
        "Unable to open input file",
        "Error in userlib 'x.decls' - no such file",
        " \"x.bb\":1:1:1:1:m",
        "\"",
        "\"no closing quote:1:1:1:1:m",
        "\"x.bb\"",
        "\"x.bb\":1:1:1:1",
        "\"x.bb\":abc:1:1:1:m",
        "\"x.bb\"::1:1:1:m",
        "\"x.bb\":-3:1:1:1:m",
        "\"x.bb\":1e3:1:1:1:m",
        "\"x.bb\":99999999999999:1:1:1:m",
    };
    for (const char* line : rows)
        EXPECT_FALSE(ParseErrorLine(line)) << line;
    EXPECT_TRUE(IsErrorReport("\"no closing quote"));
    EXPECT_FALSE(IsErrorReport("Executing..."));
    EXPECT_FALSE(IsErrorReport(""));
}

TEST(CompilerError, MessageFillsTheLabelAndStatusStaysOnOneLine)
{
    const CompilerError e = *ParseErrorLine("\"C:\\a.bb\":12:5:12:5:Expecting expression");
    EXPECT_EQ(CompileErrorMessage("Error at line #numline#, column #numcolumn#:\r\n#errstr#", e),
              "Error at line 12, column 5:\r\nExpecting expression");
    EXPECT_EQ(CompileErrorMessage("#errstr# (#numline#)", e), "Expecting expression (12)");
    EXPECT_EQ(CompileErrorMessage("no placeholders", e), "no placeholders");

    // The placeholders are filled in order, so text brought in by an earlier
    // one is filled by a later one.
    const CompilerError tricky = *ParseErrorLine("\"a\":1:#errstr#:1:1:boom");
    EXPECT_EQ(CompileErrorMessage("#numcolumn#", tricky), "boom");

    const struct {
        const char* current;
        const char* message;
        const char* status;
    } rows[] = {
        {"Checking a.bb...", "Error at line 12:\r\nExpecting expression",
         "Checking a.bb...Error at line 12:. Expecting expression"},
        {"", "one\r\ntwo\r\nthree", "one. two. three"},
        {"x\r", "\nY", "x. Y"},
        {"", "lone\nline\rends", "lone\nline\rends"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(StatusWithMessage(row.current, row.message), row.status) << row.status;

    EXPECT_TRUE(UnreadableReportText("\"broken\r").endsWith("\"broken"));
}

TEST(CompilerError, LastLineOfTheOutputIgnoresItsLineEnd)
{
    TempDir dir;
    const std::string longLine(10000, 'x');
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "line " + std::to_string(i) + "\r\n";
    const struct {
        std::string output;
        std::string last;
    } rows[] = {
        {"", ""},
        {"Executing...", "Executing..."},
        {"a\nb\n", "b"},
        {"a\rb\r", "b"},
        {"a\r\n\r\n", ""},
        {"\"x.bb\":1:1:1:1:m\r\nExecuting...", "Executing..."},
        // Long outputs are read from their end.
        {many + "\"a.bb\":1:1:1:1:m\r\n", "\"a.bb\":1:1:1:1:m"},
        {many + longLine + "\r\n", longLine},
        {longLine, longLine},
        {std::string(4095, 'a') + "\r\n", std::string(4095, 'a')},
        {std::string(4094, 'a') + "\r\nb", "b"},
        {"a\r\n" + std::string(5000, '\n'), ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(LastLine(row.output), row.last) << row.last.substr(0, 40);
        EXPECT_EQ(ReadLastLine(dir.write("output.txt", row.output)), row.last) << row.last.substr(0, 40);
    }
    EXPECT_FALSE(ReadLastLine(dir.file("missing.txt")));
}
