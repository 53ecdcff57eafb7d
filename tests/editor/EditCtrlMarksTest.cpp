// The checker's diagnostics marked in the editor: squiggles where the text
// allows one, symbols in the margin, and the messages under the mouse.
#include "editor/EditCtrl.h"

#include "EditorTestSupport.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

using Marks = std::vector<EditorDiagnostic>;

QPoint InMargin(const EditCtrl& editor, int line)
{
    return {3, CharCentre(editor, line, 0).y()};
}

TEST(EditCtrlDiagnostics, EachDiagnosticIsMarkedWhereItsTextAllowsAndMovesWithEdits)
{
    EditCtrl editor;
    editor.resize(500, 300);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.SetDiagnosticMargin(true);
    editor.SetText("Global a = (1\r\n\r\nPrint a\r\nWhile 1");
    const struct {
        EditorDiagnostic given;
        EditorDiagnostic marked;  // Column == EndColumn: the line end of an empty line
    } rows[] = {
        {{1, 7, 8, "range", false}, {1, 7, 8, "range", false}},
        {{1, 13, 13, "Expecting ')'", false}, {1, 12, 13, "Expecting ')'", false}},  // at the end: the character before
        {{3, 0, 0, "at the start", false}, {3, 0, 1, "at the start", false}},
        {{2, 0, 0, "empty line", false}, {2, 0, 0, "empty line", false}},
        {{9, 0, 0, "Expecting 'Wend'", false}, {4, 6, 7, "Expecting 'Wend'", false}},  // past the text: its end
    };
    for (const auto& row : rows) {
        editor.SetDiagnostics({row.given});
        EXPECT_EQ(editor.DiagnosticMarks(), Marks{row.marked}) << row.given.Message.toStdString();
    }

    // Overlapping diagnostics share one squiggle; the margin lists the line's.
    editor.SetDiagnostics({{3, 0, 5, "first", false}, {3, 2, 7, "second", false}, {3, 0, 5, "first", false}, {1, 0, 6, "other", false}});
    EXPECT_EQ(editor.DiagnosticMarks(), (Marks{{1, 0, 6, "other", false}, {3, 0, 7, "first\nsecond", false}}));
    EXPECT_EQ(editor.DiagnosticAt(CharCentre(editor, 3, 6)), "first\nsecond");
    EXPECT_EQ(editor.DiagnosticAt(CharCentre(editor, 1, 2)), "other");
    EXPECT_EQ(editor.DiagnosticAt(CharCentre(editor, 1, 9)), "");
    EXPECT_EQ(editor.DiagnosticAt(InMargin(editor, 3)), "first\nsecond");
    EXPECT_EQ(editor.DiagnosticAt(InMargin(editor, 2)), "");

    // Marks move with the text; the same list for the moved text keeps them.
    editor.SetCaret(0, 1);
    editor.ReplaceSelection("\r\n");
    editor.SetCaret(0, 4);
    editor.ReplaceSelection("x = 1 : ");
    const Marks moved{{2, 0, 6, "other", false}, {4, 8, 15, "first\nsecond", false}};
    EXPECT_EQ(editor.DiagnosticMarks(), moved);
    editor.SetDiagnostics({{4, 8, 13, "first", false}, {4, 10, 15, "second", false}, {2, 0, 6, "other", false}});
    EXPECT_EQ(editor.DiagnosticMarks(), moved);
    // A deleted line takes its squiggles along and leaves its symbol to a
    // neighbour, until the next list says where symbols go.
    editor.SetSelection({true, 0, 1, 0, 2});
    editor.ReplaceSelection("");
    EXPECT_EQ(editor.DiagnosticMarks(), (Marks{{3, 8, 15, "first\nsecond", false}}));
    editor.SetDiagnostics({{3, 8, 15, "first\nsecond", false}});
    for (int line = 1; line <= editor.LineCount(); ++line)
        EXPECT_EQ(editor.HasDiagnosticSymbol(line), line == 3) << line;
    editor.SetDiagnostics({{3, 8, 15, "first\nsecond", false}, {2, 0, 0, "empty line", false}});
    EXPECT_EQ(editor.DiagnosticAt(InMargin(editor, 1)), "");
    EXPECT_EQ(editor.DiagnosticAt(InMargin(editor, 2)), "empty line");

    // The marks belong to their buffer.
    const EditorBufferPtr marked = editor.CurrentBuffer();
    editor.NewBuffer();
    editor.SetText("Print 1");
    EXPECT_TRUE(editor.DiagnosticMarks().empty());
    EXPECT_EQ(editor.DiagnosticAt(InMargin(editor, 1)), "");
    editor.SelectBuffer(marked);
    EXPECT_EQ(editor.DiagnosticMarks().size(), 2u);
    editor.SetDiagnostics({});
    EXPECT_TRUE(editor.DiagnosticMarks().empty());
    EXPECT_EQ(editor.DiagnosticAt(InMargin(editor, 2)), "");
    EXPECT_FALSE(editor.HasDiagnosticSymbol(3));
}

}  // namespace
