#pragma once

#include "editor/Keywords.h"
#include "mainwindow/CommandRules.h"
#include "mainwindow/Commands.h"
#include "mainwindow/MenuBar.h"
#include "mainwindow/ToolbarImages.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>
#include <optional>

class App;
class BlitzDirGuard;
class BuildController;
class BottomPanel;
class BuildOutputPane;
class GoToLineBox;
class CodeAssist;
class DebugController;
class DeclList;
class DocumentManager;
class DocumentTabs;
class EditCtrl;
class EditorEvents;
class HelpArea;
class HelpBrowser;
class MainLayout;
class InstallCommands;
class LiveCheck;
class Navigator;
class ProblemsPane;
class ProgramHost;
class ProgramTools;
class QLabel;
class QTimer;
class RecentFilesMenu;
class RecoveryKeeper;
class ReferencesPane;
class UpdateCheck;
class ToolbarBands;
class WindowBuildHost;
struct CDoc;
namespace editing {
class EditingTools;
}

// The main window: assembles the menus and toolbars, the documents and their
// tabs, the editor, the declaration list, the help browser and the build
// commands. Each part owns its behaviour; the window wires them together.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(App& app, QStringList commandLineDocuments);
    ~MainWindow() override;

    // The load steps run once before the window is first shown. False when
    // the toolbar pictures could not be loaded (the reason was shown): the
    // window must not be shown and the program ends.
    bool Load();

    // Applies the settings to the editor and makes the declaration styles.
    void InitEditControl();
    // The window's colours and the editor's, in one place.
    void ApplyColours();
    // After the settings were saved: every command recoloured, the editor
    // configured afresh and repainted.
    void ApplySettings();
    // The install's own command list (WindowCommandList.cpp): read in the
    // background, it takes the place of commands.txt once it is there.
    void ReadInstallCommands();
    void UseInstallCommands();
    // Recomputes which commands are enabled after the document situation
    // changed.
    void UpdateCommandState();
    // The Copy command: from the editor, or from the help page when that is
    // in front.
    void CopyCommand();
    // Shows the help browser in place of the editor (and its home page).
    void ShowHelpBrowser(bool goHome);
    // Files a later start of the program handed over: opened as tabs (after
    // those of the command line, when the window has not opened them yet),
    // and the window comes to the front.
    void OpenHandedDocuments(const QStringList& paths);

    // The status bar's build and message panel.
    QString InfoPanel() const;
    void SetInfoPanel(const QString& text);
    void ClearInfoPanel() { SetInfoPanel(QString()); }

    App& app() const { return m_app; }
    CommandDispatcher& dispatcher() { return m_dispatcher; }
    const MainMenus& menus() const { return m_menus; }
    EditCtrl& editor() const { return *m_editor; }
    DocumentManager& docs() const { return *m_docs; }
    DocumentTabs& tabs() const { return *m_tabs; }
    DeclList& declList() const { return *m_declList; }
    EditorEvents& events() const { return *m_events; }
    ProgramHost& programs() const { return *m_programs; }
    BuildController& build() const { return *m_build; }
    DebugController& debugger() const { return *m_debugger; }
    BuildOutputPane& outputPane() const { return *m_outputPane; }
    BottomPanel& bottomPanel() const { return *m_bottomPanel; }
    HelpArea& help() const { return *m_help; }
    HelpBrowser& helpBrowser() const { return *m_helpBrowser; }
    const DeclStyles& declStyles() const { return m_declStyles; }
    editing::EditingTools& editingTools() const { return *m_editing; }
    const ToolbarImages& images() const { return m_images; }
    MainLayout& layoutPanes() const { return *m_layout; }
    ToolbarBands& bands() const { return *m_bands; }
    Navigator& navigator() const { return *m_navigator; }
    ReferencesPane& references() const { return *m_references; }
    ProblemsPane& problems() const { return *m_problems; }
    LiveCheck& liveCheck() const { return *m_liveCheck; }
    RecentFilesMenu& recentFiles() const { return *m_recent; }
    RecoveryKeeper& recovery() const { return *m_recovery; }
    ProgramTools& programTools() const { return *m_programTools; }
    void SetCodeAssist(CodeAssist* assist);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The toolbars have no names a user would know, so a right click on
    // them offers no menu of them.
    QMenu* createPopupMenu() override { return nullptr; }

private:
    void BuildLayout();
    void InstallTabKeys();
    // The window's size and place, its splitters and toolbar bands as the
    // user left them, or the first-start arrangement fitting the screen.
    void RestoreArrangement();
    void SaveArrangement();
    // Keeps the window with its frame inside the screen's free area.
    void KeepOnScreen();
    CommandSituation Situation(bool askEditor) const;
    void ConnectParts();
    void RegisterCommands();
    void RegisterToolbarCommands();
    void OnDocActivated(CDoc* doc);
    void OnFirstActivation();
    void InitRowColPanel();
    void UpdateRowColPanel();
    // The main file the document in front is checked and built with.
    void UpdateMainFilePanel();
    void ShowAbout();
    void ShowSettings();
    void CloseCallTip();
    // Shows the current document in place of the help page; false when no
    // document is open.
    bool BringDocumentToFront();
    void OnEditStatusTick();

    App& m_app;
    CommandDispatcher m_dispatcher;
    MainMenus m_menus;
    // What the commands were last all set for: a key that changes none of
    // it (most keys) touches no action.
    std::optional<CommandSituation> m_commandsSetFor;
    QStringList m_commandLineDocuments;
    bool FirstActivationPending = false;
    DeclStyles m_declStyles;
    ToolbarImages m_images;

    EditCtrl* m_editor = nullptr;
    HelpBrowser* m_helpBrowser = nullptr;
    std::unique_ptr<HelpArea> m_help;
    DocumentTabs* m_tabs = nullptr;
    DocumentManager* m_docs = nullptr;
    DeclList* m_declList = nullptr;
    EditorEvents* m_events = nullptr;
    ProgramHost* m_programs = nullptr;
    std::unique_ptr<WindowBuildHost> m_buildHost;
    std::unique_ptr<BlitzDirGuard> m_blitzDir;
    BuildController* m_build = nullptr;
    DebugController* m_debugger = nullptr;
    BuildOutputPane* m_outputPane = nullptr;
    BottomPanel* m_bottomPanel = nullptr;
    UpdateCheck* m_updateCheck = nullptr;
    CodeAssist* m_assist = nullptr;
    editing::EditingTools* m_editing = nullptr;
    MainLayout* m_layout = nullptr;
    ToolbarBands* m_bands = nullptr;
    ReferencesPane* m_references = nullptr;
    Navigator* m_navigator = nullptr;
    ProblemsPane* m_problems = nullptr;
    LiveCheck* m_liveCheck = nullptr;
    InstallCommands* m_installCommands = nullptr;
    RecentFilesMenu* m_recent = nullptr;
    RecoveryKeeper* m_recovery = nullptr;
    ProgramTools* m_programTools = nullptr;

    QTimer* TimerEditStatus = nullptr;
    GoToLineBox* m_goToLine = nullptr;
    // The style the desktop gave the program, before a dark scheme set its own.
    QString m_desktopStyle;
    QLabel* m_infoPanel = nullptr;
    QLabel* m_rowColPanel = nullptr;
    QLabel* m_mainFilePanel = nullptr;
    QLabel* m_problemsPanel = nullptr;
};
