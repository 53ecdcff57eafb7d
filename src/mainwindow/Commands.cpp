#include "mainwindow/Commands.h"

#include "startup/DebugLog.h"

void CommandDispatcher::SetAction(const QString& menuName, Handler handler)
{
    m_menuActions.insert(menuName.toLower(), std::move(handler));
}

void CommandDispatcher::SetButtonAction(const QString& toolbar, const QString& key, Handler handler)
{
    m_buttonActions.insert(toolbar + u'/' + key, std::move(handler));
}

void CommandDispatcher::DoCommand(const QString& menuName)
{
    if (m_before)
        m_before();
    const QString name = menuName.toLower();
    if (m_log.LogToFile())
        m_log.LogLine(QStringLiteral("Clicked menu item ") + name);
    RunAction(name);
}

void CommandDispatcher::RunAction(const QString& menuName)
{
    auto it = m_menuActions.constFind(menuName.toLower());
    if (it != m_menuActions.constEnd() && *it)
        (*it)();
}

void CommandDispatcher::ButtonClick(const QString& toolbar, const QString& key)
{
    if (m_before)
        m_before();
    // Keys compare exactly, and only within their own toolbar.
    auto it = m_buttonActions.constFind(toolbar + u'/' + key);
    if (it != m_buttonActions.constEnd() && *it)
        (*it)();
}
