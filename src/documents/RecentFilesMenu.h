#pragma once

#include "documents/RecentFiles.h"

#include <QList>
#include <QObject>
#include <QString>

class DocumentManager;
class Prompter;
class QAction;
class QMenu;

// The File menu's Recent Files submenu: one numbered item per file, most
// recent first, above the Clear item its owner dispatches. The list is read
// from the user's prefs.ini when made and written back by Save.
class RecentFilesMenu : public QObject {
    Q_OBJECT
public:
    RecentFilesMenu(QMenu& menu, QAction& clearItem, DocumentManager& docs, Prompter& prompter, QString prefsPath,
                    QObject* parent = nullptr);

    const RecentFiles& List() const { return m_files; }
    // What choosing a listed file does: opens it, or switches to it when it
    // is open; a file gone from disk is said and taken off the list.
    void Open(const QString& path);
    void Clear();
    // False with a reason when prefs.ini could not be written.
    bool Save(QString* error = nullptr) const;

private:
    void Add(const QString& path);
    void Rebuild();

    QMenu& m_menu;
    QAction& m_clearItem;
    QAction* m_separator = nullptr;
    DocumentManager& m_docs;
    Prompter& m_prompter;
    const QString m_prefsPath;
    RecentFiles m_files;
    QList<QAction*> m_items;
};
