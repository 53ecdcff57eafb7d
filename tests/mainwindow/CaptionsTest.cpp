// A translated locale.txt relabels the whole window: menus, toolbar tooltips,
// tabs, pane titles, the status bar and the messages.
#include "build/BuildOutputPane.h"
#include "documents/DocumentTabs.h"
#include "startup/SettingsDialog.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

// The shipped file with every text replaced by "T" and its key, followed by
// its placeholders; menu texts keep a mnemonic.
std::string TranslatedLocale()
{
    std::string out;
    const QRegularExpression entry(QStringLiteral(R"(^\s*([^#\[\s][^=]*?)\s*=(.*))"));
    const QRegularExpression placeholder(QStringLiteral(R"(%\d|#\w+#)"));
    for (const QString& line : QString::fromStdString(ShippedResource("locale.txt")).split(QStringLiteral("\r\n"))) {
        const QRegularExpressionMatch m = entry.match(line);
        if (!m.hasMatch())
            continue;
        const QString key = m.captured(1).toLower();
        QString value = QStringLiteral("T") + key;
        if (key.startsWith(u"mnu"))
            value.prepend(u'&');
        if (key == u"l3")
            value += QStringLiteral(" #row#:#col#");
        else
            for (auto it = placeholder.globalMatch(m.captured(2)); it.hasNext();)
                value += u' ' + it.next().captured();
        out += (key + QStringLiteral(" = ") + value + QStringLiteral("\r\n")).toStdString();
    }
    return out;
}

