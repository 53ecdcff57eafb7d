#include "startup/App.h"

#include "documents/RecoveryKeeper.h"
#include "editor/Vocabulary.h"
#include "mainwindow/MainWindow.h"
#include "platform/FileStatus.h"
#include "platform/Prompter.h"
#include "startup/LabelsFile.h"
#include "startup/Preferences.h"
#include "startup/SettingsDialog.h"
#include "startup/SingleInstance.h"
#include "startup/Splash.h"

#include <QApplication>

#include <exception>
#include <utility>

App::App(Layout layout_, Prompter& prompter_, CommonDialog& dialogs_)
    : layout(std::move(layout_)), programDir(layout.programDir), prompter(prompter_), dialogs(dialogs_),
      log(layout.stateDir)
{
}

App::App(const QString& programDir_, Prompter& prompter_, CommonDialog& dialogs_)
    : App(Layout::Portable(programDir_), prompter_, dialogs_)
{
}

App::~App() = default;

bool App::Start(const QStringList& documents)
{
    // The user's folders exist before the hand-off server is named after
    // them, so a later start finds it under the same name.
    QString error;
    if (!PrepareUserFolders(layout, &error)) {
        prompter.Tell(error, MsgIcon::Critical);
        return false;
    }
    m_instanceServer = std::make_unique<InstanceServer>(layout);
    QObject::connect(m_instanceServer.get(), &InstanceServer::DocumentsHanded, m_instanceServer.get(),
                     [this](const QStringList& handed) {
                         m_handedDocuments += handed;
                         if (m_mainWindow && m_mainWindow->isVisible())
                             m_mainWindow->OpenHandedDocuments(std::exchange(m_handedDocuments, {}));
                     });
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
    auto loaded = LoadLabels(programDir, prompter);
    if (!loaded) {
        prompter.Tell(QStringLiteral("Cannot Load UILabels from locale.txt"), MsgIcon::Critical);
        return false;
    }
    labels = std::move(*loaded);
    // A copy: the layer's messages may outlive this App (tests make many).
    SetFileStatusLabels([table = labels](const QString& key) { return table.getValue(key); });
    const auto progress = [&](const char* key, bool last = false) {
        splash.SetProgress(labels.getValue(QString::fromLatin1(key)), last);
    };

    progress("splashsettings");
    if (!LoadSettings(layout, settings, labels, prompter))
        return false;

    if (settings.B3DDir.isEmpty() || settings.FontName.isEmpty()) {
        // The questions and the dialog take the user's attention alone.
        splash.hide();
        if (!AskForBlitzDir())
            return false;
        if (settings.B3DDir.isEmpty() && settings.FontName.isEmpty()) {
            // Without Blitz3D the dialog cannot save a font: this run uses
            // the desktop's fixed-width one.
            const FontChoice font = DefaultEditorFont();
            settings.FontName = font.face;
            settings.FontSize = font.size;
        }
        while (settings.FontName.isEmpty())
            AskForFont();
        m_startupSettings.reset();
        splash.show();
    }

    progress("splashcommands");
    if (!LoadVocabulary())
        return false;

    progress("splashwindow");
    m_mainWindow = std::make_unique<MainWindow>(*this, documents + std::exchange(m_handedDocuments, {}));

    progress("splashdone", true);
    if (!m_mainWindow->Load()) {
        m_mainWindow.reset();
        return false;
    }
    m_mainWindow->show();
    // Up until the window replaces it, so the screen never stays empty.
    splash.hide();
    if (!m_handedDocuments.isEmpty())
        m_mainWindow->OpenHandedDocuments(std::exchange(m_handedDocuments, {}));
    return true;
}

void App::EndOnSignal()
{
    if (m_mainWindow)
        m_mainWindow->recovery().KeepForNextStart();
    // Every event loop ends, a message box's too, and none starts again.
    QCoreApplication::exit(0);
}

bool App::AskForBlitzDir()
{
    while (settings.B3DDir.isEmpty()) {
        prompter.Tell(labels.getValue(QStringLiteral("blitzdirnotset")), MsgIcon::Exclamation);
        RunStartupSettings(&SettingsDialog::FocusBlitzDir);
        if (!settings.B3DDir.isEmpty())
            break;
        // Left without a folder: editing needs none, so the user may go on.
        const MsgAnswer answer = prompter.AskNamed(
            labels.getValue(QStringLiteral("blitzstillunset")), MsgIcon::Question, MsgButtons::YesNoCancel,
            {labels.getValue(QStringLiteral("goonwithoutblitz")), labels.getValue(QStringLiteral("quit")),
             labels.getValue(QStringLiteral("chooseblitzdir"))});
        if (answer == MsgAnswer::Yes)
            return true;
        if (answer == MsgAnswer::No)
            return false;
    }
    return true;
}

void App::AskForFont()
{
    prompter.Tell(labels.getValue(QStringLiteral("fontnotset")), MsgIcon::Exclamation);
    RunStartupSettings(&SettingsDialog::FocusFontChooser);
}

void App::RunStartupSettings(void (SettingsDialog::*focus)())
{
    // No main window yet, so nothing to apply a save to.
    if (!m_startupSettings)
        m_startupSettings = std::make_unique<SettingsDialog>(*this);
    // As the user left it, but with the keyboard on what is asked for.
    (m_startupSettings.get()->*focus)();
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
