// A program of several files on the real main window: each document is
// checked, built and navigated as part of its main file's program.
#include "analysis/ReferencesPane.h"
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
    // "file:line:column" of the caret.
    std::string Where() const
    {
        const CaretPosition caret = editor().CaretPos();
        return current().FileTitle.toStdString() + ":" + std::to_string(caret.Line) + ":" +
               std::to_string(caret.Column);
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

TEST_F(ProgramWiring, F12AndShiftF12InAnIncludeReachTheWholeProgram)
{
    docs().OpenDoc(player);
    editor().SetCaret(12, 2);  // FPSfactor, a Global of the main file
    Key(Qt::Key_F12, Qt::ShiftModifier);
    ReferencesPane& pane = window->references();
    ASSERT_EQ(pane.RowCount(), 2);
    EXPECT_EQ(pane.Title(), app->labels.getValue("referencesof").replace("#count#", "2").replace("#name#", "FPSfactor"));
    const auto row = [&](int i) { return pane.Row(i).title + ":" + QString::number(pane.Row(i).line) + " " + pane.Row(i).text; };
    EXPECT_EQ(row(0), "Main.bb:3 Global FPSfactor#");
    EXPECT_EQ(row(1), "Player.bb:2 x# = 1 * FPSfactor");

    Key(Qt::Key_F12);
    EXPECT_EQ(Where(), "Main.bb:3:16");
    EXPECT_EQ(editor().SelectedText(), "FPSfactor");
    Key(Qt::Key_Left, Qt::AltModifier);
    editor().SetCaret(3, 3);  // LoadBrush_Strict, a function of a sibling include
    Key(Qt::Key_F12);
    EXPECT_EQ(Where(), "Strict.bb:1:25");
    EXPECT_EQ(docs().Docs().size(), 3);
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
