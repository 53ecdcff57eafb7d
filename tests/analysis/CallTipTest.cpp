#include "AnalysisTestSupport.h"

#include "analysis/CallTip.h"
#include "platform/Text.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

EditorKeywordListPtr Commands()
{
    return Vocabulary({
        Command("Graphics", {"width", "height", "[depth]", "[mode]"}),
        Command("Print", {"[string$]"}),
        Command("Text", {"x", "y", "string$", "[center_x]", "[center_y]"}),
        Command("Str", {"value"}),
        Command("Cls"),
        Command("Rect", {"x", "y", "width", "height", "[solid]"}),
        Command("LoadImage", {"bmpfile$"}),
        Command("Max", {"a", "b"}),
    });
}

// Tokens as the editor's colouring reports them: names, kind 1 for the
// vocabulary and 4 for `functions`; strings and comments hold none. A tab
// counts `tabWidth` columns.
std::vector<TipToken> Tokens(std::string_view line, const EditorKeywordList& vocabulary,
                             std::vector<std::string_view> functions = {}, int tabWidth = 1)
{
    std::vector<TipToken> tokens;
    int column = 0;
    auto isName = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == ';')
            break;
        if (c == '"') {
            const std::size_t close = line.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? line.size() : close + 1;
            column += int(end - i);
            i = end;
        } else if (isName(c)) {
            std::size_t end = i;
            while (end < line.size() && isName(line[end]))
                ++end;
            const std::string_view name = line.substr(i, end - i);
            int kind = vocabulary.Find(text::ToLower(name)) ? kKindCommand : 0;
            for (std::string_view f : functions)
                if (f == name)
                    kind = kKindFunction;
            tokens.push_back({kind, column, name});
            column += int(end - i);
            i = end;
        } else {
            column += c == '\t' ? tabWidth : 1;
            ++i;
        }
    }
    return tokens;
}

// "Name:argument" for the tip at the "|" of `marked`, or "none".
std::string TipAt(std::string_view marked, const EditorKeywordList& vocabulary,
                  std::vector<std::string_view> functions = {}, int tabWidth = 1)
{
    const std::size_t caret = marked.find('|');
    const std::string line = std::string(marked.substr(0, caret)) + std::string(marked.substr(caret + 1));
    const auto match = FindCallTip(line, int(caret), tabWidth, Tokens(line, vocabulary, functions, tabWidth),
                                   vocabulary);
    return match ? match->entry->Name + ":" + std::to_string(match->argumentIndex) : "none";
}

