#include "editor/InitEditControl.h"

#include "EditorTestSupport.h"
#include "startup/Settings.h"

#include <gtest/gtest.h>

TEST(InitEditControl, AppliesTheSettingsAndMakesTheDeclarationStyles)
{
    Settings s;
    s.TextColor = Rgb(255, 0, 0);
    s.CommandsColor = Rgb(0, 0, 200);
    s.CommentsColor = Rgb(0, 128, 0);
    s.VarsColor = Rgb(10, 20, 30);
    s.FunctionsColor = Rgb(40, 50, 60);
    s.TypeVarsColor = Rgb(70, 80, 90);
    s.LabelsColor = Rgb(1, 1, 1);
    s.AutoIndent = false;

    EditCtrl editor;
    editor.SetText("Print x ; note");
    EditorKeywordListPtr keywords;  // none yet: the editor gets an empty list
    const DeclStyles first = InitEditControl(editor, s, keywords);
    ASSERT_NE(keywords, nullptr);
    EXPECT_FALSE(editor.AutoIndent());

    const std::pair<EditorKeywordStylePtr, std::pair<int, Color>> styles[] = {
        {first.DeclStyle2, {2, s.VarsColor}},      {first.DeclStyle3, {3, s.TypeVarsColor}},
        {first.DeclStyle4, {4, s.FunctionsColor}}, {first.DeclStyle5, {5, s.LabelsColor}},
        {first.DeclStyle6, {6, s.VarsColor}},      {first.DeclStyle8, {8, s.VarsColor}},
    };
    for (const auto& [style, expected] : styles) {
        ASSERT_NE(style, nullptr);
        EXPECT_EQ(style->Kind, expected.first);
        EXPECT_EQ(style->Colour, expected.second);
    }

    keywords->Add(*KeywordsOf({{"Print", 1}})->FindPtr("Print"));
    const EditorKeywordListPtr held = keywords;
    const DeclStyles second = InitEditControl(editor, s, keywords);
    EXPECT_EQ(keywords, held);
    EXPECT_NE(second.DeclStyle2, first.DeclStyle2);
    editor.SetDeclaredKeywords(KeywordsOf({{"x", 8}}));
    FinishColouring(editor);
    EXPECT_EQ(editor.TextColourAt(1, 0), s.CommandsColor);
    EXPECT_EQ(editor.TextColourAt(1, 6), s.VarsColor);
    EXPECT_EQ(editor.TextColourAt(1, 8), s.CommentsColor);
    EXPECT_EQ(editor.TextColourAt(1, 5), s.TextColor);
}
