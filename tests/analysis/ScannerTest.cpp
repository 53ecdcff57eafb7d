#include "AnalysisTestSupport.h"

#include "support/TempDir.h"
#include "support/TrapPipe.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Case {
    std::string source;
    std::string decls;  // Describe() of what it declares
};

void ExpectDecls(const std::vector<Case>& cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(Describe(*Scan(c.source).DocKeywords), c.decls) << c.source;
}

TEST(Scanner, CutsCommentsAndSeparatesStatements)
{
    ExpectDecls({
        {"Local a: Local b ; c: Local d", "a|8|%|1 b|8|%|1"}, {":Global a::Global b:", "a|2|%|1 b|2|%|1"},
        // Quotes protect nothing: a ";" or ":" inside a literal cuts too.
        {"Print \"a;b\" : Global c", ""}, {"s$ = \"a:Global b\"", "b\"|2|%|1"},
    });
}

TEST(Scanner, KeywordsCountAtStatementStartOrAfterBlankInFixedOrder)
{
    ExpectDecls({
        {"\tIf x Then Global a", "a|2|%|1"}, {"Print \"Global x\"", ""}, {"global x", ""}, {"Global\tx", ""},
        // "Type " is tried before "Function " and follows a letter: the
        // whole statement is left.
        {"Function GetType (x)", ""}, {"Const Global x = 1", "x|2|%|1"}, {"Type Function x", "Function x|3||1"},
    });
}

TEST(Scanner, EachStatementKindMakesItsEntries)
{
    ExpectDecls({
        {"Global score, name$ = \"Jo, Ann\", pos.Vector", "name|2|$|1 pos|2|.Vector|1 score|2|%|1"},
        {"Local speed# = 1.5, hits% , p.Player = First Player", "hits|8|%|1 p|8|.Player|1 speed|8|#|1"},
        {"Global \ta.T$, b\t", "a.T|2|$|1 b|2|%|1"},
        {"Dim grid.Cell(10,10), n$ (5), x", "grid()|2|.Cell|1 n()|2|$|1"},
        {"Const A = 1, B$ = 5", "A|6||1 B$|6||1"},
        {"Function Area#(w#, h#)", "Area#|4||1"}, {"Function Reset", "Reset|4||1"}, {"Function (x)", ""},
        {"End Function", ""}, {"Type Player", "Player|3||1"}, {"Type \t", ""},
        {".start Data 1", "start|5||1"}, {".loop:Global y", "loop|5||1 y|2|%|1"}, {". start", ""}, {"  .start", ""},
    });
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

TEST(Scanner, FollowsQuotedIncludesOnce)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Include \"lib\\a.bb\"", "g"}, {"  Include   \"lib/a.bb\"  ", "g"}, {"Include \"/shared/c.bb\"", "k"},
        {"Include \"C:\\games\\b.bb\": Global y", "h y"}, {"include \"lib\\a.bb\"", ""}, {"Include lib\\a.bb", ""},
        // Only a drive colon just inside the quote is passed over.
        {"Print \"Include \": Global x", "x"}, {"a,Include \":Type T", "T"},
        // Not at the start and not after a blank: the statement is left,
        // its declaration too; otherwise the declaration test still runs.
        {"xInclude \"lib\\a.bb\" Global q", ""}, {"Include \"lib\\a.bb\" Global q", "q"}, {"Include \"", ""},
        // Its own includes, locals and labels are not taken.
        {"Include \"inc.bb\"", "arr C Enemy F% g map()"},
    };
    for (const auto& [source, names] : cases) {
        const ScanResult r = Scan(source, {{"/src/lib/a.bb", "Global g"},
                                             {"C:/games/b.bb", "Global h"},
                                             {"/shared/c.bb", "Global k"},
                                             {"/src/inc.bb", "Include \"lib/a.bb\"\nLocal l\n.lab\nType Enemy : Field x\n"
                                                             "Global g$, arr.Enemy\nDim map(4)\nConst C = 1\nFunction F%(a)"}});
        EXPECT_EQ(Names(*r.DocKeywords), names) << source;
    }

    // Each path once (file names ignore case where sources come from), each
    // inclusion appended.
    const ScanResult r = Scan("Include \"a.bb\"\nInclude \"missing.bb\"\nInclude \"A.BB\"\nInclude \"a.bb\"",
                              {{"/src/a.bb", "Global fromA"}});
    EXPECT_EQ(r.Includes, (QStringList{"/src/a.bb", "/src/missing.bb"}));
    EXPECT_EQ(Names(*r.DocKeywords), "fromA fromA");
}

