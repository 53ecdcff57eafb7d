#include "build/InstallCommands.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// A compiler whose `+k` prints the keywords, a command of the runtime, one
// a modified compiler adds and a userlib's function.
const char* const kListing =
    "#!/bin/sh\n"
    "[ \"$1\" = \"+k\" ] || exit 1\n"
    "for k in Abs After And Before Case Const Data Default Delete Dim Each Else Function If Next; do\n"
    "  printf '%s\\r\\n' \"$k\"\n"
    "done\n"
    "printf 'Print [string$]\\r\\nChr$ ( ascii )\\r\\nMilliSecs ( )\\r\\n'\n"
    "printf 'FancyBeep# ( times[,pitch#] )\\r\\nNetGo%% ( port%% )\\r\\n'\n";

InstallCommands::Source Await(InstallCommands& reader, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (reader.source() == InstallCommands::Source::Reading && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return reader.source();
}

}  // namespace

// The install's own list is read from its compiler, cached for as long as
// the install is unchanged; a missing, failing or silent compiler leaves the
// shipped list in use and says why, within its time.
TEST(InstallCommandsTest, ReadsTheCompilersListOnceAndFallsBackWithAReason)
{
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    TempDir dir;
    const QString blitz = dir.file("blitz");
    const QString cache = dir.file("state/compiler-commands.txt");
    const auto compiler = [&](const std::string& script) {
        dir.write("blitz/bin/blitzcc.exe", script);
        QFile::setPermissions(dir.file("blitz/bin/blitzcc.exe"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };

    InstallCommands reader;
    reader.Start(dir.file("nowhere"), cache);
    EXPECT_EQ(reader.source(), InstallCommands::Source::Failed);
    EXPECT_FALSE(reader.reason().isEmpty());

    compiler(kListing);
    reader.Start(blitz, cache);
    ASSERT_EQ(Await(reader, 10000), InstallCommands::Source::Compiler) << reader.reason().toStdString();
    EXPECT_EQ(reader.list(),
              "Print [string$]\nChr$(ascii)\nMilliSecs%()\nFancyBeep#(times[,pitch#])\nNetGo%(port%)\n");

    // The same install again: from the cache, without running anything.
    InstallCommands again;
    again.Start(blitz, cache);
    EXPECT_EQ(again.source(), InstallCommands::Source::Compiler);
    EXPECT_EQ(again.list(), reader.list());

    struct Row {
        std::string script;
        int timeoutMs;
    };
    const Row failing[] = {
        {"#!/bin/sh\necho 'Unable to open runtime.dll'\nexit 255\n", 10000},
        {"#!/bin/sh\necho BlitzCC V1.108\n", 10000},  // a banner, no list
        {"#!/bin/sh\nexec sleep 30\n", 300},
    };
    for (const Row& row : failing) {
        compiler(row.script);  // a changed compiler is read again
        QElapsedTimer clock;
        clock.start();
        InstallCommands other;
        other.Start(blitz, cache, row.timeoutMs);
        EXPECT_EQ(Await(other, 10000), InstallCommands::Source::Failed) << row.script;
        EXPECT_FALSE(other.reason().isEmpty());
        EXPECT_LT(clock.elapsed(), 8000);
    }
}
