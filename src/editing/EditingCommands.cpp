#include "editing/EditingCommands.h"

namespace editing {

void ShowFindReplace(EditCtrl&) {}
void CommentBlock(EditCtrl&) {}
void UncommentBlock(EditCtrl&) {}
void IndentBlock(EditCtrl&) {}
void InsertColour(EditCtrl&, bool) {}
void StartCalculator() {}

}  // namespace editing
