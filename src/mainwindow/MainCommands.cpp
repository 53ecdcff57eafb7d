// What every menu item and toolbar button of the main window does.
#include "mainwindow/MainWindow.h"

#include "panes/LiveCheck.h"
#include "assist/EditorEvents.h"
#include "navigation/Navigator.h"
#include "model/ProgramHost.h"
#include "build/BuildController.h"
#include "debugger/DebugController.h"
#include "documents/DocumentManager.h"
#include "documents/RecentFilesMenu.h"
#include "editing/EditingCommands.h"
#include "editing/EditingTools.h"
#include "editing/GoToLineBox.h"
#include "editing/ProgramTools.h"
#include "editor/EditCtrl.h"
#include "help/HelpArea.h"
#include "help/UpdateCheck.h"
#include "platform/Prompter.h"
#include "startup/App.h"
#include "startup/SettingsDialog.h"

#include <QAction>
#include <QActionGroup>

void MainWindow::RegisterCommands()
{
    CommandDispatcher& d = m_dispatcher;
    // A command on the document is never carried out out of the user's
    // sight: with the help page in front, the document comes to the front.
    auto current = [this] { return BringDocumentToFront() ? m_docs->CurrentDoc() : nullptr; };

    // File
    d.SetAction(QStringLiteral("mnuNewBBFile"), [this] { m_docs->NewDocCommand(); });
    d.SetAction(QStringLiteral("mnuOpenBBFile"), [this] { m_docs->OpenDoc(QString()); });
    d.SetAction(QStringLiteral("mnuClearRecentFiles"), [this] { m_recent->Clear(); });
    d.SetAction(QStringLiteral("mnuSaveBBFile"), [this, current] {
        if (CDoc* doc = current())
            m_docs->SaveDoc(*doc, true);
    });
    d.SetAction(QStringLiteral("mnuSaveBBFileAS"), [this, current] {
        if (CDoc* doc = current())
            m_docs->SaveDoc(*doc, false);
    });
    d.SetAction(QStringLiteral("mnuSaveBBFileAll"), [this] { m_docs->SaveAllDocs(); });
    d.SetAction(QStringLiteral("mnuCloseBBFile"), [this, current] { m_docs->CloseDoc(current()); });
    d.SetAction(QStringLiteral("mnuCloseBBFileAll"), [this] { m_docs->CloseAllDocs(); });
    d.SetAction(QStringLiteral("mnuExit"), [this] {
        m_docs->SaveDocState();
        if (m_app.prompter.Ask(m_app.labels.getValue(QStringLiteral("askexit")), MsgIcon::Information,
                               MsgButtons::OkCancel)
            == MsgAnswer::Ok)
            close();
    });

    // Edit
    d.SetAction(QStringLiteral("mnuUndo"), [this] { m_editor->Undo(); });
    d.SetAction(QStringLiteral("mnuRedo"), [this] { m_editor->Redo(); });
    d.SetAction(QStringLiteral("mnuCut"), [this] { m_editor->Cut(); });
    d.SetAction(QStringLiteral("mnuCopy"), [this] { CopyCommand(); });
    d.SetAction(QStringLiteral("mnuPaste"), [this] { m_editor->Paste(); });
    m_editing = new editing::EditingTools({*m_editor, m_app.labels, m_app.prompter, m_app.dialogs,
                                           [this] { return m_app.settings.TabSize; },
                                           [this] { return BringDocumentToFront(); }},
                                          this);
    d.SetAction(QStringLiteral("mnuFindReplace"), [this] { m_editing->ShowFindReplace(); });
    d.SetAction(QStringLiteral("mnuAutoindent"), [this] {
        QAction* item = m_menus.item(QStringLiteral("mnuAutoindent"));
        item->setChecked(!item->isChecked());
        m_app.settings.AutoIndent = item->isChecked();
        m_editor->SetAutoIndent(m_app.settings.AutoIndent);
    });
    d.SetAction(QStringLiteral("mnuIndentBlock"), [this] { m_editing->IndentBlock(); });
    d.SetAction(QStringLiteral("mnuUnindentBlock"), [this] { m_editing->UnindentBlock(); });
    d.SetAction(QStringLiteral("mnuCommentBlock"), [this] { editing::CommentBlock(*m_editor); });
    d.SetAction(QStringLiteral("mnuUncommentBlock"), [this] { editing::UncommentBlock(*m_editor); });
    d.SetAction(QStringLiteral("mnuGoToLine"), [this] {
        m_goToLine->Ask(m_editor->LineCount(), m_app.labels.getValue(QStringLiteral("gotolineprompt")));
    });
    d.SetAction(QStringLiteral("mnuGoToDefinition"), [this] { m_navigator->GoToDefinition(); });
    d.SetAction(QStringLiteral("mnuFindReferences"), [this] { m_navigator->FindReferences(); });
    d.SetAction(QStringLiteral("mnuFindInProgram"), [this] { m_programTools->FindInProgram(); });
    d.SetAction(QStringLiteral("mnuGoToSymbol"), [this] { m_programTools->GoToSymbol(); });
    d.SetAction(QStringLiteral("mnuRename"), [this] { m_programTools->Rename(); });
    d.SetAction(QStringLiteral("mnuQuickFix"), [this] { m_liveCheck->QuickFix(); });
    d.SetAction(QStringLiteral("mnuNavigateBack"), [this] { m_navigator->GoBack(); });
    d.SetAction(QStringLiteral("mnuNavigateForward"), [this] { m_navigator->GoForward(); });
    d.SetAction(QStringLiteral("mnuFoldAll"), [this] { m_editor->FoldAll(); });
    d.SetAction(QStringLiteral("mnuUnfoldAll"), [this] { m_editor->UnfoldAll(); });

    // Build
    const std::pair<const char*, void (BuildController::*)()> builds[] = {
        {"mnuCheck", &BuildController::Check},
        {"mnuCompile", &BuildController::CompileAndRun},
        {"mnuRun", &BuildController::Run},
        {"mnuBuildExe", &BuildController::BuildExecutable},
    };
    for (const auto& [name, build] : builds) {
        d.SetAction(QString::fromLatin1(name), [this, build] {
            BringDocumentToFront();
            (m_build->*build)();
        });
    }
    d.SetAction(QStringLiteral("mnuStop"), [this] { m_build->Stop(); });
    const std::pair<const char*, DebugCommand> debugCommands[] = {
        {"mnuContinue", DebugCommand::Continue}, {"mnuStepOver", DebugCommand::StepOver},
        {"mnuStepInto", DebugCommand::StepInto}, {"mnuStepOut", DebugCommand::StepOut},
        {"mnuBreak", DebugCommand::Pause},
    };
    for (const auto& [name, command] : debugCommands)
        d.SetAction(QString::fromLatin1(name), [this, command] { m_debugger->Do(command); });
    d.SetAction(QStringLiteral("mnuToggleBreakpoint"), [this] {
        if (BringDocumentToFront())
            m_debugger->ToggleBreakpoint();
    });
    d.SetAction(QStringLiteral("mnuCommandLine"), [this] { m_build->EditProgramCommandLine(); });
    d.SetAction(QStringLiteral("mnuSetMainFile"), [this, current] {
        BringDocumentToFront();
        CDoc* doc = current();
        if (!doc)
            return;
        QString error;
        if (doc->FilePath.isEmpty())
            m_app.prompter.Tell(m_app.labels.getValue(QStringLiteral("savebeforemainfile"))
                                    .replace(QStringLiteral("#docname#"), doc->FileTitle),
                                MsgIcon::Exclamation);
        else if (!m_programs->ChooseMainFile(doc->FilePath, &error))
            m_app.prompter.Tell(
                m_app.labels.format(QStringLiteral("unabletosaveprefs"), {QStringLiteral("prefs.ini")}) + u'\n' + error,
                MsgIcon::Critical);
    });
    d.SetAction(QStringLiteral("mnuDebugEnabled"), [this] {
        QAction* item = m_menus.item(QStringLiteral("mnuDebugEnabled"));
        item->setChecked(!item->isChecked());
        m_build->SetDebugEnabled(item->isChecked());
    });

    // Help: the menu items do what the help toolbar's buttons do.
    d.SetAction(QStringLiteral("mnuAbout"), [this] { ShowAbout(); });
    d.SetAction(QStringLiteral("mnuShowHelp"), [this] { m_help->btHome(); });
    d.SetAction(QStringLiteral("mnuPrev"), [this] { m_help->btPrev(); });
    d.SetAction(QStringLiteral("mnuNext"), [this] { m_help->btNext(); });
    d.SetAction(QStringLiteral("mnuPrefs"), [this] { ShowSettings(); });
    d.SetAction(QStringLiteral("mnuAutoUpdate"), [this] { m_updateCheck->StartUpdateCheck(); });

    // Menu items with handlers of their own.
    auto* formats = new QActionGroup(this);
    formats->addAction(m_menus.item(QStringLiteral("mnuInsertHex")));
    formats->addAction(m_menus.item(QStringLiteral("mnuInsertRGB")));
    connect(m_menus.item(QStringLiteral("mnuDisableParsing")), &QAction::toggled, this,
            [this](bool on) { m_events->SetParsingDisabled(on); });
    connect(m_menus.item(QStringLiteral("mnuLogToFile")), &QAction::toggled, this, [this](bool on) {
        if (on)
            m_app.log.OpenLog();
        else
            m_app.log.CloseLog();
    });
}

