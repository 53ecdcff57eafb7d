#pragma once

#include <QString>

#include <string>
#include <string_view>

// What the editor's typed characters and Ctrl+Space ask of the autocomplete
// list and the call tip. The main window carries the answers out; these
// only read the caret's line (bytes, the caret's end column counting the
// bytes before it).

struct CharAddedAction {
    enum Kind {
        None,
        ShowCallTip,
        // Refresh the tip when it is shown, else show it.
        UpdateCallTip,
        // Close the tip and list the document's types (after a ".").
        ShowTypeList,
        // Close the tip and list the fields of `word`'s type (after a "\").
        ShowFieldList,
        // Move the open list to the word being typed.
        RefilterCompletion,
    } kind = None;
    std::string word;
};

// After `ch` was typed. Inside a comment or a string only plain characters
// act, and only on an open list.
CharAddedAction OnCharAdded(char ch, std::string_view line, int endColumn, bool selectionPresent,
                            bool popupShown);

struct CompletionRequest {
    enum Kind { Nothing, ShowCompletion, ShowTypeList, ShowFieldList } kind = Nothing;
    std::string varName;  // ShowFieldList: the variable before the "\"
    std::string prefix;   // the part of the name already typed
};

// Ctrl+Space: the fields of a variable after "\", the types after ".",
// otherwise every name; nothing in a comment or a string.
CompletionRequest OnCtrlSpace(std::string_view line, int endColumn, bool selectionPresent);
