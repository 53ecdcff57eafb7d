#pragma once

class EditCtrl;

// The editing commands of the Edit menu and the tools toolbar. Their menu
// items and buttons are in place; what they do comes with the editing work.
namespace editing {

void ShowFindReplace(EditCtrl& editor);
void CommentBlock(EditCtrl& editor);
void UncommentBlock(EditCtrl& editor);
void IndentBlock(EditCtrl& editor);
void InsertColour(EditCtrl& editor, bool hexadecimal);
void StartCalculator();

}  // namespace editing
