#include "support/Declarations.h"

#include "assist/CallTip.h"
#include "platform/Text.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

EditorKeywordListPtr Commands()
{
    return Vocabulary({Command("Graphics", {"width", "height", "[depth]", "[mode]"}), Command("Print", {"[string$]"}),
                       Command("Text", {"x", "y", "string$"}), Command("Str", {"value"}), Command("Cls"),
                       Command("Rect", {"x", "y", "width", "height"}), Command("Max", {"a", "b"}),
                       Command("Mid", {"string$", "start", "[count]"}), Command("Chr", {"ascii"})});
}

// The tip at the "|" of `marked`, with tokens as the editor's colouring
// makes them: names of the vocabulary are kind 1, MyFunc is a function, and
// a tab counts `tabWidth` columns. "Name:argument", or "none".
std::string TipAt(std::string_view marked, int tabWidth = 1)
{
    static const EditorKeywordListPtr vocabulary = Commands();
    const Caret caret = At(marked);
    std::vector<TipToken> tokens;
    static const std::regex word("\"[^\"]*\"?|[A-Za-z0-9]+");
    for (auto m = std::sregex_iterator(caret.line.begin(), caret.line.end(), word); m != std::sregex_iterator(); ++m) {
        const std::string_view name = std::string_view(caret.line).substr(std::size_t(m->position()), m->str().size());
        const int tabs = int(std::count(caret.line.begin(), caret.line.begin() + m->position(), '\t'));
        const int kind = vocabulary->Find(text::ToLower(name)) ? kKindCommand : name == "MyFunc" ? kKindFunction : 0;
        tokens.push_back({kind, int(m->position()) + tabs * (tabWidth - 1), name});
    }
    const auto tip = FindCallTip(caret.line, caret.column, tabWidth, tokens, *vocabulary);
    return tip ? tip->entry->Name + ":" + std::to_string(tip->argumentIndex) : "none";
}

TEST(CallTip, FollowsInnermostUnclosedCommandCall)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Graphics(|", "Graphics:1"},      {"Graphics(800,|", "Graphics:2"},  {"Graphics(800,600,|", "Graphics:3"},
        {"Graphics 800, 600|", "Graphics:2"}, {"Graphics|", "Graphics:1"},   {"graphics(1,|", "Graphics:2"},
        {"Text x,y,Str(5)|", "Text:3"},    {"Text x,y,Str(|", "Str:1"},       {"Rect 1, Max(2, 3), 4,|", "Rect:4"},
        {"Rect Max(1,|", "Max:2"},         {"Rect (1 + 2), 3,|", "Rect:3"},   {"Print MyFunc(1,|", "Print:1"},
        {"Graphics(1,2) : Rect 1,|", "Rect:2"},
        // The scan knows no strings: a "(" inside one still opens.
        {"Print \"Graphics(\",|", "Print:1"},
        {"Cls(|", "none"},                 {"Graphics(1,2,3,4,|", "none"},    {"Unknown(1,|", "none"},
        {"|Graphics(", "none"},            {"Str(1) + Str(2)|", "none"},
        // A type character between the name and its "(" keeps the call direct.
        {"Print Mid$(a$,2,|", "Mid:3"},    {"Text x,y,Chr$(65)|", "Text:3"},  {"Text 1,2,Chr$(65),|", "none"},
        {"Rect Max#(1,|", "Max:2"},
    };
    for (const auto& [marked, tip] : cases)
        EXPECT_EQ(TipAt(marked), tip) << marked;
    for (int width : {1, 3})
        EXPECT_EQ(TipAt("\t\tText\t1,\tStr(2),|", width), "Text:3") << width;

    // More than 200 commands before the caret: only the nearest 200 count,
    // so a call further back gives no tip rather than a wrong one.
    const std::string many = QByteArray("Str(1)+").repeated(500).toStdString();
    EXPECT_EQ(TipAt(many + "Rect 1,|"), "Rect:2");
    EXPECT_EQ(TipAt("Rect 1, " + many + "|"), "none");
}

TEST(CallTip, NameTokensAreTheNamesInCodeBeforeTheCaret)
{
    // The names with their columns, "|" the caret.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Foo(a, Bar_2(1|", "Foo@0 a@4 Bar_2@7"},   {"x = Foo|(1)", "x@0 Foo@4"},
        {"Print \"Foo(\", Bar(|", "Print@0 Bar@14"}, {"Foo(1) ; Bar(|", "Foo@0"},
        {"p\\Move(1, v.Vec|", "p@0 v@10"},          {"Foo($FF, 1e5, Bar|", "Foo@0 Bar@14"},
        {"|Foo(", ""},
    };
    for (const auto& [marked, expected] : cases) {
        const Caret caret = At(marked);
        std::string names;
        for (const TipToken& t : NameTokens(caret.line, caret.column))
            names += (names.empty() ? "" : " ") + std::string(t.Text) + "@" + std::to_string(t.StartColumn);
        EXPECT_EQ(names, expected) << marked;
    }
}

