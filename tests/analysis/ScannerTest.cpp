#include "AnalysisTestSupport.h"

#include "analysis/Scanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using Lines = std::vector<std::string>;

// Scans with include files served from memory, recording what was read.
struct MemoryScan {
    DeclStyles styles = TestStyles();
    std::map<QString, std::string> files;
    QStringList reads;

    ScanResult operator()(std::string_view text, const QString& fileDir = QStringLiteral("/src/"))
    {
        ScanOptions options;
        options.readInclude = [this](const QString& path) -> std::optional<std::string> {
            reads.push_back(path);
            auto it = files.find(path);
            if (it == files.end())
                return std::nullopt;
            return it->second;
        };
        return ScanDocument(text, fileDir, styles, options);
    }
};

struct Case {
    std::string text;
    Lines expected;  // Describe() of the document's list
};

void ExpectScans(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        MemoryScan scan;
        EXPECT_EQ(Describe(*scan(c.text).DocKeywords), c.expected) << "source: " << c.text;
    }
}

TEST(Scanner, CutsCommentsAndSeparatesStatements)
{
    ExpectScans({
        {"Local a: Local b ; c: Local d", {"a|8|%|1|a0", "b|8|%|1|b1"}},
        {"Global x ; Global y", {"x|2|%|1|x0"}},
        {":Global a", {"a|2|%|1|a0"}},
        {"Global a::Global b:", {"a|2|%|1|a0", "b|2|%|1|b1"}},
        {"; Global commented", {}},
        // Quotes protect nothing: the ";" inside the literal ends the line.
        {"Print \"a;b\" : Global c", {}},
        {"s$ = \"a:Global b\"", {"b\"|2|%|1|b\"0"}},
    });
}

TEST(Scanner, KeywordsCountOnlyAtStatementStartOrAfterBlank)
{
    ExpectScans({
        {"Global a", {"a|2|%|1|a0"}},
        {"\tGlobal a", {"a|2|%|1|a0"}},
        {"If x Then Global a", {"a|2|%|1|a0"}},
        {"Print \"Global x\"", {}},
        {"EndGlobal x", {}},
        // "Type " occurs first in the keyword order and follows a letter, so
        // the whole statement is left, Function included.
        {"Function GetType (x)", {}},
        {"global x", {}},
        {"Global\tx", {}},
        {"Global", {}},
    });
}

TEST(Scanner, FirstKeywordInFixedOrderDecides)
{
    ExpectScans({
        // Global is tried before Const, wherever each stands.
        {"Const Global x = 1", {"x|2|%|1|x0"}},
        {"Function Local a", {"a|8|%|1|a0"}},
        {"Dim Type a(3)", {"Type a()|2|%|1|Type a0"}},
        {"Type Function x", {"Function x|3||1|Function x0"}},
    });
}

TEST(Scanner, EntriesByStatementKind)
{
    ExpectScans({
        {"Global score, name$ = \"Jo, Ann\", pos.Vector",
         {"name|2|$|1|name1", "pos|2|.Vector|1|pos2", "score|2|%|1|score0"}},
        {"Local speed# = 1.5, hits% , p.Player = First Player",
         {"hits|8|%|1|hits1", "p|8|.Player|1|p2", "speed|8|#|1|speed0"}},
        {"Dim grid.Cell(10,10), n(5), x", {"grid()|2|.Cell|1|grid0", "n()|2|%|1|n1"}},
        {"Dim names$(20), lookup (4)", {"lookup()|2|%|1|lookup1", "names()|2|$|1|names0"}},
        {"Const A = 1, B$ = 5", {"A|6||1|A0", "B$|6||1|B$1"}},
        {"Const MAXLEN% = 64", {"MAXLEN%|6||1|MAXLEN%0"}},
        {"Function Area#(w#, h#)", {"Area#|4||1|Area#0"}},
        {"Function Reset", {"Reset|4||1|Reset0"}},
        {"Function (x)", {}},
        {"End Function", {}},
        {"Type Player", {"Player|3||1|Player0"}},
        {"Type \t", {}},
        {"End Type", {}},
        {"Global \ta.T$, b\t", {"a.T|2|$|1|a.T0", "b|2|%|1|b1"}},
    });
}

TEST(Scanner, LabelsStartTheirStatement)
{
    ExpectScans({
        {".start", {"start|5||1|start0"}},
        {".start Data 1", {"start|5||1|start0"}},
        {".loop:Global y", {"loop|5||1|loop0", "y|2|%|1|y1"}},
        {". start", {}},
        {"  .start", {}},
        {".", {}},
        {"x = .5", {}},
    });
}

