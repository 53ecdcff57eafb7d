#include "editor/EditCtrl.h"
#include "editor/Tokenizer.h"

#include "EditorTestSupport.h"
#include "support/TempDir.h"

#include <QAbstractScrollArea>
#include <QTest>

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

// Shows `editor` in distinct colours.
static void Show(EditCtrl& editor)
{
    editor.resize(400, 300);
    editor.show();
    editor.ApplyAppearance(DistinctColours());
}

// A long document is coloured on screen first, then the rest; so are the
// names the scanner changes in place, and only the lines holding them.
TEST(EditCtrlColours, LongDocumentIsColouredVisibleLinesFirstThenAll)
{
    EditCtrl editor;
    Show(editor);
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += std::string(i == 15000 ? "\tscore = 1" : "\tspeed = speed + 1") + "\r\n";
    editor.SetText(QByteArray::fromStdString(text));
    FinishColouring(editor);
    const EditorAppearance a = DistinctColours();
    EXPECT_EQ(editor.TextColourAt(20000, 1), a.TextColor);

    const EditorKeywordListPtr declared = KeywordsOf({{"speed", 2}});
    editor.SetDeclaredKeywords(declared);
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.TextColourAt(1, 1), a.VarColor);  // on screen: at once
    EXPECT_TRUE(editor.ColouringPending());

    // Lines joined far below and added on screen while the rest still waits:
    // every line, moved or new, ends up coloured.
    editor.SetSelection({true, 5, 99, 5, 102});
    editor.ReplaceSelection("");
    editor.SetSelection({true, 0, 1, 0, 1});
    editor.ReplaceSelection("; one\r\n\"two\"\r\n");
    FinishColouring(editor);
    EXPECT_EQ(editor.TextColourAt(2, 0), a.CommentColor);
    EXPECT_EQ(editor.TextColourAt(3, 0), a.StringColor);
    int uncoloured = 0;
    for (int line = 4; line <= 19999; ++line)
        uncoloured += line != 15000 && editor.TextColourAt(line, 9) != a.VarColor;  // 15000: the score line
    EXPECT_EQ(uncoloured, 0);
    EXPECT_FALSE(editor.ColouringPending());

    // A typed character recolours its own line, not the document after it.
    editor.SetCaret(1, 10);
    editor.ReplaceSelection("x");
    QCoreApplication::processEvents();
    EXPECT_FALSE(editor.ColouringPending());

    // The scanner turns speed into a constant and adds score, in place.
    const auto entry = [](const char* name, int kind) {
        return std::make_shared<const EditorKeyword>(
            EditorKeyword{name, name, std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}), {}, {}, 1, '?'});
    };
    declared->Patch({{declared->FindPtr("speed"), 0}}, {{entry("speed", 6), 1}, {entry("score", 2), 2}});
    editor.UpdateDeclaredNames(declared, {"speed", "score", "unknown"});
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.TextColourAt(1, 1), a.ConstColor);  // on screen: at once
    FinishColouring(editor);
    EXPECT_EQ(editor.TextColourAt(15000, 1), a.VarColor);  // the 15,001st line, moved up one
    EXPECT_EQ(editor.TextColourAt(19999, 9), a.ConstColor);
    // Names whose kind stays recolour nothing.
    editor.UpdateDeclaredNames(declared, {"speed", "score"});
    EXPECT_FALSE(editor.ColouringPending());
}

