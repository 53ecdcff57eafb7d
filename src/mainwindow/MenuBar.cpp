#include "mainwindow/MenuBar.h"

#include "mainwindow/Commands.h"
#include "mainwindow/ToolbarImages.h"
#include "startup/Labels.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

enum ItemFlag {
    kDispatch = 1,   // the click goes to the dispatcher
    kDisabled = 2,   // disabled at design time
    kCheckable = 4,
    kChecked = 8,
    kSeparatorAfter = 16,
    // The shortcut is the editor's own key, shown beside the item; the
    // editor keeps handling it.
    kShownKey = 32,
};

struct MenuItemDef {
    const char* name;
    const char* shortcut;
    int flags;
};

struct MenuDef {
    const char* name;
    const char* caption;
    std::initializer_list<MenuItemDef> items;
};

const MenuDef kMenus[] = {
    {"mnuFile", "File",
     {{"mnuNewProject", "", kDispatch},
      {"mnuOpenProject", "", kDispatch},
      {"mnuSaveProject", "", kDispatch | kDisabled},
      {"mnuSaveProjectAS", "", kDispatch | kDisabled},
      {"mnucloseProject", "", kDispatch | kDisabled | kSeparatorAfter},
      {"mnuNewBBFile", "Ctrl+N", kDispatch},
      {"mnuOpenBBFile", "Ctrl+O", kDispatch},
      {"mnuSaveBBFile", "Ctrl+S", kDispatch},
      {"mnuSaveBBFileAS", "", kDispatch},
      {"mnuSaveBBFileAll", "Ctrl+W", kDispatch | kSeparatorAfter},
      {"mnuAddBBtoPrj", "", kDispatch | kDisabled},
      {"mnuRemoveBBFromPrj", "", kDispatch | kDisabled | kSeparatorAfter},
      {"mnuCloseBBFile", "", kDispatch},
      {"mnuCloseBBFileAll", "", kDispatch | kSeparatorAfter},
      {"mnuExit", "", kDispatch}}},
    {"mnuEditTop", "Edit",
     {{"mnuUndo", "Ctrl+Z", kDispatch | kShownKey},
      {"mnuRedo", "Ctrl+Y", kDispatch | kShownKey | kSeparatorAfter},
      {"mnuCut", "Ctrl+X", kDispatch | kShownKey},
      {"mnuCopy", "Ctrl+C", kDispatch | kShownKey},
      {"mnuPaste", "Ctrl+V", kDispatch | kShownKey | kSeparatorAfter},
      {"mnuFindReplace", "Ctrl+F", kDispatch},
      {"mnuFindInProgram", "Ctrl+Shift+F", kDispatch | kSeparatorAfter},
      {"mnuAutoindent", "", kDispatch | kCheckable},
      {"mnuIndentBlock", "", kDispatch},
      {"mnuUnindentBlock", "", kDispatch | kSeparatorAfter},
      {"mnuCommentBlock", "Ctrl+E", kDispatch},
      {"mnuUncommentBlock", "Ctrl+R", kDispatch | kSeparatorAfter},
      {"mnuGoToLine", "Ctrl+G", kDispatch},
      {"mnuGoToDefinition", "F12", kDispatch},
      {"mnuFindReferences", "Shift+F12", kDispatch},
      {"mnuGoToSymbol", "Ctrl+T", kDispatch},
      {"mnuRename", "F2", kDispatch},
      {"mnuQuickFix", "Ctrl+.", kDispatch},
      {"mnuNavigateBack", "Alt+Left", kDispatch},
      {"mnuNavigateForward", "Alt+Right", kDispatch | kSeparatorAfter},
      {"mnuFoldAll", "Ctrl+Shift+-", kDispatch},
      {"mnuUnfoldAll", "Ctrl+Shift+=", kDispatch}}},
    {"mnuProgramTop", "Build",
     {{"mnuCheck", "F7", kDispatch},
      {"mnuCompile", "F5", kDispatch},
      {"mnuRun", "F6", kDispatch},
      {"mnuBuildExe", "F8", kDispatch},
      {"mnuStop", "Shift+F5", kDispatch | kDisabled | kSeparatorAfter},
      {"mnuContinue", "", kDispatch | kDisabled},
      {"mnuStepOver", "F10", kDispatch | kDisabled},
      {"mnuStepInto", "F11", kDispatch | kDisabled},
      {"mnuStepOut", "Shift+F11", kDispatch | kDisabled},
      {"mnuBreak", "Pause", kDispatch | kDisabled},
      {"mnuToggleBreakpoint", "F9", kDispatch | kSeparatorAfter},
      {"mnuCommandLine", "", kDispatch | kSeparatorAfter},
      {"mnuSetMainFile", "", kDispatch | kSeparatorAfter},
      {"mnuDebugEnabled", "", kDispatch | kCheckable}}},
    {"mnuHelpTop", "Help",
     {{"mnuAbout", "", kDispatch | kSeparatorAfter},
      {"mnuShowHelp", "", kDispatch},
      {"mnuPrev", "", kDispatch},
      {"mnuNext", "", kDispatch | kSeparatorAfter},
      {"mnuPrefs", "", kDispatch},
      {"mnuAutoUpdate", "", kDispatch}}},
    {"mnuDebugTop", "Debug",
     {{"mnuDisableParsing", "", kCheckable},
      {"mnuLogToFile", "", kCheckable}}},
};

