// Go to definition and find references on sources with includes.
#include "AnalysisTestSupport.h"

#include "analysis/DocScanner.h"
#include "analysis/Navigation.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

// A document in /src/ with its included files, scanned.
class Navigation : public ::testing::Test {
protected:
    void Open(const std::string& text)
    {
        doc = text;
        scanner.Rebuild(doc, "/src/", styles);
    }
    NavigationContext Context() const
    {
        return {scanner, [this](const QString& path) { return files->Read(path); },
                [](std::string_view name) { return text::EqualsNoCase(name, "Print"); }};
    }
    std::string Line(int line) const
    {
        std::string_view rest = doc;
        for (int l = 1; l < line; ++l)
            rest.remove_prefix(rest.find('\n') + 1);
        return std::string(rest.substr(0, rest.find_first_of("\r\n")));
    }
    // Where F12 with the caret at the "|" of `marked` in a line leads:
    // "line:column", with the included file's name in front ("" for nowhere).
    std::string Definition(int line, std::string_view marked) const
    {
        const Caret caret = At(marked);
        const std::size_t found = Line(line).find(caret.line);
        EXPECT_NE(found, std::string::npos) << caret.line;
        const auto place = FindDefinition(doc, line, int(found) + caret.column, Context());
        return place ? Describe(place->file, place->line, place->column) : "";
    }
    static std::string Describe(const QString& file, int line, int column)
    {
        const std::string name = file.section('/', -1).toStdString();
        return (name.empty() ? "" : name + ":") + std::to_string(line) + ":" + std::to_string(column);
    }
    std::string References(std::string_view name) const
    {
        std::string out;
        for (const Reference& r : FindReferences(doc, name, Context()))
            out += (out.empty() ? "" : " ") + Describe(r.file, r.line, r.column);
        return out;
    }

    std::shared_ptr<TableFiles> files = std::make_shared<TableFiles>();
    DocScanner scanner{std::make_shared<IncludeCache>(files)};
    DeclStyles styles = TestStyles();
    std::string doc;
};

const char* const kShapes =
    "Function DrawBox(x, y)\r\n"  // 1
    "End Function\r\n"
    "Function Area#(w#, h#)\r\n"  // 3
    "\tReturn w * h\r\n"
    "End Function\r\n"
    ".levelData\r\n"              // 6
    "Data 1, 2\r\n";

const char* const kGame =
    "Include \"lib\\shapes.bb\"\r\n"                      // 1
    "Global score%, name$ = \"a\", p.Player\r\n"          // 2
    "Const MAX_HP = 10\r\n"                               // 3
    "Dim grid.Cell(4, 4)\r\n"                             // 4
    "Type Player\r\n"                                     // 5
    "\tField x#, y#\r\n"                                  // 6
    "\tField hp, target.Player\r\n"                       // 7
    "End Type\r\n"                                        // 8
    "Type Cell\r\n"                                       // 9
    "\tField owner.Player\r\n"                            // 10
    "End Type\r\n"                                        // 11
    "Function Hit(e.Player, score)\r\n"                   // 12
    "\tLocal name$ = \"local\"\r\n"                       // 13
    "\te\\hp = e\\hp - 1 : score = score + 1\r\n"         // 14
    "\tPrint name + e\\target\\x\r\n"                     // 15
    "\tDrawBox e\\x, e\\y\r\n"                            // 16
    "\tgrid(1, 2)\\owner\\hp = 0\r\n"                     // 17
    "\tFor q.Player = Each Player\r\n"                    // 18
    "\t\tq\\x = First Player\\y\r\n"                      // 19
    "\tNext\r\n"                                          // 20
    "\tIf name$ = \"score\" Then Goto done ; score\r\n"   // 21
    "\tcounter = counter + 1\r\n"                         // 22
    "\tReturn Area#(2, 3)\r\n"                            // 23
    "End Function\r\n"                                    // 24
    ".done\r\n"                                           // 25
    "NAME = \"x\" : SCORE = 2 : counter = 1\r\n"          // 26
    "Restore levelData\r\n"                               // 27
    "Function Other()\r\n"                                // 28
    "\tPrint name\r\n"                                    // 29
    "End Function";                                       // 30

}  // namespace