TEST(Scanner, ReadsIncludesFromDiskWhateverTheSeparatorsAndCase)
{
    TempDir dir;
    dir.write("Lib/Enemies.bb", "Type Enemy\r\nField hp\r\nEnd Type\r\nGlobal boss.Enemy");
    dir.write("folder.bb/x", "");
    dir.write("self.bb", "Include \"self.bb\"\r\nGlobal mine");
    // A pipe counts as missing: reading it would wait for a writer.
    const TrapPipe pipe(dir.file("pipe.bb"));
    ASSERT_TRUE(pipe.made());
    const QString fileDir = dir.path() + "/";
    const ScanResult r = ScanDocument("Include \"lib\\ENEMIES.bb\"\r\nInclude \"gone.bb\"\r\nInclude \"folder.bb\"\r\n"
                                      "Include \"pipe.bb\"\r\nInclude \"self.bb\"",
                                      fileDir, TestStyles());
    EXPECT_EQ(Describe(*r.DocKeywords), "boss|2|.Enemy|-4 Enemy|3||-1 mine|2|%|-2");
    EXPECT_EQ(r.Includes, (QStringList{fileDir + "lib/ENEMIES.bb", fileDir + "gone.bb", fileDir + "folder.bb",
                                       fileDir + "pipe.bb", fileDir + "self.bb"}));
    EXPECT_FALSE(pipe.sprung());

    // An asset included by mistake is far too big to be a source: listed, not read.
    QFile huge(dir.file("music.bb"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write("Global tune\r\n");
    ASSERT_TRUE(huge.resize(qint64(65) << 20));
    huge.close();
    const ScanResult big = ScanDocument("Include \"music.bb\"", fileDir, TestStyles());
    EXPECT_EQ(Names(*big.DocKeywords), "");
    EXPECT_EQ(big.Includes, QStringList{fileDir + "music.bb"});

    // Nothing is looked for wherever the IDE was started: not the relative
    // include of a never-saved document, nor a Windows drive path. Wine's
    // drive Z: is the root.
    dir.write("C:/Lib/Enemies.bb", "Global notThis");
    const QString startedIn = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const ScanResult unsaved = ScanDocument("Include \"self.bb\"", "", TestStyles());
    const ScanResult drive = ScanDocument("Include \"C:\\Lib\\Enemies.bb\"\r\nInclude \"C:self.bb\"", fileDir, TestStyles());
    QDir::setCurrent(startedIn);
    EXPECT_EQ(Names(*unsaved.DocKeywords), "");
    EXPECT_EQ(unsaved.Includes, QStringList{"self.bb"});
    EXPECT_EQ(Names(*drive.DocKeywords), "");
    EXPECT_EQ(drive.Includes, (QStringList{"C:/Lib/Enemies.bb", "C:self.bb"}));
    const std::string wine = "Include \"Z:" + QString(dir.path()).replace('/', '\\').toStdString() + "\\self.bb\"";
    EXPECT_EQ(Names(*ScanDocument(wine, "", TestStyles()).DocKeywords), "mine");
}

TEST(Scanner, SplitsDeclarationListsAtTopLevelCommasAndSurvivesAnyText)
{
    ExpectDecls({
        {"Global a, b ,,c", "|2|%|1 a|2|%|1 b|2|%|1 c|2|%|1"}, {"Global f(1,2), s$=\"x,y\"", "f(1,2)|2|%|1 s|2|$|1"},
        {"Global a|b,c", "a|2|%|1 b|2|%|1 c|2|%|1"},
        // Below depth zero, and inside an unclosed string, commas do not split.
        {"Global )a,b", ")a,b|2|%|1"}, {"Global \"a, b", "\"a, b|2|%|1"},
    });
    // Deeper than the 16-bit depth counter: the statement declares nothing.
    const std::string deep = std::string(40000, '(') + ",x";
    EXPECT_EQ(Names(*Scan("Global a" + deep + "\nGlobal b").DocKeywords), "b");
    // Empty, binary and NUL-holding texts.
    EXPECT_TRUE(Scan("\r\n\r\n\n\r").DocKeywords->Empty());
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xFF);
    EXPECT_NO_THROW(Scan(binary));
    EXPECT_EQ(Names(*Scan(std::string("Global a\0b, c", 13)).DocKeywords), std::string("a\0b c", 5));
}

TEST(Scanner, GivesTheWindowItsTurnsByElapsedTime)
{
    int yields = 0;
    ScanOptions options;
    options.yield = [&] { ++yields; };
    options.yieldInterval = std::chrono::milliseconds(0);
    std::string source;
    for (int i = 0; i < 5000; ++i)
        source += "Global g" + std::to_string(i) + "\n";
    EXPECT_EQ(ScanDocument(source, "/src/", TestStyles(), options).DocKeywords->Count(), 5000u);
    EXPECT_GE(yields, 5);
    EXPECT_LE(yields, 100);
    yields = 0;
    ScanDocument("Global a\nGlobal b", "/src/", TestStyles(), options);
    EXPECT_EQ(yields, 0);

    // Time decides, not the count: a long interval never comes round...
    options.yieldInterval = std::chrono::hours(1);
    ScanDocument(source, "/src/", TestStyles(), options);
    EXPECT_EQ(yields, 0);
    // ...and includes read from a slow disk give the window its turn at once.
    options.yieldInterval = std::chrono::milliseconds(20);
    options.readInclude = [](const QString&) -> std::optional<std::string> {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return "Global inc";
    };
    ScanDocument("Include \"a.bb\"\nInclude \"b.bb\"\nInclude \"c.bb\"", "/src/", TestStyles(), options);
    EXPECT_GE(yields, 2);
}

}  // namespace