// Captions the Debug menu keeps whatever the labels say.
const char* const kDebugCaptions[][2] = {
    {"mnuDisableParsing", "Disable Parsing"},
    {"mnuLogToFile", "Log to File"},
};

// Menu item and the label of its caption, in the order they are set.
const char* const kCaptionLabels[][2] = {
    {"mnuFile", "mnufile"}, {"mnuNewProject", "mnunewproject"}, {"mnuOpenProject", "mnuopenproject"},
    {"mnuSaveProject", "mnusaveproject"}, {"mnuSaveProjectAS", "mnusaveprojectas"},
    {"mnucloseProject", "mnucloseproject"}, {"mnuNewBBFile", "mnunewbbfile"}, {"mnuOpenBBFile", "mnuopenbbfile"},
    {"mnuRecentFiles", "mnurecentfiles"}, {"mnuClearRecentFiles", "mnuclearrecentfiles"},
    {"mnuSaveBBFile", "mnusavebbfile"}, {"mnuSaveBBFileAS", "mnusavebbfileas"},
    {"mnuSaveBBFileAll", "mnusavebbfileall"}, {"mnuAddBBtoPrj", "mnuaddbbtoprj"},
    {"mnuRemoveBBFromPrj", "mnuremovebbfromprj"}, {"mnuCloseBBFile", "mnuclosebbfile"},
    {"mnuCloseBBFileAll", "mnuclosebbfileall"}, {"mnuExit", "mnuexit"}, {"mnuEditTop", "mnuedit"},
    {"mnuUndo", "mnuundo"}, {"mnuRedo", "mnuredo"}, {"mnuCut", "mnucut"}, {"mnuCopy", "mnucopy"},
    {"mnuPaste", "mnupaste"}, {"mnuFindReplace", "mnufindreplace"}, {"mnuAutoindent", "mnuautoindent"},
    {"mnuIndentBlock", "mnuindentblock"}, {"mnuUnindentBlock", "mnuunindentblock"},
    {"mnuCommentBlock", "mnucomment"}, {"mnuUncommentBlock", "mnuuncomment"},
    {"mnuGoToLine", "mnugotoline"}, {"mnuGoToDefinition", "mnugotodefinition"}, {"mnuFindReferences", "mnufindreferences"},
    {"mnuFindInProgram", "mnufindinprogram"}, {"mnuGoToSymbol", "mnugotosymbol"}, {"mnuRename", "mnurename"},
    {"mnuQuickFix", "mnuquickfix"},
    {"mnuNavigateBack", "mnunavigateback"}, {"mnuNavigateForward", "mnunavigateforward"},
    {"mnuFoldAll", "mnufoldall"}, {"mnuUnfoldAll", "mnuunfoldall"}, {"mnuProgramTop", "mnuprogram"},
    {"mnuCheck", "mnucheck"}, {"mnuCompile", "mnucompile"}, {"mnuRun", "mnurun"}, {"mnuBuildExe", "mnuBuildExe"},
    {"mnuStop", "mnustop"}, {"mnuContinue", "mnucontinue"}, {"mnuStepOver", "mnustepover"},
    {"mnuStepInto", "mnustepinto"}, {"mnuStepOut", "mnustepout"}, {"mnuBreak", "mnubreak"},
    {"mnuToggleBreakpoint", "mnutogglebreakpoint"},
    {"mnuDebugEnabled", "mnudebugenabled"}, {"mnuCommandLine", "mnucommandline"},
    {"mnuSetMainFile", "mnusetmainfile"}, {"mnuHelpTop", "mnuhelp"},
    {"mnuAbout", "mnuabout"}, {"mnuShowHelp", "mnushowhelp"}, {"mnuPrev", "mnuprev"}, {"mnuNext", "mnunext"},
    {"mnuPrefs", "mnuprefs"}, {"mnuAutoUpdate", "mnuautoupdate"}, {"mnuInsertHex", "colorhex"},
    {"mnuInsertRGB", "colorrgb"},
};

