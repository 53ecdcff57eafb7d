#include "editing/EditingCommands.h"

#include "editing/BlockText.h"
#include "editor/EditCtrl.h"
#include "platform/CommonDialog.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"

#include <QFileInfo>
#include <QProcess>

#include <functional>
#include <string>
#include <string_view>

namespace editing {

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

// Rewrites every line the selection touches (the caret's line without one)
// as one undoable step, after which the selection is `after` of the lines'
// old span, their new span and the selection there was; an undo brings that
// selection back.
void RewriteLines(EditCtrl& editor, const std::function<std::string(std::string_view)>& rewrite,
                  const std::function<TextSpan(TextSpan lines, TextSpan block, TextSpan selected)>& after)
{
    const EditorSelection before = editor.Selection();
    const TextSpan selected = editor.SelectionSpan();
    const bool caretFirst = before.EndLine < before.StartLine ||
                            (before.EndLine == before.StartLine && before.EndColumn < before.StartColumn);
    editor.SelectWholeLines();
    const TextSpan lines = editor.SelectionSpan();
    const QByteArray text = editor.SelectedText();
    const std::string result = rewrite(View(text));
    const TextSpan block{lines.start, lines.start + qint64(result.size())};
    const TextSpan then = after(lines, block, selected);
    editor.SetSelection(before);
    if (result != View(text))
        editor.ReplaceSpan(lines, QByteArray::fromStdString(result), then, caretFirst);
    else
        editor.SelectSpan(caretFirst ? then.end : then.start, caretFirst ? then.start : then.end);
    editor.Refresh();
}

// Comment or uncomment: the caret left after the lines.
void CommentLines(EditCtrl& editor, std::string (*rewrite)(std::string_view))
{
    RewriteLines(editor, rewrite, [](TextSpan, TextSpan block, TextSpan) { return TextSpan{block.end, block.end}; });
}

void ShiftLines(EditCtrl& editor, bool indent, int tabSize)
{
    const QByteArray whole = editor.Text();
    RewriteLines(
        editor,
        [&](std::string_view lines) {
            return indent ? block::IndentLines(lines, block::IndentUnit(lines, View(whole), tabSize))
                          : block::UnindentLines(lines, tabSize);
        },
        [](TextSpan lines, TextSpan block, TextSpan selected) {
            const qint64 grown = block.end - lines.end;
            if (selected.start == selected.end) {
                // The caret keeps its place in the text of its line.
                const qint64 caret = std::max(block.start, selected.end + grown);
                return TextSpan{caret, caret};
            }
            // Whole lines stay selected; a selection that reached into the
            // next line's column 0 still does.
            return TextSpan{block.start, selected.end > lines.end ? selected.end + grown : block.end};
        });
}

}  // namespace

void CommentBlock(EditCtrl& editor)
{
    CommentLines(editor, block::CommentLines);
}

void UncommentBlock(EditCtrl& editor)
{
    CommentLines(editor, block::UncommentLines);
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

void StartCalculator(const CUILabels& labels, Prompter& prompter, const QStringList& folders)
{
    const QString program = FindCalculator(folders);
    if (program.isEmpty()) {
        prompter.Tell(labels.format(QStringLiteral("nocalculator"), {CalculatorPrograms().join(QStringLiteral(", "))}),
                      MsgIcon::Critical);
        return;
    }
    QProcess calculator;
    calculator.setProgram(program);
    if (!calculator.startDetached())
        prompter.Tell(labels.format(QStringLiteral("calculatorfailed"),
                                    {QFileInfo(program).fileName(), calculator.errorString()}),
                      MsgIcon::Critical);
}

}  // namespace editing
