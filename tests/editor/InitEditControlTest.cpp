#include "editor/InitEditControl.h"

#include "EditorTestSupport.h"
#include "startup/Settings.h"

#include <gtest/gtest.h>

TEST(InitEditControl, EachKindOfTokenTakesTheColourOfItsSetting)
{
    Settings s;
    Color next = 1;
    for (Color* c : {&s.TextColor, &s.CommandsColor, &s.CommentsColor, &s.StringsColor, &s.NumbersColor,
                     &s.OperatorsColor, &s.VarsColor, &s.FunctionsColor, &s.TypeVarsColor, &s.LabelsColor})
        *c = next++;
    s.AutoIndent = false;

    EditCtrl editor;
    EditorKeywordListPtr keywords;  // none yet: the editor gets an empty list
    InitEditControl(editor, s, keywords);
    ASSERT_NE(keywords, nullptr);
    keywords->Add(KeywordsOf({{"Print", kKindCommand}})->FindPtr("Print"));
    // Called again, as a save of the settings does: the held list stays.
    const EditorKeywordListPtr held = keywords;
    InitEditControl(editor, s, keywords);
    EXPECT_EQ(keywords, held);
    EXPECT_FALSE(editor.AutoIndent());

    editor.SetDeclaredKeywords(KeywordsOf({{"g", kKindGlobal}, {"P", kKindType}, {"F", kKindFunction},
                                           {"l", kKindLabel}, {"C", kKindConst}, {"x", kKindLocal}}));
    editor.SetText("Print x + \"s\" ; note\r\nF(C, 1) g\r\n.l\r\nz.P");
    FinishColouring(editor);
    const struct {
        int line, column;
        Color colour;
    } rows[] = {
        {1, 0, s.CommandsColor}, {1, 5, s.TextColor},      {1, 6, s.VarsColor},      {1, 8, s.OperatorsColor},
        {1, 10, s.StringsColor}, {1, 14, s.CommentsColor}, {2, 0, s.FunctionsColor}, {2, 2, s.VarsColor},
        {2, 5, s.NumbersColor},  {2, 8, s.VarsColor},      {3, 0, s.LabelsColor},    {4, 2, s.TypeVarsColor},
    };
    for (const auto& r : rows)
        EXPECT_EQ(editor.TextColourAt(r.line, r.column), r.colour) << r.line << ":" << r.column;
}

TEST(InitEditControl, GutterAndTabsFollowTheSettings)
{
    EditCtrl editor;
    editor.resize(600, 400);
    editor.show();
    EditorKeywordListPtr keywords;
    Settings s;
    s.FontName = QStringLiteral("DejaVu Sans Mono");
    auto at = [&](const QByteArray& text, int column, int line) {
        InitEditControl(editor, s, keywords);
        editor.SetText(text);
        editor.SetCaret(column, line);
        return editor.CaretPoint();
    };
    // No gutter, one as wide as six digits, one that grows with the lines.
    s.LineGutterMode = 0;
    const int none = at("x", 0, 1).x();
    s.LineGutterMode = 1;
    const int fixed = at("x", 0, 1).x();
    s.LineGutterMode = 2;
    const int sized = at("x", 0, 1).x();
    EXPECT_LT(none, sized);
    EXPECT_LT(sized, fixed);
    const QByteArray many = QByteArray("\r\n").repeated(100000);
    EXPECT_GT(at(many, 0, 1).x(), sized);
    s.LineGutterMode = 1;
    EXPECT_EQ(at(many, 0, 1).x(), fixed);
    // Hidden, the gutter's mark of the caret's line does not paint the line.
    const auto caretLineBand = [&](int mode) {
        s.LineGutterMode = mode;
        const int y = at("x\r\ny", 1, 1).y() + 3;
        return editor.grab().toImage().pixelColor(500, y);
    };
    EXPECT_EQ(caretLineBand(0), caretLineBand(2));

    // A tab is TabSize characters wide (the font is checked by the settings dialog's test).
    auto tabWidth = [&] { return at("\tx", 1, 1).x() - at("\tx", 0, 1).x(); };
    s.TabSize = 2;
    const int narrowTab = tabWidth();
    s.TabSize = 8;
    EXPECT_NEAR(tabWidth(), narrowTab * 4, 3);  // characters may be a fraction of a pixel wide
    // A document shown again takes the width chosen while it was hidden, also
    // once its colours are applied anew.
    const EditorBufferPtr wide = editor.CurrentBuffer();
    editor.NewBuffer();
    s.TabSize = 2;
    InitEditControl(editor, s, keywords);
    editor.SelectBuffer(wide);
    editor.ResetStyles();
    editor.SetCaret(0, 1);
    const int tabStart = editor.CaretPoint().x();
    editor.SetCaret(1, 1);
    EXPECT_NEAR(editor.CaretPoint().x() - tabStart, narrowTab, 3);

    // A size no editor can be used at (FontSize=9999 left the view blank) is
    // brought into the range the settings dialog allows.
    auto charWidth = [&] { return at("xx", 1, 1).x() - at("xx", 0, 1).x(); };
    const std::pair<double, double> sizes[] = {{9999, 72}, {0, 4}};
    for (const auto& [written, shown] : sizes) {
        s.FontSize = shown;
        const int expected = charWidth();
        s.FontSize = written;
        EXPECT_EQ(charWidth(), expected) << written;
    }
}
