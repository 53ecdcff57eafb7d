// The one panel under the editor that holds the build's output and the
// references, on the real main window.
#include "panes/ReferencesPane.h"
#include "build/BuildOutputPane.h"
#include "mainwindow/BottomPanel.h"
#include "support/AppFixture.h"

#include <QSplitter>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

namespace {

class Panel : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(Activate());
        docs().OpenDoc(dir.write("main.bb", "Function Hit(hp)\r\nEnd Function\r\nHit 1\r\nHit 2\r\n"));
    }
    BottomPanel& panel() const { return window->bottomPanel(); }
    void ClickTab(BottomPanel::Tab tab)
    {
        QTabBar* tabs = panel().Tabs();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    }
    void FindReferences()
    {
        editor().SetCaret(3, 1);
        Key(Qt::Key_F12, Qt::ShiftModifier);
    }
    void Build(bool fails)
    {
        FakeCompiler(fails ? "echo '\"main.bb\":3:1:3:1:Not enough parameters'\nexit 255\n" : "echo Executing...\n");
        Command("mnuCheck");
        ASSERT_TRUE(BuildFinished());
        prompter.shown.clear();
    }
    // What a user sees: the panel's tab in front and whether its content shows.
    std::string Shown() const
    {
        if (!panel().isVisible())
            return "nothing";
        const bool content = window->outputPane().isVisible() || window->references().isVisible();
        const char* tab = panel().CurrentTab() == BottomPanel::ReferencesTab ? "References" : "Build Output";
        return std::string(tab) + (content ? " open" : " collapsed")
               + (panel().TabShown(BottomPanel::ReferencesTab) ? " +refs" : "");
    }
};

TEST_F(Panel, TabsComeForwardAsAskedAndClosingTheReferencesGoesBackAsItWas)
{
    auto* splitter = qobject_cast<QSplitter*>(panel().parentWidget());
    ASSERT_TRUE(splitter);
    const int strip = panel().Tabs()->parentWidget()->height();
    EXPECT_EQ(Shown(), "Build Output collapsed");
    EXPECT_EQ(panel().height(), strip);

    // References open a collapsed panel; closing them collapses it again.
    FindReferences();
    EXPECT_EQ(Shown(), "References open +refs");
    Pump();
    EXPECT_TRUE(panel().Tabs()->rect().contains(panel().Tabs()->tabRect(BottomPanel::ReferencesTab)))
        << "the tab shows whole";
    ClickTab(BottomPanel::BuildOutputTab);
    EXPECT_EQ(Shown(), "Build Output open +refs");
    ClickTab(BottomPanel::ReferencesTab);
    EXPECT_EQ(Shown(), "References open +refs");
    window->findChild<QToolButton*>("ReferencesClose")->click();
    EXPECT_EQ(Shown(), "Build Output collapsed");

    // A build that goes well leaves the panel alone; one that fails shows
    // its output, the summary readable on the strip either way.
    Build(false);
    EXPECT_EQ(Shown(), "Build Output collapsed");
    EXPECT_TRUE(panel().Summary().contains("Finished in")) << panel().Summary().toStdString();
    EXPECT_TRUE(panel().findChild<QWidget*>("BuildOutputSummary")->isVisible());
    FindReferences();
    Build(false);
    EXPECT_EQ(Shown(), "References open +refs");
    Build(true);
    EXPECT_EQ(Shown(), "Build Output open +refs");
    EXPECT_TRUE(panel().Summary().contains("Ended with an error")) << panel().Summary().toStdString();

    // Opened before the references, the panel stays open when they close.
    FindReferences();
    window->findChild<QToolButton*>("ReferencesClose")->click();
    EXPECT_EQ(Shown(), "Build Output open");

    // The toggle collapses it to its strip; a click on a tab opens it.
    panel().Toggle()->click();
    EXPECT_EQ(splitter->sizes()[1], strip);
    ClickTab(BottomPanel::BuildOutputTab);
    EXPECT_EQ(Shown(), "Build Output open");

    // Escape in the panel hands the keyboard back to the document.
    FindReferences();
    auto* list = window->references().findChild<QTreeView*>("ReferencesList");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_TRUE(editor().hasFocus() || editor().isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(Shown(), "References open +refs");
}

}  // namespace
