#include "mainwindow/MainWindow.h"

#include "assist/CodeAssist.h"
#include "assist/CodeAssistant.h"
#include "panes/DeclList.h"
#include "assist/EditorEvents.h"
#include "panes/KindIcons.h"
#include "panes/LiveCheck.h"
#include "navigation/Navigator.h"
#include "panes/ProblemsPane.h"
#include "model/ProgramHost.h"
#include "panes/ReferencesPane.h"
#include "build/BuildController.h"
#include "build/BuildOutputPane.h"
#include "debugger/DebugController.h"
#include "debugger/DebugPanes.h"
#include "debugger/VariablesPane.h"
#include "editing/GoToLineBox.h"
#include "editing/ProgramSearchPane.h"
#include "editing/ProgramTools.h"
#include "documents/DocumentManager.h"
#include "documents/DocumentTabs.h"
#include "documents/RecentFilesMenu.h"
#include "documents/RecoveryKeeper.h"
#include "editor/EditCtrl.h"
#include "editor/InitEditControl.h"
#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "help/UpdateCheck.h"
#include "mainwindow/BottomPanel.h"
#include "mainwindow/MainLayout.h"
#include "mainwindow/ToolbarBands.h"
#include "mainwindow/WindowBuildHost.h"
#include "platform/Prompter.h"
#include "startup/AboutWindow.h"
#include "startup/App.h"
#include "startup/BlitzDir.h"
#include "startup/Preferences.h"
#include "startup/Version.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The kinds of warning the settings turn on, as LiveCheck takes them.
unsigned WarningKinds(const Settings& s)
{
    const auto bit = [](lang::WarningKind k) { return 1u << unsigned(k); };
    return (s.WarnNeverAssigned ? bit(lang::WarningKind::NeverAssigned) : 0) |
           (s.WarnHidesGlobal ? bit(lang::WarningKind::HidesGlobal) : 0) |
           (s.WarnMissingReturn ? bit(lang::WarningKind::MissingReturn) : 0);
}

}  // namespace

MainWindow::MainWindow(App& app, QStringList commandLineDocuments)
    : m_app(app), m_dispatcher(app.log), m_commandLineDocuments(std::move(commandLineDocuments))
{
    m_desktopStyle = QApplication::style()->name();
    setObjectName(QStringLiteral("mainForm"));
    m_menus = BuildMenus(*this, m_dispatcher);
    m_dispatcher.SetBeforeCommand([this] { CloseCallTip(); });
    BuildLayout();
    ConnectParts();
    RegisterCommands();
    RegisterToolbarCommands();
    InstallTabKeys();
}

MainWindow::~MainWindow()
{
    // The parts hold references to each other; the build first, so a
    // running compiler ends before the window it reports to goes away.
    delete m_debugger;
    m_debugger = nullptr;
    delete m_build;
    m_build = nullptr;
}