TEST(CallTip, TextBoldsTheArgumentAndSignatureBracketsOptionalOnes)
{
    const EditorKeywordListPtr vocabulary = Commands();
    const EditorKeyword& graphics = *vocabulary->Find("graphics");
    const std::vector<std::string> runs = {"Graphics |width|,height,[depth],[mode]",
                                           "Graphics width,|height|,[depth],[mode]",
                                           "Graphics width,height,|[depth]|,[mode]",
                                           "Graphics width,height,[depth],|[mode]|"};
    for (int arg = 1; arg <= 4; ++arg) {
        const CallTipText t = MakeCallTipText(graphics, arg);
        EXPECT_EQ(t.before + "|" + t.bold + "|" + t.after, runs[std::size_t(arg - 1)]);
    }
    EXPECT_EQ(CommandSignature(graphics), "Graphics width,height[,depth][,mode]");
    // A leading optional parameter loses its bracket with the first comma.
    EXPECT_EQ(CommandSignature(*vocabulary->Find("print")), "Print [string$]");
    EXPECT_EQ(CommandSignature(*vocabulary->Find("cls")), "Cls");
}

TEST(CallTip, SecondF1OnTheSameWordOpensItsHelpPage)
{
    TempDir help;
    help.write("commands/2d_commands/LoadImage.htm", "");
    const EditorKeywordListPtr vocabulary = Vocabulary({Command("LoadImage", {"bmpfile$"}), Command("Cls")});
    using Kind = CommandHelp::Action::Kind;
    const QString loadImage = help.file("commands/2d_commands/LoadImage.htm");
    const std::vector<std::tuple<std::string, Kind, QString>> steps = {
        {"LoadImage", Kind::ShowText, "LoadImage bmpfile$"}, {" LoadImage ", Kind::OpenPage, loadImage},
        {"loadimage", Kind::ShowText, "LoadImage bmpfile$"}, {"loadimage", Kind::OpenPage, loadImage},
        {"Nothing", Kind::ClearPanel, ""},                   {"Nothing", Kind::Nothing, ""},
        // An empty word clears the panel and keeps the last word.
        {"  ", Kind::ClearPanel, ""},                        {"Nothing", Kind::Nothing, ""},
        // A command without a page says so.
        {"Cls", Kind::ShowText, "Cls"},
        {"Cls", Kind::NoPage, "Cls"},
    };
    CommandHelp f1;
    for (const auto& [word, kind, text] : steps) {
        const CommandHelp::Action a = f1.Request(word, *vocabulary, help.path());
        EXPECT_EQ(std::pair(a.kind, a.text), std::pair(kind, text)) << word;
    }
    CommandHelp noHelp;
    noHelp.Request("Cls", *vocabulary, help.file("gone"));
    EXPECT_EQ(noHelp.Request("Cls", *vocabulary, help.file("gone")).kind, Kind::NoHelpFolder);
}

}  // namespace
