#include "LanguageTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Files = std::vector<std::pair<std::string, std::string>>;

std::string FirstError(const Files& files)
{
    lang::Program program;
    Feed(program, files);
    const auto brief = Brief(program.Diagnostics());
    return brief.empty() ? "" : brief.front();
}

}  // namespace

// A broken program whose first diagnostic is the compiler's first error (same
// file, row, column, words), for the messages and paths that the recorded
// compiler cases (CompilerCasesTest) do not reach. Errors inside included
// files are reported in those files, where the compiler reaches them: an
// include is read at its Include line. (How an Include's path is found: the
// program's own table of them.)
TEST(CheckTest, FirstDiagnosticIsTheCompilersFirstError)
{
    struct Row {
        std::string main;
        std::string first;
        Files included = {};
    };
    const Row rows[] = {
        {"Select a\nCase\nEnd Select", "main.bb:2:5:Expecting expression sequence"},
        {"Function f\nEnd Function", "main.bb:1:11:Expecting '('"},
        {"While 1\r\n", "main.bb:3:1:Expecting 'Wend'"},
        {"Include \"C:\\games\\x.bb\"", "main.bb:1:24:Unable to open include file"},
        {"x = NetLibConnect(1)",
         "main.bb:1:1:Function 'netlibconnect' not found (\"netlib.decls\" beside the program declares it; copy it "
         "into the userlibs folder)"},
        {"Type T\nField a\nEnd Type\nType R\nField npc.T[2]\nEnd Type\nr.R = New R\nr\\npc[0]\\b = 1",
         "main.bb:8:1:Type field not found"},
        {"Function f()\nDim a(5)\nEnd Function\na(1) = 2", "main.bb:4:1:Array not found"},
        {"x = 1\nLocal x", "main.bb:2:1:Duplicate variable name"},
        {"Type T\nField a, a\nEnd Type", "main.bb:2:10:Duplicate variable name"},
        {"Function f(a, a)\nEnd Function", "main.bb:1:15:Duplicate variable name"},
        {"Function f(a, b = 2)\nEnd Function\nf 1, 2, 3", "main.bb:3:1:Too many parameters"},
        {"Type T\nEnd Type\nType U\nEnd Type\nFor p.T = Each U\nNext", "main.bb:5:1:Type mismatch"},
        // The compiler's order: parsing first, then constants, types, function heads, main, bodies.
        {"Foo\nx = (", "main.bb:2:6:Expecting expression"},
        {"Function f()\nBar\nEnd Function\nFoo", "main.bb:4:1:Function 'foo' not found"},
        {"Foo\nType T\nField a.Nope\nEnd Type", "main.bb:3:7:Type \"nope\" not found"},
        {"Function f(p.Nope)\nEnd Function\nConst c = Rand(1)", "main.bb:3:7:Expression must be constant"},
        {"Include \"a.bb\"\nx = (", "b.bb:1:1:'Wend' without 'While'",
         {{"/p/a.bb", "Include \"lib\\b.bb\""}, {"/p/lib/b.bb", "Wend"}}},
        // nested includes are found from the main file's folder, not the includer's
        {"Include \"sub/a.bb\"", "c.bb:1:1:Function 'foo' not found",
         {{"/p/sub/a.bb", "Include \"c.bb\""}, {"/p/sub/c.bb", ""}, {"/p/c.bb", "Foo"}}},
        {"Include \"a.bb\"", "a.bb:2:18:Unable to open include file", {{"/p/a.bb", "x = 1\nInclude \"gone.bb\""}}},
        {"Foo\nInclude \"a.bb\"", "a.bb:1:5:Expecting expression", {{"/p/a.bb", "x = )"}}},
    };
    for (const Row& row : rows) {
        Files files{{"/p/main.bb", row.main}};
        files.insert(files.end(), row.included.begin(), row.included.end());
        EXPECT_EQ(FirstError(files), row.first) << row.main;
    }
}

// Expressions nested as deep as the compiler survives are read; deeper ones
// are an error of their own instead of a crash of every walk over them.
TEST(CheckTest, NestingIsBoundedWhereTheCompilerGivesOut)
{
    const auto repeat = [](const char* s, int n) { return QByteArray(s).repeated(n).toStdString(); };
    const std::string f = "\nFunction f(a)\nReturn a\nEnd Function";
    const std::string deep = ":Expression too deeply nested";
    const std::pair<std::string, std::string> rows[] = {
        {"x = " + repeat("f(", 700) + "1" + repeat(")", 700) + f, ""},
        {"x = " + repeat("(", 1500) + "1" + repeat(")", 1500), ""},
        {"x = 1" + repeat("+1", 7000), ""},
        {"x = " + repeat("f(", 15400) + "1" + repeat(")", 15400) + f, "main.bb:1:4005" + deep},
        {"x = " + repeat("(", 27700) + "1" + repeat(")", 27700), "main.bb:1:2005" + deep},
        {"x = 1" + repeat("+1", 87000), "main.bb:1:20006" + deep},
        {"x = " + repeat("(Not ", 27700) + "1" + repeat(")", 27700), "main.bb:1:5005" + deep},  // Not only starts an expression
        {"Type T\nField t.T\nEnd Type\nx = a" + repeat("\\t", 20000), "main.bb:4:20006" + deep},
    };
    for (const auto& [main, first] : rows)
        EXPECT_EQ(FirstError({{"/p/main.bb", main}}), first) << main.substr(0, 40);
}

