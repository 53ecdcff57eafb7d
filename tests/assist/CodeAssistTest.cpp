// The autocomplete list, the call tip and F1 help on the real editor: keys
// typed into the editor open, steer and close the popups, and what they
// insert lands in the text.
#include "assist/CodeAssistant.h"
#include "assist/DlgInlineHelp.h"
#include "assist/DlgListVar.h"
#include "documents/DocumentTabs.h"
#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "support/AppFixture.h"

#include <QScrollBar>
#include <QToolBar>
#include <QTest>

namespace {

class Assist : public AppFixture {
protected:
    CodeAssistant& assistant() const { return *window->findChild<CodeAssistant*>(); }
    DlgListVar& list() const { return assistant().list(); }
    DlgInlineHelp& tip() const { return assistant().tip(); }

    // Opens `text` as `name` with the caret at the end of its last line.
    void Open(const char* text, const char* name = "main.bb")
    {
        docs().OpenDoc(dir.write(name, text));
        const int last = editor().LineCount();
        editor().SetCaret(int(editor().LineText(last).size()), last);
        editor().setFocus();
    }

    void CtrlSpace() { Key(Qt::Key_Space, Qt::ControlModifier); }

    QString CaretLineText() const { return QString::fromLatin1(editor().LineText(editor().CaretPos().Line)); }
    int CaretColumn() const { return editor().CaretPos().Column; }
    QString Selected() const { return QString::fromStdString(list().SelectedName()); }
    QStringList ListNames() const
    {
        QStringList names;
        for (const EditorKeywordPtr& e : list().model().tokens())
            names << QString::fromStdString(e->Name);
        return names;
    }
    QPoint CaretOnScreen() const { return editor().mapToGlobal(editor().CaretPoint()); }
    // The deferred insertion after Enter, Tab or a double click.
    bool Inserted() { return WaitUntil([&] { return !assistant().InsertionPending(); }, 2000); }
};

TEST_F(Assist, CtrlSpaceListsNamesNarrowsAndEnterInsertsTheChoice)
{
    Open("Global waitTime\r\n");
    Type("\nx = Wai");
    const QPoint caret = CaretOnScreen();
    CtrlSpace();
    ASSERT_TRUE(list().isVisible());
    EXPECT_EQ(list().pos(), caret + QPoint(10, 24));
    // The first name at the prefix; the document's own follow below.
    EXPECT_EQ(Selected(), "WaitJoy");
    EXPECT_EQ(CaretLineText(), "x = Wai") << "Ctrl+Space types no blank";
    // The list never takes the keyboard.
    EXPECT_TRUE(editor().isAncestorOf(QApplication::focusWidget()));
    EXPECT_FALSE(list().isActiveWindow());

    Type("tT");
    EXPECT_TRUE(list().isVisible());
    EXPECT_EQ(Selected(), "waitTime");
    Key(Qt::Key_Down);
    EXPECT_EQ(Selected(), "WaitTimer");
    EXPECT_EQ(editor().CaretPos().Line, 2) << "Down moves in the list, not in the text";

    Type("\n");
    EXPECT_FALSE(list().isVisible());
    ASSERT_TRUE(Inserted());
    EXPECT_EQ(CaretLineText(), "x = WaitTimer");
    EXPECT_EQ(CaretColumn(), 13);
    EXPECT_EQ(editor().LineCount(), 2) << "Enter chose the name and typed no new line";

    // Tab chooses as well; text after the caret stays after the name.
    Type("\n(foo)");
    editor().SetCaret(1, 3);
    Type("wait");
    CtrlSpace();
    Type("\t");
    ASSERT_TRUE(Inserted());
    // "x = WaitTimer" without brackets made a variable of that name: the
    // main program's own names lead the list.
    EXPECT_EQ(CaretLineText(), "(WaitTimerfoo)");
    EXPECT_EQ(CaretColumn(), 10);

    // Page keys scroll, and a double click chooses.
    Open("", "other.bb");
    Type("Load");
    CtrlSpace();
    ASSERT_TRUE(list().isVisible());
    // How far a page goes: Completion.KeysMoveSelectionWithinListAndKeepItOnPage.
    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown);
    EXPECT_GT(list().model().top(), 1);
    EXPECT_EQ(list().scrollBar()->value(), list().model().top());

    // The third visible row, double-clicked.
    const int top = list().model().top();
    const std::string third = list().model().tokens().Item(std::size_t(top + 2)).Name;
    QTest::mouseDClick(Child<QWidget>(list(), "ElTokens"), Qt::LeftButton, {}, QPoint(40, list().RowHeight() * 2 + 3));
    EXPECT_FALSE(list().isVisible());
    ASSERT_TRUE(Inserted());
    EXPECT_EQ(CaretLineText().toStdString(), third.substr(0, third.find('.')));
}

