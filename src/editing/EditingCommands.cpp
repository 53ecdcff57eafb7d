#include "editing/EditingCommands.h"

#include "editing/BlockText.h"
#include "editor/EditCtrl.h"
#include "platform/CommonDialog.h"
#include "platform/Prompter.h"

#include <QFileInfo>
#include <QProcess>

#include <string>
#include <string_view>

namespace editing {

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

// Comment or uncomment: the lines replaced, the caret left after them.
void RewriteLines(EditCtrl& editor, std::string (*rewrite)(std::string_view))
{
    editor.SelectWholeLines();
    const QByteArray lines = editor.SelectedText();
    const std::string result = rewrite(View(lines));
    if (result != View(lines))
        editor.ReplaceSelection(QByteArray::fromStdString(result));
    const TextSpan after = editor.SelectionSpan();
    editor.SelectSpan(after.end, after.end);
    editor.Refresh();
}

void ShiftLines(EditCtrl& editor, bool indent, int tabSize)
{
    const EditorSelection before = editor.Selection();
    const TextSpan span = editor.SelectionSpan();
    const bool caretFirst = before.EndLine < before.StartLine ||
                            (before.EndLine == before.StartLine && before.EndColumn < before.StartColumn);
    editor.SelectWholeLines();
    const TextSpan block = editor.SelectionSpan();
    const QByteArray lines = editor.SelectedText();
    const std::string result = indent ? block::IndentLines(View(lines), block::IndentUnit(View(lines), View(editor.Text()), tabSize))
                                      : block::UnindentLines(View(lines), tabSize);
    if (result != View(lines))
        editor.ReplaceSelection(QByteArray::fromStdString(result));
    const qint64 grown = qint64(result.size()) - lines.size();
    if (!before.Present) {
        // The caret keeps its place in the text of its line.
        editor.SelectSpan(std::max(block.start, span.end + grown), std::max(block.start, span.end + grown));
        return;
    }
    // Whole lines stay selected; a selection that reached into the next
    // line's column 0 still does.
    const qint64 end = span.end > block.end ? span.end + grown : block.start + qint64(result.size());
    if (caretFirst)
        editor.SelectSpan(end, block.start);
    else
        editor.SelectSpan(block.start, end);
}

}  // namespace

void CommentBlock(EditCtrl& editor)
{
    RewriteLines(editor, block::CommentLines);
}

void UncommentBlock(EditCtrl& editor)
{
    RewriteLines(editor, block::UncommentLines);
}

void IndentBlock(EditCtrl& editor, int tabSize)
{
    ShiftLines(editor, true, tabSize);
}

void UnindentBlock(EditCtrl& editor, int tabSize)
{
    ShiftLines(editor, false, tabSize);
}

bool InsertColour(EditCtrl& editor, CommonDialog& dialogs, bool hexadecimal)
{
    const std::optional<Color> colour = dialogs.ChooseColor(Rgb(0, 0, 0));
    if (!colour)
        return false;
    editor.ReplaceSelection(ColourText(*colour, hexadecimal).toLatin1());
    editor.setFocus();
    editor.Refresh();
    return true;
}

void StartCalculator(Prompter& prompter, const QStringList& folders)
{
    const QString program = FindCalculator(folders);
    if (program.isEmpty()) {
        prompter.Tell(QStringLiteral("No calculator was found on the search path (PATH).\nLooked for: %1.")
                          .arg(CalculatorPrograms().join(QStringLiteral(", "))),
                      MsgIcon::Critical);
        return;
    }
    QProcess calculator;
    calculator.setProgram(program);
    if (!calculator.startDetached())
        prompter.Tell(QStringLiteral("Unable to launch %1: %2").arg(QFileInfo(program).fileName(), calculator.errorString()),
                      MsgIcon::Critical);
}

}  // namespace editing
