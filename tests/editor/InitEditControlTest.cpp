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