// Toolbars and the help browser put the list away too.
TEST_F(Assist, TheListClosesWithoutInsertingOnEscapeLeftBackspaceAndAnotherLine)
{
    Open("Global score\r\n");
    Type("\nWai");
    const QByteArray before = editor().Text();
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Escape", [&] { Key(Qt::Key_Escape); }},
        {"Left, which still moves the caret", [&] {
             Key(Qt::Key_Left);
             EXPECT_EQ(CaretColumn(), 2);
         }},
        {"a move to another line", [&] { editor().SetCaret(0, 1); }},
    };
    for (const auto& [name, close] : ways) {
        editor().SetCaret(3, 2);
        CtrlSpace();
        ASSERT_TRUE(list().isVisible()) << name;
        close();
        EXPECT_FALSE(list().isVisible()) << name;
        Pump(120);
        EXPECT_EQ(editor().Text(), before) << name;
    }

    auto press = [&](const char* toolbar) {
        QToolBar* bar = window->menus().toolbars.value(toolbar);
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(bar->width() - 2, bar->height() / 2));
    };
    // Another toolbar only hides the list; the build toolbar ends it.
    editor().SetCaret(3, 2);
    CtrlSpace();
    ASSERT_TRUE(list().isVisible());
    press("cEditBar");
    EXPECT_FALSE(list().isVisible());
    EXPECT_TRUE(assistant().PopupShown());
    CtrlSpace();
    press("cBuildBar");
    EXPECT_FALSE(list().isVisible());
    EXPECT_FALSE(assistant().PopupShown());

    // The help browser in the editor's place ends the list and anything it
    // was about to insert.
    CtrlSpace();
    Key(Qt::Key_Return);
    window->dispatcher().ButtonClick("cHelpBar", "btHome");
    EXPECT_TRUE(window->help().BrowserShown());
    EXPECT_FALSE(list().isVisible());
    EXPECT_FALSE(assistant().PopupShown());
    Pump(120);
    EXPECT_EQ(editor().Text(), before);

    // A click on the document's tab, still the selected one, brings the
    // editor back.
    DocumentTabs& tabs = window->tabs();
    const int index = tabs.IndexOf(current().Key);
    ASSERT_EQ(tabs.currentIndex(), index);
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(index).center());
    EXPECT_FALSE(window->help().BrowserShown());
    EXPECT_TRUE(editor().isVisible());

    // Backspace follows the word back and closes once it is gone.
    editor().SetCaret(3, 2);
    Type("t");
    CtrlSpace();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Selected(), "WaitMouse");
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(list().isVisible());
    EXPECT_EQ(Selected(), "WaitJoy");
    for (int i = 0; i < 3; ++i)
        Key(Qt::Key_Backspace);
    EXPECT_TRUE(list().isVisible());
    Key(Qt::Key_Backspace);
    EXPECT_FALSE(list().isVisible());

    Type("Wai");
    CtrlSpace();
    ASSERT_TRUE(list().isVisible());
    docs().OpenDoc(dir.write("other.bb", "Global x\r\n"));
    EXPECT_FALSE(list().isVisible()) << "another document brought in closes the list";
}

// Typing never inserts a choice; only Ctrl+Space inserts an only candidate,
// without a list.
TEST_F(Assist, TypingATypeNameInFullNeverCorruptsTheLineAndCtrlSpaceCompletesAnOnlyCandidate)
{
    // An empty list leaves Enter to the text.
    docs().OpenDoc(dir.write("plain.bb", "Global a\r\n"));
    Type("\nb.");
    ASSERT_TRUE(list().isVisible());
    Type("\n");
    EXPECT_FALSE(list().isVisible());
    EXPECT_EQ(editor().LineText(2), "b.");
    EXPECT_EQ(editor().CaretPos().Line, 3);

    Open("Type Doors\r\nEnd Type\r\nType Player\r\nEnd Type\r\n");
    // "Local d.Doors" came out as "Local d.Doorsors": the one name left
    // after "Do" went in at once and the rest of the typing followed it.
    Type("\nLocal d.Do");
    ASSERT_TRUE(list().isVisible());
    EXPECT_EQ(Selected(), "Doors");
    EXPECT_EQ(CaretLineText(), "Local d.Do");
    Type("ors\nLocal e.Px");
    EXPECT_EQ(editor().LineText(5), "Local d.Doors") << "Enter after the whole name made the new line";
    EXPECT_EQ(CaretLineText(), "Local e.Px");
    EXPECT_FALSE(list().isVisible()) << "typing past every name closes the list";

    // Enter on a name that does not complete the word closes the list and
    // makes the new line ("Local e.Enemy" became "Local e.Player").
    Type("\nLocal e.Enemy");
    CtrlSpace();
    ASSERT_TRUE(list().isVisible());
    EXPECT_EQ(Selected(), "Player");
    Type("\n");
    EXPECT_FALSE(list().isVisible());
    Pump(120);
    EXPECT_EQ(editor().LineText(7), "Local e.Enemy");
    EXPECT_EQ(editor().CaretPos().Line, 8);

    Type("WaitK");
    CtrlSpace();
    EXPECT_FALSE(list().isVisible());
    EXPECT_EQ(CaretLineText(), "WaitKey");
    EXPECT_EQ(CaretColumn(), 7);
}

