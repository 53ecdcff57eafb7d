#pragma once

#include "editor/Keywords.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One visible row of the autocomplete list.
struct CompletionRow {
    int position = 0;  // 1-based position in the token list
    std::string text;  // Name followed by ReturnType
    int icon = 0;      // small image number for the entry's kind
    bool selected = false;
};

// Keys the list reacts to while it is open; the editor hands them over.
enum class ListKey { Up, Down, PageUp, PageDown, Enter, Tab, Escape };
// Moved: redraw. Close: hide the list and insert SelectedName (nothing when
// it is empty) once the key has been handled.
enum class ListKeyOutcome { Moved, Close };

// What typing has left of an open list. Open: names still start with the
// typed word. NoMatch: none does any more, the user typed past them.
// Complete: the word already is the one name left, so there is nothing to
// complete and Enter is the user's again.
enum class Narrowed { Open, NoMatch, Complete };

// The model behind the autocomplete popup: the offered names in ascending
// order of their lower-cased Name, the selected one and the visible window
// of rows. Positions count from 1; current is 0 only for an empty list.
// Names that matter most where the caret is (the locals and parameters of
// the function it is in) may lead the list, in their own name order before
// the others: a typed word selects among them first.
class CompletionList {
public:
    // `vocabulary` is the command vocabulary merged in by setTokens.
    explicit CompletionList(EditorKeywordListPtr vocabulary = {});

    // Rows that fit on the list's page; the popup sets it from its height.
    void setRowsPerPage(int rows);
    int rowsPerPage() const { return m_rowsPerPage; }

    // Offers the entries of `list`, together with the vocabulary when
    // `withCommands`, after the entries of `lead`. Nothing is selected until
    // the view is set.
    void setTokens(const EditorKeywordList& list, bool withCommands, const EditorKeywordList& lead = {});
    // The entries after the leading ones.
    const EditorKeywordList& tokens() const { return m_tokens; }
    // The entry at a position, leading ones first.
    const EditorKeyword& Item(int position) const;

    int count() const { return int(m_lead.Count() + m_tokens.Count()); }
    int current() const { return m_current; }
    int top() const { return m_top; }
    // Largest first row the scroll bar allows (at least 1).
    int scrollMaximum() const;

    // Shows the page starting at `first` with `selected` (first when -1).
    void updateview(int first, int selected = -1);
    // Selects the first entry not below `prefix` (case-insensitive); the last
    // one when every entry is below it, nothing when the list is empty.
    void ShowNearestToken(std::string_view prefix);
    // Selects as ShowNearestToken and tells whether the selection is the only
    // entry that starts with `prefix`, so it can be inserted at once.
    bool isSingleToken(std::string_view prefix);
    // Selects as ShowNearestToken and says what is left for the typed word.
    // Never chooses: only Enter, Tab or a double click insert a name.
    Narrowed Narrow(std::string_view word);
    // Whether the selected name starts with `word` (ignoring case), so that
    // inserting it in the word's place completes what was typed.
    bool SelectionMatches(std::string_view word) const;

    ListKeyOutcome KeyDown(ListKey key);
    // A click on a visible row (from 0).
    void ClickRow(int row);
    // The scroll bar moved to `value`; the selection stays.
    void Scroll(int value);

    // The name to insert: the selected Name cut before its first "." (a
    // field's type), "" after Escape or when nothing was selected.
    const std::string& SelectedName() const { return m_selectedName; }

    std::vector<CompletionRow> VisibleRows() const;
    static std::string RowText(const EditorKeyword& entry);
    static int RowIcon(int kind);

private:
    // The first entry of positions [first, last] not below `prefix`; the
    // last one when every entry is below it.
    int NearestIn(int first, int last, std::string_view prefix) const;
    // How many entries from `position` on, up to `last`, start with
    // `prefix`, counting no further than two.
    int StartingFrom(int position, int last, std::string_view prefix) const;

    EditorKeywordListPtr m_vocabulary;
    EditorKeywordList m_lead;
    EditorKeywordList m_tokens;
    int m_rowsPerPage = 8;
    int m_current = 0;
    int m_top = 1;
    std::string m_selectedName;
};
