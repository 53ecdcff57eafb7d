// The main window's panes, splitters, toolbar bands and keys, and the
// arrangement kept between runs, on the real window.
#include "documents/DocumentTabs.h"
#include "mainwindow/BottomPanel.h"
#include "mainwindow/MainLayout.h"
#include "mainwindow/ToolbarBands.h"
#include "support/AppFixture.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <tuple>

namespace {

class Layout : public AppFixture {
protected:
    MainLayout& panes() const { return window->layoutPanes(); }
    QToolButton* button() const { return panes().SplitterButton(); }
    QList<int> split() const { return panes().VerticalSeparator()->sizes(); }
    bool Shows(int picture) const
    {
        return button()->icon().pixmap(QSize(5, 64)).toImage()
               == window->images().SplitterIconList.Picture(picture).toImage();
    }
    void Hover(bool in)
    {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button(), in ? &enter : &leave);
    }
};

TEST_F(Layout, TheSplitterButtonCollapsesTheLeftPaneAndBringsItBackAsItWas)
{
    const int pane = split()[0];
    const int documents = split()[1];
    ASSERT_GT(pane, 0);
    EXPECT_TRUE(Shows(1));
    Hover(true);
    EXPECT_TRUE(Shows(3));
    Hover(false);
    EXPECT_TRUE(Shows(1));

    button()->click();
    EXPECT_TRUE(panes().LeftPaneCollapsed());
    EXPECT_EQ(split(), QList<int>({0, documents + pane}));
    EXPECT_TRUE(Shows(2));
    EXPECT_EQ(panes().VerticalSeparator()->handle(1)->cursor().shape(), Qt::ArrowCursor);
    Hover(true);
    EXPECT_TRUE(Shows(4));

    button()->click();
    EXPECT_FALSE(panes().LeftPaneCollapsed());
    EXPECT_EQ(split(), QList<int>({pane, documents}));
    EXPECT_TRUE(Shows(3));
    EXPECT_EQ(panes().VerticalSeparator()->handle(1)->cursor().shape(), Qt::SplitHCursor);

    // Dragged wider, then shut, it keeps the width it had open: for the
    // button, and for the next start (which once got LeftPane=0).
    QWidget* handle = panes().VerticalSeparator()->handle(1);
    const auto drag = [&](int by) {
        const QPointF from(3, handle->height() / 4), to = from + QPointF(by, 0);
        for (const auto& [type, at, buttons] : {std::tuple{QEvent::MouseButtonPress, from, Qt::LeftButton},
                                                {QEvent::MouseMove, to, Qt::LeftButton},
                                                {QEvent::MouseButtonRelease, to, Qt::NoButton}}) {
            QMouseEvent e(type, at, handle->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
            QApplication::sendEvent(handle, &e);
        }
    };
    drag(40);
    ASSERT_EQ(split(), QList<int>({pane + 40, documents - 40}));
    drag(-pane - 40);
    ASSERT_TRUE(panes().LeftPaneCollapsed());
    EXPECT_EQ(panes().LeftPaneWidth(), pane + 40);
    button()->click();
    EXPECT_EQ(split(), QList<int>({pane + 40, documents - 40}));
}

TEST_F(Layout, ANarrowWindowSqueezesThePaneBeforeTheEditorAndWrapsTheBands)
{
    const BandRows chosen = window->bands().Arrangement();
    ASSERT_EQ(window->bands().Shown(), chosen);
    const QSize roomy = window->size();

    window->resize(window->minimumSize());
    Pump();
    EXPECT_GE(split()[1], MainLayout::kMinDocumentWidth);
    EXPECT_GE(split()[0], MainLayout::kMinLeftPaneWidth);
    EXPECT_GT(window->bands().Shown().size(), chosen.size());
    for (QToolBar* bar : window->menus().toolbars)
        EXPECT_LE(bar->geometry().right(), window->width()) << bar->objectName().toStdString() << " cut off";

    window->resize(roomy);
    Pump();
    EXPECT_EQ(window->bands().Shown(), chosen);
    EXPECT_EQ(window->bands().Arrangement(), chosen);
}

TEST_F(Layout, ControlTabAndControlPageKeysGoRoundTheTabs)
{
    docs().OpenDoc(dir.write("a.bb", "Cls\r\n"));
    docs().OpenDoc(dir.write("b.bb", "End\r\n"));
    ASSERT_TRUE(Activate());
    editor().setFocus();
    DocumentTabs& tabs = window->tabs();
    ASSERT_EQ(tabs.currentIndex(), 2);
    const struct {
        QKeySequence keys;
        int tab;
    } steps[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 0},       // round from the last tab to the help tab
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), 0},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), 2},
    };
    for (const auto& step : steps) {
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keySequence(focus, step.keys);
        Pump();
        EXPECT_EQ(tabs.currentIndex(), step.tab) << step.keys.toString().toStdString();
    }
    EXPECT_EQ(current().FileTitle, "b.bb");
}

TEST_F(Layout, TheArrangementIsKeptBetweenRuns)
{
    // The first start fits the screen it opens on, the bottom panel out of the way.
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
    auto panel = [&]() -> BottomPanel& { return window->bottomPanel(); };
    EXPECT_TRUE(panel().Collapsed());

    const BandRows moved = {{"HelpBar", "DocBar"}, {"EditBar", "BuildBar", "ToolsBar", "ProjectBar"}};
    window->bands().SetArrangement(moved);
    window->setGeometry(QRect(30, 40, 640, 480));
    Pump();
    panes().SetLeftPaneWidth(230);
    panes().SetProjectPaneHeight(90);
    panel().Toggle()->click();
    auto* splitter = qobject_cast<QSplitter*>(panel().parentWidget());
    ASSERT_NE(splitter, nullptr);
    const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
    splitter->setSizes({total - 130, 130});  // as a drag of its splitter
    Pump();
    ASSERT_EQ(panel().height(), 130);
    Restart();
    Pump();
    EXPECT_EQ(window->geometry(), QRect(30, 40, 640, 480));
    EXPECT_EQ(panes().LeftPaneWidth(), 230);
    EXPECT_EQ(panes().ProjectPaneHeight(), 90);
    EXPECT_EQ(window->bands().Arrangement(), moved);
    EXPECT_FALSE(panel().Collapsed());
    EXPECT_EQ(panel().height(), 130);

    // Collapsed at exit, the pane comes back at its width (once narrower),
    // the panel at its height.
    panes().ToggleLeftPane();
    panel().Toggle()->click();
    Restart();
    ASSERT_TRUE(panes().LeftPaneCollapsed());
    Pump();
    EXPECT_TRUE(panel().Collapsed());
    panes().ToggleLeftPane();
    panel().Toggle()->click();
    Pump();
    EXPECT_EQ(split().value(0), 230);
    EXPECT_EQ(panel().height(), 130);
    window->showMaximized();
    Pump();
    Restart();
    EXPECT_TRUE(window->isMaximized());

    // A place no screen shows comes back on screen; unreadable values are
    // left for the first arrangement.
    Close();
    dir.setPref("WINDOW", "Left", "5000");
    dir.setPref("WINDOW", "Maximized", "False");
    dir.setPref("WINDOW", "LeftPane", "wide");
    dir.setPref("WINDOW", "Bands", "|,Nowhere|");
    Launch();
    EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
    EXPECT_GE(panes().LeftPaneWidth(), 224);
    EXPECT_EQ(window->bands().Arrangement(), ToolbarBands::FirstArrangement());
}

}  // namespace