// Every menu item and toolbar button as the window shows it: the label of its
// caption or tooltip ("" for the fixed ones), its key, and a button's picture
// in the toolbar strips. One table, so that swapped captions, a changed key
// or a wrong picture each fail.
struct Shown {
    const char* name;
    const char* label;
    const char* keys;
    int picture;
};
const Shown kWindow[] = {
    {"mnuFile", "mnufile", "", 0}, {"mnuNewProject", "mnunewproject", "", 0},
    {"mnuOpenProject", "mnuopenproject", "", 0}, {"mnuSaveProject", "mnusaveproject", "", 0},
    {"mnuSaveProjectAS", "mnusaveprojectas", "", 0}, {"mnucloseProject", "mnucloseproject", "", 0},
    {"mnuNewBBFile", "mnunewbbfile", "Ctrl+N", 0}, {"mnuOpenBBFile", "mnuopenbbfile", "Ctrl+O", 0},
    {"mnuRecentFiles", "mnurecentfiles", "", 0}, {"mnuClearRecentFiles", "mnuclearrecentfiles", "", 0},
    {"mnuSaveBBFile", "mnusavebbfile", "Ctrl+S", 0}, {"mnuSaveBBFileAS", "mnusavebbfileas", "", 0},
    {"mnuSaveBBFileAll", "mnusavebbfileall", "Ctrl+W", 0}, {"mnuAddBBtoPrj", "mnuaddbbtoprj", "", 0},
    {"mnuRemoveBBFromPrj", "mnuremovebbfromprj", "", 0}, {"mnuCloseBBFile", "mnuclosebbfile", "", 0},
    {"mnuCloseBBFileAll", "mnuclosebbfileall", "", 0}, {"mnuExit", "mnuexit", "", 0},
    {"mnuEditTop", "mnuedit", "", 0}, {"mnuUndo", "mnuundo", "Ctrl+Z", 0}, {"mnuRedo", "mnuredo", "Ctrl+Y", 0},
    {"mnuCut", "mnucut", "Ctrl+X", 0}, {"mnuCopy", "mnucopy", "Ctrl+C", 0}, {"mnuPaste", "mnupaste", "Ctrl+V", 0},
    {"mnuFindReplace", "mnufindreplace", "Ctrl+F", 0}, {"mnuAutoindent", "mnuautoindent", "", 0},
    {"mnuIndentBlock", "mnuindentblock", "", 0}, {"mnuUnindentBlock", "mnuunindentblock", "", 0},
    {"mnuCommentBlock", "mnucomment", "Ctrl+E", 0}, {"mnuUncommentBlock", "mnuuncomment", "Ctrl+R", 0},
    {"mnuGoToLine", "mnugotoline", "Ctrl+G", 0}, {"mnuGoToDefinition", "mnugotodefinition", "F12", 0},
    {"mnuFindReferences", "mnufindreferences", "Shift+F12", 0}, {"mnuNavigateBack", "mnunavigateback", "Alt+Left", 0},
    {"mnuFindInProgram", "mnufindinprogram", "Ctrl+Shift+F", 0}, {"mnuGoToSymbol", "mnugotosymbol", "Ctrl+T", 0},
    {"mnuRename", "mnurename", "F2", 0}, {"mnuQuickFix", "mnuquickfix", "Ctrl+.", 0},
    {"mnuNavigateForward", "mnunavigateforward", "Alt+Right", 0}, {"mnuFoldAll", "mnufoldall", "Ctrl+Shift+-", 0},
    {"mnuUnfoldAll", "mnuunfoldall", "Ctrl+Shift+=", 0}, {"mnuProgramTop", "mnuprogram", "", 0},
    {"mnuCheck", "mnucheck", "F7", 0}, {"mnuCompile", "mnucompile", "F5", 0}, {"mnuRun", "mnurun", "F6", 0},
    {"mnuBuildExe", "mnubuildexe", "F8", 0}, {"mnuStop", "mnustop", "Shift+F5", 0},
    {"mnuContinue", "mnucontinue", "", 0}, {"mnuStepOver", "mnustepover", "F10", 0},
    {"mnuStepInto", "mnustepinto", "F11", 0}, {"mnuStepOut", "mnustepout", "Shift+F11", 0},
    {"mnuBreak", "mnubreak", "Pause", 0}, {"mnuToggleBreakpoint", "mnutogglebreakpoint", "F9", 0},
    {"mnuCommandLine", "mnucommandline", "", 0}, {"mnuDebugEnabled", "mnudebugenabled", "", 0},
    {"mnuSetMainFile", "mnusetmainfile", "", 0},
    {"mnuHelpTop", "mnuhelp", "", 0}, {"mnuAbout", "mnuabout", "", 0}, {"mnuShowHelp", "mnushowhelp", "", 0},
    {"mnuPrev", "mnuprev", "", 0}, {"mnuNext", "mnunext", "", 0}, {"mnuPrefs", "mnuprefs", "", 0},
    {"mnuAutoUpdate", "mnuautoupdate", "", 0}, {"mnuDebugTop", "", "", 0}, {"mnuDisableParsing", "", "", 0},
    {"mnuLogToFile", "", "", 0}, {"mnuInsertHex", "colorhex", "", 0}, {"mnuInsertRGB", "colorrgb", "", 0},
    {"btNewProject", "", "", 8}, {"btOpenProject", "", "", 9}, {"btSaveProject", "", "", 11},
    {"btNewBBFile", "mnunewbbfile", "", 1}, {"btOpenBBFile", "mnuopenbbfile", "", 2},
    {"btSaveBBFile", "mnusavebbfile", "", 3}, {"btSaveBBFileAs", "mnusavebbfileas", "", 4},
    {"btSaveBBFileAll", "mnusavebbfileall", "", 5}, {"btAddBBToPrj", "mnuaddbbtoprj", "", 13},
    {"btRemBBFromPrj", "mnuremovebbfromprj", "", 14}, {"btCloseBBFile", "mnuclosebbfile", "", 6},
    {"btCut", "mnucut", "", 15}, {"btCopy", "mnucopy", "", 16}, {"btPaste", "mnupaste", "", 17},
    {"btFindReplace", "mnufindreplace", "", 19}, {"btUndo", "mnuundo", "", 20}, {"btRedo", "mnuredo", "", 21},
    {"btDebugEnabled", "mnudebugenabled", "", 40}, {"btCheck", "mnucheck", "", 24}, {"btCompile", "mnucompile", "", 26},
    {"btBuildExe", "mnubuildexe", "", 31}, {"btStop", "mnustop", "", 27}, {"btContinue", "mnucontinue", "", 50},
    {"btStepOver", "mnustepover", "", 51}, {"btStepInto", "mnustepinto", "", 52}, {"btStepOut", "mnustepout", "", 53},
    {"btBreak", "mnubreak", "", 54}, {"btColor", "mnucolor", "", 43},
    {"btCalc", "mnucalc", "", 47}, {"btHome", "mnugohome", "", 41}, {"btPrev", "mnuprev", "", 35},
    {"btNext", "mnunext", "", 36}, {"btPrefs", "mnuprefs", "", 45}, {"btHelp", "mnuhelp", "", 42},
};

// The menu item's key shown beside a button captioned with the same label.
QString KeysOfLabel(const QString& label)
{
    for (const Shown& row : kWindow)
        if (*row.keys && label == QLatin1String(row.label))
            return QStringLiteral(" (%1)").arg(QLatin1String(row.keys));
    return {};
}

QImage Plain(const QPixmap& picture)
{
    return picture.toImage().convertToFormat(QImage::Format_ARGB32);
}

class Captions : public AppFixture {
protected:
    Captions() { dir.write("locale.txt", TranslatedLocale()); }
};

