// Which commands are enabled: recomputed when the document situation changes,
// and followed on a timer for what the editor changes by itself (undo, redo,
// selection, clipboard).
#include "mainwindow/MainWindow.h"

#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"

#include <QAction>

namespace {

void SetEnabled(const MainMenus& menus, std::initializer_list<const char*> names, bool on)
{
    for (const char* name : names) {
        const QString n = QString::fromLatin1(name);
        if (QAction* a = menus.button(n))
            a->setEnabled(on);
        else if (QAction* item = menus.item(n))
            item->setEnabled(on);
    }
}

// The groups the editor decides, each led by the button that shows its state.
struct EditorGroup {
    const char* button;
    std::initializer_list<const char*> members;
    bool (EditCtrl::*ask)() const;
};
const EditorGroup kEditorGroups[] = {
    {"btUndo", {"btUndo", "mnuUndo"}, &EditCtrl::CanUndo},
    {"btRedo", {"btRedo", "mnuRedo"}, &EditCtrl::CanRedo},
    {"btCut",
     {"btCut", "btCopy", "mnuCut", "mnuCopy", "mnuIndentBlock", "mnuUnindentBlock", "mnuCommentBlock",
      "mnuUncommentBlock"},
     &EditCtrl::CanCopy},
    {"btPaste", {"btPaste", "mnuPaste"}, &EditCtrl::CanPaste},
};

}  // namespace

void MainWindow::UpdateCommandState()
{
    const CDoc* doc = m_docs->CurrentDoc();
    const bool open = doc != nullptr;
    SetEnabled(m_menus, {"btSaveBBFile"}, open && doc->Modified);
    SetEnabled(m_menus, {"btSaveBBFileAs", "btSaveBBFileAll", "btCloseBBFile", "btFindReplace", "mnuFindReplace",
                         "btColor", "btCheck", "btCompile", "btBuildExe"},
               open);
    // No project can be open, so its document commands stay off.
    SetEnabled(m_menus, {"btAddBBToPrj", "btRemBBFromPrj", "mnuAddBBtoPrj", "mnuRemoveBBFromPrj"}, false);
    for (const EditorGroup& g : kEditorGroups)
        SetEnabled(m_menus, g.members, open && (m_editor->*g.ask)());
    SetEnabled(m_menus, {"mnuSaveBBFile", "mnuSaveBBFileAS", "mnuSaveBBFileAll", "mnuCloseBBFile", "mnuCloseBBFileAll",
                         "mnuCheck", "mnuCompile", "mnuRun", "mnuBuildExe"},
               open);
}

void MainWindow::OnEditStatusTick()
{
    const bool open = m_docs->CurrentDoc() != nullptr;
    // Only a change touches the widgets, so an idle editor repaints nothing.
    for (const EditorGroup& g : kEditorGroups) {
        const bool want = open && (m_editor->*g.ask)();
        QAction* lead = m_menus.button(QString::fromLatin1(g.button));
        if (lead && lead->isEnabled() != want)
            SetEnabled(m_menus, g.members, want);
    }
}
