#pragma once

#include <QHash>
#include <QString>

#include <functional>

class DebugLog;

// Every command of the main window arrives here: menu items by their
// lower-cased name, toolbar buttons by their toolbar and key. The actions are
// registered by the parts of the window that own them; a name without an
// action does nothing.
class CommandDispatcher {
public:
    using Handler = std::function<void()>;

    explicit CommandDispatcher(DebugLog& log) : m_log(log) {}

    void SetAction(const QString& menuName, Handler handler);
    void SetButtonAction(const QString& toolbar, const QString& key, Handler handler);
    // Runs first for every command (closes the call-tip popup).
    void SetBeforeCommand(Handler handler) { m_before = std::move(handler); }

    void DoCommand(const QString& menuName);
    // The action of a menu item alone, for a button that does the same.
    void RunAction(const QString& menuName);
    void ButtonClick(const QString& toolbar, const QString& key);

private:
    DebugLog& m_log;
    Handler m_before;
    QHash<QString, Handler> m_menuActions;
    QHash<QString, Handler> m_buttonActions;  // "toolbar/key"
};
