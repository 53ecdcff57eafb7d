#pragma once

#include <QObject>

#include <functional>

class CommonDialog;
class CUILabels;
class DialogFindReplace;
class EditCtrl;
class Prompter;
class QAction;
class QWidget;
struct EditorKeyEvent;

namespace editing {

// What the editing commands work with.
struct EditingContext {
    EditCtrl& editor;
    const CUILabels& labels;
    Prompter& prompter;
    CommonDialog& dialogs;
    std::function<int()> tabSize;
    // Brings the document in the editor to the front; false when none is
    // open.
    std::function<bool()> showDocument;
};

// The editing commands that keep state or own keys of the window: the find
// dialog with F3 and Shift+F3, Tab and Shift+Tab on a selection of several
// lines, and the commands that need a dialog or a message.
class EditingTools : public QObject {
    Q_OBJECT
public:
    // The F3 and Shift+F3 actions are added to `window`.
    EditingTools(EditingContext context, QWidget* window);
    ~EditingTools() override;

    void ShowFindReplace();
    // F3 and Shift+F3: the dialog's search goes on, or the dialog opens when
    // there is nothing to search for yet.
    void FindNext();
    void FindPrevious();
    void IndentBlock();
    void UnindentBlock();
    void InsertColour(bool hexadecimal);
    void StartCalculator();

    // Made on first use, then kept.
    DialogFindReplace* findDialog() const { return m_dialog; }

private:
    DialogFindReplace& Dialog();
    void OnKeyDown(EditorKeyEvent* event);

    EditingContext m_context;
    QWidget* m_window;
    DialogFindReplace* m_dialog = nullptr;
    QAction* m_findNext = nullptr;
    QAction* m_findPrevious = nullptr;
};

}  // namespace editing