// Opening a second long file once left the first uncoloured past its first
// screen, and made it lose the colours it had: switching back to it restyled
// it whole, a step of it at every switch.
TEST(EditCtrlColours, ADocumentShownAgainIsColouredAndFoldedAlready)
{
    EditCtrl editor;
    Show(editor);
    const EditorKeywordListPtr speed = KeywordsOf({{"speed", 2}});
    editor.SetDeclaredKeywords(speed);
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "Function F()\r\n\tspeed = speed + 1\r\nEnd Function\r\n";
    editor.SetText(QByteArray::fromStdString(text));
    ASSERT_TRUE(editor.ColouringPending());
    const EditorBufferPtr first = editor.CurrentBuffer();

    // Another document is shown, its names handed over as opening does.
    editor.NewBuffer();
    editor.SetDeclaredKeywords(KeywordsOf({{"other", 6}}));
    editor.SetText("other = 1");
    editor.Refresh(true);
    ASSERT_TRUE(WaitUntil([&] { return !editor.IdleWorkPending(); }, 10000));
    const auto shownAgain = [&] {
        editor.SelectBuffer(first);
        editor.SetDeclaredKeywords(speed);
        QCoreApplication::processEvents();  // the check of its names
        return !editor.ColouringPending() && !editor.FoldingPending();
    };
    EXPECT_TRUE(shownAgain());
    EXPECT_EQ(editor.TextColourAt(14999, 1), DistinctColours().VarColor);
    EXPECT_EQ(editor.FoldEnd(14998), 15000);
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

// A document behind another takes the look changed meanwhile when it is
// shown, and its view goes with it.
TEST(EditCtrlView, ADocumentBehindTakesTheLookChangedMeanwhile)
{
    EditCtrl editor;
    editor.resize(500, 300);
    editor.show();
    const EditorBufferPtr first = editor.CurrentBuffer();
    editor.SetText("abcdef");
    const auto caretX = [&] {
        editor.SetCaret(5, 1);
        return editor.CaretPoint().x();
    };
    const int before = caretX();
    {
        const EditorBufferPtr behind = editor.NewBuffer();
        editor.SetText("abcdef");
        editor.SelectBuffer(first);
        EditorAppearance look;
        look.FontSize = 20;
        editor.ApplyAppearance(look);
        editor.SetDiagnosticMargin(true);
        const int now = caretX();
        ASSERT_GT(now, before);
        editor.SelectBuffer(behind);
        EXPECT_EQ(caretX(), now);
        editor.SelectBuffer(first);
    }
    EXPECT_EQ(editor.findChildren<QAbstractScrollArea*>().size(), 1);
}

// An edit inside a very long line recolours only a stretch around it; the
// line must still read as a full colouring of its new text would, also where
// the edit opens or closes a string or a comment that runs on past the
// stretch.
TEST(EditCtrlColours, EditsInALongLineColourItAsAWholeColouringWould)
{
    const EditorAppearance a = DistinctColours();
    const auto setUp = [&](EditCtrl& editor) {
        Show(editor);
        EditorKeywordListPtr commands = KeywordsOf({{"Text", 1}});
        editor.SetKeywords(commands);
        editor.SetDeclaredKeywords(KeywordsOf({{"score", 2}, {"scorex", 6}}));
    };
    const std::string unit = "score = Text(1) + $1F : s$ = \"a b\" : x# = .5 + a%1a%1a%1a%1a%1a%1a%1a%1a%1 : " +
                             std::string("t$ = \"") + std::string(100, 'A') + "\" : ";
    std::string line;
    while (line.size() < 40000)
        line += unit;
    const int inText = int(unit.size()) * 300 + 9;  // inside a command's name
    EditCtrl editor;
    setUp(editor);
    editor.SetText(QByteArray::fromStdString("; head\r\n" + line + "\r\nscore"));
    FinishColouring(editor);
    // A long string is painted in pieces; every one in the string's colour.
    const int quote = int(unit.find("\"A"));
    int notString = 0;
    for (int column = quote; column <= quote + 101; ++column)
        notString += editor.TextColourAt(2, column) != a.StringColor;
    EXPECT_EQ(notString, 0);

    struct Edit {
        int column;
        int erase;
        const char* insert;
    };
    const Edit edits[] = {
        {20000, 0, "\""}, {20000, 1, ""},   // a string opened and closed again
        {30001, 0, ";"},  {30001, 1, ""},   // a comment to the line's end
        {25005, 1, ""},   {25005, 0, " "},  // blanks between two names taken and put back
        {17000, 0, "x"},  {5, 0, "x"},      // names joined with what follows
        {0, 0, ".lbl "},  {0, 5, ""},       // a label opening the line
        {39990, 3, "%"},  {12, 0, "1"},
        {inText, 0, "q"}, {inText, 1, ""},  // a command that stops being one
        {20500, 0, "\r\n"}, {20500, 2, ""}, // the line split in two and joined again
    };
    const NameTable commandNames(*KeywordsOf({{"Text", 1}}), 1);
    const NameTable declaredNames(*KeywordsOf({{"score", 2}, {"scorex", 6}}));
    EditCtrl whole;
    setUp(whole);
    const auto check = [&](int column) {
        FinishColouring(editor);
        whole.SetText(editor.Text());
        FinishColouring(whole);
        int differing = 0;
        const int length = int(editor.LineText(2).size());
        for (int c = 0; c < length; ++c)
            differing += editor.TextColourAt(2, c) != whole.TextColourAt(2, c);
        EXPECT_EQ(differing, 0) << "after the edit at column " << column;

        // The call tip's command names, kept with the colours, stay those
        // of the line as it reads now.
        const QByteArray second = editor.LineText(2);
        std::vector<Token> tokens;
        Tokenize(std::string_view(second.constData(), std::size_t(second.size())), LexRules(), commandNames,
                 declaredNames, tokens);
        std::vector<int> expected, found;
        for (const Token& t : tokens)
            if (t.cls == TokenClass::Name && t.kind == 1)
                expected.push_back(t.start);
        for (const LineToken& t : editor.CommandTokensBefore(2, length))
            found.push_back(t.Text == "Text" ? t.StartColumn : -1);
        EXPECT_EQ(found, expected) << "after the edit at column " << column;
    };
    for (const Edit& e : edits) {
        editor.SetSelection({e.erase > 0, e.column, 1, e.column + e.erase, 1});
        editor.ReplaceSelection(e.insert);
        check(e.column);
    }
    // Keys typed: the control does not say what they insert.
    editor.SetCaret(20700, 2);
    for (Qt::Key key : {Qt::Key_X, Qt::Key_Return, Qt::Key_Backspace, Qt::Key_QuoteDbl, Qt::Key_Backspace}) {
        QTest::keyClick(editor.focusProxy(), key, Qt::NoModifier);
        check(20700);
    }
}
