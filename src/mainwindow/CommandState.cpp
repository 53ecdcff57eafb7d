// Which commands are enabled: recomputed when the document situation changes,
// and followed on a timer for what the editor changes by itself (undo, redo,
// selection, clipboard).
#include "mainwindow/MainWindow.h"

#include "build/BuildController.h"
#include "debugger/DebugController.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "mainwindow/CommandRules.h"

#include <QAction>

namespace {

void SetGroup(const MainMenus& menus, const CommandGroup& group, bool on)
{
    for (const char* name : group.members) {
        const QString n = QString::fromLatin1(name);
        if (QAction* button = menus.button(n))
            button->setEnabled(on);
        else if (QAction* item = menus.item(n))
            item->setEnabled(on);
    }
}

}  // namespace

CommandSituation MainWindow::Situation(bool askEditor) const
{
    CommandSituation s;
    const CDoc* doc = m_docs->CurrentDoc();
    s.open = doc != nullptr;
    s.modified = doc && doc->Modified;
    s.helpInFront = m_help->BrowserShown();
    s.building = m_build->IsBuilding();
    const DebugState debug = m_debugger->session().State();
    s.debugRunning = debug == DebugState::Running;
    s.debugStopped = debug == DebugState::Stopped;
    s.debugHalted = m_debugger->session().Halted();
    if (askEditor && s.editing()) {
        s.canUndo = m_editor->CanUndo();
        s.canRedo = m_editor->CanRedo();
        s.canCopy = m_editor->CanCopy();
        s.canPaste = m_editor->CanPaste();
    }
    if (askEditor && s.helpInFront)
        s.pageHasSelection = m_helpBrowser->HasSelection();
    return s;
}

void MainWindow::UpdateCommandState()
{
    const CommandSituation s = Situation(true);
    if (m_commandsSetFor == s)
        return;
    m_commandsSetFor = s;
    for (const CommandGroup& group : CommandGroups())
        SetGroup(m_menus, group, group.enabled(s));
    // F5 continues a stopped program and otherwise compiles and runs: one
    // item holds the key at a time, so that it is never ambiguous.
    const QKeySequence f5(Qt::Key_F5);
    m_menus.item(QStringLiteral("mnuContinue"))->setShortcut(s.debugHalted ? f5 : QKeySequence());
    m_menus.item(QStringLiteral("mnuCompile"))->setShortcut(s.debugHalted ? QKeySequence() : f5);
}

void MainWindow::OnEditStatusTick()
{
    const CommandSituation s = Situation(true);
    // Only a change touches the widgets, so an idle editor repaints nothing.
    for (const CommandGroup& group : CommandGroups()) {
        if (!group.followsEditor)
            continue;
        const bool want = group.enabled(s);
        QAction* lead = m_menus.button(QString::fromLatin1(group.lead));
        if (lead && lead->isEnabled() != want) {
            SetGroup(m_menus, group, want);
            m_commandsSetFor.reset();
        }
    }
}

void MainWindow::CopyCommand()
{
    if (m_help->BrowserShown())
        m_helpBrowser->CopySelection();
    else
        m_editor->Copy();
}
