#include "editor/Vocabulary.h"

#include "platform/Text.h"
#include "startup/CheckCommand.h"
#include "startup/Settings.h"
#include "support/Scripted.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// "Name|returnType|x,y,[z]", optional parameters in brackets.
std::string Describe(const EditorKeyword* e)
{
    if (!e)
        return "missing";
    std::string out = e->Name + "|" + e->ReturnType + "|";
    for (const auto& p : e->Params)
        out += (&p == &e->Params.front() ? "" : ",") + (p.Optional ? "[" + p.Name + "]" : p.Name);
    return out;
}

// Checks each row's entry, found by its name, in a list loaded from the rows' lines.
void ExpectEntries(const EditorKeywordList& list, const std::vector<std::pair<std::string, std::string>>& rows)
{
    for (const auto& [line, expected] : rows) {
        if (!expected.empty()) {
            EXPECT_EQ(Describe(list.Find(text::ToLower(expected.substr(0, expected.find('|'))))), expected) << line;
        }
    }
}

std::string Lines(const std::vector<std::pair<std::string, std::string>>& rows, const char* end = "\r\n")
{
    std::string out;
    for (const auto& row : rows)
        out += row.first + end;
    return out;
}

// The message of what `load` throws, or "" when it throws nothing.
template <typename Load>
std::string Thrown(Load&& load)
{
    try {
        load();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return {};
}

// `ovrel --check` once took a byte-order mark for part of the first name.
TEST(Vocabulary, TheCheckCommandKnowsTheFunctionsTheEditorKnows)
{
    const std::string commands = "\xEF\xBB\xBF" "Abs(value)\r\nCls\nText x,y,s$\r";
    const std::string decls = "\xEF\xBB\xBF" "NetGo%(port%)\r\n.lib \"net.dll\"\rNetStop()";
    const auto style = std::make_shared<EditorKeywordStyle>();
    EditorKeywordList list;
    AddCommands(commands, "commands.txt", style, list);
    AddDecls(decls, "net.decls", style, list);
    std::vector<std::string> edited, checked;
    for (const EditorKeywordPtr& e : list)
        edited.push_back(e->Name);
    const lang::Vocabulary v = check::ReadVocabulary(commands, {decls}, {{"net.decls", decls}});
    for (const auto* callables : {&v.commands, &v.userlibs})
        for (const lang::Callable& c : *callables)
            checked.push_back(c.name);
    std::sort(checked.begin(), checked.end());
    EXPECT_EQ(edited, (std::vector<std::string>{"Abs", "Cls", "NetGo", "NetStop", "Text"}));
    EXPECT_EQ(checked, edited);
    EXPECT_EQ(v.shippedDecls.front().first, "NetGo");
}

}  // namespace

TEST(LoadCommands, EveryLineOfTheListBesideTheProgramIsACommandWhateverTheCurrentFolder)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"Graphics width,height[,depth][,mode]", "Graphics||width,height,[depth],[mode]"},
        {"End", "End||"}, {"WaitKey()", "WaitKey||"}, {"  LoadImage (file$)  ", "LoadImage||file$"},
        {"AddVertex(surface,x#,y#,z#[,u#][,v#][,w#])", "AddVertex||surface,x#,y#,z#,[u#],[v#],[w#]"},
        {"Print [string$]", "Print||[string$]"}, {"Spaced  a , b ", "Spaced||a,b"}, {"Gap a,,b", "Gap||a,,b"},
        {"Brackets []", "Brackets||[]"}, {"Blank(   )", "Blank||"},
        // Lines without a name are entries too.
        {"", ""}, {"()", ""},
    };
    TempDir program;
    program.write("commands.txt", Lines(rows));
    TempDir elsewhere;
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(elsewhere.path());
    Settings settings;
    EditorKeywordList list;
    ScriptedPrompter prompter;
    const bool ok = LoadCommands(settings, program.path(), list, prompter);
    QDir::setCurrent(cwd);

    ASSERT_TRUE(ok);
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(list.Count(), rows.size());
    ExpectEntries(list, rows);
    // One shared style: recolouring it recolours every command.
    EXPECT_EQ(list.Find("end")->Kind(), kKindCommand);
    EXPECT_EQ(list.Find("end")->Style, list.Find("print")->Style);

    // A folder is not a list.
    QDir(program.path()).mkdir("mine.txt");
    settings.Commands = "mine.txt";
    EXPECT_FALSE(LoadCommands(settings, program.path(), list, prompter));

    // Lines the format cannot describe name their line.
    for (const char* bad : {"Broken(", "  Foo(  ", "Foo [", "Foo a,["}) {
        settings.Commands = program.write("bad.txt", std::string("Cls\r\nText x,y,s$\n") + bad + "\r\n");
        EXPECT_NE(Thrown([&] { LoadCommands(settings, program.path(), list, prompter); }).find("line 3"),
                  std::string::npos)
            << bad;
    }
}

TEST(LoadDecls, AddsTheFunctionsOfEveryDeclsFileAndSkipsDirectives)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"MyFunc%(a%,b$):\"MyFuncA\"", "MyFunc|%|a%,b$"}, {"Beep(freq%,dur%)", "Beep||freq%,dur%"},
        {"GetTicks%()", "GetTicks|%|"}, {"  Sleep (ms%) : \"Sleep\"", "Sleep||ms%"}, {"NoParams", "NoParams||"},
        {"Locate*(a*)", "Locate|*|a*"}, {"Name$:\"x(y\"", "Name|$|"}, {"Opt#(a,b[,c])", "Opt|#|a,b,[c]"},
        {"", ""}, {"   ", ""}, {".lib \"user32.dll\"", ""}, {"; a comment", ""}, {"  .lib \"x\"", ""},
    };
    TempDir b3d;
    b3d.write("userlibs/b.decls", ".lib \"b.dll\"\r\nBFunc$(s$):\"BF\"\r\n");
    b3d.write("userlibs/a.decls", Lines(rows, "\n"));
    b3d.write("userlibs/readme.txt", "NotADecl(x)\r\n");
    Settings settings;
    settings.B3DDir = b3d.path();
    settings.CommandsColor = Rgb(1, 2, 3);
    EditorKeywordList list;
    LoadDecls(settings, list);

    ExpectEntries(list, rows);
    EXPECT_EQ(Describe(list.Find("bfunc")), "BFunc|$|s$");
    EXPECT_EQ(list.Count(), 9u);
    EXPECT_EQ(list.Find("myfunc")->Style->Colour, Rgb(1, 2, 3));
    EXPECT_EQ(list.Find("myfunc")->Style, list.Find("bfunc")->Style);

    // No folder, or no Blitz3D folder at all: nothing, and no error.
    TempDir empty;
    settings.B3DDir = empty.path();
    LoadDecls(settings, list);
    settings.B3DDir.clear();
    LoadDecls(settings, list);
    EXPECT_EQ(list.Count(), 9u);

    settings.B3DDir = b3d.path();
    for (const char* bad : {"Broken%(a%", "Foo)(a%"}) {
        b3d.write("userlibs/c.decls", std::string("Ok%()\r\n") + bad + "\r\n");
        EXPECT_NE(Thrown([&] { LoadDecls(settings, list); }).find("line 2"), std::string::npos) << bad;
    }
}