// Programs the compiler accepts get no diagnostic: the language's corners.
TEST(CheckTest, AcceptedProgramsGetNoDiagnostic)
{
    const std::string accepted[] = {
        "x = y + 1 : z$ = \"a\" + x",  // undeclared variables are locals, strings concatenate numbers
        "f 1\nFunction f(a, b = 2)\nEnd Function",  // called above its declaration, defaults
        "Function f()\nReturn g\nEnd Function\nGlobal g = 5",  // globals declared later serve functions
        "Dim a(3)\na(1) = 2 : b = a(1) + Len(\"x\")",
        "Type T\nField n.T, v[4], s$\nEnd Type\nt.T = New T\nt\\n = t : t\\v[2] = 1 : t\\n\\s = \"x\"\n"
        "For e.T = Each T : Delete e : Next : Delete Each T : Insert t Before First T\nq.T = After t : h = Handle(t)",
        "Global Collider\nType A\nField Collider\nEnd Type\nFunction Collider()\nLocal Collider = 1\nEnd Function",
        "If a Then b = 1 Else If c Then d = 2 Else e = 3\nIf a\nElseIf b\nElse\nEndIf",
        "While Not KeyHit(1) And x < 10 Or (y = 2)\nIf x Then Exit\nWend\nRepeat : x = x + 1 : Until x > 3",
        "Select x\nCase 1, 2 : y = 1\nCase 3\nDefault\nEnd Select",
        "Gosub sub\nEnd\n.sub\nReturn\n.data1\nData 1, \"two\", 3.0\nRestore data1 : Read a, b$, c#",
        "Function f#(x#)\nReturn x * 2\nEnd Function\nPrint f(1.5) + Int(2.7) + Str$(3) + Float(4)",
        "Const A = 1, B = A * 2 + $FF + %101, C# = Pi / 2, S$ = \"x\"\nx = A + B : t$ = S",
        "p.T = Null\nType T\nField x\nEnd Type\nIf p = Null Then p = New T",
        "Local a% = 1, b# = 2.0, c$ = \"\"\na% = a + 1 : b# = b * 2",
        "Function f(p.T)\nIf p <> Null Then Return p\\x\nEnd Function\nType T\nField x\nEnd Type",
        "Print Abs(-1) + Sgn(2) + (5 Mod 2) + (1 Shl 2) + (8 Sar 1) + (~3) + 2 ^ 2",
        "Goto done\nPrint\n.done",
        "Text 0, 0, \"a\" : Text(0, 0, \"b\")",
        "Const BIG = 99999999999999999999999999 : x = BIG + 1",  // more digits than 64 bits hold
    };
    for (const std::string& text : accepted)
        EXPECT_EQ(FirstError({{"/p/main.bb", text}}), "") << text;
}

// Warnings point at what compiles but is most likely a mistake, and stay
// quiet where the program means what it says.
TEST(CheckTest, WarningsPointAtLikelyMistakes)
{
    const std::string hides = "Local 'x' hides the global of the same name, which this function also uses";
    const std::string offEnd = "Function 'f' returns a value on some paths and runs off its end on others";
    struct Row {
        std::string main;
        std::vector<std::string> warnings;
    };
    const Row rows[] = {
        {"score = 10\nPrint scroe",
         {"main.bb:2:7:Variable 'scroe' is read but never assigned; did you mean 'score'?"}},
        {"Local total\nPrint total + 1", {"main.bb:2:7:Variable 'total' is read but never assigned"}},
        {"Function f(count)\n\tReturn cuont\nEnd Function",
         {"main.bb:2:9:Variable 'cuont' is read but never assigned; did you mean 'count'?"}},
        {"Global lives\nFunction Die()\n\tlives = lives - 1\nEnd Function\nPrint lives", {}},
        {"Read n\nPrint n\nData 5\nFor i = 1 To 3 : Print i : Next", {}},
        {"Type T\nField v\nEnd Type\nFor t.T = Each T : Print t\\v : Next", {}},
        {"Global x\nFunction f()\n\tx = 1\n\tLocal x = 2\n\tReturn x\nEnd Function", {"main.bb:4:8:" + hides}},
        {"Global x = 1\nFunction f()\n\tLocal x = 2\n\tReturn x\nEnd Function", {}},
        {"Function f(a)\n\tIf a Then Return 1\nEnd Function", {"main.bb:3:1:" + offEnd}},
        {"Function f(a)\n\tWhile a\n\t\tReturn 1\n\tWend\nEnd Function", {"main.bb:5:1:" + offEnd}},
        {"Function f(a)\n\tIf a\n\t\tReturn 1\n\tElse\n\t\tReturn 2\n\tEndIf\n\tPrint a\nEnd Function", {}},
        {"Function f(a)\n\tSelect a\n\tCase 1\n\t\tReturn 1\n\tDefault\n\t\tRuntimeError \"x\"\n\tEnd Select\nEnd Function",
         {}},
        {"Function f(a)\n\tIf a Then Return\n\tPrint a\nEnd Function", {}},
    };
    for (const Row& row : rows) {
        lang::Program program;
        Feed(program, {{"/p/main.bb", row.main}});
        EXPECT_EQ(Brief(program.Diagnostics()), std::vector<std::string>{}) << row.main;
        EXPECT_EQ(Brief(program.Diagnostics(), true), row.warnings) << row.main;
    }
}
