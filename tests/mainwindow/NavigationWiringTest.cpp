// Go to definition, find references, the jump history and folding, from the
// keys, the mouse and the menus of the real main window.
#include "assist/CodeAssistant.h"
#include "panes/DeclList.h"
#include "panes/ReferencesPane.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QTest>

namespace {

const char* const kMain =
    "Include \"lib\\shapes.bb\"\r\n"   // 1
    "Global score\r\n"                 // 2
    "Function Hit(hp)\r\n"             // 3
    "\tLocal score = hp * 2\r\n"       // 4
    "\tDrawBox score, 0\r\n"           // 5
    "End Function\r\n"                 // 6
    "score = Area(1, 2) ; score\r\n";  // 7

const char* const kShapes =
    "; shapes\r\n"                     // 1
    "Function DrawBox(x, y)\r\n"       // 2
    "\tRect x, y, 10, 10\r\n"          // 3
    "End Function\r\n"                 // 4
    "Function Area(w, h)\r\n"          // 5
    "\tReturn w * h\r\n"               // 6
    "End Function\r\n";                // 7

class Navigation : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(Activate());
        dir.write("game/lib/shapes.bb", kShapes);
        docs().OpenDoc(dir.write("game/main.bb", kMain));
    }
};

}  // namespace

TEST_F(Navigation, F12GoesToTheDeclarationShiftF12ToTheUsesAndAltArrowsWalkTheJumps)
{
    editor().SetCaret(10, 5);  // in "score" of DrawBox score
    Key(Qt::Key_F12);
    // The Local shadows the Global; its name is selected.
    EXPECT_EQ(Where(), "main.bb:4:12");
    EXPECT_EQ(editor().SelectedText(), "score");

    editor().SetCaret(3, 5);  // DrawBox, declared in the included file
    Key(Qt::Key_F12);
    EXPECT_EQ(Where(), "shapes.bb:2:16");
    EXPECT_EQ(editor().SelectedText(), "DrawBox");
    EXPECT_EQ(docs().Docs().size(), 2);

    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Where(), "main.bb:5:3");
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Where(), "main.bb:5:10");
    Key(Qt::Key_Right, Qt::AltModifier);
    Key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(Where(), "shapes.bb:2:16");

    // A declaration chosen in the list is a jump too.
    docs().ShowDoc(*docs().Docs().front());
    window->declList().SelectTab("Functions");
    ASSERT_TRUE(window->declList().Choose("Hit"));
    EXPECT_EQ(Where(), "main.bb:3:0");
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Where(), "main.bb:5:3");
    docs().ShowDoc(*docs().Docs().back());

    // Nothing to go to: the status bar says why, and the caret stays.
    editor().SetCaret(4, 1);  // in the comment
    Key(Qt::Key_F12);
    EXPECT_EQ(window->InfoPanel(), app->labels.getValue("nonameatcaret"));
    EXPECT_EQ(Where(), "shapes.bb:1:4");

    // Shift+F12 lists the uses, and a click goes there.
    ReferencesPane& pane = window->references();
    docs().ShowDoc(*docs().Docs().front());
    editor().SetCaret(3, 5);
    Key(Qt::Key_F12, Qt::ShiftModifier);
    ASSERT_TRUE(pane.isVisible());
    EXPECT_EQ(pane.Title(), app->labels.getValue("referencesof").replace("#count#", "2").replace("#name#", "DrawBox"));
    QStringList uses;
    for (int i = 0; i < pane.RowCount(); ++i)
        uses << pane.Row(i).title + ":" + QString::number(pane.Row(i).line) + " " + pane.Row(i).text;
    ASSERT_EQ(uses, (QStringList{"main.bb:5 DrawBox score, 0", "shapes.bb:2 Function DrawBox(x, y)"}));

    pane.Choose(1);
    EXPECT_EQ(Where(), "shapes.bb:2:16");
    pane.Choose(0);
    EXPECT_EQ(Where(), "main.bb:5:8");
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Where(), "shapes.bb:2:16");
}

