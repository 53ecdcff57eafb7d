// The build output pane, the error's way to its line and the Stop command on
// the real main window, with a compiler that writes what the real one writes
// under Wine.
#include "build/BuildController.h"
#include "build/BuildOutputPane.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <csignal>

namespace {

class OutputPane : public AppFixture {
protected:
    // The compiler prints `output` after its progress lines, CR LF ended,
    // then runs `tail`.
    void Prints(const std::string& output, const std::string& tail)
    {
        const std::string banner = "BlitzCC V1.108\r\n(C)opyright 2000-2003\r\nCompiling \"main.bb\"\r\n";
        const QString printed = dir.write("printed.txt", banner + "Parsing...\r\n" + output);
        FakeCompiler("/bin/cat '" + printed.toStdString() + "'\n" + tail);
    }
    BuildOutputPane& pane() const { return window->outputPane(); }

    // Clicks the pane's line that starts with `start`.
    void ClickLine(const QString& start)
    {
        QPlainTextEdit* view = pane().View();
        for (QTextBlock b = view->document()->begin(); b.isValid(); b = b.next()) {
            if (!b.text().startsWith(start))
                continue;
            const QRect start = view->cursorRect(QTextCursor(b));
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, start.center() + QPoint(30, 0));
            return;
        }
        ADD_FAILURE() << "no line " << start.toStdString();
    }
};

TEST_F(OutputPane, ShowsTheWholeOutputAndOpensAnIncludedFileAtTheErrorsLineAndColumn)
{
    // A Windows-1252 file: "é" is one column for the compiler, two bytes in
    // the editor, so FSOUND_Init starts at column 15 and at byte 16.
    const QString include = dir.write("Game/Lib/FMOD.bb", "; sound\r\nFunction InitSound()\r\n"
                                                          "\ts$ = \"\xE9t\xE9\" : FSOUND_Init(44100)\r\n"
                                                          "End Function\r\n");
    const QString game = dir.write("Game/main.bb", "Include \"Lib\\FMOD.bb\"\r\nInitSound()\r\n");
    // Under Wine it names an included file by its Z: path, wholly lower case.
    const std::string report = "\"z:" + QString(include).replace('/', '\\').toLower().toStdString()
                               + "\":3:15:3:15:Function 'fsound_init' not found";
    Prints(report + "\r\n", "sleep 0.2\nexit 255\n");
    docs().OpenDoc(game);
    const QString mainKey = current().Key;
    Command("mnuCheck");
    ASSERT_TRUE(BuildFinished());
    const QString text = pane().Text();
    EXPECT_TRUE(text.contains("Compiling \"main.bb\"\nParsing...\n" + QString::fromStdString(report)))
        << text.toStdString();
    const QRegularExpression took(R"(Ended with an error after \d+\.\d s$)");
    EXPECT_TRUE(took.match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(took.match(pane().Summary()).hasMatch()) << pane().Summary().toStdString();

    // The build's end brings up the included file, not the main one.
    auto expectAtTheError = [&] {
        EXPECT_EQ(current().FilePath.toStdString(), include.toStdString());
        EXPECT_EQ(editor().CaretPos().Line, 3);
        EXPECT_EQ(editor().CaretPos().Column, 16);
        EXPECT_EQ(editor().ErrorMarkLine(), 3);
    };
    expectAtTheError();

    // Back in the main file, a click on the report goes there again.
    docs().ShowDoc(*docs().FindDoc(mainKey));
    ClickLine("\"z:");
    expectAtTheError();

    // The next build takes the mark away as it starts.
    Prints("Executing...\r\n", "sleep 0.2\n");
    docs().ShowDoc(*docs().FindDoc(mainKey));
    Command("mnuCheck");
    docs().ShowDoc(*docs().FindDoc(docs().Docs().back()->Key));
    EXPECT_EQ(editor().ErrorMarkLine(), 0);
    ASSERT_TRUE(BuildFinished());
}

// A program writing megabytes without a line end once grew the IDE by 1.3 MB
// a second, filled output.txt without end, and Stop then froze the window for
// seconds laying out the one line.
TEST_F(OutputPane, OutputWithoutLineEndsStaysWithinBoundsInThePaneAndOnDisk)
{
    FakeCompiler("echo Executing...\nwhile :; do head -c 1000000 /dev/zero | tr '\\0' x; sleep 0.05; done\n");
    docs().OpenDoc(dir.write("game.bb", "End\r\n"));
    Command("mnuCompile");
    Pump(2500);
    ASSERT_TRUE(Activate());
    QTest::keySequence(window, QKeySequence(Qt::SHIFT | Qt::Key_F5));

    const QTextDocument* output = pane().View()->document();
    int longest = 0;
    for (QTextBlock b = output->begin(); b.isValid(); b = b.next())
        longest = std::max(longest, b.length());
    EXPECT_LE(longest, 4096 + 1);
    EXPECT_TRUE(pane().Text().contains(QRegularExpression(R"(\[\d+\.\d MB of output left out\])")));
    // However long such a program goes on.
    for (int i = 0; i < 16; ++i)
        Q_EMIT window->build().OutputAdded(QByteArray(1 << 20, 'x'));
    EXPECT_LE(output->characterCount(), 10 << 20);
}

// The compiler runs the compiled program, which would outlive it unless the
// whole group were ended; and a program may leave its group, its session and
// its parent at once. A process the build did not start, and the Wine
// services it did start (other Wine programs of the user share them), are
// left alone.
TEST_F(OutputPane, StopOrClosingTheIdeEndsEverythingTheBuildStartedAndNothingElse)
{
    const std::string pids = dir.file("pids").toStdString(), services = dir.file("services").toStdString();
    // A copy of sleep, so that the process the test ends is the one named wineserver.
    const QString wineserver = dir.file("tools/wineserver");
    QDir().mkpath(dir.file("tools"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), wineserver));
    Prints("Executing...\r\n",
           "echo $$ >> '" + pids + "'\nsleep 60 &\necho $! >> '" + pids + "'\nsetsid -f sh -c 'echo $$ >> \"" + pids +
               "\"; exec sleep 60'\nsetsid -f sh -c 'echo $$ >> \"" + services + "\"; exec " + wineserver.toStdString() +
               " 60'\nbash -c 'echo $$ >> \"" + services +
               "\"; exec -a \"C:\\\\windows\\\\system32\\\\services.exe\" sleep 60' &\nwait\n");
    qint64 notTheBuilds = 0;
    ASSERT_TRUE(QProcess::startDetached(wineserver, {QStringLiteral("60")}, {}, &notTheBuilds));
    docs().OpenDoc(dir.write("game.bb", "End\r\n"));
    QAction* stop = window->menus().item("mnuStop");
    QAction* button = window->menus().button("btStop");
    // The compiler's, the program's and the escaped program's process ids;
    // each build's Wine services are gathered in `kept`.
    QList<qint64> kept = {notTheBuilds};
    auto compile = [&] {
        QFile::remove(dir.file("pids"));
        QFile::remove(dir.file("services"));
        window->menus().button("btCompile")->trigger();
        auto lines = [&](const char* name) {
            return QString::fromStdString(dir.read(name)).split('\n', Qt::SkipEmptyParts);
        };
        EXPECT_TRUE(WaitUntil([&] { return lines("pids").size() == 3 && lines("services").size() == 2; }));
        // A service writes its id before it becomes the service: until then
        // it is any process of the build.
        const auto becameService = [](const QString& id) {
            QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(id));
            const QByteArray name = cmdline.open(QIODevice::ReadOnly) ? cmdline.readAll().split('\0').value(0) : QByteArray();
            return name.endsWith("wineserver") || name.endsWith("services.exe");
        };
        EXPECT_TRUE(WaitUntil([&] {
            const QStringList ids = lines("services");
            return std::all_of(ids.begin(), ids.end(), becameService);
        }));
        for (const QString& id : lines("services"))
            kept << id.toLongLong();
        QList<qint64> ids;
        for (const QString& id : lines("pids"))
            ids << id.toLongLong();
        EXPECT_TRUE(std::all_of(ids.begin(), ids.end(), Alive));
        return ids;
    };
    const auto allEnded = [](const QList<qint64>& ids) {
        return WaitUntil([&] { return std::none_of(ids.begin(), ids.end(), Alive); }, 5000);
    };

    QList<qint64> ids = compile();
    ASSERT_TRUE(Activate());
    QTest::keySequence(window, QKeySequence(Qt::SHIFT | Qt::Key_F5));
    EXPECT_FALSE(window->build().IsBuilding());
    EXPECT_TRUE(allEnded(ids));
    EXPECT_FALSE(stop->isEnabled() || button->isEnabled());
    EXPECT_TRUE(window->menus().button("btCompile")->isEnabled());
    EXPECT_TRUE(pane().Summary().contains("Stopped after")) << pane().Summary().toStdString();
    EXPECT_TRUE(window->InfoPanel().endsWith(app->labels.getValue("stopped"))) << window->InfoPanel().toStdString();
    EXPECT_TRUE(prompter.shown.empty());

    ids = compile();
    ASSERT_TRUE(window->close());
    EXPECT_FALSE(window->build().IsBuilding());
    EXPECT_FALSE(Alive(ids[0]));
    EXPECT_TRUE(allEnded(ids));
    EXPECT_EQ(kept.size(), 5);
    for (const qint64 id : kept) {
        EXPECT_TRUE(Alive(id)) << id;
        ::kill(pid_t(id), SIGKILL);
    }
}

