#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class CUILabels;
class CommandDispatcher;
class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;
class ToolbarImages;

// The menus and toolbars of the main window. Items are found by their name
// (`mnuNewBBFile`, `btCheck`); every item that dispatches reaches the
// CommandDispatcher, the others are connected by their owners.
struct MainMenus {
    QHash<QString, QAction*> items;    // menu items and top menus by name
    QHash<QString, QMenu*> menus;      // mnuFile, mnuEditTop, ..., mnuColorChooser
    QHash<QString, QToolBar*> toolbars;  // cProjectbar, cDocBar, ...
    QHash<QString, QAction*> buttons;  // toolbar buttons by key

    QAction* item(const QString& name) const { return items.value(name); }
    QAction* button(const QString& key) const { return buttons.value(key); }
};

MainMenus BuildMenus(QMainWindow& window, CommandDispatcher& dispatcher);
// The six toolbars with their buttons, pictures, tooltips and first states.
void BuildToolbars(QMainWindow& window, MainMenus& menus, CommandDispatcher& dispatcher, const CUILabels& labels,
                   const ToolbarImages& images);
// A button's text and tooltip from a label (none for an empty key); the
// tooltip adds the shortcut of the menu item that carries the same label.
void SetButtonCaption(QAction* button, const MainMenus& menus, const CUILabels& labels, const QString& labelKey);
// Menu captions from the label table; the Debug menu keeps its own texts.
void ApplyMenuCaptions(MainMenus& menus, const CUILabels& labels);
// Every label the menus and toolbars show.
QStringList MenuLabelKeys();
