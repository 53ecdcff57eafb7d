// A program of several files on the real main window: each document is
// checked, coloured and built as part of its main file's program.
#include "assist/CodeAssistant.h"
#include "assist/DlgInlineHelp.h"
#include "build/BuildController.h"
#include "build/BuildOutputPane.h"
#include "language/Program.h"
#include "model/ProgramHost.h"
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

TEST_F(ProgramWiring, AnIncludeColoursOffersAndTipsTheNamesOfTheWholeProgram)
{
    const Settings& colours = app->settings;
    ASSERT_NE(colours.VarsColor, colours.TextColor);
    docs().OpenDoc(player);
    // A Global of the main file, a function of a sibling include.
    EXPECT_TRUE(WaitUntil([&] { return editor().TextColourAt(2, 10) == colours.VarsColor; }, 3000));
    EXPECT_TRUE(WaitUntil([&] { return editor().TextColourAt(3, 1) == colours.FunctionsColor; }, 3000));

    auto* assistant = window->findChild<CodeAssistant*>();
    Key(Qt::Key_End, Qt::ControlModifier);
    Type("\nFPSf");
    Key(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_TRUE(WaitUntil([&] { return editor().LineText(5) == "FPSfactor"; }, 2000)) << editor().Text().toStdString();

    Type("\nLoadBrush_Strict(");
    ASSERT_TRUE(assistant->TipVisible());
    EXPECT_EQ(assistant->tip().Tip().full(), "LoadBrush_Strict f$");
    Key(Qt::Key_Escape);
    // Parsing disabled, typing asks nothing of the program.
    window->menus().item("mnuDisableParsing")->trigger();
    Type("\nLoadBrush_Strict(");
    EXPECT_FALSE(assistant->TipVisible());
    Type("\nGraphics(");
    EXPECT_TRUE(assistant->TipVisible()) << "the commands still tip";
}

// A key does not wait for the program model: what was typed reaches it
// when it is next asked, whoever asks, and when its tab is left.
TEST_F(ProgramWiring, WhatWasTypedIsWhatTheProgramIsAskedAbout)
{
    docs().OpenDoc(main);
    docs().OpenDoc(player);
    ProgramHost& programs = window->programs();
    const auto declared = [&](const char* name) {
        const std::vector<lang::SymbolInfo> all = programs.ProgramOf(main).Symbols();
        return std::any_of(all.begin(), all.end(), [&](const lang::SymbolInfo& s) { return s.name == name; });
    };
    Key(Qt::Key_End, Qt::ControlModifier);
    Type("\nGlobal typedhere");
    EXPECT_TRUE(declared("typedhere"));
    Type("\nGlobal typedthen");
    docs().OpenDoc(main);
    EXPECT_TRUE(declared("typedthen"));
}

// The debug switch and the program's arguments reach every build; the
// arguments belong to the session, not to a document.
TEST_F(ProgramWiring, F5InAnIncludesTabSavesItAndBuildsTheMainFileTheStatusBarNames)
{
    const QString args = dir.file("args");
    FakeCompiler("printf '%s\\n' \"$@\" > '" + args.toStdString() + "'\nprintf 'Executing...\\r\\n'\n");
    const auto built = [&] {
        EXPECT_TRUE(BuildFinished());
        EXPECT_TRUE(window->InfoPanel().endsWith(app->labels.getValue("done"))) << window->InfoPanel().toStdString();
        return QString::fromStdString(ReadFileBytes(args)).split('\n', Qt::SkipEmptyParts);
    };
    docs().OpenDoc(player);
    Type("; edited\n");
    Key(Qt::Key_F5);
    EXPECT_EQ(built(), QStringList({"-d", main}));
    EXPECT_FALSE(current().Modified);
    EXPECT_TRUE(window->outputPane().Text().contains(main));
    EXPECT_TRUE(window->InfoPanel().startsWith(app->labels.getValue("buildfile").replace("#filename#", "Main.bb")))
        << window->InfoPanel().toStdString();

    QAction* menu = window->menus().item("mnuDebugEnabled");
    QAction* button = window->menus().button("btDebugEnabled");
    const auto compile = [&] {
        window->menus().button("btCompile")->trigger();
        return built();
    };
    menu->trigger();
    EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(compile(), QStringList({main}));
    button->trigger();
    EXPECT_TRUE(menu->isChecked());
    window->build().SetProgramCommandLine("-level 2");
    docs().OpenDoc(other);
    EXPECT_EQ(compile(), QStringList({"-d", other, "-level", "2"}));

    // The status bar names each document's main file; Set as Main File is
    // kept across runs.
    EXPECT_TRUE(WaitUntil([&] { return MainFilePanel() == Shows("Other.bb"); }, 3000)) << MainFilePanel().toStdString();
    ClickTab("Doc_1");
    EXPECT_TRUE(WaitUntil([&] { return MainFilePanel() == Shows("Main.bb"); }, 3000)) << MainFilePanel().toStdString();
    ClickTab("Doc_2");
    window->menus().item("mnuSetMainFile")->trigger();
    ClickTab("Doc_1");
    EXPECT_TRUE(WaitUntil([&] { return MainFilePanel() == Shows("Other.bb"); }, 3000)) << MainFilePanel().toStdString();
    Restart({player});
    ASSERT_TRUE(Activate());
    EXPECT_TRUE(WaitUntil([&] { return MainFilePanel() == Shows("Other.bb"); }, 3000)) << MainFilePanel().toStdString();
}

}  // namespace