TEST(Scanner, KeysCountDocumentEntriesAndLinesFollowTheText)
{
    MemoryScan scan;
    scan.files["/src/lib.bb"] = "Global fromLib\r\nFunction LibFn()";
    const ScanResult r = scan(
        "Global speed\r\n"
        "Include \"lib.bb\"\n"
        "\r"
        "Global speed\r\n"
        "Const speed = 2");
    EXPECT_EQ(Describe(*r.DocKeywords), (Lines{
                                            "fromLib|2|%|-1|fromLib0",
                                            "LibFn|4||-2|LibFn1",
                                            "speed|2|%|1|speed0",
                                            "speed|2|%|4|speed1",
                                            "speed|6||5|speed2",
                                        }));
}

TEST(Scanner, ListKeepsNameOrderWithTiesInTheOrderFound)
{
    MemoryScan scan;
    scan.files["/src/i.bb"] = "Global B\nGlobal a";
    const ScanResult r = scan("Global b\nInclude \"i.bb\"\nGlobal A");
    EXPECT_EQ(Names(*r.DocKeywords), (Lines{"a", "A", "b", "B"}));
}

TEST(Scanner, FollowsQuotedIncludesOnly)
{
    MemoryScan scan;
    scan.files["/src/lib/a.bb"] = "Global g";
    scan.files["C:/games/b.bb"] = "Global h";
    scan.files["/shared/c.bb"] = "Global k";
    struct IncludeCase {
        std::string line;
        QStringList reads;
        Lines names;
    };
    const std::vector<IncludeCase> cases = {
        {"Include \"lib\\a.bb\"", {"/src/lib/a.bb"}, {"g"}},
        {"  Include   \"lib/a.bb\"  ", {"/src/lib/a.bb"}, {"g"}},
        {"Include \"C:\\games\\b.bb\"", {"C:/games/b.bb"}, {"h"}},
        {"Include \"C:\\games\\b.bb\": Global y", {"C:/games/b.bb"}, {"h", "y"}},
        {"Include \"/shared/c.bb\"", {"/shared/c.bb"}, {"k"}},
        {"include \"lib\\a.bb\"", {}, {}},
        {"Include lib\\a.bb", {}, {}},
        {"Include \"lib\\a.bb", {}, {}},
        // Not at the start and not after a blank: the statement is left,
        // its declaration too.
        {"xInclude \"lib\\a.bb\" Global q", {}, {}},
        // The declaration test still runs on an include statement.
        {"Include \"lib\\a.bb\" Global q", {}, {"q"}},
        {"Include \"\"", {"/src/"}, {}},
        {"Include \" Global q", {}, {"q"}},
        {"Include \"", {}, {}},
    };
    for (const IncludeCase& c : cases) {
        scan.reads.clear();
        const ScanResult r = scan(c.line);
        EXPECT_EQ(scan.reads, c.reads) << c.line;
        EXPECT_EQ(Names(*r.DocKeywords), c.names) << c.line;
    }
}

TEST(Scanner, IncludedFilesGiveGlobalsTypesFunctionsAndConstantsOnly)
{
    MemoryScan scan;
    scan.files["/src/inc.bb"] =
        "Include \"other.bb\"\n"
        "Local notTaken\n"
        ".noLabel\n"
        "Type Enemy : Field x\n"
        "Global g$, arr.Enemy\n"
        "Dim map(4)\n"
        "Const C = 1\n"
        "Function F%(a)";
    scan.files["/src/other.bb"] = "Global never";
    const ScanResult r = scan("Include \"inc.bb\"");
    EXPECT_EQ(Describe(*r.DocKeywords), (Lines{
                                            "arr|2|.Enemy|-5|arr2",
                                            "C|6||-7|C4",
                                            "Enemy|3||-4|Enemy0",
                                            "F%|4||-8|F%5",
                                            "g|2|$|-5|g1",
                                            "map()|2|%|-6|map3",
                                        }));
    EXPECT_EQ(scan.reads, QStringList{"/src/inc.bb"});
}

TEST(Scanner, RecordsEveryIncludeOnceAndAppendsRepeatsAgain)
{
    MemoryScan scan;
    scan.files["/src/a.bb"] = "Global fromA";
    const ScanResult r = scan(
        "Include \"a.bb\"\n"
        "Include \"missing.bb\"\n"
        "Include \"A.BB\"\n"
        "Include \"a.bb\"");
    // File names ignore case where these sources come from.
    EXPECT_EQ(r.Includes, (QStringList{"/src/a.bb", "/src/missing.bb"}));
    EXPECT_EQ(Names(*r.DocKeywords), (Lines{"fromA", "fromA"}));
}