void MainWindow::RegisterToolbarCommands()
{
    CommandDispatcher& d = m_dispatcher;
    auto projects = [this] {
        m_app.prompter.Tell(m_app.labels.getValue(QStringLiteral("projectstodo")), MsgIcon::Information);
    };
    for (const char* key : {"btNewProject", "btOpenProject", "btSaveProject"})
        d.SetButtonAction(QStringLiteral("cProjectbar"), QString::fromLatin1(key), projects);

    // Buttons that do what a menu item does.
    const char* const sameAsMenu[][3] = {
        {"cDocBar", "btNewBBFile", "mnuNewBBFile"},       {"cDocBar", "btOpenBBFile", "mnuOpenBBFile"},
        {"cDocBar", "btSaveBBFile", "mnuSaveBBFile"},     {"cDocBar", "btSaveBBFileAs", "mnuSaveBBFileAS"},
        {"cDocBar", "btSaveBBFileAll", "mnuSaveBBFileAll"}, {"cDocBar", "btCloseBBFile", "mnuCloseBBFile"},
        {"cEditBar", "btCut", "mnuCut"},                  {"cEditBar", "btCopy", "mnuCopy"},
        {"cEditBar", "btPaste", "mnuPaste"},              {"cEditBar", "btUndo", "mnuUndo"},
        {"cEditBar", "btRedo", "mnuRedo"},                {"cEditBar", "btFindReplace", "mnuFindReplace"},
        {"cBuildBar", "btCheck", "mnuCheck"},             {"cBuildBar", "btCompile", "mnuCompile"},
        {"cBuildBar", "btBuildExe", "mnuBuildExe"},       {"cBuildBar", "btStop", "mnuStop"},
        {"cBuildBar", "btContinue", "mnuContinue"},       {"cBuildBar", "btStepOver", "mnuStepOver"},
        {"cBuildBar", "btStepInto", "mnuStepInto"},       {"cBuildBar", "btStepOut", "mnuStepOut"},
        {"cBuildBar", "btBreak", "mnuBreak"},
        {"cHelpBar", "btPrefs", "mnuPrefs"},
    };
    for (const auto& row : sameAsMenu) {
        const QString menu = QString::fromLatin1(row[2]).toLower();
        d.SetButtonAction(QString::fromLatin1(row[0]), QString::fromLatin1(row[1]), [this, menu] {
            // Straight to the action: the dispatcher logs menu clicks only.
            m_dispatcher.RunAction(menu);
        });
    }
    d.SetButtonAction(QStringLiteral("cBuildBar"), QStringLiteral("btDebugEnabled"), [this] {
        m_build->SetDebugEnabled(m_menus.button(QStringLiteral("btDebugEnabled"))->isChecked());
    });
    d.SetButtonAction(QStringLiteral("cOptionsBar"), QStringLiteral("btColor"), [this] {
        m_editing->InsertColour(m_menus.item(QStringLiteral("mnuInsertHex"))->isChecked());
    });
    d.SetButtonAction(QStringLiteral("cOptionsBar"), QStringLiteral("btCalc"), [this] { m_editing->StartCalculator(); });
    d.SetButtonAction(QStringLiteral("cHelpBar"), QStringLiteral("btHome"), [this] { m_help->btHome(); });
    d.SetButtonAction(QStringLiteral("cHelpBar"), QStringLiteral("btPrev"), [this] { m_help->btPrev(); });
    d.SetButtonAction(QStringLiteral("cHelpBar"), QStringLiteral("btNext"), [this] { m_help->btNext(); });
    d.SetButtonAction(QStringLiteral("cHelpBar"), QStringLiteral("btHelp"), [this] { ShowAbout(); });
}

bool MainWindow::BringDocumentToFront()
{
    CDoc* doc = m_docs->CurrentDoc();
    if (doc && m_help->BrowserShown())
        m_docs->ShowDoc(*doc);
    return doc != nullptr;
}

void MainWindow::ShowSettings()
{
    const QString folder = m_app.settings.B3DDir;
    RunSettingsDialog(m_app, this, [this] { ApplySettings(); });
    // What the status bar said about the old Blitz3D folder (its help not
    // found) no longer holds.
    if (m_app.settings.B3DDir != folder) {
        ClearInfoPanel();
        ReadInstallCommands();
    }
}
