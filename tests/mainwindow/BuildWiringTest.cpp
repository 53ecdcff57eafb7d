// The build commands on the real main window with a compiler that behaves
// like the real one: the error lands on its line in the built document.
#include "build/BuildController.h"
#include "documents/DocumentTabs.h"
#include "support/AppFixture.h"

#include <QFile>

#include <csignal>

namespace {

class BuildWiring : public AppFixture {
protected:
    // A compiler that waits a moment, then reports an error on line 3.
    void FakeCompiler(const std::string& lastLine)
    {
        const QString compiler = dir.write("Blitz3D/bin/blitzcc.exe",
                                           "#!/bin/sh\n"
                                           "echo 'BlitzCC V1.108'\n"
                                           "echo \"Compiling \\\"$2\\\"\"\n"
                                           "echo 'Parsing...'\n"
                                           "sleep 0.3\n"
                                           "echo '" + lastLine + "'\n"
                                           "exit 255\n");
        QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeOwner);
    }
};

TEST_F(BuildWiring, TheErrorLandsOnItsLineInTheBuiltDocument)
{
    FakeCompiler("\"/src/game.bb\":3:5:3:5:Expecting expression");
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

    ASSERT_TRUE(WaitUntil([&] { return !window->build().IsBuilding(); }));
    EXPECT_EQ(current().Key, builtKey);
    EXPECT_EQ(window->tabs().SelectedKey(), builtKey);
    EXPECT_EQ(editor().CaretPos().Line, 3);
    EXPECT_EQ(editor().CaretPos().Column, 0);
    EXPECT_TRUE(window->InfoPanel().startsWith(launchText)) << window->InfoPanel().toStdString();
    EXPECT_TRUE(window->InfoPanel().contains("Expecting expression"));
    ASSERT_FALSE(prompter.shown.empty());
    EXPECT_EQ(prompter.shown.back().icon, MsgIcon::Critical);
    EXPECT_TRUE(prompter.shown.back().text.contains("Expecting expression"));
}

TEST_F(BuildWiring, ASuccessfulBuildSaysDone)
{
    FakeCompiler("Executing...");
    docs().OpenDoc(dir.write("game.bb", "End\r\n"));
    window->menus().button("btCompile")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return !window->build().IsBuilding(); }));
    EXPECT_TRUE(window->InfoPanel().endsWith(app->labels.getValue("done"))) << window->InfoPanel().toStdString() << "|" << prompter.texts().join("|").toStdString();
}

TEST_F(BuildWiring, TheDebugSwitchAndProgramArgumentsReachEveryBuild)
{
    const QString args = dir.file("args");
    const QString compiler = dir.write("Blitz3D/bin/blitzcc.exe",
                                       "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + args.toStdString()
                                           + "'\necho 'Executing...'\n");
    QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeOwner);
    auto compile = [&] {
        Command("mnuCompile");
        EXPECT_TRUE(WaitUntil([&] { return !window->build().IsBuilding(); }));
        return QString::fromStdString(ReadFileBytes(args)).split('\n', Qt::SkipEmptyParts);
    };
    QAction* menu = window->menus().item("mnuDebugEnabled");
    QAction* button = window->menus().button("btDebugEnabled");
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

TEST_F(BuildWiring, ClosingTheIdeEndsARunningCompiler)
{
    const QString pidFile = dir.file("pid");
    const QString compiler = dir.write("Blitz3D/bin/blitzcc.exe",
                                       "#!/bin/sh\necho $$ > '" + pidFile.toStdString() + "'\nexec sleep 60\n");
    QFile::setPermissions(compiler, QFile::permissions(compiler) | QFileDevice::ExeOwner);
    docs().OpenDoc(dir.write("game.bb", "End\r\n"));
    Command("mnuCompile");
    ASSERT_TRUE(WaitUntil([&] { return !ReadFileBytes(pidFile).empty(); }));
    const pid_t pid = pid_t(std::stol(ReadFileBytes(pidFile)));

    ASSERT_TRUE(window->close());
    EXPECT_FALSE(window->build().IsBuilding());
    EXPECT_NE(::kill(pid, 0), 0);
}

}  // namespace