// A backslash lists the fields of the variable's type (of a type from an
// included file too: ProgramTest.CompletionAndSymbolQueries).
TEST_F(Assist, BackslashListsTheFieldsOfTheVariablesType)
{
    Open("Type Player\r\n\tField x#, y#\r\n\tField name$\r\nEnd Type\r\nLocal p.Player = New Player\r\n");
    Type("\np\\");
    ASSERT_TRUE(list().isVisible());
    EXPECT_EQ(ListNames(), (QStringList{"name$", "x#", "y#"}));
    Type("y\t");
    ASSERT_TRUE(Inserted());
    EXPECT_EQ(CaretLineText(), "p\\y#");

    // Ctrl+Space after a "\" lists the same fields; a type character already
    // typed is part of the word the choice replaces.
    Type("\np\\");
    Key(Qt::Key_Escape);
    Type("x#");
    CtrlSpace();
    ASSERT_TRUE(list().isVisible());
    EXPECT_EQ(Selected(), "x#");
    Type("\n");
    ASSERT_TRUE(Inserted());
    EXPECT_EQ(CaretLineText(), "p\\x#");

    // In an included file the lists know the whole program: the fields of a
    // type the main file declares, and inside a function its own names ahead of
    // everything else (the types after New, Each, First and Last:
    // EditorRouting.TypedCharactersOpenListsAndTips and ProgramTest.CompletionAndSymbolQueries).
    dir.write("game/main.bb", "Include \"lib.bb\"\r\nType Enemy\r\n\tField hp#, name$\r\nEnd Type\r\nSpawn 1\r\n");
    docs().OpenDoc(dir.write("game/lib.bb", "Function Spawn(count)\r\n\tLocal e.Enemy\r\nEnd Function\r\n"));
    editor().SetCaret(14, 2);
    editor().setFocus();
    Type("\n\te\\");
    ASSERT_TRUE(list().isVisible());
    EXPECT_EQ(ListNames(), (QStringList{"hp#", "name$"}));
    Key(Qt::Key_Escape);
    Type("\n\tco");
    CtrlSpace();
    ASSERT_TRUE(list().isVisible());
    EXPECT_EQ(Selected(), "count") << "the parameter before the commands";
}

TEST_F(Assist, TheCallTipShowsTheParameterBeingTypedAndF1TheSignatureThenTheHelpPage)
{
    Open("Global w\r\n");
    // A tip whose bold parameter moved on is as wide as one shown afresh.
    Type("\nGraphics 640,");
    const int updatedWidth = tip().width();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(assistant().TipVisible()) << "Escape closes it";
    Type(" ");
    ASSERT_TRUE(assistant().TipVisible());
    EXPECT_EQ(tip().Tip().bold, "height");
    EXPECT_EQ(tip().width(), updatedWidth);

    Type("\nText 10,20,Len(a$)");
    const QPoint caret = CaretOnScreen();
    EXPECT_EQ(tip().Tip().full(), "Text x,y,text$,[centre_x],[centre_y]");
    EXPECT_EQ(tip().pos(), caret + QPoint(0, 24)) << "placed anew at the ), under the caret";
    EXPECT_TRUE(editor().isAncestorOf(QApplication::focusWidget()));

    // Moving along the line follows the arguments (which argument where:
    // CallTip.FollowsInnermostUnclosedCommandCall); another line hides it.
    Key(Qt::Key_Home);
    EXPECT_FALSE(assistant().TipVisible()) << "left of every command";
    Type("\nGraphics3D 1,");
    ASSERT_TRUE(assistant().TipVisible());
    Key(Qt::Key_Up);
    EXPECT_FALSE(assistant().TipVisible());

    // F1 shows the signature in the status bar, then the help page.
    dir.write("Blitz3D/help/commands/2d_commands/LoadImage.htm", "<html><body><h1>LoadImage</h1></body></html>");
    Open("img = LoadImage(\"a.png\")\r\n", "f1.bb");
    HelpArea& help = window->help();
    editor().SetCaret(9, 1);
    Key(Qt::Key_F1);
    EXPECT_EQ(window->InfoPanel(), "LoadImage bmpfile$");
    EXPECT_FALSE(help.BrowserShown());
    editor().SetCaret(8, 1);  // another place in the same word
    Key(Qt::Key_F1);
    EXPECT_TRUE(help.BrowserShown());
    EXPECT_EQ(window->tabs().SelectedKey(), DocumentTabs::kHelpTabKey);
    ASSERT_TRUE(WaitUntil([&] { return window->helpBrowser().CurrentUrl().fileName() == "LoadImage.htm"; }, 15000))
        << window->helpBrowser().CurrentUrl().toString().toStdString();
}

}  // namespace
