#include "build/CompilerOutput.h"

#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// Each line as "text", with "  <- file|line|column" when it is a report.
std::vector<std::string> Read(const std::string& output, std::size_t piece)
{
    CompilerOutputReader reader;
    std::vector<OutputLine> lines;
    for (std::size_t at = 0; at < output.size(); at += piece) {
        std::vector<OutputLine> more = reader.Add(std::string_view(output).substr(at, piece));
        lines.insert(lines.end(), more.begin(), more.end());
    }
    if (std::optional<OutputLine> last = reader.Finish())
        lines.push_back(*last);
    std::vector<std::string> described;
    for (const OutputLine& l : lines)
        described.push_back(l.text + (l.error ? "  <- " + l.error->file + "|" + std::to_string(l.error->line) + "|"
                                                    + l.error->column
                                              : ""));
    return described;
}

}  // namespace

// A program writing megabytes without a line end once grew the window's
// memory without limit, and Stop then froze it laying out the one line: a
// long line goes on in the next at a fixed length and loses nothing.
TEST(CompilerOutput, ReportsAreRecognisedInTheCompilersLinesAndLongLinesAreCutWithoutLoss)
{
    const std::string x(CompilerOutputReader::kMaxLine, 'x');
    const std::string e = "\xC3\xA9";  // a character of two bytes
    const std::string banner = "BlitzCC V1.108\r\n(C)opyright 2000-2003\r\nCompiling \"Z:\\home\\me\\game\\main.bb\"\r\n"
                               "Parsing...\r\n";
    const struct {
        std::string output;
        std::vector<std::string> lines;
    } rows[] = {
        {banner + "\"z:\\home\\me\\game\\fmod.bb\":15:1:15:1:Function 'fsound_init' not found\r\n",
         {"BlitzCC V1.108", "(C)opyright 2000-2003", "Compiling \"Z:\\home\\me\\game\\main.bb\"", "Parsing...",
          "\"z:\\home\\me\\game\\fmod.bb\":15:1:15:1:Function 'fsound_init' not found  <- "
          "z:\\home\\me\\game\\fmod.bb|15|1"}},
        // Without a final line end, and with the position the compiler cannot give.
        {"Parsing...\r\n\"\":65536:65536:65536:65536:Not enough parameters",
         {"Parsing...", "\"\":65536:65536:65536:65536:Not enough parameters  <- |65536|65536"}},
        // A bare failure is no report; LF and lone CR line ends count too; an
        // empty line stays.
        {"Parsing...\nUnable to open linker.dll\r\r\n", {"Parsing...", "Unable to open linker.dll", ""}},
        // What the program prints after the hand-over is its own.
        {"Assembling...\r\nExecuting...\r\n\"log.txt\":1:1:1:1:not a report\r\n",
         {"Assembling...", "Executing...", "\"log.txt\":1:1:1:1:not a report"}},
        {"", {}},
        {x + x + "tail", {x, x, "tail"}},
        {x + "\r\n" + x, {x, x}},  // no empty line after a full one
        // Never inside a character.
        {x.substr(1) + e + "y\n", {x.substr(1), e + "y"}},
        {x.substr(2) + e + "y\n", {x.substr(2) + e, "y"}},
    };
    for (const auto& row : rows) {
        // However the output arrives, the lines are the same.
        for (std::size_t piece : {std::size_t(1), std::size_t(2), std::size_t(7), std::size_t(1000),
                                  row.output.size() + 1})
            EXPECT_EQ(Read(row.output, piece), row.lines) << row.output.substr(0, 80) << " in pieces of " << piece;
    }
}

TEST(CompilerOutput, AReportedPathFindsItsFileOnDiskWhateverTheCaseAndTheWineDrive)
{
    TempDir dir;
    const QString fmod = dir.write("Game/Lib/FMOD.bb", "");
    const QString main = dir.write("Game/main.bb", "");
    dir.write("Game/Lib/Other.bb", "");
    QDir().mkpath(dir.file("Game/Folder.bb"));
    // Beside Game, a folder of the same name in lower case, as the compiler
    // writes it: the file is looked for in both.
    dir.write("game/other.bb", "");
    const auto wine = [](QString p) { return "Z:" + p.replace('/', '\\'); };
    const auto lower = [](const QString& p) { return p.toLower().toStdString(); };

    const std::pair<std::string, QString> rows[] = {
        {wine(fmod).toStdString(), fmod},
        {lower(wine(fmod)), fmod},  // an included file's path, wholly lower case
        {lower(fmod), fmod},        // a compiler that writes native paths
        {wine(main).toStdString(), main},
        // Nothing that names no file.
        {lower(dir.file("Game/Lib/missing.bb")), ""},
        {lower(dir.file("Game/Folder.bb")), ""},
        {"c:\\game\\lib\\fmod.bb", ""},
        {"lib\\fmod.bb", ""},
        {"", ""},
    };
    for (const auto& [reported, onDisk] : rows)
        EXPECT_EQ(ReportedFileOnDisk(reported).value_or(""), onDisk) << reported;
}

TEST(CompilerOutput, TheCompilersColumnCountsTheFilesBytesWhateverTheEditorHolds)
{
    const struct {
        const char* line;  // as the editor holds it, UTF-8
        int column;        // the compiler's, from 1
        bool fileIsUtf8;
        int editorColumn;  // bytes, from 0
    } rows[] = {
        {"Print x", 7, false, 6},
        {"\tPrint x", 8, false, 7},  // a tab is one column
        {"Print x", 1, false, 0},
        {"Print x", 0, false, 0},
        {"Print x", 99, false, 7},  // never past the end
        // "é" is one byte of a Windows-1252 file and two in the editor.
        {"a$=\"\xC3\xA9t\xC3\xA9\" + b", 10, false, 11},
        // In a UTF-8 file the compiler counted its two bytes.
        {"a$=\"\xC3\xA9t\xC3\xA9\" + b", 10, true, 9},
        {"\xC3\xA9x", 2, true, 0},  // never inside a character
        {"", 5, true, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(EditorColumn(row.line, row.column, row.fileIsUtf8), row.editorColumn)
            << row.line << " column " << row.column;
}

TEST(CompilerOutput, DurationsReadAsPeopleSayThem)
{
    const std::pair<long long, const char*> rows[] = {
        {0, "0.0 s"}, {420, "0.4 s"}, {9949, "9.9 s"}, {9950, "10 s"}, {59499, "59 s"}, {59500, "1 min 00 s"},
        {125000, "2 min 05 s"},
    };
    for (const auto& [ms, text] : rows)
        EXPECT_EQ(DurationText(ms), text) << ms;
}
