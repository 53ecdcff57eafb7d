#pragma once

class ProgramEditor;

// Rename (F2): the symbol at the caret takes a new name in every file of its
// program that uses it, open or not, after a preview the user confirms; a
// name that cannot be used is refused with the reason.
void RenameAtCaret(ProgramEditor& editor);