TEST_F(Navigation, DefinitionsResolveAsTheLanguageDoes)
{
    files->Write("/src/lib/shapes.bb", kShapes);
    Open(kGame);
    const struct {
        int line;
        const char* caret;
        const char* expected;
    } rows[] = {
        // A parameter or Local of the function shadows the Global; the main
        // program and other functions see the Global.
        {14, "|e\\hp", "12:13"}, {14, ": sc|ore", "12:23"}, {15, "Print na|me", "13:7"}, {26, "|NAME", "2:15"},
        {26, "SCORE|", "2:7"}, {29, "|name", "2:15"},
        // Fields through the types the names before them lead to.
        {14, "e\\h|p =", "7:7"}, {15, "target\\|x", "6:7"}, {16, "e\\|y", "6:11"}, {17, "\\owner\\|hp", "7:7"},
        {17, "\\own|er", "10:7"}, {19, "|q\\x", "18:5"}, {19, "q\\|x", "6:7"}, {19, "Player\\|y", "6:11"},
        // Arrays, constants, types, functions and labels, here and included.
        {17, "g|rid", "4:4"}, {3, "MAX|_HP", "3:6"}, {18, "Each Pl|ayer", "5:5"}, {12, "e.Play|er", "5:5"},
        {16, "Draw|Box", "shapes.bb:1:9"}, {23, "Are|a#", "shapes.bb:3:9"}, {21, "Goto d|one", "25:1"},
        {27, "level|Data", "shapes.bb:6:1"}, {6, "y|#", "6:11"},
        // A variable never declared: its first use in its function.
        {22, "counter + |1", ""}, {22, "= count|er", "22:1"}, {26, "coun|ter", "26:25"},
        // Strings, comments, commands and statement words lead nowhere.
        {21, "\"sc|ore\"", ""}, {21, "; sco|re", ""}, {15, "Pri|nt", ""}, {20, "Ne|xt", ""},
    };
    for (const auto& r : rows)
        EXPECT_EQ(Definition(r.line, r.caret), r.expected) << r.line << ": " << r.caret;
}

TEST_F(Navigation, ReferencesAreWholeWordsInCodeInTheDocumentAndItsIncludes)
{
    files->Write("/src/lib/shapes.bb", kShapes);
    Open(kGame);
    EXPECT_EQ(References("score"), "2:7 12:23 14:19 14:27 26:13");
    EXPECT_EQ(References("name$"), "2:15 13:7 15:7 21:4 26:0 29:7");
    EXPECT_EQ(References("DrawBox"), "16:1 shapes.bb:1:9");
    EXPECT_EQ(References("w"), "shapes.bb:3:15 shapes.bb:4:8");
    EXPECT_EQ(References("nothing"), "");
}

// Many functions declare a Local with the name of a Global, and read fields
// of types from several included files.
TEST_F(Navigation, GeneratedProgramResolvesEveryUseToItsOwnScope)
{
    std::string main;
    for (int i = 0; i < 3; ++i) {
        main += "Include \"inc" + std::to_string(i) + ".bb\"\r\n";
        files->Write("/src/inc" + QString::number(i) + ".bb",
                     "Type Thing" + std::to_string(i) + "\r\n\tField a, b\r\n\tField v" + std::to_string(i) + "\r\nEnd Type\r\n");
    }
    main += "Global v, t.Thing0\r\n";  // line 4
    const int functions = 200;
    for (int f = 0; f < functions; ++f) {
        const std::string n = std::to_string(f);
        const std::string type = "Thing" + std::to_string(f % 3);
        main += "Function F" + n + "(t." + type + ")\r\n";  // 5 + 5f
        main += f % 2 == 0 ? "\tLocal v = 1\r\n" : "\tx = 1\r\n";
        main += "\tv = v + t\\v" + std::to_string(f % 3) + "\r\n";  // 7 + 5f
        main += "\tPrint \"v\" ; v\r\n";
        main += "End Function\r\n";
    }
    main += "v = t\\b";
    Open(main);
    for (int f = 0; f < functions; ++f) {
        const int use = 7 + 5 * f;
        EXPECT_EQ(Definition(use, "|v ="), f % 2 == 0 ? std::to_string(use - 1) + ":7" : "4:7") << f;
        EXPECT_EQ(Definition(use, "|t\\"), std::to_string(use - 2) + ":" + std::to_string(11 + std::to_string(f).size()));
        EXPECT_EQ(Definition(use, "t\\|v"), "inc" + std::to_string(f % 3) + ".bb:3:7") << f;
    }
    const int last = 5 + 5 * functions;
    EXPECT_EQ(Definition(last, "|v ="), "4:7");
    EXPECT_EQ(Definition(last, "t\\|b"), "inc0.bb:2:10");
    // Two uses a function, one in the main program and the Global itself;
    // the string and the comment do not count.
    EXPECT_EQ(FindReferences(doc, "v", Context()).size(), std::size_t(1 + functions / 2 + 2 * functions + 1));
}

