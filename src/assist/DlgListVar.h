#pragma once

#include "assist/Completion.h"

#include <QWidget>

#include <string>
#include <string_view>

class QScrollBar;
class CompletionRowsView;

// The autocomplete list: a small frameless window next to the caret showing
// eight rows of names with their kind icons, the selected one highlighted,
// and a scroll bar. It never takes the keyboard or activates: the editor's
// key handlers steer it, and a double click reports a choice the owner
// carries out once the click has been handled.
class DlgListVar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kVisibleRows = 8;

    explicit DlgListVar(QWidget* parent = nullptr);
    ~DlgListVar() override;

    // The commands a list `withCommands` offers; read by setTokens.
    void SetVocabulary(EditorKeywordListPtr vocabulary) { m_vocabulary = std::move(vocabulary); }

    // Offers `list`, with the vocabulary when `withCommands`, after `lead`
    // (CompletionList::setTokens).
    void setTokens(const EditorKeywordList& list, bool withCommands, const EditorKeywordList& lead = {});
    // Shows the page starting at `first` (1-based) with `selected` chosen
    // (`first` when -1).
    void updateview(int first, int selected = -1);
    // Selects the first name not below `prefix`, ignoring case.
    void ShowNearestToken(std::string_view prefix, bool redraw);
    // Selects as ShowNearestToken; true when no other name starts with `prefix`.
    bool isSingleToken(std::string_view prefix);
    // Follows the typed word without ever choosing (CompletionList::Narrow).
    Narrowed Narrow(std::string_view word);
    // A key handed over by the editor: Up, Down, Page Up and Page Down move
    // the selection; Enter and Tab choose it and Escape chooses nothing
    // (both report Chosen). Returns false for any other key.
    bool ScrollView(int qtKey);
    // The name to insert; "" after Escape or with nothing selected.
    std::string SelectedName() const { return m_model.SelectedName(); }

    // Puts the list 10 px right of and 24 px below the caret point (screen
    // coordinates), kept on the screen.
    void PlaceAt(QPoint caretOnScreen);

    const CompletionList& model() const { return m_model; }
    int RowHeight() const { return m_rowHeight; }
    QScrollBar* scrollBar() const { return VScroll1; }

Q_SIGNALS:
    // A choice ended the list (Enter, Tab, Escape or a double click): the
    // list is hidden and SelectedName holds the name to insert, if any.
    void Chosen();

private:
    friend class CompletionRowsView;
    void SyncScrollBar();
    void OnScroll(int value);
    void ClickRow(int row, bool choose);

    EditorKeywordListPtr m_vocabulary;
    CompletionList m_model;
    CompletionRowsView* ElTokens = nullptr;
    QScrollBar* VScroll1 = nullptr;
    int m_rowHeight = 20;
    bool m_syncing = false;
};
