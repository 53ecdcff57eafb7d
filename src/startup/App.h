#pragma once

#include "editor/Keywords.h"
#include "startup/DebugLog.h"
#include "startup/Labels.h"
#include "startup/Layout.h"
#include "startup/Settings.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CommonDialog;
class InstanceServer;
class MainWindow;
class Prompter;
class SettingsDialog;
class frmSplash;

// The application object: the program's folders, the message and dialog
// seams, and the state loaded at start-up that lives as long as the program.
// Tests make as many as they like, each on its own program directory.
class App {
public:
    App(Layout layout, Prompter& prompter, CommonDialog& dialogs);
    // One folder for everything: the portable layout.
    App(const QString& programDir, Prompter& prompter, CommonDialog& dialogs);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Shows the splash, loads the labels, the settings and the command
    // vocabulary, and shows the main window, which opens `documents` when it
    // is first activated. Returns false when start-up ended; the reason was
    // shown and no main window exists. From the start it takes the files that
    // later starts hand over (HandToRunningInstance).
    bool Start(const QStringList& documents = {});

    MainWindow* mainWindow() const { return m_mainWindow.get(); }

    // The program is being ended from outside (a logout, a kill, a closed
    // terminal): the text of every modified document is kept for the next
    // start, and the event loop ends without a question, as nobody may be
    // there to answer one.
    void EndOnSignal();

    // Runs the settings dialog that start-up shows, in place of its modal
    // loop; unset, the dialog is executed. Lets tests answer it directly.
    std::function<void(SettingsDialog&)> runStartupSettings;

    const Layout layout;
    // Where the program's own files are read: layout.programDir.
    const QString programDir;
    Prompter& prompter;
    CommonDialog& dialogs;

    Settings settings;
    CUILabels labels;
    // The command vocabulary: built-in commands and user-library functions.
    EditorKeywordListPtr keywordList = std::make_shared<EditorKeywordList>();
    // Which command list is in use, as the settings page names it.
    QString commandsFrom;
    DebugLog log;

private:
    bool RunStartup(frmSplash& splash, const QStringList& documents);
    // Says why and shows the settings dialog until a folder is saved; after
    // a Discard the user may go on without Blitz3D (true) or quit (false).
    bool AskForBlitzDir();
    // Says why and shows the settings dialog once; start-up repeats it until
    // a font is set.
    void AskForFont();
    // One dialog for all the asking, shown again as the user left it, with
    // `focus` called first.
    void RunStartupSettings(void (SettingsDialog::*focus)());
    bool LoadVocabulary();

    std::unique_ptr<InstanceServer> m_instanceServer;
    // Handed over while start-up still runs; the window opens them.
    QStringList m_handedDocuments;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<SettingsDialog> m_startupSettings;
};