enum ButtonStyle { kButton, kCheck, kDropDown, kSeparator };

struct ButtonDef {
    const char* key;
    const char* tooltip;  // label key
    ButtonStyle style;
    bool enabled;
    int picture;  // in the toolbar strips
};

struct ToolbarDef {
    const char* name;
    std::initializer_list<ButtonDef> buttons;
};

const ToolbarDef kToolbars[] = {
    {"cProjectbar",
     {{"btNewProject", "", kButton, true, 8},
      {"btOpenProject", "", kButton, true, 9},
      {"btSaveProject", "", kButton, false, 11}}},
    {"cDocBar",
     {{"btNewBBFile", "mnunewbbfile", kButton, true, 1},
      {"btOpenBBFile", "mnuopenbbfile", kButton, true, 2},
      {"btSaveBBFile", "mnusavebbfile", kButton, false, 3},
      {"btSaveBBFileAs", "mnusavebbfileas", kButton, false, 4},
      {"btSaveBBFileAll", "mnusavebbfileall", kButton, false, 5},
      {"btAddBBToPrj", "mnuaddbbtoprj", kButton, false, 13},
      {"btRemBBFromPrj", "mnuremovebbfromprj", kButton, false, 14},
      {"btCloseBBFile", "mnuclosebbfile", kButton, false, 6}}},
    {"cEditBar",
     {{"btCut", "mnucut", kButton, false, 15},
      {"btCopy", "mnucopy", kButton, false, 16},
      {"btPaste", "mnupaste", kButton, false, 17},
      {"btFindReplace", "mnufindreplace", kButton, false, 19},
      {"", "", kSeparator, true, 0},
      {"btUndo", "mnuundo", kButton, false, 20},
      {"btRedo", "mnuredo", kButton, false, 21}}},
    {"cBuildBar",
     {{"btDebugEnabled", "mnudebugenabled", kCheck, true, 40},
      {"btCheck", "mnucheck", kButton, false, 24},
      {"btCompile", "mnuCompile", kButton, false, 26},
      {"btBuildExe", "mnubuildexe", kButton, false, 31},
      {"btStop", "mnustop", kButton, false, 27},
      {"", "", kSeparator, true, 0},
      {"btContinue", "mnucontinue", kButton, false, 50},
      {"btStepOver", "mnustepover", kButton, false, 51},
      {"btStepInto", "mnustepinto", kButton, false, 52},
      {"btStepOut", "mnustepout", kButton, false, 53},
      {"btBreak", "mnubreak", kButton, false, 54}}},
    {"cOptionsBar",
     {{"btColor", "mnucolor", kDropDown, false, 43},
      {"btCalc", "mnucalc", kButton, true, 47}}},
    {"cHelpBar",
     {{"btHome", "mnugohome", kButton, true, 41},
      {"btPrev", "mnuprev", kButton, true, 35},
      {"btNext", "mnunext", kButton, true, 36},
      {"", "", kSeparator, true, 0},
      {"btPrefs", "mnuprefs", kButton, true, 45},
      {"", "", kSeparator, true, 0},
      {"btHelp", "mnuhelp", kButton, true, 42}}},
};

