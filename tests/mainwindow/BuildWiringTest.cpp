// The build commands' switches on the real main window; the error's way to
// its line: OutputPane.ShowsTheWholeOutputAndOpensAnIncludedFileAtTheErrorsLineAndColumn.
#include "build/BuildController.h"
#include "support/AppFixture.h"

namespace {

class BuildWiring : public AppFixture {};

TEST_F(BuildWiring, TheDebugSwitchAndProgramArgumentsReachEveryBuild)
{
    const QString args = dir.file("args");
    FakeCompiler("printf '%s\\n' \"$@\" > '" + args.toStdString() + "'\nprintf 'Executing...\\r\\n'\n");
    QAction* menu = window->menus().item("mnuDebugEnabled");
    QAction* button = window->menus().button("btDebugEnabled");
    auto compile = [&] {
        window->menus().button("btCompile")->trigger();
        EXPECT_TRUE(BuildFinished());
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

}  // namespace
