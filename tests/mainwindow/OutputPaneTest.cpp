// The build output pane and the Stop command on the real main window, with a
// compiler that writes what the real one writes under Wine.
#include "build/BuildController.h"
#include "build/BuildOutputPane.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>

namespace {

// True while the process exists and is not a zombie waiting to be reaped.
bool Alive(qint64 pid)
{
    const std::string stat = ReadFileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const std::size_t paren = stat.rfind(')');
    return pid > 0 && paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

class OutputPane : public AppFixture {
protected:
    // The compiler prints `output` after its progress lines, CR LF ended,
    // then runs `tail`.
    void FakeCompiler(const std::string& output, const std::string& tail)
    {
        const QString printed = dir.write("printed.txt",
                                          "BlitzCC V1.108\r\n(C)opyright 2000-2003\r\nCompiling \"main.bb\"\r\n"
                                          "Parsing...\r\n"
                                              + output);
        const QString compiler =
            dir.write("Blitz3D/bin/blitzcc.exe", "#!/bin/sh\n/bin/cat '" + printed.toStdString() + "'\n" + tail);
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeOwner);
    }
    bool Finished() { return WaitUntil([&] { return !window->build().IsBuilding(); }); }
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
    FakeCompiler(report + "\r\n", "sleep 0.2\nexit 255\n");
    docs().OpenDoc(game);
    const QString mainKey = current().Key;
    ASSERT_TRUE(pane().Collapsed());

    Command("mnuCheck");
    ASSERT_TRUE(Finished());
    const QString text = pane().Text();
    EXPECT_TRUE(text.contains("Compiling \"main.bb\"\nParsing...\n" + QString::fromStdString(report)))
        << text.toStdString();
    const QRegularExpression took(R"(Ended with an error after \d+\.\d s$)");
    EXPECT_TRUE(took.match(text).hasMatch()) << text.toStdString();
    EXPECT_TRUE(took.match(pane().Summary()).hasMatch()) << pane().Summary().toStdString();
    EXPECT_FALSE(pane().Collapsed());  // a failed build opens it

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
    FakeCompiler("Executing...\r\n", "sleep 0.2\n");
    docs().ShowDoc(*docs().FindDoc(mainKey));
    Command("mnuCheck");
    docs().ShowDoc(*docs().FindDoc(docs().Docs().back()->Key));
    EXPECT_EQ(editor().ErrorMarkLine(), 0);
    ASSERT_TRUE(Finished());
    EXPECT_TRUE(pane().Summary().contains("Finished in")) << pane().Summary().toStdString();
}

TEST_F(OutputPane, StopEndsTheCompilerAndTheProgramItRuns)
{
    const std::string pids = dir.file("pids").toStdString();
    FakeCompiler("Executing...\r\n", "echo $$ > '" + pids + "'\nsleep 60 &\necho $! >> '" + pids + "'\nwait\n");
    docs().OpenDoc(dir.write("game.bb", "End\r\n"));
    QAction* stop = window->menus().item("mnuStop");
    QAction* button = window->menus().button("btStop");
    EXPECT_FALSE(stop->isEnabled() || button->isEnabled());

    window->menus().button("btCompile")->trigger();
    auto started = [&] { return QString::fromStdString(dir.read("pids")).split('\n', Qt::SkipEmptyParts); };
    ASSERT_TRUE(WaitUntil([&] { return started().size() == 2; }));
    const qint64 compiler = started()[0].toLongLong(), program = started()[1].toLongLong();
    ASSERT_TRUE(Alive(compiler) && Alive(program));
    EXPECT_TRUE(stop->isEnabled() && button->isEnabled());

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keySequence(window, QKeySequence(Qt::SHIFT | Qt::Key_F5));
    EXPECT_FALSE(window->build().IsBuilding());
    EXPECT_TRUE(WaitUntil([&] { return !Alive(compiler) && !Alive(program); }, 5000));
    EXPECT_FALSE(stop->isEnabled() || button->isEnabled());
    EXPECT_TRUE(window->menus().button("btCompile")->isEnabled());
    EXPECT_TRUE(pane().Summary().contains("Stopped after")) << pane().Summary().toStdString();
    EXPECT_TRUE(window->InfoPanel().endsWith(app->labels.getValue("stopped"))) << window->InfoPanel().toStdString();
    EXPECT_TRUE(prompter.shown.empty());
}

}  // namespace