// After "\" the list offers the fields of the type the names before it lead
// to, resolved as go to definition resolves them. Those of an included
// file's type come from what the scan kept of it: typing reads no file.
TEST_F(Navigation, FieldListsFollowThePathIntoIncludedTypesWithoutReadingFiles)
{
    files->Write("/src/lib/types.bb",
                 "Type Vector\r\n"
                 "\tField x#, y# ; Field z\r\n"
                 "\r\n"
                 "\tfield owner.Hero\r\n"
                 "End Type\r\n"
                 "Type Hero\r\n"
                 "\tField pos.Vector, name$\r\n"
                 "End Type\r\n");
    Open("Include \"lib\\types.bb\"\r\n"    // 1
         "Type Box\r\n"                     // 2
         "\tField hero.Hero, size\r\n"      // 3
         "End Type\r\n"                     // 4
         "Local h.Hero, b.Box\r\n"          // 5
         "Function Move(v.Vector)\r\n"      // 6
         "\tv\\\r\n"                        // 7
         "End Function\r\n"                 // 8
         "h\\pos\\\r\n"                     // 9
         "h\\na\r\n"                        // 10
         "b\\hero\\ : b\\\r\n"              // 11
         "First Hero\\\r\n"                 // 12
         "e.Vector = New Vector : e\\\r\n"  // 13
         "Print \"h\\\r\n"                  // 14
         "nothing\\");                      // 15
    const int reads = files->reads;
    const NavigationContext noReading{scanner, {}, {}};
    auto fields = [&](int line, std::string_view marked) {
        const Caret caret = At(marked);
        const std::size_t found = Line(line).find(caret.line);
        EXPECT_NE(found, std::string::npos) << caret.line;
        const std::optional<FieldsOfAType> type = FieldsAt(doc, line, int(found) + caret.column, noReading);
        if (!type)
            return std::string("none");
        std::string out = type->file.section('/', -1).toStdString() + ":";
        for (const TypeField& f : type->fields)
            out += " " + f.item + "@" + std::to_string(f.line) + ":" + std::to_string(f.column);
        return out;
    };
    const std::string vector = "types.bb: x#@2:7 y#@2:11 owner.Hero@4:7";
    const std::string hero = "types.bb: pos.Vector@7:7 name$@7:19";
    const struct {
        int line;
        const char* caret;
        std::string expected;
    } rows[] = {
        {7, "v\\|", vector},                          // a parameter
        {9, "pos\\|", vector},                        // a chain through an included type
        {10, "h\\na|", hero},                         // a field name begun
        {11, "b\\hero\\|", hero},                     // a chain from the document's type
        {11, ": b\\|", ": hero.Hero@3:7 size@3:18"},  // the document's type itself
        {12, "Hero\\|", hero},                        // after First
        {13, "e\\|", vector},                         // a variable declared by its first use
        {14, "h\\|", "none"},                         // in a string
        {15, "nothing\\|", "none"},                   // declared nowhere
    };
    for (const auto& r : rows)
        EXPECT_EQ(fields(r.line, r.caret), r.expected) << r.line << ": " << r.caret;
    EXPECT_EQ(files->reads, reads);

    // What is kept follows the file once told it changed.
    files->Write("/src/lib/types.bb", "Type Hero\r\n\tField level%\r\nEnd Type\r\n");
    scanner.Revalidate();
    EXPECT_EQ(fields(12, "Hero\\|"), "types.bb: level%@2:7");
}
