#pragma once

#include "navigation/ProgramEditor.h"

#include <QObject>

class DialogFindInProgram;
class ProgramSearchPane;
class SymbolBox;

// The commands over the whole program of the document in front: Rename
// (F2), Find in Program with its replace (Ctrl+Shift+F) and Go to Symbol
// (Ctrl+T). The matches found go to a pane the window puts below the editor.
class ProgramTools : public QObject {
    Q_OBJECT
public:
    explicit ProgramTools(ProgramToolsHost host, QObject* parent = nullptr);
    ~ProgramTools() override;

    void Rename();
    void GoToSymbol();
    // Opens the find dialog with the selection or the word at the caret.
    void FindInProgram();
    // The dialog's Find All and Replace All, with what it holds.
    void FindAll();
    void ReplaceAll();

    ProgramSearchPane& searchPane() const { return *m_pane; }
    SymbolBox& symbolBox();
    DialogFindInProgram& findDialog();

private:
    void HideFindDialog();

    ProgramEditor m_editor;
    ProgramSearchPane* m_pane;
    SymbolBox* m_symbols = nullptr;
    DialogFindInProgram* m_dialog = nullptr;
};
