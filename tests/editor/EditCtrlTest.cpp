#include "editor/EditCtrl.h"

#include "EditorTestSupport.h"
#include "support/TempDir.h"

#include <QScrollBar>

#include <gtest/gtest.h>

TEST(EditCtrlColours, DeclarationsAndCommandsRecolourTheDocument)
{
    EditCtrl editor;
    editor.ApplyAppearance(DistinctColours());
    EditorKeywordListPtr commands = KeywordsOf({{"Text", 1}, {"Print", 1}});
    editor.SetKeywords(commands);
    editor.SetDeclaredKeywords(KeywordsOf({{"score", 2}}));
    editor.SetText("Text 1\r\nscore = 1\r\n.start\r\np.Player = Null\r\nprint plain");
    FinishColouring(editor);
    const EditorAppearance a = DistinctColours();
    EXPECT_EQ(editor.TextColourAt(2, 0), a.VarColor);

    // New declarations recolour the document; the same set again changes nothing.
    editor.SetDeclaredKeywords(KeywordsOf({{"plain", 6}}));
    FinishColouring(editor);
    EXPECT_EQ(editor.TextColourAt(5, 6), a.ConstColor);
    EXPECT_EQ(editor.TextColourAt(2, 0), a.TextColor);
    // A name added to the held list in place shows after a full refresh.
    commands->Add(KeywordsOf({{"plain", 1}})->FindPtr("plain"));
    editor.Refresh(true);
    FinishColouring(editor);
    EXPECT_EQ(editor.TextColourAt(5, 6), a.KeywordColor);
}

// Shows `editor` in distinct colours holding 20,000 lines, the 15,001st
// being `line15001` and every other one "\tspeed = speed + 1".
static void ShowLongDocument(EditCtrl& editor, const char* line15001 = "\tspeed = speed + 1")
{
    editor.resize(400, 300);
    editor.show();
    editor.ApplyAppearance(DistinctColours());
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += std::string(i == 15000 ? line15001 : "\tspeed = speed + 1") + "\r\n";
    editor.SetText(QByteArray::fromStdString(text));
    FinishColouring(editor);
}

TEST(EditCtrlColours, LongDocumentIsColouredVisibleLinesFirstThenAll)
{
    EditCtrl editor;
    ShowLongDocument(editor);
    EXPECT_EQ(editor.TextColourAt(20000, 1), DistinctColours().TextColor);

    editor.SetDeclaredKeywords(KeywordsOf({{"speed", 2}}));
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.TextColourAt(1, 1), DistinctColours().VarColor);  // on screen: at once
    EXPECT_TRUE(editor.ColouringPending());

    // Lines joined far below and added on screen while the rest still waits:
    // every line, moved or new, ends up coloured.
    editor.SetSelection({true, 5, 99, 5, 102});
    editor.ReplaceSelection("");
    editor.SetSelection({true, 0, 1, 0, 1});
    editor.ReplaceSelection("; one\r\n\"two\"\r\n");
    FinishColouring(editor);
    EXPECT_EQ(editor.TextColourAt(2, 0), DistinctColours().CommentColor);
    EXPECT_EQ(editor.TextColourAt(3, 0), DistinctColours().StringColor);
    int uncoloured = 0;
    for (int line = 4; line <= 19999; ++line)
        uncoloured += editor.TextColourAt(line, 9) != DistinctColours().VarColor;
    EXPECT_EQ(uncoloured, 0);
    EXPECT_FALSE(editor.ColouringPending());

    // A typed character recolours its own line, not the document after it.
    editor.SetCaret(1, 10);
    editor.ReplaceSelection("x");
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor.ColouringPending());
}

TEST(EditCtrlColours, NamesChangedInPlaceRecolourTheLinesThatHoldThem)
{
    EditCtrl editor;
    const EditorKeywordListPtr declared = KeywordsOf({{"speed", 2}});
    editor.SetDeclaredKeywords(declared);
    ShowLongDocument(editor, "\tscore = 1");

    // The scanner turns speed into a constant and adds score, in place.
    const auto entry = [](const char* name, int kind) {
        return std::make_shared<const EditorKeyword>(
            EditorKeyword{name, name, std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}), {}, {}, 1});
    };
    declared->Patch({{declared->FindPtr("speed"), 0}}, {{entry("speed", 6), 1}, {entry("score", 2), 2}});
    editor.UpdateDeclaredNames(declared, {"speed", "score", "unknown"});
    QCoreApplication::processEvents();
    const EditorAppearance a = DistinctColours();
    EXPECT_EQ(editor.TextColourAt(1, 1), a.ConstColor);  // on screen: at once
    FinishColouring(editor);
    EXPECT_EQ(editor.TextColourAt(15001, 1), a.VarColor);
    EXPECT_EQ(editor.TextColourAt(20000, 9), a.ConstColor);
    // Names whose kind stays recolour nothing.
    editor.UpdateDeclaredNames(declared, {"speed", "score"});
    EXPECT_FALSE(editor.ColouringPending());
}

TEST(EditCtrlGutter, TheCaretsLineIsMarkedAfterLoadingAndMoving)
{
    EditCtrl editor;
    TempDir dir;
    ASSERT_TRUE(editor.LoadFile(dir.write("a.bb", "a\r\nb\r\nc\r\nd\r\n")));
    EXPECT_EQ(editor.CaretMarkLine(), 1);
    editor.SetCaret(0, 3);
    EXPECT_EQ(editor.CaretMarkLine(), 3);
    editor.SetText("x\r\ny\r\nz");
    EXPECT_EQ(editor.CaretMarkLine(), 1);
}

TEST(EditCtrlView, AShortDocumentShowsNoHorizontalScrollBarAfterALongOne)
{
    EditCtrl editor;
    editor.resize(500, 300);
    editor.show();
    QScrollBar* horizontal = nullptr;
    for (QScrollBar* bar : editor.findChildren<QScrollBar*>())
        if (bar->orientation() == Qt::Horizontal)
            horizontal = bar;
    ASSERT_TRUE(horizontal);
    // The control widens its scroll range a moment after drawing a long line,
    // so the bar not showing is seen only after that moment.
    auto shows = [&](bool expected) {
        editor.repaint();
        WaitUntil([&] { return expected && horizontal->isVisible(); }, expected ? 2000 : 200);
        return horizontal->isVisible();
    };
    editor.SetText(QByteArray(400, 'x'));
    EXPECT_TRUE(shows(true));
    const EditorBufferPtr wide = editor.CurrentBuffer();
    editor.NewBuffer();
    editor.SetText("Graphics 640,480\r\nEnd");
    EXPECT_FALSE(shows(false));
    editor.SelectBuffer(wide);
    EXPECT_TRUE(shows(true));
}
