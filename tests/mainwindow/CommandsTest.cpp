// Menu items, shortcuts and toolbar buttons reach their commands through the
// one dispatcher, on the real main window.
#include "editing/DialogFindReplace.h"
#include "editing/EditingTools.h"
#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "mainwindow/Commands.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QTest>

namespace {

class Commands : public AppFixture {};

// A key pressed with the help page in front never acts on the document out of
// sight: the command shows the document before it asks or searches.
TEST_F(Commands, KeysOnTheDocumentBringItToTheFront)
{
    ASSERT_TRUE(Activate());
    auto press = [&](const QKeySequence& keys) {
        QTest::keySequence(window, keys);
        Pump();
    };
    press(QKeySequence(Qt::CTRL | Qt::Key_N));
    press(QKeySequence(Qt::CTRL | Qt::Key_N));
    ASSERT_EQ(docs().Docs().size(), 2);
    EXPECT_EQ(current().Key, "Doc_2");

    // Each key is pressed with the help page in front: a command shows its
    // document before it asks. Each dialog is cancelled: it was asked for.
    QStringList inFront;
    dialogs.onShow = prompter.onShow = [&] {
        inFront << (window->help().BrowserShown() ? QStringLiteral("help") : current().Key);
    };
    const QString save = "save:" + app->labels.getValue("savebbf"),
                  saveBefore = app->labels.getValue("savebeforebuild").replace("#docname#", "newfile_2");
    const struct {
        QKeySequence keys;
        QStringList asked, inFront;
    } rows[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_O), {"open:" + app->labels.getValue("openbbf")}, {"help"}},
        {QKeySequence(Qt::CTRL | Qt::Key_S), {save}, {"Doc_2"}},
        {QKeySequence(Qt::CTRL | Qt::Key_W), {save, save}, {"Doc_1", "Doc_2"}},  // each document through its dialog
        // The build keys refuse a never-saved document with the same message.
        {QKeySequence(Qt::Key_F5), {save, saveBefore}, {"Doc_2", "Doc_2"}},
        // With nothing to search for yet, F3 and Shift+F3 open the find dialog.
        {QKeySequence(Qt::Key_F3), {}, {}},
        {QKeySequence(Qt::SHIFT | Qt::Key_F3), {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.keys.toString().toStdString());
        // The find dialog holds the keys while it is open, and the tabs with them.
        if (auto* find = window->editingTools().findDialog()) {
            find->close();
            ASSERT_TRUE(Activate());
        }
        ClickTab(DocumentTabs::kHelpTabKey);
        dialogs.requests.clear();
        prompter.shown.clear();
        inFront.clear();
        press(row.keys);
        EXPECT_EQ(dialogs.requests + prompter.texts(), row.asked);
        EXPECT_EQ(inFront, row.inFront);
        if (row.asked.isEmpty()) {
            EXPECT_FALSE(window->help().BrowserShown());
            EXPECT_TRUE(window->editingTools().findDialog()->isVisible());
        }
    }
}

TEST_F(Commands, DispatchGoesByLowerCasedNameButtonsByTheirOwnToolbarAndTogglesAreKept)
{
    CommandDispatcher& d = window->dispatcher();
    d.DoCommand("MNUNEWBBFILE");
    EXPECT_EQ(docs().Docs().size(), 1);
    d.DoCommand("mnuNoSuchItem");  // nothing happens

    // A key only counts on its own toolbar.
    d.ButtonClick("cEditBar", "btNewBBFile");
    EXPECT_EQ(docs().Docs().size(), 1);
    d.ButtonClick("cDocBar", "btnewbbfile");
    EXPECT_EQ(docs().Docs().size(), 1);
    d.ButtonClick("cDocBar", "btNewBBFile");
    EXPECT_EQ(docs().Docs().size(), 2);

    // The toggles invert their own check mark, from the menu or by name,
    // and are stored as the window closes.
    QAction* autoIndent = window->menus().item("mnuAutoindent");
    const bool was = autoIndent->isChecked();
    d.DoCommand("mnuAutoindent");
    EXPECT_EQ(autoIndent->isChecked(), !was);
    EXPECT_EQ(app->settings.AutoIndent, !was);
    EXPECT_EQ(editor().AutoIndent(), !was);
    autoIndent->trigger();
    EXPECT_EQ(autoIndent->isChecked(), was);
    EXPECT_EQ(editor().AutoIndent(), was);
    d.ButtonClick("cBuildBar", "btDebugEnabled");
    const bool debug = window->menus().item("mnuDebugEnabled")->isChecked();
    EXPECT_TRUE(window->close());
    const std::string prefs = dir.read("prefs.ini");
    EXPECT_NE(prefs.find(was ? "AutoIndent=True" : "AutoIndent=False"), std::string::npos);
    EXPECT_NE(prefs.find(debug ? "DebugEnabled=True" : "DebugEnabled=False"), std::string::npos);
    window = nullptr;
}

// The update check of the Help menu, on the page shipped in the program
// folder and an update address nobody answers at.
class UpdateCommand : public AppFixture {
protected:
    void SetUp() override
    {
        dir.write("AutoUpdate.html", ShippedResource("AutoUpdate.html"));
        dir.setPref("PATHS", "AutoUpdateLink", "http://127.0.0.1:1/stavel/autoupdate.asp");
        AppFixture::SetUp();
    }
};

TEST_F(UpdateCommand, CheckForUpdatesShowsTheUpdatePageInTheHelpBrowser)
{
    window->help().ShowEditor();
    Command("mnuAutoUpdate");
    ASSERT_TRUE(WaitUntil([&] { return !prompter.shown.empty(); }));
    EXPECT_TRUE(prompter.shown[0].text.startsWith("The update server could not be reached:"));
    EXPECT_TRUE(window->help().BrowserShown());
    EXPECT_EQ(window->helpBrowser().CurrentUrl(), QUrl::fromLocalFile(dir.file("AutoUpdate.html")));
    std::optional<QString> version;
    window->helpBrowser().ElementText("spVersion", [&](std::optional<QString> text) { version = text; });
    ASSERT_TRUE(WaitUntil([&] { return version.has_value(); }));
    EXPECT_EQ(version, QString("0.8.20"));
}

}  // namespace
