// The program model's names as the lists, the colouring and the call tip
// show them: spelt as declared, with their types and parameters.
#include "support/Declarations.h"

#include "assist/SourceWords.h"
#include "model/ProgramNames.h"

#include <gtest/gtest.h>

namespace {

struct Names : ::testing::Test {
    std::map<std::string, std::string> files = {
        {"/p/main.bb", "Include \"lib.bb\"\r\nType Vec\r\nField x#, Pos.VEC\r\nEnd Type\r\nGlobal Score%, Hero.vec\r\n"
                       "Dim Grid$(4)\r\nConst MAX_N = 3\r\nFunction Main()\r\nLocal inner\r\nEnd Function\r\n"},
        {"/p/lib.bb", "Function MoveBy#(V.vec, Speed#, Steps=1)\r\nEnd Function\r\nGlobal libCount\r\n"}};
    lang::Program program;
    programnames::LineText line = [this](const std::string& key, std::uint32_t row) {
        const words::SourceLines lines(files.at(key));
        return std::string(lines.Line(int(row) + 1));
    };

    void SetUp() override
    {
        program.SetMainFile("/p/main.bb");
        for (const auto& [key, text] : files)
            program.SetFile(key, text);
    }
    std::string Of(const std::vector<EditorKeywordPtr>& entries) const
    {
        EditorKeywordList list;
        for (const EditorKeywordPtr& e : entries)
            list.Add(e);
        return Describe(list);
    }
};

TEST_F(Names, ListsAndSharedNamesSpellNamesAsDeclaredWithTypesAndParameters)
{
    // Inside Main: its Local, then every name of the program; the list is
    // sorted by name.
    const DeclStyles styles = TestStyles();
    EXPECT_EQ(Describe(*programnames::ListOf(program.VisibleNames("/p/main.bb", 8), program.Types(), line, styles)),
              "Grid()|2|$|0 Hero|2|.Vec|0 inner|8|%|0 libCount|2|%|0 Main|4|()|0 MAX_N|6|%|0 "
              "MoveBy|4|#(V.vec, Speed#, Steps)|0 Score|2|%|0");
    // The fields of a type, as Field lines write them.
    EXPECT_EQ(Describe(*programnames::ListOf(program.FieldsOf("vec"), program.Types(), line, styles)),
              "Pos.Vec|3||0 x#|3||0");

    // What the list of main.bb lacks: lib.bb's names, not main.bb's nor
    // any local.
    EXPECT_EQ(Of(programnames::SharedEntries(program.Symbols(), {"/p/main.bb"}, line, styles)),
              "libCount|2|%|0 MoveBy#|4||0");
    EXPECT_EQ(Of(programnames::SharedEntries(program.Symbols(), {"/p/lib.bb"}, line, styles)),
              "Grid()|2|$|0 Hero|2|.vec|0 Main|4||0 MAX_N|6|%|0 Score|2|%|0 Vec|3||0");

    // The call tip: the parameters as written, one with a default optional.
    const EditorKeywordPtr tip = programnames::CallableOf(*program.FunctionNamed("moveby"), line);
    std::string params;
    for (const EditorKeywordParam& p : tip->Params)
        params += " " + p.Name + (p.Optional ? "?" : "");
    EXPECT_EQ(tip->Name + "/" + tip->Key + params, "MoveBy/moveby V.vec Speed# Steps?");

    // A line that no longer holds the declaration gives the model's name.
    files["/p/lib.bb"] = "\r\n";
    EXPECT_EQ(programnames::CallableOf(*program.FunctionNamed("moveby"), line)->Name, "moveby");
}

}  // namespace
