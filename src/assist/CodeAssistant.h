#pragma once

#include "assist/CallTip.h"
#include "assist/CodeAssist.h"
#include "editor/Keywords.h"
#include "model/ProgramNames.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

class BlitzDirGuard;
class CUILabels;
class DlgInlineHelp;
class DlgListVar;
class DocumentManager;
class DocumentTabs;
class EditCtrl;
class EditorEvents;
class HelpArea;
class ProgramHost;
struct Settings;

// What the popups use of the main window. References stay with their
// owners and are read at each use, so new settings or a reloaded
// vocabulary apply at once.
struct CodeAssistHost {
    EditCtrl& editor;
    DocumentManager& docs;
    // Hands the model the edits up to the last keystroke.
    EditorEvents& events;
    // The program model, for the names and fields the lists offer.
    ProgramHost& programs;
    DocumentTabs& tabs;
    HelpArea& help;
    const EditorKeywordListPtr& vocabulary;
    const Settings& settings;
    const DeclStyles& styles;
    const CUILabels& labels;
    // Writes the status bar's message panel ("" empties it).
    std::function<void(const QString&)> setInfoPanel;
};

// The autocomplete list and the call tip, steered by the editor's events.
// A name chosen with Enter, Tab or a double click is inserted by
// TimerAutocomplete shortly after, once the key or click has been handled.
class CodeAssistant : public QObject, public CodeAssist {
    Q_OBJECT
public:
    // The popups are windows of `window` and go with it.
    CodeAssistant(CodeAssistHost host, QWidget* window);
    ~CodeAssistant() override;

    bool PopupShown() const override;
    void ShowCompletion() override;
    void ShowTypeList(const std::string& prefix) override;
    void ShowFieldList(const std::string& varName, const std::string& prefix) override;
    void RefilterCompletion() override;
    void AutoCompleteToken() override;
    bool ListKeyDown(int key) override;
    void CloseList() override;
    bool ListVisible() const override;
    void HideList() override;

    bool TipVisible() const override;
    void ShowCallTip() override;
    void UpdateCallTip(bool first) override;
    void HideCallTip() override;
    void CloseTip() override;

    void ShowCommandHelp(const QString& word) override;
    // Asked before a command's help page is looked for in the Blitz3D folder.
    void SetBlitzDirGuard(const BlitzDirGuard* guard) { m_blitzDir = guard; }

    DlgListVar& list() const { return *m_list; }
    DlgInlineHelp& tip() const { return *m_tip; }
    // A chosen name waits for TimerAutocomplete.
    bool InsertionPending() const { return m_pending.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The popups and a pending insertion belong to the document in the editor.
    void LeaveDocument();
    // The typed word a chosen name replaces: its line (from 0), its bytes
    // from `start` to the caret at `end`.
    struct Insertion {
        std::string name;
        int line = 0;
        int start = 0;
        int end = 0;
        std::string word;
    };

    EditorKeywordListPtr DocKeywords() const;
    // The fields of the type the field access at the caret leads to; null
    // for none.
    EditorKeywordListPtr FieldsAtCaret();
    // Asks the program model of the document in front, fed the edits up to
    // the last keystroke, about the caret's row (from 0).
    void ProgramNamesAtCaret(const std::function<void(lang::Program&, const std::string& key, std::uint32_t row)>& ask);
    programnames::LineText LineReader() const;
    Insertion TargetAtCaret(std::string name) const;
    void Insert(const Insertion& insertion);
    void OpenList(const std::string& prefix);
    // Shows the tip for the call around the caret, sized and placed when
    // `place`; hides it when there is none.
    bool FillTip(bool place);
    void OnChosen();
    void OnAutocompleteTick();
    void OnTextChanged();
    QPoint CaretOnScreen() const;
    std::string CaretLine(int* endColumn, bool* selectionPresent) const;
    // The word the open list completes, as typed so far.
    std::string TypedWord() const;

    CodeAssistHost m_host;
    DlgListVar* m_list = nullptr;
    DlgInlineHelp* m_tip = nullptr;
    QTimer TimerAutocomplete;
    std::optional<Insertion> m_pending;
    bool m_popupShown = false;
    // Where the word the open list completes begins: line and column.
    int m_anchorLine = 0;
    int m_anchorColumn = 0;
    CommandHelp m_commandHelp;
    const BlitzDirGuard* m_blitzDir = nullptr;
};
