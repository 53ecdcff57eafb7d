#include "editor/EditCtrl.h"
#include "editor/Folding.h"

#include "EditorTestSupport.h"

#include <QScrollBar>

#include <gtest/gtest.h>

#include <random>

namespace {

// The last line of the fold each 1-based line heads (0 for none), as a full
// reading of the text gives it.
std::vector<int> ExpectedFoldEnds(const QByteArray& text)
{
    const std::vector<LineFold> folds = FoldText(std::string_view(text.constData(), std::size_t(text.size())));
    std::vector<int> ends(folds.size(), 0);
    for (std::size_t i = 0; i < folds.size(); ++i) {
        if (!folds[i].header)
            continue;
        std::size_t j = i;
        while (j + 1 < folds.size() && folds[j + 1].level > folds[i].level)
            ++j;
        ends[i] = int(j) + 1;
    }
    return ends;
}

std::vector<int> FoldEnds(EditCtrl& editor)
{
    std::vector<int> ends;
    for (int line = 1; line <= editor.LineCount(); ++line)
        ends.push_back(editor.FoldEnd(line));
    return ends;
}

const char* const kProgram =
    "; Shooter\r\n"
    "; by me\r\n"
    "Function Hit(e.Enemy)\r\n"
    "\tIf e\\hp < 1\r\n"
    "\t\tDelete e\r\n"
    "\tEndIf\r\n"
    "End Function\r\n"
    "Function Spawn()\r\n"
    "\tFor i = 1 To 3\r\n"
    "\t\tNew Enemy\r\n"
    "\tNext\r\n"
    "End Function\r\n"
    "While True\r\n"
    "\tFlip\r\n"
    "Wend";

}  // namespace

TEST(EditCtrlFolds, FoldAllHidesTheBodiesUntilReachedAndEditsKeepTheFoldsAFullReadingGives)
{
    EditCtrl editor;
    editor.resize(500, 400);
    editor.show();
    editor.SetText(kProgram);
    EXPECT_EQ(FoldEnds(editor), ExpectedFoldEnds(editor.Text()));
    editor.SetCaret(0, 5);
    editor.FoldAll();
    for (int line : {1, 3, 8, 13})
        EXPECT_TRUE(editor.LineShown(line)) << line;
    for (int line : {2, 4, 5, 7, 9, 12, 14})
        EXPECT_FALSE(editor.LineShown(line)) << line;
    // The caret left the folded line for the first line of its fold.
    EXPECT_EQ(editor.CaretPos().Line, 3);

    // A jump or a selection (a match found) into a folded block opens it.
    editor.JumpToLine(10);
    EXPECT_TRUE(editor.LineShown(10));
    EXPECT_TRUE(editor.LineShown(9));
    EXPECT_FALSE(editor.LineShown(4));
    const qint64 flip = editor.Text().indexOf("Flip");
    editor.SelectSpan(flip, flip + 4);
    EXPECT_TRUE(editor.LineShown(14));
    EXPECT_FALSE(editor.LineShown(4));

    editor.UnfoldAll();
    for (int line = 1; line <= editor.LineCount(); ++line)
        EXPECT_TRUE(editor.LineShown(line)) << line;

    // A closed fold whose first line no longer opens a block ("If e\hp < 1"
    // made a one-line If) opens.
    ASSERT_TRUE(editor.ToggleFold(4));
    EXPECT_FALSE(editor.LineShown(5));
    editor.SetSelection({false, 12, 3, 12, 3});
    editor.ReplaceSelection(" Then Delete e");
    EXPECT_EQ(editor.FoldEnd(4), 0);
    EXPECT_TRUE(editor.LineShown(5));
    EXPECT_FALSE(editor.ToggleFold(4));

    // Lines that open, close or comment, typed in and taken out anywhere.
    const char* const pieces[] = {"If x > 1\r\n", "EndIf\r\n", "; note\r\n", "Function F()\r\n", "End Function\r\n",
                                  "Repeat : ", "x = 1\r\n", "Next\r\n", "\r\n", ";"};
    std::mt19937 random(7);
    for (int step = 0; step < 300; ++step) {
        const int line = int(random() % unsigned(editor.LineCount()));
        if (random() % 3 == 0 && editor.LineCount() > 3) {
            editor.SetSelection({true, 0, line, 0, line + 1});
            editor.ReplaceSelection("");
        } else {
            editor.SetSelection({false, 0, line, 0, line});
            editor.ReplaceSelection(pieces[random() % std::size(pieces)]);
        }
        ASSERT_EQ(FoldEnds(editor), ExpectedFoldEnds(editor.Text())) << "after step " << step;
    }
}

// A document shown again gets back the folds it had closed, nested ones too,
// and scroll bars only if its lines still need them.
TEST(EditCtrlFolds, ClosedFoldsComeBackWithTheirDocument)
{
    EditCtrl editor;
    editor.resize(500, 300);
    editor.show();
    // Each document has a view of its own: the bars are the ones in front.
    const auto barShown = [&] {
        Pump();
        return FrontView(editor)->verticalScrollBar()->isVisible();
    };
    // The control widens its scroll range a moment after drawing a long line,
    // so the horizontal bar not showing is seen only after that moment.
    const auto wideBarShown = [&](int ms) {
        editor.repaint();
        return WaitUntil([&] { return FrontView(editor)->horizontalScrollBar()->isVisible(); }, ms);
    };
    std::string text;
    for (int i = 0; i < 10; ++i)
        text += "Function F()\r\n\tIf x\r\n\t\ty = 1\r\n\tEndIf\r\nEnd Function\r\n";
    editor.SetText(QByteArray::fromStdString(text));
    ASSERT_TRUE(barShown());
    ASSERT_TRUE(editor.ToggleFold(2));
    editor.FoldAll();
    EXPECT_FALSE(barShown());

    const EditorBufferPtr folded = editor.CurrentBuffer();
    editor.NewBuffer();
    editor.SetText(QByteArray::fromStdString(std::string(400, 'x') + "\r\n" + text));
    EXPECT_TRUE(barShown());
    EXPECT_TRUE(wideBarShown(2000));
    editor.SelectBuffer(folded);
    EXPECT_FALSE(barShown());
    EXPECT_FALSE(wideBarShown(200));
    for (int line = 1; line <= 50; ++line)
        EXPECT_EQ(editor.LineShown(line), line % 5 == 1) << line;
    ASSERT_TRUE(editor.ToggleFold(1));
    EXPECT_TRUE(editor.LineShown(2));
    EXPECT_FALSE(editor.LineShown(3));
    EXPECT_TRUE(editor.LineShown(5));
}