// A label as a button's text: without its menu mnemonic ("Save &As..." reads
// "Save As...").
QString PlainText(QString label)
{
    for (int i = 0; i < label.size(); ++i) {
        if (label[i] == u'&')
            label.remove(i, 1);  // "&&" keeps one "&"
    }
    return label;
}

// The shortcut of the menu item captioned with the same label, for the tooltip.
QKeySequence ShortcutOfLabel(const MainMenus& menus, const QString& labelKey)
{
    for (const auto& caption : kCaptionLabels) {
        if (labelKey.compare(QLatin1String(caption[1]), Qt::CaseInsensitive) == 0) {
            if (const QAction* item = menus.item(QString::fromLatin1(caption[0])))
                return item->shortcut();
        }
    }
    return {};
}

QAction* AddItem(QMenu* menu, MainMenus& menus, CommandDispatcher& dispatcher, const MenuItemDef& def)
{
    const QString name = QString::fromLatin1(def.name);
    QAction* action = menu->addAction(name);
    action->setObjectName(name);
    if (*def.shortcut)
        action->setShortcut(QKeySequence(QString::fromLatin1(def.shortcut)));
    // A shortcut of a menu's item bound to that menu never has the focus, so
    // it only shows; the help page's own copy key works on as well.
    if (def.flags & kShownKey)
        action->setShortcutContext(Qt::WidgetShortcut);
    action->setEnabled(!(def.flags & kDisabled));
    action->setCheckable(def.flags & kCheckable);
    action->setChecked(def.flags & kChecked);
    if ((def.flags & kDispatch) && (def.flags & kCheckable)) {
        // A dispatched toggle inverts its own check mark, however it is
        // reached; the mark Qt has already flipped on a click is put back.
        QObject::connect(action, &QAction::triggered, menu, [&dispatcher, action, name](bool checked) {
            action->setChecked(!checked);
            dispatcher.DoCommand(name);
        });
    } else if (def.flags & kDispatch) {
        QObject::connect(action, &QAction::triggered, menu, [&dispatcher, name] { dispatcher.DoCommand(name); });
    }
    if (def.flags & kSeparatorAfter)
        menu->addSeparator();
    menus.items.insert(name, action);
    return action;
}

}  // namespace

MainMenus BuildMenus(QMainWindow& window, CommandDispatcher& dispatcher)
{
    MainMenus menus;
    for (const MenuDef& def : kMenus) {
        const QString name = QString::fromLatin1(def.name);
        QMenu* menu = window.menuBar()->addMenu(QString::fromLatin1(def.caption));
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        menus.menus.insert(name, menu);
        menus.items.insert(name, menu->menuAction());
        for (const MenuItemDef& item : def.items)
            AddItem(menu, menus, dispatcher, item);
    }
    for (const auto& caption : kDebugCaptions)
        menus.item(QString::fromLatin1(caption[0]))->setText(QString::fromLatin1(caption[1]));

    // The recent files follow Open File; their owner fills the submenu in
    // above its Clear item.
    QMenu* file = menus.menus.value(QStringLiteral("mnuFile"));
    const QList<QAction*> fileItems = file->actions();
    QMenu* recent = new QMenu(file);
    recent->setObjectName(QStringLiteral("mnuRecentFiles"));
    recent->menuAction()->setObjectName(recent->objectName());
    file->insertMenu(fileItems.value(fileItems.indexOf(menus.item(QStringLiteral("mnuOpenBBFile"))) + 1), recent);
    menus.menus.insert(recent->objectName(), recent);
    menus.items.insert(recent->objectName(), recent->menuAction());
    AddItem(recent, menus, dispatcher, {"mnuClearRecentFiles", "", kDispatch});

    // Opening the Edit menu reaches the dispatcher too; it has no action.
    QMenu* edit = menus.menus.value(QStringLiteral("mnuEditTop"));
    QObject::connect(edit, &QMenu::aboutToShow, edit, [&dispatcher] { dispatcher.DoCommand(QStringLiteral("mnuEditTop")); });

    // The colour format menu pops up under the colour button, not in the bar.
    QMenu* colors = new QMenu(&window);
    colors->setObjectName(QStringLiteral("mnuColorChooser"));
    menus.menus.insert(colors->objectName(), colors);
    AddItem(colors, menus, dispatcher, {"mnuInsertHex", "", kCheckable | kChecked});
    AddItem(colors, menus, dispatcher, {"mnuInsertRGB", "", kCheckable});
    return menus;
}