TEST_F(Captions, EveryItemAndButtonShowsItsOwnLabelKeyAndPicture)
{
    const MainMenus& m = window->menus();
    const ToolbarImages& images = window->images();
    QStringList listed;
    for (const Shown& row : kWindow) {
        SCOPED_TRACE(row.name);
        const QString name = QLatin1String(row.name);
        const QString label = QLatin1String(row.label);
        listed << name;
        if (name.startsWith(u"mnu")) {
            const QAction* item = m.item(name);
            ASSERT_TRUE(item);
            if (!label.isEmpty()) {
                EXPECT_EQ(item->text(), (label.startsWith(u"mnu") ? "&T" : "T") + label);
            }
            EXPECT_EQ(item->shortcut(), QKeySequence(QLatin1String(row.keys)));
            continue;
        }
        const QAction* button = m.button(name);
        ASSERT_TRUE(button);
        EXPECT_EQ(button->toolTip(), label.isEmpty() ? QString() : "T" + label + KeysOfLabel(label));
        EXPECT_EQ(Plain(button->icon().pixmap(QSize(20, 20), 1.0)), Plain(images.ToolbarIconList.Picture(row.picture)));
        EXPECT_EQ(Plain(button->icon().pixmap(QSize(20, 20), 1.0, QIcon::Disabled)),
                  Plain(images.ToolbarDisabledIconList.Picture(row.picture)));
    }
    // Nothing the window shows is missing from the table.
    QStringList shown = m.items.keys() + m.buttons.keys();
    shown.sort();
    listed.sort();
    EXPECT_EQ(shown, listed);

    EXPECT_EQ(m.item("mnuDisableParsing")->text(), "Disable Parsing");
    EXPECT_EQ(m.item("mnuDebugTop")->text(), "Debug");
    EXPECT_EQ(m.button("btHelp")->text(), "Tmnuhelp");
    // No internal name shows, not even in the toolbars' own right-click menu.
    if (std::unique_ptr<QMenu> offered{static_cast<QMainWindow*>(window)->createPopupMenu()}) {
        for (const QAction* a : offered->actions())
            EXPECT_FALSE(m.toolbars.contains(a->text())) << a->text().toStdString();
    }

    EXPECT_EQ(window->findChild<QLabel*>("l1")->text(), "Tl1");
    EXPECT_EQ(window->findChild<QLabel*>("l2")->text(), "Tl2");
    Command("mnuNewBBFile");
    EXPECT_EQ(window->tabs().tabText(0), "Thelptab");
    EXPECT_EQ(window->tabs().tabText(1), "Tnewfile_1");
    EXPECT_EQ(window->findChild<QLabel*>("RowColPanel")->text(), "Tl3 1:0");
    // Columns count characters, as the compiler does, not the bytes of UTF-8.
    Type(QStringLiteral("\u00e9\t\U0001F600x"));
    EXPECT_EQ(window->findChild<QLabel*>("RowColPanel")->text(), "Tl3 1:4");

    // So do the messages and the window's other texts, arguments filled in.
    EXPECT_EQ(window->findChild<QWidget*>("btBottomPanelToggle")->toolTip(), "Tshowpanel");
    EXPECT_EQ(window->outputPane().Summary(), "Tnobuildyet");
    // One message with its arguments filled in, and the build's summary.
    FakeCompiler("exit 255\n");
    docs().OpenDoc(dir.write("main.bb", "Print 1\r\n"));
    Command("mnuCheck");
    ASSERT_TRUE(BuildFinished());
    EXPECT_EQ(prompter.texts(), QStringList{"Tcompilersilent Tcompilerfailed 255"});
    const SettingsDialog settings(*app);
    EXPECT_EQ(settings.findChild<QGroupBox*>("fraColorSchemas")->title(), "Tschemes");
}

// Each key of the table pressed where the user types: the editor's own keys
// do what their items do, every other one reaches its item.
TEST_F(Captions, EveryMenuKeyPressedInTheEditorReachesItsItem)
{
    ASSERT_TRUE(Activate());
    Command("mnuNewBBFile");
    const auto press = [&](const char* keys) {
        editor().setFocus();
        QTest::keySequence(QApplication::focusWidget(), QKeySequence(QLatin1String(keys)));
        Pump();
    };
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    Type("ab");
    editor().SetSelection({true, 0, 0, 2, 0});
    const struct {
        const char* item;
        const char* text;
        const char* clipboard;
    } editorKeys[] = {{"mnuCopy", "ab", "ab"}, {"mnuCut", "", "ab"}, {"mnuPaste", "ab", "ab"},
                      {"mnuUndo", "", "ab"},   {"mnuRedo", "ab", "ab"}};
    for (const auto& row : editorKeys) {
        const Shown* shown = std::find_if(std::begin(kWindow), std::end(kWindow),
                                          [&](const Shown& s) { return QLatin1String(s.name) == row.item; });
        press(shown->keys);
        EXPECT_EQ(editor().Text(), row.text) << row.item;
        EXPECT_EQ(clipboard->text(), row.clipboard) << row.item;
    }

    for (const Shown& row : kWindow) {
        QAction* item = window->menus().item(QLatin1String(row.name));
        if (!*row.keys || !item || item->shortcutContext() == Qt::WidgetShortcut)
            continue;
        // Whether the item may run now is another matter.
        item->setEnabled(true);
        QSignalSpy reached(item, &QAction::triggered);
        press(row.keys);
        EXPECT_EQ(reached.count(), 1) << row.name << " " << row.keys;
        // What a command opened is put away, so the next key goes to the editor.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != window && w->isVisible() && !qobject_cast<QMenu*>(w))
                w->hide();
        ASSERT_TRUE(Activate());
    }
}

}  // namespace
