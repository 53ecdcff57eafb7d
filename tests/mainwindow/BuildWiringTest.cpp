// The build commands on the real main window with a compiler that behaves
// like the real one: the error lands on its line in the built document.
#include "build/BuildController.h"
#include "documents/DocumentTabs.h"
#include "support/AppFixture.h"

#include <QFile>

namespace {

// True while the process exists and is not a zombie waiting to be reaped.
bool Alive(qint64 pid)
{
    const std::string stat = ReadFileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
    const std::size_t paren = stat.rfind(')');
    return pid > 0 && paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] != 'Z';
}

class BuildWiring : public AppFixture {
protected:
    // The compiler: a shell script running `body`.
    void FakeCompiler(const std::string& body)
    {
        const QString compiler = dir.write("Blitz3D/bin/blitzcc.exe", "#!/bin/sh\n" + body);
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeOwner);
    }
    bool Finished() { return WaitUntil([&] { return !window->build().IsBuilding(); }); }
};

TEST_F(BuildWiring, TheErrorLandsOnItsLineInTheBuiltDocument)
{
    // Like the real compiler, it waits a moment before it reports.
    FakeCompiler("printf 'BlitzCC V1.108\\r\\nCompiling \"%s\"\\r\\nParsing...\\r\\n' \"$2\"\nsleep 0.3\n"
                 "printf '\"/src/game.bb\":3:5:3:5:Expecting expression\\r\\n'\nexit 255\n");
    const QString game = dir.write("game.bb", "Graphics 640,480\r\nCls\r\nPrint +\r\nEnd\r\n");
    docs().OpenDoc(game);
    const QString builtKey = current().Key;
    Type("; edited\n");  // unsaved: the build saves it first
    Command("mnuCheck");
    EXPECT_FALSE(current().Modified);
    EXPECT_EQ(ReadFileBytes(game), "; edited\r\nGraphics 640,480\r\nCls\r\nPrint +\r\nEnd\r\n");
    const QString launchText = window->InfoPanel();
    EXPECT_FALSE(launchText.isEmpty());

    // The user moves on to another document while the compiler runs.
    docs().OpenDoc(dir.write("other.bb", "End\r\n"));
    ASSERT_NE(current().Key, builtKey);

    ASSERT_TRUE(Finished());
    EXPECT_EQ(current().Key, builtKey);
    EXPECT_EQ(window->tabs().SelectedKey(), builtKey);
    EXPECT_EQ(editor().CaretPos().Line, 3);
    EXPECT_EQ(editor().CaretPos().Column, 3);  // column 5, as far as the line goes
    EXPECT_TRUE(window->InfoPanel().startsWith(launchText)) << window->InfoPanel().toStdString();
    EXPECT_TRUE(window->InfoPanel().contains("Expecting expression"));
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown.back().icon, MsgIcon::Critical);
    EXPECT_TRUE(prompter.shown.back().text.contains("Expecting expression"));
}

TEST_F(BuildWiring, TheDebugSwitchAndProgramArgumentsReachEveryBuild)
{
    const QString args = dir.file("args");
    FakeCompiler("printf '%s\\n' \"$@\" > '" + args.toStdString() + "'\nprintf 'Executing...\\r\\n'\n");
    QAction* menu = window->menus().item("mnuDebugEnabled");
    QAction* button = window->menus().button("btDebugEnabled");
    auto compile = [&] {
        window->menus().button("btCompile")->trigger();
        EXPECT_TRUE(Finished());
        EXPECT_TRUE(window->InfoPanel().endsWith(app->labels.getValue("done"))) << window->InfoPanel().toStdString();
        return QString::fromStdString(ReadFileBytes(args)).split('\n', Qt::SkipEmptyParts);
    };
    const QString game = dir.write("game.bb", "End\r\n");
    docs().OpenDoc(game);
    ASSERT_TRUE(menu->isChecked() && button->isChecked());

    menu->trigger();
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(compile(), QStringList({game}));
    button->trigger();
    EXPECT_TRUE(menu->isChecked());
    EXPECT_EQ(compile(), QStringList({"-d", game}));

    // The program's arguments belong to the session, not to a document.
    window->build().SetProgramCommandLine("-level 2");
    const QString other = dir.write("other.bb", "End\r\n");
    docs().OpenDoc(other);
    EXPECT_EQ(compile(), QStringList({"-d", other, "-level", "2"}));
}

TEST_F(BuildWiring, ClosingTheIdeEndsTheCompilerAndTheProgramItRuns)
{
    // The compiler runs the compiled program, which would outlive it unless
    // the whole group is ended.
    const std::string record = dir.file("pids").toStdString();
    FakeCompiler("echo $$ > '" + record + "'\nsleep 60 &\necho $! >> '" + record + "'\nwait\n");
    docs().OpenDoc(dir.write("game.bb", "End\r\n"));
    Command("mnuCompile");
    auto pids = [&] { return QString::fromStdString(dir.read("pids")).split('\n', Qt::SkipEmptyParts); };
    ASSERT_TRUE(WaitUntil([&] { return pids().size() == 2; }));
    const qint64 compiler = pids()[0].toLongLong(), game = pids()[1].toLongLong();
    ASSERT_TRUE(Alive(compiler) && Alive(game));

    ASSERT_TRUE(window->close());
    EXPECT_FALSE(window->build().IsBuilding());
    EXPECT_FALSE(Alive(compiler));
    EXPECT_TRUE(WaitUntil([&] { return !Alive(game); }, 5000));
}

}  // namespace