TEST(CallTip, FollowsInnermostUnclosedCommandCall)
{
    const EditorKeywordListPtr vocabulary = Commands();
    struct Case {
        std::string marked;
        std::string tip;
    };
    const std::vector<Case> cases = {
        {"Graphics(|", "Graphics:1"},
        {"Graphics(800,|", "Graphics:2"},
        {"Graphics(800,600,|", "Graphics:3"},
        {"Graphics 800, 600|", "Graphics:2"},
        {"Graphics |", "Graphics:1"},
        {"Graphics|", "Graphics:1"},
        {"graphics(1,|", "Graphics:2"},
        {"Text x,y,Str(5)|", "Text:3"},
        {"Text x,y,Str(|", "Str:1"},
        {"Text x,y,Str(5|), 1", "Str:1"},
        {"Rect 1, Max(2, 3), 4,|", "Rect:4"},
        {"Rect Max(1,|", "Max:2"},
        {"Rect (1 + 2), 3,|", "Rect:3"},
        {"Print MyFunc(1,|", "Print:1"},
        // The scan knows no strings: a "(" inside one still opens.
        {"Print \"Graphics(\",|", "Print:1"},
        {"Cls(|", "none"},
        {"Cls |", "none"},
        {"Graphics(1,2,3,4,|", "none"},
        {"Unknown(1,|", "none"},
        {"x = 1 + 2|", "none"},
        {"|Graphics(", "none"},
        {"Graphics(1,2) : Rect 1,|", "Rect:2"},
        {"Str(1) + Str(2)|", "none"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TipAt(c.marked, *vocabulary, {"MyFunc"}), c.tip) << c.marked;
}

TEST(CallTip, CaretColumnCountsTabsAsTheTokensDo)
{
    const EditorKeywordListPtr vocabulary = Commands();
    for (int width : {1, 3, 4}) {
        EXPECT_EQ(TipAt("\tGraphics(|", *vocabulary, {}, width), "Graphics:1") << width;
        EXPECT_EQ(TipAt("\t\tRect 1,\t|", *vocabulary, {}, width), "Rect:2") << width;
        EXPECT_EQ(TipAt("\tText\t1,\tStr(2)|", *vocabulary, {}, width), "Text:2") << width;
    }
}

TEST(CallTip, ManyCommandsBeforeTheCaretLookBackOverTheNearestOnly)
{
    const EditorKeywordListPtr vocabulary = Commands();
    std::string line;
    for (int i = 0; i < 500; ++i)
        line += "Str(1)+";
    EXPECT_EQ(TipAt(line + "Rect 1,|", *vocabulary), "Rect:2");
    EXPECT_EQ(TipAt(line + "|", *vocabulary), "none");
    // The enclosing call lies more than 200 commands back: no tip rather
    // than a wrong one.
    EXPECT_EQ(TipAt("Rect 1, " + line + "|", *vocabulary), "none");
}

TEST(CallTip, TipTextBoldsTheArgumentBeingTyped)
{
    const EditorKeywordListPtr vocabulary = Commands();
    const EditorKeyword& graphics = *vocabulary->Find("graphics");
    struct Case {
        int argument;
        std::string before, bold, after;
    };
    const std::vector<Case> cases = {
        {1, "Graphics ", "width", ",height,[depth],[mode]"},
        {2, "Graphics width,", "height", ",[depth],[mode]"},
        {3, "Graphics width,height,", "[depth]", ",[mode]"},
        {4, "Graphics width,height,[depth],", "[mode]", ""},
    };
    for (const Case& c : cases) {
        const CallTipText t = MakeCallTipText(graphics, c.argument);
        EXPECT_EQ(t.before, c.before);
        EXPECT_EQ(t.bold, c.bold);
        EXPECT_EQ(t.after, c.after);
        EXPECT_EQ(t.full(), "Graphics width,height,[depth],[mode]");
    }
}

TEST(CallTip, SignatureWritesOptionalParametersWithTheirComma)
{
    const EditorKeywordListPtr vocabulary = Commands();
    EXPECT_EQ(CommandSignature(*vocabulary->Find("graphics")), "Graphics width,height[,depth][,mode]");
    // A leading optional parameter loses its bracket with the first comma.
    EXPECT_EQ(CommandSignature(*vocabulary->Find("print")), "Print ,string$]");
    EXPECT_EQ(CommandSignature(*vocabulary->Find("cls")), "Cls ");
    EXPECT_EQ(CommandSignature(*vocabulary->Find("str")), "Str value");
}

TEST(CallTip, SecondF1OnTheSameWordOpensItsHelpPage)
{
    TempDir help;
    help.write("commands/2d_commands/LoadImage.htm", "<html/>");
    help.write("commands/3d_commands/CreateCube.htm", "<html/>");
    help.write("commands/3d_commands/Graphics.htm", "<html/>");
    help.write("commands/2d_commands/Graphics.htm", "<html/>");
    const EditorKeywordListPtr vocabulary =
        Vocabulary({Command("LoadImage", {"bmpfile$"}), Command("CreateCube", {"[parent]"}),
                    Command("Graphics", {"width", "height", "[depth]", "[mode]"})});
    using Kind = CommandHelp::Action::Kind;
    struct Step {
        std::string word;
        Kind kind;
        QString text;
    };
    const std::vector<Step> steps = {
        {"LoadImage", Kind::ShowText, "LoadImage bmpfile$"},
        {"LoadImage", Kind::OpenPage, help.file("commands/2d_commands/LoadImage.htm")},
        {" LoadImage ", Kind::OpenPage, help.file("commands/2d_commands/LoadImage.htm")},
        {"loadimage", Kind::ShowText, "LoadImage bmpfile$"},
        {"loadimage", Kind::OpenPage, help.file("commands/2d_commands/LoadImage.htm")},
        {"CreateCube", Kind::ShowText, "CreateCube ,parent]"},
        {"CreateCube", Kind::OpenPage, help.file("commands/3d_commands/CreateCube.htm")},
        {"Graphics", Kind::ShowText, "Graphics width,height[,depth][,mode]"},
        {"Graphics", Kind::OpenPage, help.file("commands/2d_commands/Graphics.htm")},
        {"Nothing", Kind::ClearPanel, ""},
        {"Nothing", Kind::Nothing, ""},
        {"  ", Kind::ClearPanel, ""},
        // An empty word leaves the last word as it was.
        {"Nothing", Kind::Nothing, ""},
    };
    CommandHelp f1;
    for (const Step& s : steps) {
        const CommandHelp::Action a = f1.Request(s.word, *vocabulary, help.path());
        EXPECT_EQ(a.kind, s.kind) << s.word;
        EXPECT_EQ(a.text, s.text) << s.word;
    }
    EXPECT_EQ(f1.LastHelpWord(), "Nothing");

    const QStringList pages = HelpPageCandidates("/b3d/help", "Cls");
    EXPECT_EQ(pages, (QStringList{"/b3d/help/commands/2d_commands/Cls.htm", "/b3d/help/commands/3d_commands/Cls.htm"}));
}

}  // namespace