void BuildToolbars(QMainWindow& window, MainMenus& menus, CommandDispatcher& dispatcher, const CUILabels& labels,
                   const ToolbarImages& images)
{
    for (const ToolbarDef& def : kToolbars) {
        const QString toolbarName = QString::fromLatin1(def.name);
        QToolBar* bar = menus.toolbars.value(toolbarName);
        if (!bar) {
            bar = window.addToolBar(toolbarName);
            bar->setObjectName(toolbarName);
            bar->setIconSize(QSize(20, 20));
            menus.toolbars.insert(toolbarName, bar);
        }
        bar->clear();
        for (const ButtonDef& b : def.buttons) {
            if (b.style == kSeparator) {
                bar->addSeparator();
                continue;
            }
            const QString key = QString::fromLatin1(b.key);
            QAction* action = bar->addAction(images.ToolbarIcon(b.picture), QString());
            action->setObjectName(key);
            action->setProperty("picture", b.picture);
            SetButtonCaption(action, menus, labels, QString::fromLatin1(b.tooltip));
            action->setEnabled(b.enabled);
            action->setCheckable(b.style == kCheck);
            if (b.style == kDropDown) {
                action->setMenu(menus.menus.value(QStringLiteral("mnuColorChooser")));
                if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
                    button->setPopupMode(QToolButton::MenuButtonPopup);
            }
            QObject::connect(action, &QAction::triggered, bar,
                             [&dispatcher, toolbarName, key] { dispatcher.ButtonClick(toolbarName, key); });
            menus.buttons.insert(key, action);
        }
    }
}

void SetButtonCaption(QAction* button, const MainMenus& menus, const CUILabels& labels, const QString& labelKey)
{
    if (labelKey.isEmpty()) {
        button->setText(QString());
        button->setToolTip(QString());
        return;
    }
    // The text shows where a narrow window folds the button into a menu.
    const QString text = PlainText(labels.getValue(labelKey));
    button->setText(text);
    const QKeySequence keys = ShortcutOfLabel(menus, labelKey);
    button->setToolTip(keys.isEmpty() ? text
                                      : QStringLiteral("%1 (%2)").arg(text, keys.toString(QKeySequence::NativeText)));
}

void ApplyMenuCaptions(MainMenus& menus, const CUILabels& labels)
{
    for (const auto& caption : kCaptionLabels) {
        if (QAction* action = menus.item(QString::fromLatin1(caption[0])))
            action->setText(labels.getValue(QString::fromLatin1(caption[1])));
    }
    if (QAction* debug = menus.item(QStringLiteral("mnuDebugTop")))
        debug->setVisible(true);
}

QStringList MenuLabelKeys()
{
    QStringList keys;
    for (const auto& caption : kCaptionLabels)
        keys << QString::fromLatin1(caption[1]);
    for (const ToolbarDef& bar : kToolbars)
        for (const ButtonDef& b : bar.buttons)
            if (*b.tooltip)
                keys << QString::fromLatin1(b.tooltip);
    return keys;
}
