#include "build/CompilerCommand.h"

#include <gtest/gtest.h>

namespace {

CompilerCommandInput Input(BuildMode mode, bool debug = false, const QString& programArgs = {})
{
    return {QStringLiteral("C:\\Blitz3D\\bin\\"), QStringLiteral("C:\\src\\game.bb"), mode, debug, programArgs};
}

}  // namespace

TEST(CompilerCommand, CommandLineTextForEachMode)
{
    const QString compiler = QStringLiteral("\"C:\\Blitz3D\\bin\\blitzcc.exe\"");
    const std::pair<CompilerCommandInput, QString> rows[] = {
        {Input(BuildMode::Check), compiler + " -c \"C:\\src\\game.bb\""},
        {Input(BuildMode::Check, true), compiler + " -c \"C:\\src\\game.bb\""},
        // Compile and run always keeps the blank after the source path.
        {Input(BuildMode::CompileAndRun, true), compiler + " -d \"C:\\src\\game.bb\" "},
        {Input(BuildMode::CompileAndRun, false), compiler + " \"C:\\src\\game.bb\" "},
        {Input(BuildMode::CompileAndRun, false, "-level 3 \"my save\""),
         compiler + " \"C:\\src\\game.bb\" -level 3 \"my save\""},
        {Input(BuildMode::CompileAndRun, true, "x"), compiler + " -d \"C:\\src\\game.bb\" x"},
        // The program command line belongs to compile and run only.
        {Input(BuildMode::BuildExecutable, true, "x"), compiler + " -o \"C:\\src\\game.exe\" \"C:\\src\\game.bb\""},
        {{"/opt/blitz3d/bin/", "/home/me/My Game/main.bb", BuildMode::Check, false, {}},
         "\"/opt/blitz3d/bin/blitzcc.exe\" -c \"/home/me/My Game/main.bb\""},
    };
    for (const auto& [input, expected] : rows)
        EXPECT_EQ(CompilerCommandLine(input), expected) << expected.toStdString();
}

TEST(CompilerCommand, ExecutableIsTheSourceWithItsExtensionReplaced)
{
    const std::pair<const char*, const char*> rows[] = {
        {"C:\\src\\game.bb", "C:\\src\\game.exe"}, {"/home/me/game.BB", "/home/me/game.exe"},
        {"/home/me/my.game.bb", "/home/me/my.game.exe"}, {"/home/me/game.", "/home/me/game.exe"},
        // Without an extension the folder's dot must not be cut.
        {"/home/me/v1.2/game", "/home/me/v1.2/game.exe"}, {"C:\\v1.2\\game", "C:\\v1.2\\game.exe"},
        {"game", "game.exe"},
    };
    for (const auto& [source, exe] : rows)
        EXPECT_EQ(ExecutablePath(source), exe) << source;
}

TEST(CompilerCommand, ProgramCommandLineSplitsAtBlanksOutsideQuotes)
{
    const std::pair<const char*, QStringList> rows[] = {
        {"", {}}, {"   ", {}}, {"-windowed", {"-windowed"}}, {"a  b\tc ", {"a", "b", "c"}},
        {"\"my level.dat\" 3", {"my level.dat", "3"}}, {"name=\"a b\"c", {"name=a bc"}}, {"\"\" x", {"", "x"}},
        {"\"unclosed quote", {"unclosed quote"}},
    };
    for (const auto& [line, args] : rows)
        EXPECT_EQ(SplitProgramArguments(line), args) << line;
}

TEST(CompilerCommand, UnderWineEveryPathTheCompilerReadsIsAWinePath)
{
    // The compiled program's own arguments are its business: left as typed.
    const CompilerCommandInput run{"/b3d/bin/", "/src/my game.bb", BuildMode::CompileAndRun, true, "-x \"/tmp/a b\""};
    const ProcessCommand expected{
        "/usr/bin/wine", {"Z:\\b3d\\bin\\blitzcc.exe", "-d", "Z:\\src\\my game.bb", "-x", "/tmp/a b"}};
    EXPECT_EQ(CompilerProcess(run, "/usr/bin/wine"), expected);

    const std::pair<const char*, const char*> paths[] = {
        {"/home/me/game.bb", "Z:\\home\\me\\game.bb"}, {"/", "Z:\\"}, {"C:\\Blitz3D\\bin\\", "C:\\Blitz3D\\bin\\"},
        {"D:/games/x.bb", "D:\\games\\x.bb"}, {"sub/x.bb", "sub\\x.bb"},
    };
    for (const auto& [path, wine] : paths)
        EXPECT_EQ(WinePath(path), wine) << path;
}
