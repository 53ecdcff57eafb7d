#include "editor/InitEditControl.h"

#include "startup/Settings.h"

#include <algorithm>

namespace {

EditorKeywordStylePtr MakeStyle(Color colour, int kind)
{
    auto style = std::make_shared<EditorKeywordStyle>();
    style->Colour = colour;
    style->Kind = kind;
    return style;
}

}  // namespace

EditorAppearance AppearanceFromSettings(const Settings& s)
{
    EditorAppearance a;
    a.LabelColor = s.LabelsColor;
    a.CaretColor = s.CaretColor;
    a.CommentChar = s.CommentChar;
    a.CommentColor = s.CommentsColor;
    a.TextColor = s.TextColor;
    a.Delimiters = s.Delimiters;
    a.BackColor = s.BackColor;
    a.FontName = s.FontName;
    a.FontSize = std::clamp(s.FontSize, kMinFontSize, kMaxFontSize);
    a.FunctionColor = s.FunctionsColor;
    a.KeywordColor = s.CommandsColor;
    a.HighlightLineColor = s.HighlightedLineColor;
    a.ErrorLineColor = s.ErrorLineColor;
    a.GutterBackColor = s.LineGutterBGColor;
    a.GutterForeColor = s.LineGutterForeColor;
    a.GutterCurrentLineColor = s.LineGutterCurrentLineColor;
    a.NumberColor = s.NumbersColor;
    a.Operators = s.Operators;
    a.OperatorColor = s.OperatorsColor;
    a.WheelScrollLines = s.ScrollLines;
    a.GutterMode = s.LineGutterMode;
    a.StringChar = s.StringChar;
    a.StringColor = s.StringsColor;
    a.TabSize = s.TabSize;
    a.TypeColor = s.TypeVarsColor;
    // Globals, constants and locals share the variables' colour.
    a.VarColor = s.VarsColor;
    a.ConstColor = s.VarsColor;
    a.LocalColor = s.VarsColor;
    a.IndentMoreTokens = s.IndentMoreTokens;
    a.IndentLessTokens = s.IndentLessTokens;
    a.AutoIndent = s.AutoIndent;
    return a;
}

DeclStyles InitEditControl(EditCtrl& editor, const Settings& settings, EditorKeywordListPtr& keywordList)
{
    DeclStyles styles;
    styles.DeclStyle6 = MakeStyle(settings.VarsColor, kKindConst);
    styles.DeclStyle4 = MakeStyle(settings.FunctionsColor, kKindFunction);
    styles.DeclStyle2 = MakeStyle(settings.VarsColor, kKindGlobal);
    styles.DeclStyle5 = MakeStyle(settings.LabelsColor, kKindLabel);
    styles.DeclStyle3 = MakeStyle(settings.TypeVarsColor, kKindType);
    styles.DeclStyle8 = MakeStyle(settings.VarsColor, kKindLocal);

    editor.ApplyAppearance(AppearanceFromSettings(settings));
    if (!keywordList)
        keywordList = std::make_shared<EditorKeywordList>();
    editor.SetKeywords(keywordList);
    editor.SetAutoIndent(settings.AutoIndent);
    return styles;
}
