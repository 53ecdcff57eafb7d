#include "support/TempDir.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome Check(const QStringList& args)
{
    QProcess ovrel;
    ovrel.start(OVREL_BUILD_DIR "/ovrel", QStringList{"--check"} + args);
    Outcome run;
    if (!ovrel.waitForFinished(60000))
        return run;
    run.status = ovrel.exitCode();
    run.out = ovrel.readAllStandardOutput().toStdString();
    run.err = ovrel.readAllStandardError().toStdString();
    return run;
}

}  // namespace

// The built program checks from a shell with no display: the compiler's
// lines on standard output, and its exit status says how it went.
TEST(CheckCommandTest, ChecksProgramsFromTheShell)
{
    TempDir dir;
    const QString clean = dir.write("game/Main.bb", "Include \"Lib\\Util.bb\"\r\nx = Helper(1) + NetGo(2)\r\n");
    dir.write("game/lib/util.bb", "Function Helper(a)\r\n\tReturn a * 2\r\nEnd Function\r\n");
    dir.write("blitz/userlibs/net.decls", ".lib \"net.dll\"\r\nNetGo%(port%)\r\n");
    const QString blitz = dir.file("blitz");

    Outcome run = Check({"--blitzpath", blitz, clean});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "");

    // Without the userlib, and with a broken include: one line each, the
    // include named as it is on disk.
    const QString broken = dir.write("other/main.bb", "Include \"part.bb\"\r\nNetGo 1\r\n");
    dir.write("other/Part.bb", "While True\r\n");
    run = Check({"--blitzpath", dir.file("nowhere"), broken});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\"" + dir.file("other/Part.bb").toStdString() + "\":3:1:3:1:Expecting 'Wend'\n\"" +
                           broken.toStdString() + "\":2:1:2:1:Function 'netgo' not found\n");

    // Only regular files are read: a FIFO as include is not found. The
    // line's end is at its CR, as the compiler counts.
    const QString fifo = dir.write("fifo/main.bb", "Include \"pipe.bb\"\r\n");
    ASSERT_EQ(::mkfifo(dir.file("fifo/pipe.bb").toLocal8Bit().constData(), 0600), 0);
    run = Check({"--blitzpath", blitz, fifo});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\"" + fifo.toStdString() + "\":1:18:1:18:Unable to open include file\n");

    // A path holding '"' or a line break stays one line, escaped; rows are
    // the compiler's, counted by line feeds (a lone CR ends none). Warnings
    // come only when asked for, after the errors, and fail nothing.
    const QString odd = dir.write("we\"ird\nname\\/main.bb", "Print 1\r\r\nx = Nope(1)\r\nPrint scroe\r\n");
    std::string root = dir.file("we").toStdString();
    root.resize(root.size() - 2);
    const std::string quoted = "\"" + root + "we\\\"ird\\nname\\\\/main.bb\"";
    run = Check({"--warnings", "--blitzpath", blitz, odd});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, quoted + ":2:1:2:1:Function 'nope' not found\n" + quoted +
                           ":3:7:3:7:Warning: Variable 'scroe' is read but never assigned\n");
    const QString warned = dir.write("warned/main.bb", "score = 1\nPrint scroe\n");
    run = Check({"--blitzpath", blitz, warned});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    run = Check({"--warnings", "--blitzpath", blitz, warned});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "\"" + warned.toStdString() +
                           "\":2:7:2:7:Warning: Variable 'scroe' is read but never assigned; did you mean 'score'?\n");

    // The window's size limits, with the reason: 256 MB for a program's main
    // file, 64 MB for an included one.
    const QString huge = dir.write("huge/main.bb", "Include \"big.bb\"\r\n");
    ASSERT_TRUE(QFile::resize(dir.write("huge/big.bb", ""), (65 << 20) + 1));
    ASSERT_TRUE(QFile::resize(dir.write("huge/whole.bb", ""), (257 << 20) + 1));
    run = Check({"--blitzpath", blitz, huge, dir.file("huge/whole.bb")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\"" + huge.toStdString() +
                           "\":1:17:1:17:Unable to open include file (it is 65 MB; a source file may be 64 MB at most)\n"
                           "Unable to open input file \"" + dir.file("huge/whole.bb").toStdString() +
                           "\" (it is 257 MB; a source file may be 256 MB at most)\n");

    for (const QStringList& bad : {QStringList{}, QStringList{"--blitzpath"}, QStringList{"--frobnicate", clean}}) {
        run = Check(bad);
        EXPECT_EQ(run.status, 2) << bad.join(' ').toStdString();
        EXPECT_NE(run.err.find("usage: ovrel --check"), std::string::npos);
    }
}