// A program that prints without end keeps only its latest lines, even when
// none of them is an error report; what it started and left running when it
// ended goes with the IDE, even one it let go of just as it ended.
TEST_F(OutputPane, AFinishedBuildKeepsItsLatestLinesAndWhatItLeftRunningEndsWithTheIde)
{
    const std::string left = dir.file("left").toStdString();
    FakeCompiler("echo Executing...\nseq 1 80000 | sed 's/$/\r/'\nsetsid -f sh -c 'echo $$ > \"" + left +
                 ".new\"; mv \"" + left + ".new\" \"" + left + "\"; exec sleep 60'\n");
    docs().OpenDoc(dir.write("game.bb", "End\r\n"));
    Command("mnuCompile");
    ASSERT_TRUE(BuildFinished());
    const QTextDocument* output = pane().View()->document();
    EXPECT_LE(output->blockCount(), 60000);
    EXPECT_FALSE(output->begin().text().startsWith("Executing")) << "the oldest lines went";
    EXPECT_EQ(output->lastBlock().previous().text(), "80000");

    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(QString::fromStdString(left)); }));
    const qint64 leftRunning = QString::fromStdString(dir.read("left")).trimmed().toLongLong();
    EXPECT_TRUE(Alive(leftRunning));
    Close();
    EXPECT_TRUE(WaitUntil([&] { return !Alive(leftRunning); }, 5000));
}

}  // namespace