void MainWindow::BuildLayout()
{
    m_editor = new EditCtrl;
    m_editor->setObjectName(QStringLiteral("EditCtrl"));
    // The window is drawn before the help's web engine starts.
    m_helpBrowser = new HelpBrowser(m_app.labels, nullptr, HelpBrowser::Engine::Later);
    m_help = std::make_unique<HelpArea>(m_editor, m_helpBrowser);
    m_tabs = new DocumentTabs;

    // The editor and the help browser share one place; one of them is shown.
    auto* pages = new QWidget;
    auto* pagesLayout = new QGridLayout(pages);
    pagesLayout->setContentsMargins(0, 0, 0, 0);
    pagesLayout->addWidget(m_editor, 0, 0);
    pagesLayout->addWidget(m_helpBrowser, 0, 0);
    // The load steps bring the help in front of the editor, with its home page.
    m_helpBrowser->hide();

    m_references = new ReferencesPane;

    auto* documentArea = new QWidget;
    auto* areaLayout = new QVBoxLayout(documentArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->setSpacing(0);
    areaLayout->addWidget(m_tabs);
    areaLayout->addWidget(pages, 1);

    auto* prjTreeView = new QTreeWidget;
    prjTreeView->setObjectName(QStringLiteral("prjTreeView"));
    prjTreeView->setHeaderHidden(true);
    m_declList = new DeclList;
    m_layout = new MainLayout(prjTreeView, m_declList, documentArea);
    m_layout->SetTitles(m_app.labels.getValue(QStringLiteral("l1")), m_app.labels.getValue(QStringLiteral("l2")));
    setCentralWidget(m_layout);
    connect(m_layout, &MainLayout::LeftPaneToggled, this, [this] {
        if (m_help->BrowserShown())
            m_helpBrowser->setFocus();
        else
            m_editor->setFocus();
    });
    // The editing commands follow which of the two is in front.
    m_helpBrowser->installEventFilter(this);

    m_docs = new DocumentManager(*m_editor, *m_tabs, *m_help, m_app.labels, m_app.prompter, m_app.dialogs, this);
    m_programs = new ProgramHost(
        [this](const QString& path) {
            const std::string key = ProgramHost::KeyOf(path);
            for (const CDocPtr& doc : m_docs->Docs())
                if (ProgramHost::KeyOf(ProgramPath(*doc)) == key)
                    return m_editor->BufferText(*doc->EditorState);
            return QByteArray();
        },
        m_app.layout.PrefsPath(), this);
    m_programs->SetVocabulary(ProgramHost::VocabularyOf(*m_app.keywordList));
    ReadInstallCommands();
    m_recovery = new RecoveryKeeper(*m_docs, *m_editor, QDir(m_app.layout.stateDir).filePath(QStringLiteral("recovery")),
                                    this);
    connect(m_recovery, &RecoveryKeeper::CopiesFailing, this, [this](const QString& why) {
        SetInfoPanel(why.isEmpty() ? m_app.labels.getValue(QStringLiteral("recoveryagain"))
                                   : m_app.labels.getValue(QStringLiteral("recoveryfailing")).replace(QStringLiteral("#reason#"), why));
    });
    m_events = new EditorEvents(*m_editor, *m_docs, *m_declList, m_declStyles, *m_programs, this);
    m_navigator = new Navigator({*m_editor, *m_docs, *m_events, *m_programs, *m_references, m_app.settings,
                                 m_app.labels, [this](const QString& text) { SetInfoPanel(text); }},
                                this);
    auto* assist = new CodeAssistant({*m_editor, *m_docs, *m_events, *m_programs, *m_tabs, *m_help, m_app.keywordList,
                                      m_app.settings, m_declStyles, m_app.labels,
                                      [this](const QString& text) { SetInfoPanel(text); }},
                                     this);
    SetCodeAssist(assist);
    m_buildHost = std::make_unique<WindowBuildHost>(*this, *m_docs, *m_editor, *m_programs);
    m_build = new BuildController(*m_buildHost, m_app.settings, m_app.labels, m_app.prompter, m_app.log,
                                  m_app.layout.stateDir, this);
    m_outputPane = new BuildOutputPane(*m_build);
    // The build's output and the references share one panel under the editor.
    m_bottomPanel = new BottomPanel(*m_outputPane, *m_references, m_app.labels);
    m_layout->AddBottomPane(m_bottomPanel);
    m_programTools = new ProgramTools({*this, *m_editor, *m_docs, *m_events, *m_programs, *m_navigator, m_app.labels,
                                       m_app.prompter, [this](const QString& text) { SetInfoPanel(text); }},
                                      this);
    m_bottomPanel->AddSearchResults(m_programTools->searchPane(), m_app.labels.getValue(QStringLiteral("findresults")));
    connect(&m_programTools->searchPane(), &ProgramSearchPane::ResultsShown, m_bottomPanel,
            &BottomPanel::ShowSearchResults);
    m_problems = new ProblemsPane({m_app.labels.getValue(QStringLiteral("refsfile")),
                                   m_app.labels.getValue(QStringLiteral("refsline")),
                                   m_app.labels.getValue(QStringLiteral("problemsmessage"))});
    m_bottomPanel->AddProblems(*m_problems, m_app.labels.getValue(QStringLiteral("problems")));
    m_debugger = new DebugController({*this, *m_editor, *m_docs, *m_build, *m_buildHost, m_app.settings, m_app.labels,
                                      m_app.programDir, m_app.layout.stateDir,
                                      [this](const QString& text) { SetInfoPanel(text); }},
                                     this);
    m_bottomPanel->AddPane(m_debugger->logPane(), m_app.labels.getValue(QStringLiteral("debuglog")));
    m_bottomPanel->AddPane(m_debugger->stackPane(), m_app.labels.getValue(QStringLiteral("callstack")));
    m_bottomPanel->AddPane(m_debugger->variablesPane(), m_app.labels.getValue(QStringLiteral("variables")));
    m_liveCheck = new LiveCheck(*m_editor, *m_docs, *m_events, *m_programs, *m_problems, this);
    connect(m_events, &EditorEvents::EditsWaiting, m_liveCheck, &LiveCheck::Edited);
    m_liveCheck->SetEnabled(m_app.settings.LiveCheck);
    m_liveCheck->SetWarnings(WarningKinds(m_app.settings));
    connect(m_bottomPanel, &BottomPanel::Dismissed, this, [this] {
        if (m_help->BrowserShown())
            m_helpBrowser->setFocus();
        else
            m_editor->setFocus();
    });
    m_updateCheck = new UpdateCheck(*m_help, m_app.labels, m_app.prompter,
                                    {QDir(m_app.programDir).filePath(QStringLiteral("AutoUpdate.html")),
                                     m_app.settings.AutoUpdateLink,
                                     {version::kMajor, version::kMinor, version::kRevision}},
                                    this);
    // The user may have gone on without Blitz3D: what needs it offers the settings.
    m_blitzDir = std::make_unique<BlitzDirGuard>(m_app.settings, m_app.labels, m_app.prompter,
                                                 [this] { ShowSettings(); });
    m_build->SetBlitzDirGuard(m_blitzDir.get());
    assist->SetBlitzDirGuard(m_blitzDir.get());

    TimerEditStatus = new QTimer(this);
    TimerEditStatus->setInterval(400);
    connect(TimerEditStatus, &QTimer::timeout, this, &MainWindow::OnEditStatusTick);

    m_infoPanel = new QLabel(this);
    m_infoPanel->setObjectName(QStringLiteral("infoPanel"));
    m_infoPanel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_rowColPanel = new QLabel(this);
    m_rowColPanel->setObjectName(QStringLiteral("RowColPanel"));
    m_mainFilePanel = new QLabel(this);
    m_mainFilePanel->setObjectName(QStringLiteral("MainFilePanel"));
    m_problemsPanel = new QLabel(this);
    m_problemsPanel->setObjectName(QStringLiteral("ProblemsPanel"));
    m_goToLine = new GoToLineBox(this);
    statusBar()->addWidget(m_goToLine);
    statusBar()->addWidget(m_infoPanel, 1);
    statusBar()->addPermanentWidget(m_problemsPanel);
    statusBar()->addPermanentWidget(m_mainFilePanel);
    statusBar()->addPermanentWidget(m_rowColPanel);
}

void MainWindow::ConnectParts()
{
    m_recent = new RecentFilesMenu(*m_menus.menus.value(QStringLiteral("mnuRecentFiles")),
                                   *m_menus.item(QStringLiteral("mnuClearRecentFiles")), *m_docs, m_app.prompter,
                                   m_app.layout.PrefsPath(), this);
    connect(m_goToLine, &GoToLineBox::LineChosen, m_navigator, &Navigator::JumpToLine);
    connect(m_goToLine, &GoToLineBox::Closed, this, [this] {
        if (!m_help->BrowserShown())
            m_editor->setFocus();
    });
    connect(m_docs, &DocumentManager::DocActivated, this, &MainWindow::OnDocActivated);
    connect(m_docs, &DocumentManager::FileLoaded, this, [this] { m_events->ScanDocument(); });
    connect(m_docs, &DocumentManager::NoDocuments, this, [this] {
        m_declList->Clear();
        UpdateRowColPanel();
        UpdateMainFilePanel();
    });
    connect(m_docs, &DocumentManager::FileBound, this, &MainWindow::UpdateMainFilePanel);
    connect(m_programs, &ProgramHost::MainFilesChanged, this, &MainWindow::UpdateMainFilePanel);
    connect(m_docs, &DocumentManager::CommandStateChanged, this, &MainWindow::UpdateCommandState);
    connect(m_docs, &DocumentManager::ParsingHeld, m_events, &EditorEvents::HoldParsing);
    connect(m_docs, &DocumentManager::TabClicking, this, &MainWindow::CloseCallTip);
    connect(m_docs, &DocumentManager::HelpTabChosen, this, [this] { ShowHelpBrowser(false); });
    connect(m_events, &EditorEvents::CommandStateChanged, this, &MainWindow::UpdateCommandState);
    connect(m_events, &EditorEvents::CaretMoved, this, [this] { UpdateRowColPanel(); });
    connect(m_events, &EditorEvents::ContextMenuRequested, this, [this](QPoint at) {
        m_menus.menus.value(QStringLiteral("mnuEditTop"))->popup(at);
    });
    // A command chosen in the menu runs as it closes; the name the menu was
    // opened on is forgotten after that.
    connect(m_menus.menus.value(QStringLiteral("mnuEditTop")), &QMenu::aboutToHide, this,
            [this] { QTimer::singleShot(0, m_navigator, &Navigator::ForgetMenuPlace); });
    connect(m_declList, &DeclList::DeclarationChosen, this,
            [this](const EditorKeyword& entry) { m_navigator->JumpToLine(entry.Line); });
    connect(m_build, &BuildController::BuildingChanged, this, &MainWindow::UpdateCommandState);
    // The last build's error is listed with the checker's until the next build.
    connect(m_build, &BuildController::BuildStarted, m_liveCheck, &LiveCheck::ClearBuildError);
    connect(m_build, &BuildController::ErrorReported, m_liveCheck, &LiveCheck::SetBuildError);
    connect(m_debugger, &DebugController::ErrorReported, m_liveCheck, &LiveCheck::SetBuildError);
    connect(m_debugger, &DebugController::StateChanged, this, &MainWindow::UpdateCommandState);
    connect(m_debugger, &DebugController::StopShown, this, [this] {
        const int tab = m_bottomPanel->CurrentTab();
        if (m_bottomPanel->Collapsed() || tab < BottomPanel::DebugLogTab)
            m_bottomPanel->ShowTab(BottomPanel::VariablesTab);
    });
    // What the failed build left in the status bar goes with its error.
    auto buildStatus = std::make_shared<QString>();
    connect(m_build, &BuildController::BuildingChanged, this, [this, buildStatus](bool building) {
        *buildStatus = building ? QString() : InfoPanel();
    });
    connect(m_liveCheck, &LiveCheck::BuildErrorGone, this, [this, buildStatus] {
        if (!m_build->IsBuilding()) {
            m_outputPane->ClearOutcome();
            if (InfoPanel() == *buildStatus)
                ClearInfoPanel();
        }
    });
    connect(m_liveCheck, &LiveCheck::CountChanged, this, [this](int errors, int warnings) {
        const QString label = errors + warnings == 0 ? QStringLiteral("noproblems")
                              : warnings == 0        ? QStringLiteral("problemcount")
                              : errors == 0          ? QStringLiteral("warningcount")
                                                     : QStringLiteral("problemswarnings");
        m_problemsPanel->setText(m_app.labels.getValue(label)
                                     .replace(QStringLiteral("#count#"), QString::number(errors ? errors : warnings))
                                     .replace(QStringLiteral("#warnings#"), QString::number(warnings)));
        m_bottomPanel->SetTabCount(BottomPanel::ProblemsTab, errors + warnings);
    });
    connect(m_helpBrowser, &HelpBrowser::SelectionChanged, this, &MainWindow::OnEditStatusTick);
    connect(m_build, &BuildController::DebugEnabledChanged, this, [this](bool on) {
        m_menus.item(QStringLiteral("mnuDebugEnabled"))->setChecked(on);
        if (QAction* button = m_menus.button(QStringLiteral("btDebugEnabled")))
            button->setChecked(on);
    });
}

bool MainWindow::Load()
{
    setWindowTitle(version::WindowTitle());
    m_menus.item(QStringLiteral("mnuAutoindent"))->setChecked(m_app.settings.AutoIndent);
    FirstActivationPending = true;
    ApplyMenuCaptions(m_menus, m_app.labels);
    ApplyColours();
    if (!LoadToolbarImages(m_app.programDir, m_app.prompter, m_images))
        return false;
    // Copies share the pictures, so no list outlives the window's.
    const ToolbarImages images = m_images;
    m_tabs->SetPictures([images](int n) { return images.SmallIcon(n); });
    SetKindPictures([images](int n) { return images.SmallIcon(n); });
    m_layout->SetSplitterPictures([images](int n) { return images.SplitterIcon(n); });
    BuildToolbars(*this, m_menus, m_dispatcher, m_app.labels, m_images);
    // The bands under the names their arrangement is kept by.
    const char* const bandBars[][2] = {{"ProjectBar", "cProjectbar"}, {"DocBar", "cDocBar"},
                                       {"EditBar", "cEditBar"},       {"BuildBar", "cBuildBar"},
                                       {"ToolsBar", "cOptionsBar"},   {"HelpBar", "cHelpBar"}};
    QList<QPair<QString, QToolBar*>> bands;
    for (const auto& band : bandBars)
        bands.append({QString::fromLatin1(band[0]), m_menus.toolbars.value(QString::fromLatin1(band[1]))});
    m_bands = new ToolbarBands(*this, bands);
    // A press anywhere on a toolbar, its buttons included, or in the project
    // tree puts the popups away.
    for (QToolBar* bar : std::as_const(m_menus.toolbars)) {
        bar->installEventFilter(this);
        for (QWidget* child : bar->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    if (auto* tree = findChild<QTreeWidget*>(QStringLiteral("prjTreeView")))
        tree->viewport()->installEventFilter(this);
    const bool debug = m_app.settings.DebugEnabled;
    m_build->SetDebugEnabled(debug);
    m_menus.button(QStringLiteral("btDebugEnabled"))->setChecked(debug);
    m_menus.item(QStringLiteral("mnuDebugEnabled"))->setChecked(debug);
    RestoreArrangement();
    m_docs->RefreshTabs();
    InitRowColPanel();
    m_helpBrowser->SetHelpDir(m_app.settings.B3DHelpDir());
    QApplication::processEvents();
    ShowHelpBrowser(true);
    UpdateCommandState();
    return true;
}

void MainWindow::InitEditControl()
{
    m_declStyles = ::InitEditControl(*m_editor, m_app.settings, m_app.keywordList);
}

void MainWindow::ApplySettings()
{
    m_editor->ResetStyles();
    for (const EditorKeywordPtr& entry : *m_app.keywordList)
        if (entry->Style)
            entry->Style->Colour = m_app.settings.CommandsColor;
    ApplyColours();
    m_helpBrowser->SetHelpDir(m_app.settings.B3DHelpDir());
    m_liveCheck->SetEnabled(m_app.settings.LiveCheck);
    m_liveCheck->SetWarnings(WarningKinds(m_app.settings));
    m_editor->Refresh(true);
}

void MainWindow::ShowHelpBrowser(bool goHome)
{
    m_help->ShowHelpBrowser(goHome);
}

QString MainWindow::InfoPanel() const
{
    return m_infoPanel->text();
}

void MainWindow::SetInfoPanel(const QString& text)
{
    m_infoPanel->setText(text);
}

void MainWindow::SetCodeAssist(CodeAssist* assist)
{
    m_assist = assist;
    m_events->SetCodeAssist(assist);
}

void MainWindow::CloseCallTip()
{
    if (m_assist)
        m_assist->CloseTip();
}

void MainWindow::OnDocActivated(CDoc* doc)
{
    TimerEditStatus->start();
    UpdateCommandState();
    m_declList->RefreshDeclList(doc ? doc->DocKeywords : nullptr, doc ? doc->Key : QString());
    ClearInfoPanel();
    if (!m_events->ParsingDisabled())
        m_events->HoldParsing(false);
    UpdateRowColPanel();
    UpdateMainFilePanel();
}

void MainWindow::UpdateMainFilePanel()
{
    const CDoc* doc = m_docs->CurrentDoc();
    const QString main = doc ? m_programs->MainFileOf(ProgramPath(*doc)) : QString();
    m_mainFilePanel->setText(main.isEmpty() ? QString()
                                            : m_app.labels.getValue(QStringLiteral("mainfile"))
                                                  .replace(QStringLiteral("#filename#"),
                                                           doc->FilePath.isEmpty() ? doc->FileTitle
                                                                                   : QFileInfo(main).fileName()));
    m_mainFilePanel->setToolTip(doc && !doc->FilePath.isEmpty() ? QDir::toNativeSeparators(main) : QString());
}

void MainWindow::InitRowColPanel()
{
    m_rowColPanel->setText(m_app.labels.getValue(QStringLiteral("l3"))
                               .replace(QStringLiteral("#row#"), QStringLiteral("0"))
                               .replace(QStringLiteral("#col#"), QStringLiteral("0")));
}

void MainWindow::UpdateRowColPanel()
{
    QString text = m_app.labels.getValue(QStringLiteral("l3"));
    if (!m_docs->CurrentDoc()) {
        text.replace(QStringLiteral("#row#"), QStringLiteral("0")).replace(QStringLiteral("#col#"), QStringLiteral("0"));
    } else {
        // The end line with the start column, as the selection reads. The
        // column counts characters, not the bytes an accent takes in UTF-8.
        const EditorSelection sel = m_editor->Selection();
        const QByteArray before = m_editor->LineText(sel.StartLine + 1).left(sel.StartColumn);
        const auto column = QString::fromUtf8(before).toUcs4().size();
        text.replace(QStringLiteral("#row#"), QString::number(sel.EndLine + 1))
            .replace(QStringLiteral("#col#"), QString::number(column));
    }
    m_rowColPanel->setText(text);
}

bool MainWindow::event(QEvent* e)
{
    const bool handled = QMainWindow::event(e);
    // The documents named on the command line are opened as the window is
    // shown, so that its first picture shows them rather than the help page.
    if (FirstActivationPending && (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show))
        OnFirstActivation();
    return handled;
}

void MainWindow::OnFirstActivation()
{
    if (!FirstActivationPending)
        return;
    FirstActivationPending = false;
    // The window manager's frame is known once the window is up, sometimes
    // a moment later.
    KeepOnScreen();
    QTimer::singleShot(500, this, &MainWindow::KeepOnScreen);
    // Before the files named: one of them may be a restored document's.
    m_recovery->OfferLeftCopies(m_app.labels, m_app.prompter);
    m_docs->OpenDocs(m_commandLineDocuments);
}

void MainWindow::OpenHandedDocuments(const QStringList& paths)
{
    if (FirstActivationPending)
        m_commandLineDocuments += paths;
    else
        m_docs->OpenDocs(paths);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void MainWindow::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    if (isMinimized())
        return;
    if (m_assist) {
        m_assist->CloseList();
        m_assist->CloseTip();
    }
    if (m_bands)
        m_bands->FitToolbarBands();
}

void MainWindow::InstallTabKeys()
{
    // As in every tabbed editor, the keyboard goes round the tabs, the help
    // tab included.
    const struct {
        QKeySequence keys;
        int step;
    } keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& k : keys) {
        auto* action = new QAction(this);
        action->setShortcut(k.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, step = k.step] { m_tabs->SelectNeighbour(step); });
        addAction(action);
    }
}

void MainWindow::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && !isActiveWindow() && m_assist) {
        m_assist->CloseList();
        m_assist->CloseTip();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_helpBrowser && (e->type() == QEvent::ShowToParent || e->type() == QEvent::HideToParent))
        QTimer::singleShot(0, this, &MainWindow::UpdateCommandState);
    if (e->type() != QEvent::MouseButtonPress || !m_assist)
        return QMainWindow::eventFilter(watched, e);
    m_assist->CloseTip();
    QObject* bar = watched;
    while (bar && !qobject_cast<QToolBar*>(bar))
        bar = bar->parent();
    if (bar && m_assist->ListVisible()) {
        // The build toolbar's commands leave the document, so the list is
        // done with; elsewhere it only steps aside.
        if (bar->objectName() == u"cBuildBar")
            m_assist->CloseList();
        else
            m_assist->HideList();
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (m_assist) {
        m_assist->CloseTip();
        m_assist->CloseList();
    }
    m_debugger->KeepBreakpoints();
    if (!m_docs->CloseAllForExit()) {
        e->ignore();
        return;
    }
    // The IDE leaves with nothing of its own still running.
    m_build->Abort();
    SaveArrangement();
    // A failure is said once, by the settings written next.
    m_recent->Save();
    QString error;
    if (!SaveIdeOptions(m_app.layout, m_menus.item(QStringLiteral("mnuAutoindent"))->isChecked(),
                        m_menus.item(QStringLiteral("mnuDebugEnabled"))->isChecked(), &error))
        m_app.prompter.Tell(m_app.labels.format(QStringLiteral("unabletosaveprefs"), {QStringLiteral("prefs.ini")})
                                + u'\n' + error,
                            MsgIcon::Critical);
    m_app.log.CloseLog();
    e->accept();
}

void MainWindow::ShowAbout()
{
    AboutWindow about(this);
    about.setWindowTitle(m_app.labels.getValue(QStringLiteral("abouttitle")));
    about.exec();
}
