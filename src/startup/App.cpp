#include "startup/App.h"

#include "editor/Vocabulary.h"
#include "mainwindow/MainWindow.h"
#include "platform/Prompter.h"
#include "startup/LabelsFile.h"
#include "startup/Preferences.h"
#include "startup/SettingsDialog.h"
#include "startup/Splash.h"

#include <QApplication>

#include <exception>

App::App(QString programDir_, Prompter& prompter_, CommonDialog& dialogs_)
    : programDir(std::move(programDir_)), prompter(prompter_), dialogs(dialogs_), log(programDir)
{
}

App::~App() = default;

bool App::Start(const QStringList& documents)
{
    frmSplash splash;
    splash.show();
    QApplication::processEvents();
    try {
        return RunStartup(splash, documents);
    } catch (const std::exception& e) {
        prompter.Tell(QStringLiteral("Error during initialization process:") + QString::fromStdString(e.what()),
                      MsgIcon::Critical);
        m_mainWindow.reset();
        return false;
    }
}

bool App::RunStartup(frmSplash& splash, const QStringList& documents)
{
    splash.SetProgress(QStringLiteral("Loading Strings...."));
    auto loaded = LoadLabels(programDir, prompter);
    if (!loaded) {
        prompter.Tell(QStringLiteral("Cannot Load UILabels from locale.txt"), MsgIcon::Critical);
        return false;
    }
    labels = std::move(*loaded);

    splash.SetProgress(QStringLiteral("Loading Program Settings...."));
    if (!LoadSettings(programDir, settings, labels, prompter))
        return false;

    if (settings.B3DDir.isEmpty() || settings.FontName.isEmpty()) {
        // The questions and the dialog take the user's attention alone.
        splash.hide();
        while (settings.B3DDir.isEmpty())
            AskForBlitzDir();
        while (settings.FontName.isEmpty())
            AskForFont();
        m_startupSettings.reset();
        splash.show();
    }

    splash.SetProgress(QStringLiteral("Loading Commands list...."));
    if (!LoadVocabulary())
        return false;

    splash.SetProgress(QStringLiteral("Initializing IDE...."));
    m_mainWindow = std::make_unique<MainWindow>(*this, documents);

    splash.SetProgress(QStringLiteral("Init Complete. Good Work!"), true);
    if (!m_mainWindow->Load()) {
        m_mainWindow.reset();
        return false;
    }
    m_mainWindow->show();
    // Up until the window replaces it, so the screen never stays empty.
    splash.hide();
    return true;
}

void App::AskForBlitzDir()
{
    prompter.Tell(QStringLiteral("Blitz3D directory is not set correctly. Please select where Blitz3D.exe is "
                                 "located before continue"),
                  MsgIcon::Exclamation);
    RunStartupSettings();
}

void App::AskForFont()
{
    prompter.Tell(QStringLiteral("Editor Font is not set. Please select font to use in Settings Dialog"),
                  MsgIcon::Exclamation);
    RunStartupSettings();
}

void App::RunStartupSettings()
{
    // No main window yet, so nothing to apply a save to.
    if (!m_startupSettings)
        m_startupSettings = std::make_unique<SettingsDialog>(*this);
    if (runStartupSettings)
        runStartupSettings(*m_startupSettings);
    else
        m_startupSettings->exec();
}

bool App::LoadVocabulary()
{
    if (!LoadCommands(settings, programDir, *keywordList, prompter))
        return false;
    LoadDecls(settings, *keywordList);
    return true;
}
