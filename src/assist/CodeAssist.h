#pragma once

#include <QString>

#include <string>

// What the editor's keys and typed characters ask of the autocomplete list
// and the call tip. The popups implement it; the event routing only decides
// when to call what.
class CodeAssist {
public:
    virtual ~CodeAssist() = default;

    // The autocomplete list.
    virtual bool PopupShown() const = 0;
    virtual void ShowCompletion() = 0;
    virtual void ShowTypeList(const std::string& prefix) = 0;
    virtual void ShowFieldList(const std::string& varName, const std::string& prefix) = 0;
    virtual void RefilterCompletion() = 0;
    // Inserts the chosen name in place of the typed word and closes the list.
    virtual void AutoCompleteToken() = 0;
    // Up, Down, Page Up, Page Down move in the open list; Enter and Tab
    // choose the selected name, which is inserted shortly after, once the
    // key has been handled (Qt key codes). Enter and Tab on a name that does
    // not complete the typed word close the list instead and are not taken
    // (false): the key then does its usual work in the text.
    virtual bool ListKeyDown(int key) = 0;
    // Closes the list without inserting anything.
    virtual void CloseList() = 0;
    // Whether the list is on the screen now.
    virtual bool ListVisible() const = 0;
    // Takes the list off the screen but keeps it counted as shown.
    virtual void HideList() = 0;

    // The call tip.
    virtual bool TipVisible() const = 0;
    virtual void ShowCallTip() = 0;
    virtual void UpdateCallTip(bool first) = 0;
    // Hides the tip and gives the editor the focus back.
    virtual void HideCallTip() = 0;
    // Closes the tip if it is shown, leaving the focus alone.
    virtual void CloseTip() = 0;

    // F1 on a word: its signature first, its help page on the second press.
    virtual void ShowCommandHelp(const QString& word) = 0;
};
