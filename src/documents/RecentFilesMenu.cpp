#include "documents/RecentFilesMenu.h"

#include "documents/DocumentManager.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <utility>

RecentFilesMenu::RecentFilesMenu(QMenu& menu, QAction& clearItem, DocumentManager& docs, Prompter& prompter,
                                 QString prefsPath, QObject* parent)
    : QObject(parent), m_menu(menu), m_clearItem(clearItem), m_docs(docs), m_prompter(prompter),
      m_prefsPath(std::move(prefsPath))
{
    m_separator = m_menu.insertSeparator(&m_clearItem);
    // The full path of an item shows as its tooltip too, not only in the
    // status bar, which a menu may cover.
    m_menu.setToolTipsVisible(true);
    m_files.Load(IniFile::Load(m_prefsPath));
    connect(&m_docs, &DocumentManager::FileBound, this, &RecentFilesMenu::Add);
    Rebuild();
}

void RecentFilesMenu::Add(const QString& path)
{
    m_files.Add(path);
    Rebuild();
}

void RecentFilesMenu::Open(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        m_files.Remove(path);
        Rebuild();
        m_prompter.Tell(m_docs.Labels().format(QStringLiteral("recentgone"), {QDir::toNativeSeparators(path)}),
                        MsgIcon::Exclamation);
        return;
    }
    m_docs.OpenDoc(path);
}

void RecentFilesMenu::Clear()
{
    m_files.Clear();
    Rebuild();
}

bool RecentFilesMenu::Save(QString* error) const
{
    std::optional<IniFile> ini = IniFile::LoadForUpdate(m_prefsPath, error);
    if (!ini)
        return false;
    m_files.Save(*ini);
    return ini->Save(m_prefsPath, error);
}

void RecentFilesMenu::Rebuild()
{
    // The list may change while one of its items is being chosen, so the
    // old items go once that has run its course.
    for (QAction* item : std::as_const(m_items)) {
        m_menu.removeAction(item);
        item->deleteLater();
    }
    m_items.clear();
    const QStringList names = m_files.DisplayNames();
    for (int i = 0; i < names.size(); ++i) {
        // &1 to &9, then 1&0, as every editor numbers its tenth.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QString name = names[i];
        auto* item = new QAction(number + u' ' + name.replace(u'&', QStringLiteral("&&")), &m_menu);
        const QString path = m_files.Files()[i];
        item->setObjectName(QStringLiteral("mnuRecentFile%1").arg(i + 1));
        item->setStatusTip(QDir::toNativeSeparators(path));
        item->setToolTip(item->statusTip());
        connect(item, &QAction::triggered, this, [this, path] { Open(path); });
        m_menu.insertAction(m_separator, item);
        m_items.append(item);
    }
    m_menu.menuAction()->setEnabled(!m_files.IsEmpty());
    m_clearItem.setEnabled(!m_files.IsEmpty());
}
