#include "mainwindow/CommandRules.h"

const std::vector<CommandGroup>& CommandGroups()
{
    using S = const CommandSituation&;
    static const std::vector<CommandGroup> groups = {
        {"btSaveBBFile", {"btSaveBBFile"}, false, [](S s) { return s.open && s.modified; }},
        // The Save menu item saves an unchanged document too; only the button
        // says whether there is anything to save. With the help page in
        // front, saving brings the document to the front first.
        {"btSaveBBFileAs",
         {"btSaveBBFileAs", "btSaveBBFileAll", "mnuSaveBBFile", "mnuSaveBBFileAS", "mnuSaveBBFileAll",
          "mnuCloseBBFileAll"},
         false, [](S s) { return s.open; }},
        // The help page is what is in front, and it cannot be closed.
        {"btCloseBBFile", {"btCloseBBFile", "mnuCloseBBFile"}, false, [](S s) { return s.editing(); }},
        // No project can be opened yet.
        {"btAddBBToPrj", {"btAddBBToPrj", "btRemBBFromPrj", "mnuAddBBtoPrj", "mnuRemoveBBFromPrj"}, false,
         [](S) { return false; }},
        {"btFindReplace", {"btFindReplace", "mnuFindReplace"}, false, [](S s) { return s.editing(); }},
        {"btUndo", {"btUndo", "mnuUndo"}, true, [](S s) { return s.editing() && s.canUndo; }},
        {"btRedo", {"btRedo", "mnuRedo"}, true, [](S s) { return s.editing() && s.canRedo; }},
        {"btCut", {"btCut", "mnuCut"}, true, [](S s) { return s.editing() && s.canCopy; }},
        // Without a selection the block commands act on the caret's line.
        {"mnuCommentBlock", {"mnuCommentBlock", "mnuUncommentBlock", "mnuIndentBlock", "mnuUnindentBlock"}, false,
         [](S s) { return s.editing(); }},
        // Copy also serves the help page: text read there is copied from it.
        {"btCopy", {"btCopy", "mnuCopy"}, true,
         [](S s) { return s.helpInFront ? s.pageHasSelection : s.open && s.canCopy; }},
        {"btPaste", {"btPaste", "mnuPaste"}, true, [](S s) { return s.editing() && s.canPaste; }},
        {"btColor", {"btColor"}, false, [](S s) { return s.editing(); }},
        {"mnuGoToDefinition",
         {"mnuGoToLine", "mnuGoToDefinition", "mnuFindReferences", "mnuNavigateBack", "mnuNavigateForward", "mnuFoldAll",
          "mnuUnfoldAll", "mnuFindInProgram", "mnuGoToSymbol", "mnuRename", "mnuToggleBreakpoint", "mnuQuickFix"},
         false, [](S s) { return s.editing(); }},
        // One compiler at a time: a second would write into the first one's report.
        {"btCheck", {"btCheck", "btCompile", "btBuildExe", "mnuCheck", "mnuCompile", "mnuRun", "mnuBuildExe"}, false,
         [](S s) { return s.open && !s.building; }},
        {"btStop", {"btStop", "mnuStop"}, false, [](S s) { return s.building; }},
        // A program held at a runtime error may only end: Continue lets it.
        {"btContinue", {"btContinue", "mnuContinue"}, false, [](S s) { return s.debugHalted; }},
        {"btStepOver", {"btStepOver", "btStepInto", "btStepOut", "mnuStepOver", "mnuStepInto", "mnuStepOut"}, false,
         [](S s) { return s.debugStopped; }},
        {"btBreak", {"btBreak", "mnuBreak"}, false, [](S s) { return s.debugRunning; }},
        {"mnuSetMainFile", {"mnuSetMainFile"}, false, [](S s) { return s.open; }},
    };
    return groups;
}
