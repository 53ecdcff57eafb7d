#include "editor/EditCtrl.h"

#include "EditorTestSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(EditCtrlFiles, AnyByteComesBackUnchangedAndTheFinalLineEndFollowsTheFile)
{
    std::string every;
    for (int c = 1; c < 256; ++c)
        every += static_cast<char>(c);
    every += "\r\nbare LF\nafter\ttab\r\n" + std::string(1 << 20, 'x') + "\r\nlast line";
    const std::tuple<std::string, std::string, bool> rows[] = {
        // File bytes, the text shown, whether it is UTF-8.
        {"a\r\nb\r\n", "a\r\nb", false},
        {"a\r\nb", "a\r\nb", false},  // no line end: none is added on save
        {"a\r\nb\r\n\r\n", "a\r\nb\r\n", false},
        {"a\nb\n", "a\nb", false},
        {"", "", false},
        {"Print \"Gr\xC3\xBC\xC3\x9F" "e\"\r\n", "Print \"Gr\xC3\xBC\xC3\x9F" "e\"", true},
        {"Print \"caf\xE9\"\r\n", "Print \"caf\xE9\"", false},  // not UTF-8: 8-bit text
        {"\xEF\xBB\xBFGlobal a\r\n", "\xEF\xBB\xBFGlobal a", true},
        {every + "\r\n", every, false},
    };
    TempDir dir;
    EditCtrl editor;
    for (const auto& [file, text, utf8] : rows) {
        editor.NewBuffer();
        ASSERT_TRUE(editor.LoadFile(dir.write("f.bb", file)));
        SCOPED_TRACE(file.substr(0, 20));
        EXPECT_EQ(editor.Text().toStdString(), text);
        EXPECT_EQ(editor.FileBytes(*editor.CurrentBuffer()).toStdString(), file);
        EXPECT_EQ(editor.BufferIsUtf8(*editor.CurrentBuffer()), utf8);
        EXPECT_FALSE(editor.CanUndo());
    }
    EXPECT_EQ(editor.LineText(editor.LineCount()), "last line");
    EXPECT_EQ(editor.LineText(editor.LineCount() - 1).size(), 1 << 20);
    // A new buffer is saved with the final CR LF.
    editor.NewBuffer();
    editor.SetText("End");
    EXPECT_EQ(editor.FileBytes(*editor.CurrentBuffer()).toStdString(), "End\r\n");
}

TEST(EditCtrlBuffers, SwitchingKeepsTextCaretSelectionScrollAndUndo)
{
    EditCtrl editor;
    editor.resize(400, 200);
    editor.show();
    std::string many;
    for (int i = 1; i <= 300; ++i)
        many += "Print " + std::to_string(i) + "\r\n";
    const EditorBufferPtr first = editor.CurrentBuffer();
    editor.SetText(QByteArray::fromStdString(many));
    editor.SetCaret(2, 250);
    editor.ReplaceSelection("x");  // an edit to undo later
    EditorSelection sel{true, 1, 249, 4, 249};
    editor.SetSelection(sel);
    const QByteArray firstText = editor.Text();

    const EditorBufferPtr second = editor.NewBuffer();
    EXPECT_NE(second, first);
    EXPECT_EQ(editor.Text(), "");
    EXPECT_FALSE(editor.CanUndo());
    editor.SetText("Cls\r\nFlip");
    editor.SetCaret(1, 2);
    EXPECT_EQ(editor.BufferText(*first), firstText);

    editor.SelectBuffer(first);
    EXPECT_EQ(editor.CurrentBuffer(), first);
    EXPECT_EQ(editor.Text(), firstText);
    EXPECT_EQ(editor.Selection(), sel);
    EXPECT_EQ(editor.SelectedText(), "rxi");
    EXPECT_GT(editor.CaretPoint().y(), 0);  // still scrolled to the caret
    EXPECT_LT(editor.CaretPoint().y(), editor.height());
    EXPECT_EQ(editor.BufferText(*second).toStdString(), "Cls\r\nFlip");
    ASSERT_TRUE(editor.CanUndo());
    editor.Undo();
    EXPECT_EQ(editor.LineText(250).toStdString(), "Print 250");

    editor.SelectBuffer(second);
    EXPECT_EQ(editor.CaretPos().Column, 1);
    EXPECT_EQ(editor.CaretPos().Line, 2);
}

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

TEST(EditCtrlColours, LongDocumentIsColouredVisibleLinesFirstThenAll)
{
    EditCtrl editor;
    editor.resize(400, 300);
    editor.show();
    editor.ApplyAppearance(DistinctColours());
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "\tspeed = speed + 1\r\n";
    editor.SetText(QByteArray::fromStdString(text));
    FinishColouring(editor);
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
