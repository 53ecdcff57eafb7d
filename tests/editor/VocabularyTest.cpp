#include "editor/Vocabulary.h"

#include "startup/Settings.h"
#include "support/Scripted.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// "name(type)" per parameter, optional ones in brackets: "x,y,[z]".
std::string Describe(const std::vector<EditorKeywordParam>& params)
{
    std::string out;
    for (const auto& p : params) {
        if (!out.empty())
            out += ",";
        out += p.Optional ? "[" + p.Name + "]" : p.Name;
    }
    return out;
}

std::string Describe(const EditorKeyword& e)
{
    return e.Name + "|" + e.ReturnType + "|" + Describe(e.Params);
}

}  // namespace

TEST(CommandList, EveryLineGivesNameAndParameterText)
{
    struct Row {
        std::string line, name;
        std::optional<std::string> params;
    };
    const Row rows[] = {
        {"Graphics width,height[,depth][,mode]", "Graphics", "width,height[,depth][,mode]"},
        {"End", "End", std::nullopt},
        {"WaitKey()", "WaitKey", ""},
        {"  LoadImage (file$)  ", "LoadImage", "file$"},
        {"AddVertex(surface,x#,y#,z#[,u#][,v#][,w#])", "AddVertex", "surface,x#,y#,z#[,u#][,v#][,w#]"},
        {"Print [string$]", "Print", "[string$]"},
        {"", "", std::nullopt},
        {"()", "", ""},
    };
    for (const Row& r : rows) {
        const CommandLineParts parts = ParseCommandLine(r.line);
        EXPECT_EQ(parts.name, r.name) << r.line;
        EXPECT_EQ(parts.params.has_value(), r.params.has_value()) << r.line;
        if (parts.params && r.params) {
            EXPECT_EQ(*parts.params, *r.params) << r.line;
        }
    }
}

