#include "editing/EditingTools.h"

#include "editing/DialogFindReplace.h"
#include "editing/EditingCommands.h"
#include "editor/EditCtrl.h"

#include <QAction>
#include <QComboBox>
#include <QWidget>

namespace editing {

EditingTools::EditingTools(EditingContext context, QWidget* window)
    : QObject(window), m_context(std::move(context)), m_window(window)
{
    auto addAction = [window](const char* name, const QKeySequence& keys) {
        auto* action = new QAction(QString::fromLatin1(name), window);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        return action;
    };
    m_findNext = addAction("actFindNext", QKeySequence(Qt::Key_F3));
    m_findPrevious = addAction("actFindPrevious", QKeySequence(Qt::SHIFT | Qt::Key_F3));
    connect(m_findNext, &QAction::triggered, this, &EditingTools::FindNext);
    connect(m_findPrevious, &QAction::triggered, this, &EditingTools::FindPrevious);
    connect(&m_context.editor, &EditCtrl::KeyDown, this, &EditingTools::OnKeyDown);
}

EditingTools::~EditingTools() = default;

DialogFindReplace& EditingTools::Dialog()
{
    if (!m_dialog)
        m_dialog = new DialogFindReplace(m_context.editor, m_context.labels, m_context.prompter, m_window);
    return *m_dialog;
}

void EditingTools::ShowFindReplace()
{
    if (m_context.showDocument())
        Dialog().Open();
}

void EditingTools::FindNext()
{
    if (!m_context.showDocument())
        return;
    if (!m_dialog || m_dialog->comboSearch->currentText().isEmpty())
        Dialog().Open();
    else
        m_dialog->FindNext();
}

void EditingTools::FindPrevious()
{
    if (!m_context.showDocument())
        return;
    if (!m_dialog || m_dialog->comboSearch->currentText().isEmpty())
        Dialog().Open();
    else
        m_dialog->FindPrevious();
}

void EditingTools::IndentBlock()
{
    editing::IndentBlock(m_context.editor, m_context.tabSize());
}

void EditingTools::UnindentBlock()
{
    editing::UnindentBlock(m_context.editor, m_context.tabSize());
}

void EditingTools::InsertColour(bool hexadecimal)
{
    if (m_context.showDocument())
        editing::InsertColour(m_context.editor, m_context.dialogs, hexadecimal);
}

void EditingTools::StartCalculator()
{
    editing::StartCalculator(m_context.labels, m_context.prompter);
}

void EditingTools::OnKeyDown(EditorKeyEvent* event)
{
    // Tab moves a selection of several lines in, Shift+Tab the lines it
    // touches (the caret's line without one) out, as one step in the
    // document's own indentation.
    const bool backtab = event->key == Qt::Key_Backtab || (event->key == Qt::Key_Tab && (event->modifiers & Qt::ShiftModifier));
    if ((event->key != Qt::Key_Tab && !backtab) || (event->modifiers & (Qt::ControlModifier | Qt::AltModifier)))
        return;
    const EditorSelection sel = m_context.editor.Selection();
    if (!backtab && (!sel.Present || sel.StartLine == sel.EndLine))
        return;
    event->key = 0;
    event->character = 0;
    if (backtab)
        UnindentBlock();
    else
        IndentBlock();
}

}  // namespace editing
