#pragma once

#include "editing/SearchSession.h"
#include "editor/EditCtrl.h"

#include <QDialog>

#include <memory>
#include <optional>

class CUILabels;
class Prompter;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The find and replace dialog. It is hidden between uses and keeps its
// search, its options and the histories of its two boxes; F3 and Shift+F3
// go on with its search after it is closed.
class DialogFindReplace : public QDialog {
    Q_OBJECT
public:
    DialogFindReplace(EditCtrl& editor, const CUILabels& labels, Prompter& prompter, QWidget* parent = nullptr);
    ~DialogFindReplace() override;

    // Shows the dialog, modal, with the search box holding the selection or
    // the word at the caret.
    void Open();

    // The buttons, and F3 / Shift+F3.
    void Find();
    void FindNext();
    void FindPrevious();
    void Replace();
    void ReplaceAll();

    QLabel* Label1 = nullptr;
    QComboBox* comboSearch = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboReplace = nullptr;
    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;  // whole text
    QRadioButton* Option2 = nullptr;  // selection
    QCheckBox* Check1 = nullptr;      // match case
    QPushButton* cmdFind = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;

protected:
    bool event(QEvent* event) override;

private:
    QByteArray SearchBytes() const;
    search::Options Options() const;
    // Takes up the search where the user left it: another document, or a
    // caret moved off the last match, continues from the caret.
    void Resync(bool backwards);
    // Selects a match, or says there is none.
    void Show(const std::optional<search::Match>& match);
    void KeepOffMatch();
    void NextStep();
    bool NeedsNewSearch() const;
    // A new search for the text in the box that has found nothing yet, over
    // the whole text or, `inSelection`, the selection if there is one.
    void Begin(bool inSelection);
    // The replacement text, remembered in its box's history.
    QByteArray Replacement();
    void Remember(QComboBox* box, bool* typed);

    EditCtrl& m_editor;
    const CUILabels& m_labels;
    Prompter& m_prompter;
    SearchSession m_session;
    std::weak_ptr<EditorBuffer> m_buffer;  // the document searched
    TextSpan m_lastSelected;               // what the search last left selected
    QString m_searched;                    // the text the search was started for
    bool m_searchTyped = false;
    bool m_replaceTyped = false;
};
