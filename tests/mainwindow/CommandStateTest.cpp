// Every button and menu item is enabled exactly when its command makes sense,
// through the situations a user goes through, on the real main window.
#include "build/BuildController.h"
#include "documents/DocumentTabs.h"
#include "help/HelpTestSupport.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QClipboard>
#include <QSet>

namespace {

// Enabled from the start, in every situation.
const QStringList kFromStart = {
    "btNewBBFile", "btOpenBBFile", "btCalc", "btHome", "btPrev", "btNext", "btPrefs", "btHelp", "btDebugEnabled",
    "btNewProject", "btOpenProject", "mnuFile", "mnuEditTop", "mnuProgramTop", "mnuHelpTop", "mnuDebugTop",
    "mnuNewProject", "mnuOpenProject", "mnuNewBBFile", "mnuOpenBBFile", "mnuExit", "mnuAutoindent",
    "mnuCommandLine", "mnuDebugEnabled", "mnuAbout", "mnuShowHelp", "mnuPrev", "mnuNext", "mnuPrefs",
    "mnuAutoUpdate", "mnuDisableParsing", "mnuLogToFile", "mnuInsertHex", "mnuInsertRGB"};
// The recent files, and their Clear item, once a file was opened.
const QStringList kAlways = kFromStart + QStringList{"mnuRecentFiles", "mnuClearRecentFiles"};
// With the help page in front too; Close then has nothing to close.
const QStringList kDocument = {"btSaveBBFileAs", "btSaveBBFileAll", "mnuSaveBBFile", "mnuSaveBBFileAS",
                               "mnuSaveBBFileAll", "mnuCloseBBFileAll", "mnuSetMainFile"};
const QStringList kClose = {"btCloseBBFile", "mnuCloseBBFile"};
const QStringList kBuild = {"btCheck", "btCompile", "btBuildExe", "mnuCheck", "mnuCompile", "mnuRun", "mnuBuildExe"};
const QStringList kEditing = QStringList{"btFindReplace", "mnuFindReplace", "btColor", "mnuGoToLine",
                                         "mnuGoToDefinition", "mnuFindReferences", "mnuNavigateBack",
                                         "mnuNavigateForward", "mnuFoldAll", "mnuUnfoldAll", "mnuIndentBlock",
                                         "mnuUnindentBlock", "mnuCommentBlock", "mnuUncommentBlock", "mnuFindInProgram",
                                         "mnuGoToSymbol", "mnuRename", "mnuToggleBreakpoint", "mnuQuickFix"}
                              + kClose;
const QStringList kSelection = {"btCut", "btCopy", "mnuCut", "mnuCopy"};
const QStringList kPaste = {"btPaste", "mnuPaste"};
const QStringList kUndo = {"btUndo", "mnuUndo"};
const QStringList kRedo = {"btRedo", "mnuRedo"};
const QStringList kSave = {"btSaveBBFile"};
const QStringList kPageCopy = {"btCopy", "mnuCopy"};
const QStringList kStop = {"btStop", "mnuStop"};

class CommandState : public AppFixture {
protected:
    QSet<QString> Enabled() const
    {
        QSet<QString> on;
        for (const auto* table : {&window->menus().items, &window->menus().buttons})
            for (auto it = table->begin(); it != table->end(); ++it)
                if (it.value()->isEnabled())
                    on << it.key();
        return on;
    }

    // The commands settle within the edit status timer's beat.
    void Expect(const char* situation, const QStringList& want)
    {
        const QSet<QString> wanted(want.begin(), want.end());
        WaitUntil([&] { return Enabled() == wanted; }, 15000);
        const QSet<QString> got = Enabled();
        const auto names = [](const QSet<QString>& set) { return QStringList(set.values()).join(' ').toStdString(); };
        EXPECT_TRUE(got == wanted) << situation << ": enabled but should not be: " << names(got - wanted)
                                   << "; disabled but should not be: " << names(wanted - got);
    }
};

TEST_F(CommandState, EachSituationEnablesExactlyItsCommands)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    Expect("no document", kFromStart);

    const QString game = dir.write("game.bb", "Graphics 640,480\r\nEnd\r\n");
    docs().OpenDoc(game);
    Expect("one clean document", kAlways + kDocument + kBuild + kEditing);

    clipboard->setText("Cls");
    Expect("clipboard full", kAlways + kDocument + kBuild + kEditing + kPaste);

    Type("x");
    Expect("modified, undo possible", kAlways + kDocument + kBuild + kEditing + kPaste + kSave + kUndo);

    Command("mnuUndo");
    Expect("undone to the text on disk: redo possible, nothing to save",
           kAlways + kDocument + kBuild + kEditing + kPaste + kRedo);

    editor().SetSelection({true, 0, 0, 8, 0});
    Expect("selection", kAlways + kDocument + kBuild + kEditing + kPaste + kRedo + kSelection);

    // With the help page in front nothing may change the document out of
    // sight; Copy takes what is selected on the page.
    window->tabs().setCurrentIndex(window->tabs().IndexOf(DocumentTabs::kHelpTabKey));
    Expect("help in front", kAlways + kDocument + kBuild);
    // The engine is started here rather than awaited after the window is
    // drawn: on a loaded machine that wait is what takes longest.
    HelpBrowser& help = window->helpBrowser();
    ASSERT_TRUE(WaitUntil([&] { return !help.CurrentUrl().isEmpty(); }, 60000));
    // The page may still be loading: its text is selected once it has a body.
    ASSERT_TRUE(WaitUntil([&] {
        RunScript(help, "document.body && window.getSelection().selectAllChildren(document.body)");
        return help.HasSelection();
    }, 60000));
    Expect("text selected on the help page", kAlways + kDocument + kBuild + kPageCopy);
    clipboard->clear();
    window->menus().item("mnuCopy")->trigger();
    EXPECT_TRUE(WaitUntil([&] { return !clipboard->text().isEmpty(); }, 30000));
    EXPECT_EQ(editor().SelectedText(), "Graphics");  // the document kept its selection

    // One build at a time: while the compiler runs, the build commands wait
    // and Stop may end it.
    window->tabs().setCurrentIndex(window->tabs().IndexOf(current().Key));
    Command("mnuSaveBBFile");
    // The compiler runs until the test lets it go, however slow the machine.
    const QString go = dir.file("go");
    FakeCompiler("while [ ! -e '" + go.toStdString() + "' ]; do sleep 0.05; done\necho 'BlitzCC V1.108'\n");
    Command("mnuCheck");
    ASSERT_TRUE(window->build().IsBuilding());
    const QStringList editing = kAlways + kDocument + kEditing + kPaste + kSelection + kRedo;
    Expect("build running", editing + kStop);
    dir.write("go", "");
    ASSERT_TRUE(BuildFinished());
    Expect("build done", editing + kBuild);

    // The help page comes back with its text still selected.
    Command("mnuCloseBBFile");
    Expect("closed again", kAlways + kPageCopy);
}

}  // namespace