TEST(Scanner, ReadsIncludesFromDiskWhateverTheSeparatorsAndCase)
{
    TempDir dir;
    dir.write("Lib/Enemies.bb", "Type Enemy\r\nField hp\r\nEnd Type\r\nGlobal boss.Enemy");
    dir.write("main.bb", "");
    dir.write("folder.bb/x", "");
    dir.write("self.bb", "Include \"self.bb\"\r\nGlobal mine");
    const DeclStyles styles = TestStyles();
    const QString fileDir = dir.path() + "/";

    const ScanResult r = ScanDocument(
        "Include \"lib\\ENEMIES.bb\"\r\n"
        "Include \"nothere.bb\"\r\n"
        "Include \"folder.bb\"\r\n"
        "Include \"self.bb\"\r\n"
        "Global mine",
        fileDir, styles);
    EXPECT_EQ(Describe(*r.DocKeywords), (Lines{
                                            "boss|2|.Enemy|-4|boss1",
                                            "Enemy|3||-1|Enemy0",
                                            "mine|2|%|-2|mine0",
                                            "mine|2|%|5|mine0",
                                        }));
    EXPECT_EQ(r.Includes, (QStringList{fileDir + "lib/ENEMIES.bb", fileDir + "nothere.bb",
                                       fileDir + "folder.bb", fileDir + "self.bb"}));

    CInclude inc{fileDir + "LIB\\enemies.BB", nullptr};
    ScanInclude(inc, styles);
    ASSERT_TRUE(inc.IncKeywords);
    EXPECT_EQ(Names(*inc.IncKeywords), (Lines{"boss", "Enemy"}));

    CInclude missing{fileDir + "gone.bb", nullptr};
    ScanInclude(missing, styles);
    ASSERT_TRUE(missing.IncKeywords);
    EXPECT_TRUE(missing.IncKeywords->Empty());
}

TEST(Scanner, SplitsDeclarationListsAtTopLevelCommas)
{
    struct SplitCase {
        std::string text;
        std::vector<std::string_view> items;
    };
    const std::vector<SplitCase> cases = {
        {"", {""}},
        {"a", {"a"}},
        {"a, b ,c", {"a", " b ", "c"}},
        {"f(1,2), g", {"f(1,2)", " g"}},
        {"s$=\"x,y\", t", {"s$=\"x,y\"", " t"}},
        {"a|b,c", {"a", "b", "c"}},
        {"a,,", {"a", "", ""}},
        // A stray ")" leaves the depth below zero, where commas do not split.
        {")a,b", {")a,b"}},
        {"\"open, b", {"\"open, b"}},
    };
    for (const SplitCase& c : cases)
        EXPECT_EQ(SplitDeclList(c.text), c.items) << c.text;

    // Deeper than the 16-bit depth counter: the list cannot be taken apart,
    // and the statement holding it declares nothing.
    const std::string deep = std::string(40000, '(') + ",x";
    EXPECT_TRUE(SplitDeclList(deep).empty());
    MemoryScan scan;
    EXPECT_TRUE(scan("Global a" + deep + "\nGlobal b").DocKeywords->Count() == 1);
}

TEST(Scanner, EmptyAndOddTextsGiveWhatTheyDeclareAndNoMore)
{
    MemoryScan scan;
    EXPECT_TRUE(scan("").DocKeywords->Empty());
    EXPECT_TRUE(scan("").Includes.isEmpty());
    EXPECT_TRUE(scan("\r\n\r\n\n\r").DocKeywords->Empty());

    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += char((i * 7919) & 0xFF);
    EXPECT_NO_THROW(scan(binary));

    const std::string nul("Global a\0b, c", 13);
    EXPECT_EQ(Names(*scan(nul).DocKeywords), (Lines{std::string("a\0b", 3), "c"}));
}

TEST(Scanner, YieldsToTheWindowDuringLongScansOnly)
{
    MemoryScan scan;
    int yields = 0;
    ScanOptions options;
    options.yield = [&] { ++yields; };
    options.yieldInterval = std::chrono::milliseconds(0);

    std::string longText;
    for (int i = 0; i < 5000; ++i)
        longText += "Global g" + std::to_string(i) + "\n";
    const ScanResult r = ScanDocument(longText, "/src/", scan.styles, options);
    EXPECT_EQ(r.DocKeywords->Count(), 5000u);
    // Asked every few hundred statements, not on every one.
    EXPECT_GE(yields, 5);
    EXPECT_LE(yields, 100);

    yields = 0;
    ScanDocument("Global a\nGlobal b", "/src/", scan.styles, options);
    EXPECT_EQ(yields, 0);
}

}  // namespace
