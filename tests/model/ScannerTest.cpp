#include "support/Declarations.h"

#include "language/Program.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

// The list reads statements as the compiler does (a string or a comment
// hides what it holds, keywords are words in any letter case), and each
// kind of statement makes its entries.
TEST(Scanner, EachStatementMakesTheEntriesTheCompilerReadsInIt)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Local a: Local b ; c: Local d", "a|8|%|1 b|8|%|1"}, {":Global a::Global b:", "a|2|%|1 b|2|%|1"},
        {"Print \"a;b\" : Global c", "c|2|%|1"}, {"s$ = \"a:Global b\"", ""}, {"Print \"Global x\"", ""},
        {"\tIf x Then Global a", "a|2|%|1"}, {"global x", "x|2|%|1"}, {"Global\tx", "x|2|%|1"},
        {"Function GetType (x)", "GetType|4||1"}, {"Const Global x = 1", ""}, {"Type Function x", ""},
        {"Global score, name$ = \"Jo, Ann\", pos.Vector", "name|2|$|1 pos|2|.Vector|1 score|2|%|1"},
        {"Local speed# = 1.5, hits% , p.Player = First Player", "hits|8|%|1 p|8|.Player|1 speed|8|#|1"},
        {"Dim grid.Cell(10,10), n$ (5)", "grid()|2|.Cell|1 n()|2|$|1"},
        {"Const A = 1, B$ = 5", "A|6||1 B$|6||1"},
        {"Function Area#(w#, h#)", "Area#|4||1"}, {"Function Spawn.Enemy()", "Spawn.Enemy|4||1"},
        {"Function Reset()", "Reset|4||1"}, {"Function (x)", ""}, {"End Function", ""},
        {"Type Player", "Player|3||1"}, {"Type \t", ""},
        {".start", "start|5||1"}, {".loop:Global y", "loop|5||1 y|2|%|1"}, {"  .start", "start|5||1"},
    };
    for (const auto& [source, decls] : rows)
        EXPECT_EQ(Describe(*Scan(source).DocKeywords), decls) << source;
}

TEST(Scanner, KeysNumberTheDocumentsEntriesAndLinesFollowTheText)
{
    const ScanResult r = Scan("Global speed\r\nInclude \"lib.bb\"\n\rGlobal speed\r\nConst speed = 2",
                              {{"/src/lib.bb", "Global fromLib\r\nFunction LibFn()"}});
    EXPECT_EQ(Describe(*r.DocKeywords, true),
              "fromLib|2|%|-1|fromLib0 LibFn|4||-2|LibFn1 speed|2|%|1|speed0 speed|2|%|4|speed1 "
              "speed|6||5|speed2");
    // Equal names keep the order they were found in, includes included.
    EXPECT_EQ(Names(*Scan("Global b\nInclude \"i.bb\"\nGlobal A", {{"/src/i.bb", "Global B\nGlobal a"}}).DocKeywords),
              "a A b B");
}

TEST(Scanner, TakesWhatIncludedFilesLend)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Include \"lib\\a.bb\"", "g"}, {"  include   \"LIB/A.bb\"  ", "g"}, {"Include \"/shared/c.bb\"", "k"},
        {"Include \"lib\\a.bb\": Global y", "g y"}, {"Include lib\\a.bb", ""}, {"Include \"C:\\games\\b.bb\"", ""},
        {"Print \"Include \": Global x", "x"}, {"Include \"missing.bb\"", ""},
        // Its own includes, locals and labels are not taken.
        {"Include \"inc.bb\"", "arr C Enemy F% g map()"},
    };
    for (const auto& [source, names] : cases) {
        const ScanResult r = Scan(source, {{"/src/lib/a.bb", "Global g"},
                                             {"/shared/c.bb", "Global k"},
                                             {"/src/inc.bb", "Include \"lib/a.bb\"\nLocal l\n.lab\nType Enemy : Field x : End Type\n"
                                                             "Global g$, arr.Enemy\nDim map(4)\nConst C = 1\nFunction F%(a)\nEnd Function"}});
        EXPECT_EQ(Names(*r.DocKeywords), names) << source;
    }

    // Each file once (file names ignore case), each inclusion appended.
    const ScanResult r = Scan("Include \"a.bb\"\nInclude \"missing.bb\"\nInclude \"A.BB\"\nInclude \"a.bb\"",
                              {{"/src/a.bb", "Global fromA"}});
    EXPECT_EQ(r.Includes, (QStringList{"/src/a.bb", "/src/missing.bb"}));
    EXPECT_EQ(Names(*r.DocKeywords), "fromA fromA fromA");
}

TEST(Scanner, SurvivesAnyText)
{
    EXPECT_TRUE(Scan("\r\n\r\n\n\r").DocKeywords->Empty());
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xFF);
    EXPECT_NO_THROW(Scan(binary));
    EXPECT_EQ(Names(*Scan("Global a" + std::string(40000, '(') + ",x\nGlobal b").DocKeywords), "a b");
}

// A long document is read to its end with every line where it stands, and
// one the user edits while it is read is read anew the next time, as the
// text read is no longer the program's.
TEST(Scanner, ALongDocumentIsReadWholeAndAgainWhenEditedMeanwhile)
{
    std::string text;
    for (int i = 0; i < 9000; ++i)
        text += (i % 3 ? "Global v" : "\r\nLocal v") + std::to_string(i) + (i % 2 ? "\n" : "\r\n");
    text += "Global tail";
    const ScanResult whole = Scan(text);
    ASSERT_EQ(whole.DocKeywords->Count(), 9001u);
    const EditorKeyword* tail = whole.DocKeywords->Find("tail9000");
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail->Line, 12001);

    const std::string key = "/src/long.bb";
    lang::Program program;
    program.SetMainFile(key);
    program.SetFile(key, text);
    std::uint64_t revision = 0;
    const DeclSource source{program, key, [](const std::string&, std::uint32_t) { return std::string(); },
                            [&](const std::string&) { return revision; }};
    const DeclStyles styles = TestStyles();
    DocDeclarations scanner;
    scanner.Rebuild(source, text, styles);
    EXPECT_TRUE(scanner.Follows(key, styles));
    scanner.Rebuild(source, text, styles, [&] {
        if (revision == 0)
            program.SetFile(key, "Global typed"), ++revision;
    }, std::chrono::milliseconds(0));
    EXPECT_FALSE(scanner.Follows(key, styles));
}

}  // namespace
