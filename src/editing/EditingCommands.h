#pragma once

#include "editing/ColourCalculator.h"

class CommonDialog;
class CUILabels;
class EditCtrl;
class Prompter;

// The block commands of the Edit menu and the tools toolbar's aids, on the
// document in the editor. Each edit undoes as one step, which brings back
// the selection there was.
namespace editing {

// Every line the selection touches (the caret's line when nothing is
// selected; not a last line the selection only reaches at its column 0)
// gets a ";" in front, or loses the ";" that starts it. The caret ends at
// the end of the block, nothing selected.
void CommentBlock(EditCtrl& editor);
void UncommentBlock(EditCtrl& editor);
// One level of indentation added to or taken from the front of those lines,
// in the document's own style; the selection stays over the same lines.
void IndentBlock(EditCtrl& editor, int tabSize);
void UnindentBlock(EditCtrl& editor, int tabSize);

// Asks for a colour and puts it in place of the selection, as "$RRGGBB" or
// "R,G,B". False when the user cancelled.
bool InsertColour(EditCtrl& editor, CommonDialog& dialogs, bool hexadecimal);

// Starts the desktop's calculator from `folders` (the search path); when
// there is none, or it will not start, says so.
void StartCalculator(const CUILabels& labels, Prompter& prompter, const QStringList& folders = SearchPath());

}  // namespace editing
