// A program of several files on the real main window: each document is
// checked, built and navigated as part of its main file's program.
#include "build/BuildController.h"
#include "build/BuildOutputPane.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QLabel>

namespace {

class ProgramWiring : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(Activate());
        main = dir.write("game/Main.bb", "Include \"lib\\Player.bb\"\r\nInclude \"lib\\Strict.bb\"\r\nGlobal FPSfactor#\r\n");
        other = dir.write("game/Other.bb", "Include \"lib\\Player.bb\"\r\n");
        player = dir.write("game/lib/Player.bb", "Function Step()\r\n\tx# = 1 * FPSfactor\r\n\tLoadBrush_Strict(\"a\")\r\n"
                                                 "End Function\r\n");
        dir.write("game/lib/Strict.bb", "Function LoadBrush_Strict(f$)\r\nEnd Function\r\n");
    }
    QString MainFilePanel() const { return Child<QLabel>(*window, "MainFilePanel")->text(); }
    QString Shows(const char* name) const
    {
        return app->labels.getValue("mainfile").replace("#filename#", name);
    }

    QString main, other, player;
};

TEST_F(ProgramWiring, TheStatusBarNamesTheMainFileAndSetAsMainFileIsKeptAcrossRuns)
{
    docs().OpenDoc(player);
    ASSERT_TRUE(WaitUntil([&] { return MainFilePanel() == Shows("Main.bb"); }, 3000))
        << MainFilePanel().toStdString();
    docs().OpenDoc(other);
    EXPECT_EQ(MainFilePanel(), Shows("Other.bb"));
    window->menus().item("mnuSetMainFile")->trigger();
    ClickTab("Doc_1");
    EXPECT_TRUE(WaitUntil([&] { return MainFilePanel() == Shows("Other.bb"); }, 3000))
        << MainFilePanel().toStdString();

    Restart({player});
    ASSERT_TRUE(Activate());
    EXPECT_TRUE(WaitUntil([&] { return MainFilePanel() == Shows("Other.bb"); }, 3000))
        << MainFilePanel().toStdString();
}

TEST_F(ProgramWiring, F5InAnIncludesTabSavesItAndBuildsTheMainFile)
{
    const QString args = dir.file("args");
    FakeCompiler("printf '%s\\n' \"$@\" > '" + args.toStdString() + "'\nprintf 'Executing...\\r\\n'\n");
    docs().OpenDoc(player);
    Type("; edited\n");
    Key(Qt::Key_F5);
    ASSERT_TRUE(BuildFinished());
    EXPECT_EQ(QString::fromStdString(ReadFileBytes(args)).split('\n', Qt::SkipEmptyParts), QStringList({"-d", main}));
    EXPECT_FALSE(current().Modified);
    EXPECT_TRUE(window->outputPane().Text().contains(main));
    EXPECT_TRUE(window->InfoPanel().startsWith(app->labels.getValue("buildfile").replace("#filename#", "Main.bb")))
        << window->InfoPanel().toStdString();

    // The main file's own tab builds it as before.
    docs().OpenDoc(main);
    Key(Qt::Key_F7);
    ASSERT_TRUE(BuildFinished());
    EXPECT_EQ(QString::fromStdString(ReadFileBytes(args)).split('\n', Qt::SkipEmptyParts), QStringList({"-c", main}));
}

}  // namespace
