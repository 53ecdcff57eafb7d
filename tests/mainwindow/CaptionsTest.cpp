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

// Every menu item and toolbar button as the window shows it: its key, a
// button's picture in the toolbar strips, and the label of its caption or
// tooltip, a menu item's name in lower case unless given ("" for the fixed
// ones). One table, so that swapped captions, a changed key or a wrong picture
// each fail.
struct Shown {
    const char* name;
    const char* keys = "";
    int picture = 0;
    const char* label = nullptr;

    QString Label() const { return label ? QString::fromLatin1(label) : QString::fromLatin1(name).toLower(); }
};
const Shown kWindow[] = {
    {"mnuFile"}, {"mnuNewProject"}, {"mnuOpenProject"}, {"mnuSaveProject"}, {"mnuSaveProjectAS"}, {"mnucloseProject"},
    {"mnuNewBBFile", "Ctrl+N"}, {"mnuOpenBBFile", "Ctrl+O"}, {"mnuRecentFiles"}, {"mnuClearRecentFiles"},
    {"mnuSaveBBFile", "Ctrl+S"}, {"mnuSaveBBFileAS"}, {"mnuSaveBBFileAll", "Ctrl+W"}, {"mnuAddBBtoPrj"},
    {"mnuRemoveBBFromPrj"}, {"mnuCloseBBFile"}, {"mnuCloseBBFileAll"}, {"mnuExit"}, {"mnuEditTop", "", 0, "mnuedit"},
    {"mnuUndo", "Ctrl+Z"}, {"mnuRedo", "Ctrl+Y"}, {"mnuCut", "Ctrl+X"}, {"mnuCopy", "Ctrl+C"}, {"mnuPaste", "Ctrl+V"},
    {"mnuFindReplace", "Ctrl+F"}, {"mnuAutoindent"}, {"mnuIndentBlock"}, {"mnuUnindentBlock"},
    {"mnuCommentBlock", "Ctrl+E", 0, "mnucomment"}, {"mnuUncommentBlock", "Ctrl+R", 0, "mnuuncomment"},
    {"mnuGoToLine", "Ctrl+G"}, {"mnuGoToDefinition", "F12"}, {"mnuFindReferences", "Shift+F12"},
    {"mnuNavigateBack", "Alt+Left"}, {"mnuFindInProgram", "Ctrl+Shift+F"}, {"mnuGoToSymbol", "Ctrl+T"},
    {"mnuRename", "F2"}, {"mnuQuickFix", "Ctrl+."}, {"mnuNavigateForward", "Alt+Right"}, {"mnuFoldAll", "Ctrl+Shift+-"},
    {"mnuUnfoldAll", "Ctrl+Shift+="}, {"mnuProgramTop", "", 0, "mnuprogram"}, {"mnuCheck", "F7"}, {"mnuCompile", "F5"},
    {"mnuRun", "F6"}, {"mnuBuildExe", "F8"}, {"mnuStop", "Shift+F5"}, {"mnuContinue"}, {"mnuStepOver", "F10"},
    {"mnuStepInto", "F11"}, {"mnuStepOut", "Shift+F11"}, {"mnuBreak", "Pause"}, {"mnuToggleBreakpoint", "F9"},
    {"mnuCommandLine"}, {"mnuDebugEnabled"}, {"mnuSetMainFile"}, {"mnuHelpTop", "", 0, "mnuhelp"}, {"mnuAbout"},
    {"mnuShowHelp"}, {"mnuPrev"}, {"mnuNext"}, {"mnuPrefs"}, {"mnuAutoUpdate"}, {"mnuDebugTop", "", 0, ""},
    {"mnuDisableParsing", "", 0, ""}, {"mnuLogToFile", "", 0, ""}, {"mnuInsertHex", "", 0, "colorhex"},
    {"mnuInsertRGB", "", 0, "colorrgb"}, {"btNewProject", "", 8, ""}, {"btOpenProject", "", 9, ""},
    {"btSaveProject", "", 11, ""}, {"btNewBBFile", "", 1, "mnunewbbfile"}, {"btOpenBBFile", "", 2, "mnuopenbbfile"},
    {"btSaveBBFile", "", 3, "mnusavebbfile"}, {"btSaveBBFileAs", "", 4, "mnusavebbfileas"},
    {"btSaveBBFileAll", "", 5, "mnusavebbfileall"}, {"btAddBBToPrj", "", 13, "mnuaddbbtoprj"},
    {"btRemBBFromPrj", "", 14, "mnuremovebbfromprj"}, {"btCloseBBFile", "", 6, "mnuclosebbfile"},
    {"btCut", "", 15, "mnucut"}, {"btCopy", "", 16, "mnucopy"}, {"btPaste", "", 17, "mnupaste"},
    {"btFindReplace", "", 19, "mnufindreplace"}, {"btUndo", "", 20, "mnuundo"}, {"btRedo", "", 21, "mnuredo"},
    {"btDebugEnabled", "", 40, "mnudebugenabled"}, {"btCheck", "", 24, "mnucheck"}, {"btCompile", "", 26, "mnucompile"},
    {"btBuildExe", "", 31, "mnubuildexe"}, {"btStop", "", 27, "mnustop"}, {"btContinue", "", 50, "mnucontinue"},
    {"btStepOver", "", 51, "mnustepover"}, {"btStepInto", "", 52, "mnustepinto"}, {"btStepOut", "", 53, "mnustepout"},
    {"btBreak", "", 54, "mnubreak"}, {"btColor", "", 43, "mnucolor"}, {"btCalc", "", 47, "mnucalc"},
    {"btHome", "", 41, "mnugohome"}, {"btPrev", "", 35, "mnuprev"}, {"btNext", "", 36, "mnunext"},
    {"btPrefs", "", 45, "mnuprefs"}, {"btHelp", "", 42, "mnuhelp"},
};

// The menu item's key shown beside a button captioned with the same label.
QString KeysOfLabel(const QString& label)
{
    for (const Shown& row : kWindow)
        if (*row.keys && label == row.Label())
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

TEST_F(Captions, EveryItemAndButtonShowsItsOwnLabelKeyAndPictureAndEveryKeyReachesItsItem)
{
    const MainMenus& m = window->menus();
    const ToolbarImages& images = window->images();
    QStringList listed;
    for (const Shown& row : kWindow) {
        SCOPED_TRACE(row.name);
        const QString name = QLatin1String(row.name);
        const QString label = row.Label();
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

    // Each key of the table pressed where the user types: the editor's own keys
    // do what their items do, every other one reaches its item.
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