// The editor's menu offers the navigation and fold commands.
TEST_F(Navigation, CtrlClickOrTheMenuOnANameGoesToItsDeclaration)
{
    // Where "Area" of line 7 is drawn.
    auto* view = qobject_cast<QAbstractScrollArea*>(editor().focusProxy());
    ASSERT_TRUE(view);
    auto pointAt = [&](const char* word) {
        const qint64 at = editor().Text().indexOf(word);
        return view->viewport()->mapFrom(&editor(), editor().SpanRect({at + 1, at + 2}).center());
    };
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, pointAt("Area("));
    Pump();
    EXPECT_EQ(Where(), "shapes.bb:5:13");
    EXPECT_EQ(editor().SelectedText(), "Area");

    // The right button leaves the caret and the text, and puts away the
    // completion list; the menu's command takes the name it was pressed on.
    Key(Qt::Key_Left, Qt::AltModifier);
    editor().SetCaret(0, 1);
    Key(Qt::Key_Space, Qt::ControlModifier);
    auto* assistant = window->findChild<CodeAssistant*>();
    ASSERT_TRUE(assistant && assistant->ListVisible());
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::NoModifier, pointAt("DrawBox score"));
    QMenu* menu = window->menus().menus.value("mnuEditTop");
    ASSERT_TRUE(WaitUntil([&] { return menu->isVisible(); }, 3000));
    EXPECT_EQ(QApplication::activePopupWidget(), menu) << "the only menu shown";
    EXPECT_FALSE(assistant->ListVisible() || assistant->PopupShown());
    EXPECT_EQ(Where(), "main.bb:1:0");
    EXPECT_EQ(editor().Text() + "\r\n", kMain);
    QStringList offered;
    for (QAction* a : menu->actions())
        offered << a->objectName() + "=" + a->shortcut().toString();
    for (const char* item : {"mnuGoToDefinition=F12", "mnuFindReferences=Shift+F12", "mnuNavigateBack=Alt+Left",
                             "mnuNavigateForward=Alt+Right", "mnuFoldAll=Ctrl+Shift+-", "mnuUnfoldAll=Ctrl+Shift+="})
        EXPECT_TRUE(offered.contains(item)) << item;
    window->menus().item("mnuGoToDefinition")->trigger();
    menu->hide();
    EXPECT_EQ(Where(), "shapes.bb:2:16");

    // The menu's fold commands fold every block and open them again.
    Command("mnuFoldAll");
    EXPECT_FALSE(editor().LineShown(4));
    Command("mnuUnfoldAll");
    EXPECT_TRUE(editor().LineShown(4));
}

TEST_F(Navigation, CtrlGAsksForALineInTheStatusBarAndGoesThere)
{
    auto* box = window->findChild<QLineEdit*>("GoToLineBox");
    ASSERT_NE(box, nullptr);
    editor().SetCaret(3, 2);
    Key(Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), "");
    EXPECT_EQ(box->placeholderText(), "Line (1-7)");
    EXPECT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(box->isVisible()) << "Enter waits for a number";

    QTest::keyClicks(box, "6");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(Where(), "main.bb:6:0");
    EXPECT_TRUE(editor().hasFocus() || editor().isAncestorOf(QApplication::focusWidget()));
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Where(), "main.bb:2:3") << "the jump is in the history";

    // Letters are refused, a line past the end is the last, Escape goes nowhere.
    Key(Qt::Key_G, Qt::ControlModifier);
    QTest::keyClicks(box, "x99");
    EXPECT_EQ(box->text(), "99");
    QTest::keyClick(box, Qt::Key_Enter);
    EXPECT_EQ(editor().CaretPos().Line, 7);
    Key(Qt::Key_G, Qt::ControlModifier);
    QTest::keyClicks(box, "1");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(editor().CaretPos().Line, 7);
}
