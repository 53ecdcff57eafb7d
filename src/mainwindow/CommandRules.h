#pragma once

#include <vector>

// What decides which commands of the main window may run.
struct CommandSituation {
    bool open = false;         // a document is current
    bool modified = false;     // it has unsaved changes
    bool helpInFront = false;  // the help page hides the editor
    bool building = false;     // the compiler, or the program it started, still runs
    // The program under the debugger: running, stopped at a statement, or
    // held at a runtime error (halted covers both of those).
    bool debugRunning = false;
    bool debugStopped = false;
    bool debugHalted = false;
    // The editor's answers; asked only while it is in front.
    bool canUndo = false;
    bool canRedo = false;
    bool canCopy = false;  // something is selected
    bool canPaste = false;
    // Text is selected on the help page; asked only while it is in front.
    bool pageHasSelection = false;

    // The editing commands act on the editor only while it is in front:
    // with the help page shown they would change a document out of sight.
    bool editing() const { return open && !helpInFront; }
    bool operator==(const CommandSituation&) const = default;
};

// A button and the menu items that are always set together, and when they
// are enabled. Commands in no group keep the state they were built with.
struct CommandGroup {
    const char* lead;  // the button that shows the group's state
    std::vector<const char*> members;  // buttons and menu items, the lead first
    // Decided by what the editor or the help page change by themselves
    // (undo, redo, selection, clipboard), so a timer follows it.
    bool followsEditor;
    bool (*enabled)(const CommandSituation&);
};

const std::vector<CommandGroup>& CommandGroups();