TEST(CommandList, ParameterTextSplitsIntoNamedOptionalParameters)
{
    const std::pair<std::string, std::string> rows[] = {
        {"width,height[,depth][,mode]", "width,height,[depth],[mode]"},
        {"surface,x#,y#,z#[,u#][,v#][,w#]", "surface,x#,y#,z#,[u#],[v#],[w#]"},
        {"", ""},
        {"   ", ""},
        {"[string$]", "[string$]"},
        {" a , b ", "a,b"},
        {"a,,b", "a,,b"},
        {"[]", "[]"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(Describe(ParseParams(text)), expected) << text;
}

TEST(CommandList, LinesTheFormatCannotDescribeThrow)
{
    EXPECT_THROW(ParseCommandLine("Foo("), std::runtime_error);
    EXPECT_THROW(ParseCommandLine("  Foo(  "), std::runtime_error);
    EXPECT_THROW(ParseParams("["), std::runtime_error);
    EXPECT_THROW(ParseParams("a,["), std::runtime_error);
    EXPECT_THROW(ParseDeclLine("Foo%(a%"), std::runtime_error);
    EXPECT_THROW(ParseDeclLine("Foo)(a%"), std::runtime_error);
}

TEST(DeclsFile, FunctionLinesGiveNameReturnTypeAndParameters)
{
    const std::pair<std::string, std::string> rows[] = {
        {"MyFunc%(a%,b$):\"MyFuncA\"", "MyFunc|%|a%,b$"},
        {"Beep(freq%,dur%)", "Beep||freq%,dur%"},
        {"GetTicks%()", "GetTicks|%|"},
        {"  Sleep (ms%) : \"Sleep\"", "Sleep||ms%"},
        {"NoParams", "NoParams||"},
        {"Locate*(a*)", "Locate|*|a*"},
        {"Name$:\"x(y\"", "Name|$|"},
        {"Opt#(a,b[,c])", "Opt|#|a,b,[c]"},
    };
    for (const auto& [line, expected] : rows) {
        const auto parts = ParseDeclLine(line);
        ASSERT_TRUE(parts) << line;
        EditorKeyword e;
        e.Name = std::string(parts->name);
        e.ReturnType = std::string(parts->returnType);
        if (parts->params)
            ParseParams(e, *parts->params);
        EXPECT_EQ(Describe(e), expected) << line;
    }
    for (const char* skipped : {"", "   ", ".lib \"user32.dll\"", "; a comment", "  .lib \"x\""})
        EXPECT_FALSE(ParseDeclLine(skipped)) << skipped;
}

TEST(LoadCommands, ReadsTheListBesideTheProgramWhateverTheCurrentFolder)
{
    TempDir program;
    program.write("commands.txt", "LoadImage(file$)\r\nGraphics width,height[,depth][,mode]\r\n\r\nEnd\r\n");
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
    EXPECT_EQ(settings.Commands, program.file("commands.txt"));
    ASSERT_EQ(list.Count(), 4u);  // the empty line is an entry too
    EXPECT_EQ(list.Item(1).Name, "");
    const EditorKeyword* image = list.Find("loadimage");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Describe(*image), "LoadImage||file$");
    EXPECT_EQ(Describe(*list.Find("graphics")), "Graphics||width,height,[depth],[mode]");
    // One shared style: recolouring it recolours every command.
    EXPECT_EQ(image->Kind(), kKindCommand);
    EXPECT_EQ(image->Style, list.Find("end")->Style);
}

TEST(LoadCommands, MissingListIsReportedAndMalformedOneThrows)
{
    TempDir program;
    Settings settings;
    settings.Commands = "mine.txt";
    EditorKeywordList list;
    ScriptedPrompter prompter;
    EXPECT_FALSE(LoadCommands(settings, program.path(), list, prompter));
    EXPECT_EQ(prompter.texts(), QStringList{"Unable to find \"commands.txt\""});
    EXPECT_EQ(prompter.shown.at(0).icon, MsgIcon::Critical);
    EXPECT_EQ(settings.Commands, "mine.txt");

    QDir(program.path()).mkdir("mine.txt");  // a folder is not a list
    EXPECT_FALSE(LoadCommands(settings, program.path(), list, prompter));

    program.write("bad.txt", "Cls\r\nText x,y,s$\r\nBroken(\r\n");
    settings.Commands = program.file("bad.txt");
    try {
        LoadCommands(settings, program.path(), list, prompter);
        FAIL() << "no error for a line ending in \"(\"";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
    }
}

TEST(LoadCommands, ShippedListLoadsEveryCommand)
{
    Settings settings;
    EditorKeywordList list;
    ScriptedPrompter prompter;
    ASSERT_TRUE(LoadCommands(settings, OVREL_RESOURCES_DIR, list, prompter));
    EXPECT_EQ(list.Count(), 536u);
    EXPECT_EQ(Describe(*list.Find("addvertex")), "AddVertex||surface,x#,y#,z#,[u#],[v#],[w#]");
    EXPECT_EQ(Describe(*list.Find("writestring")), "WriteString||stream,string$");
}

TEST(LoadDecls, AddsEveryDeclsFileAndSkipsDirectives)
{
    TempDir b3d;
    b3d.write("userlibs/b.decls", ".lib \"b.dll\"\r\n; comment\r\n\r\nBFunc$(s$):\"BF\"\r\n");
    b3d.write("userlibs/a.decls", ".lib \"a.dll\"\nAFunc%(x%,y%)\nAConst\n");
    b3d.write("userlibs/readme.txt", "NotADecl(x)\r\n");
    Settings settings;
    settings.B3DDir = b3d.path();
    settings.CommandsColor = Rgb(1, 2, 3);
    EditorKeywordList list;
    LoadDecls(settings, list);

    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(Describe(*list.Find("afunc")), "AFunc|%|x%,y%");
    EXPECT_EQ(Describe(*list.Find("bfunc")), "BFunc|$|s$");
    EXPECT_EQ(Describe(*list.Find("aconst")), "AConst||");
    EXPECT_EQ(list.Find("afunc")->Style->Colour, Rgb(1, 2, 3));
    EXPECT_EQ(list.Find("afunc")->Style, list.Find("bfunc")->Style);
    EXPECT_EQ(list.Find("notadecl"), nullptr);

    // No folder, or no Blitz3D folder at all: nothing, and no error.
    TempDir empty;
    settings.B3DDir = empty.path();
    LoadDecls(settings, list);
    settings.B3DDir.clear();
    LoadDecls(settings, list);
    EXPECT_EQ(list.Count(), 3u);

    b3d.write("userlibs/c.decls", "Broken%(a%\r\n");
    settings.B3DDir = b3d.path();
    EXPECT_THROW(LoadDecls(settings, list), std::runtime_error);
}
