#include "build/CompilerError.h"

#include "startup/LabelsFile.h"
#include "support/ProgramDir.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

const CUILabels kLabels = ParseLabels(ShippedResource("locale.txt")).labels;

// "file|line|column|message", and "|unplaced" for an error without a position.
std::string Describe(const std::optional<CompilerError>& e)
{
    if (!e)
        return "refused";
    return e->file + "|" + std::to_string(e->line) + "|" + e->column + "|" + e->message
           + (e->HasPosition() ? "" : "|unplaced");
}

}  // namespace

TEST(CompilerError, ANonZeroExitWithoutAReportIsAFailureThatSaysHowTheCompilerEnded)
{
    const struct {
        const char* last;
        int exit;
        bool crashed;
        BuildResult result;
        const char* message;  // and the status, after a "|"
    } rows[] = {
        {"Executing...", 0, false, BuildResult::Done, ""}, {"", 0, false, BuildResult::Done, ""},
        {"Executing...\r", 1, false, BuildResult::Done, ""},  // the program's own status
        {"\"a.bb\":1:1:1:1:m", 255, false, BuildResult::ErrorReport, ""},
        // A progress line is no message of its own: once it was all a user saw.
        {"Parsing...", 255, false, BuildResult::Failure,
         "The compiler failed with exit code 255.\r\nIts last line: Parsing...|failed (exit code 255): Parsing..."},
        {"Can't find blitzpath environment variable\r", 255, false, BuildResult::Failure,
         "The compiler failed with exit code 255.\r\nIts last line: Can't find blitzpath environment variable"
         "|failed (exit code 255): Can't find blitzpath environment variable"},
        {"", 255, false, BuildResult::Failure,
         "The compiler failed with exit code 255. It printed nothing.|failed (exit code 255)"},
        {"  ", 0, true, BuildResult::Failure, "The compiler crashed. It printed nothing.|failed: the compiler crashed"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(JudgeBuild(row.last, row.exit, row.crashed), row.result) << row.last;
        if (row.result == BuildResult::Failure) {
            const FailureReport failure = DescribeFailure(kLabels, row.last, row.exit, row.crashed);
            EXPECT_EQ(failure.message + '|' + failure.status, row.message);
        }
    }
    // Wine's 32-bit loader on a machine that cannot run 32-bit programs: the
    // user learns what to install.
    const FailureReport no32 =
        DescribeFailure(kLabels,
                        "/usr/bin/wine: line 55: /usr/lib/wine/wine: cannot execute binary file: Exec format error",
                        126, false);
    for (const char* words : {"cannot run 32-bit Windows programs", "i386", "wine32"})
        EXPECT_TRUE(no32.message.contains(words)) << words;
    EXPECT_TRUE(no32.status.startsWith("failed: this machine cannot run 32-bit")) << no32.status.toStdString();
}

TEST(CompilerError, ReportLinesAreTakenApartByTheirFields)
{
    const std::pair<const char*, const char*> rows[] = {
        {"\"c:\\games\\mygame\\player.bb\":12:5:12:5:Expecting expression",
         "c:\\games\\mygame\\player.bb|12|5|Expecting expression"},
        // An error inside an include names that file, in lower case.
        {"\"/home/me/game/lib/maths.bb\":3:1:3:1:Function 'Foo' not found",
         "/home/me/game/lib/maths.bb|3|1|Function 'Foo' not found"},
        // Fields after the fifth are dropped, so the message stops at its colon.
        {"\"C:\\a.bb\":7:2:7:2:Illegal type conversion: Int to String", "C:\\a.bb|7|2|Illegal type conversion"},
        {"\"\":65536:65536:65536:65536:Not enough parameters", "|65536|65536|Not enough parameters|unplaced"},
        // Output written on Windows ends its lines with CR LF.
        {"\"C:\\a.bb\":1:1:1:1:Expecting End If\r", "C:\\a.bb|1|1|Expecting End If"},
        {"\"x.bb\":4:9:4:9:", "x.bb|4|9|"},
        // The column is only shown, never read as a number.
        {"\"x.bb\":4:?:4:9:m", "x.bb|4|?|m"}, {"\"x.bb\"junk:4:9:4:9:m", "x.bb|4|9|m"},
        {"\"x.bb\": 4 :9:4:9:m", "x.bb|4|9|m"},
        {"\"big.bb\":99999:1:99999:1:m", "big.bb|99999|1|m"}, {"\"big.bb\":65536:1:65536:1:m", "big.bb|65536|1|m"},
        {"\"x.bb\":0:0:0:0:m", "x.bb|0|0|m|unplaced"},
        // Outside the grammar.
        {"", "refused"}, {"Unable to open input file", "refused"}, {" \"x.bb\":1:1:1:1:m", "refused"},
        {"Error in userlib 'x.decls' - no such file", "refused"}, {"\"", "refused"},
        {"\"no closing quote:1:1:1:1:m", "refused"},
        {"\"x.bb\"", "refused"}, {"\"x.bb\":1:1:1:1", "refused"}, {"\"x.bb\":abc:1:1:1:m", "refused"},
        {"\"x.bb\"::1:1:1:m", "refused"}, {"\"x.bb\":-3:1:1:1:m", "refused"}, {"\"x.bb\":1e3:1:1:1:m", "refused"},
        {"\"x.bb\":99999999999999:1:1:1:m", "refused"},
    };
    for (const auto& [line, expected] : rows)
        EXPECT_EQ(Describe(ParseErrorLine(line)), expected) << line;
}

TEST(CompilerError, MessageFillsTheLabelAndStatusStaysOnOneLine)
{
    // The placeholders are filled in order, so text brought in by an earlier
    // one is filled by a later one. (The shipped label filled: the build's
    // table of reports.)
    EXPECT_EQ(CompileErrorMessage("#numcolumn#", *ParseErrorLine("\"a\":1:#errstr#:1:1:boom")), "boom");

    const struct {
        const char* current;
        const char* message;
        const char* status;
    } rows[] = {
        {"", "one\r\ntwo\r\nthree", "one. two. three"},
        // A pair split between the two is joined too.
        {"x\r", "\nY", "x. Y"},
        {"", "lone\nline\rends", "lone\nline\rends"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(StatusWithMessage(row.current, row.message), row.status) << row.status;
    EXPECT_TRUE(UnreadableReportText(kLabels, "\"broken\r").endsWith("\"broken"));
}

TEST(CompilerError, LastLineOfTheOutputIgnoresItsLineEnd)
{
    TempDir dir;
    const std::string longLine(10000, 'x');
    const std::string many = NumberedLines("line %1", 20000, 0);
    const std::pair<std::string, std::string> rows[] = {
        {"", ""}, {"Executing...", "Executing..."}, {"a\nb\n", "b"}, {"a\rb\r", "b"}, {"a\r\n\r\n", ""},
        {"\"x.bb\":1:1:1:1:m\r\nExecuting...", "Executing..."},
        // Long outputs are read from their end.
        {many + "\"a.bb\":1:1:1:1:m\r\n", "\"a.bb\":1:1:1:1:m"},
        {many + longLine + "\r\n", longLine}, {longLine, longLine},
        {std::string(4095, 'a') + "\r\n", std::string(4095, 'a')},
        {std::string(4094, 'a') + "\r\nb", "b"},
        {"a\r\n" + std::string(5000, '\n'), ""},
    };
    for (const auto& [output, last] : rows)
        EXPECT_EQ(ReadLastLine(dir.write("output.txt", output)), last) << last.substr(0, 40);
    EXPECT_FALSE(ReadLastLine(dir.file("missing.txt")));
}
