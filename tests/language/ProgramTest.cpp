#include "LanguageTestSupport.h"

#include "language/Includes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

namespace {

// Where the n-th (from 0) `marker` stands in a text: its row and column.
std::pair<std::uint32_t, std::uint32_t> Find(const std::string& text, const std::string& marker, int nth = 0)
{
    std::size_t at = text.find(marker);
    while (nth-- > 0)
        at = text.find(marker, at + 1);
    const std::size_t lineStart = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
    return {static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + at, '\n')),
            static_cast<std::uint32_t>(at - lineStart)};
}

std::string Short(const lang::Range& r)
{
    return r.file.substr(r.file.rfind('/') + 1) + ":" + std::to_string(r.row + 1) + ":" + std::to_string(r.col + 1);
}

std::string Shorts(const std::vector<lang::Range>& ranges)
{
    std::string out;
    for (const lang::Range& r : ranges)
        out += (out.empty() ? "" : " ") + Short(r);
    return out;
}

}  // namespace

TEST(ProgramTest, IncludesResolveAsTheCompilerResolvesThem)
{
    const std::pair<std::string_view, std::optional<std::string>> rows[] = {
        {"lib\\A.bb", "/games/x/lib/a.bb"},
        {"..\\Shared/B.BB", "/games/shared/b.bb"},
        {"./c.bb", "/games/x/c.bb"},
        {"Z:\\Tmp\\d.bb", "/tmp/d.bb"},
        {"/abs/e.bb", "/abs/e.bb"},
        {"C:\\Blitz\\f.bb", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [path, key] : rows)
        EXPECT_EQ(lang::ResolveInclude("/games/x", path), key) << path;
    EXPECT_EQ(lang::IncludePaths("Include \"a.bb\" : x = 1\n; Include \"no.bb\"\nINCLUDE \"b.bb\""),
              (std::vector<std::string>{"a.bb", "b.bb"}));
}

// The main file and every file it includes at any depth, each once, in the
// compiler's order; a cycle and a second Include are harmless, a missing
// file is asked for and then reported.
TEST(ProgramTest, TheProgramIsTheMainFileAndItsIncludes)
{
    lang::Program p;
    p.SetVocabulary(ShippedVocabulary());
    p.SetMainFile("/g/src/main.bb");
    p.SetFile("/g/src/main.bb", "Include \"a.bb\"\nInclude \"..\\common\\c.bb\"\nInclude \"A.BB\"\nInclude \"gone.bb\"");
    EXPECT_EQ(p.NeededFiles(), (std::vector<std::string>{"/g/src/a.bb", "/g/common/c.bb", "/g/src/gone.bb"}));
    // a.bb includes b.bb from the main file's folder; b.bb includes a.bb and main.bb again
    p.SetFile("/g/src/a.bb", "Include \"sub\\b.bb\"\nFunction fa()\nEnd Function");
    p.SetFile("/g/common/c.bb", "fa : fb");
    p.SetMissing("/g/src/gone.bb");
    EXPECT_EQ(p.NeededFiles(), (std::vector<std::string>{"/g/src/sub/b.bb"}));
    p.SetFile("/g/src/sub/b.bb", "Include \"a.bb\"\nInclude \"main.bb\"\nFunction fb()\nEnd Function");
    EXPECT_TRUE(p.NeededFiles().empty());
    EXPECT_EQ(p.Files(), (std::vector<std::string>{"/g/src/main.bb", "/g/src/a.bb", "/g/src/sub/b.bb", "/g/common/c.bb"}));
    EXPECT_EQ(p.IncludersOf("/g/src/a.bb"), (std::vector<std::string>{"/g/src/main.bb", "/g/src/sub/b.bb"}));
    EXPECT_EQ(Brief(p.Diagnostics()), (std::vector<std::string>{"main.bb:4:18:Unable to open include file"}));
    // The missing file appears: the program takes it in.
    p.SetFile("/g/src/gone.bb", "fc()");
    EXPECT_EQ(Brief(p.Diagnostics()), (std::vector<std::string>{"gone.bb:1:1:Function 'fc' not found"}));
}

// Each use of a name is bound to its one symbol: the compiler's four name
// spaces, fields per type, locals per function, letter case and type
// characters aside, declarations after their uses.
TEST(ProgramTest, NamesBindToTheirOwnSymbol)
{
    const std::string main =
        "Include \"types.bb\"\n"
        "Global Collider% = 1\n"          // row 2
        "n.NPC = New NPC : d.Door = New Door\n"
        "dist# = EntityDistance(n\\Collider, Collider)\n"
        "d\\collider = Collider() + COLLIDER%\n"
        "Function Collider()\n"
        "\tLocal Collider = 2\n"
        "\tReturn Collider + Later\n"
        "End Function\n"
        "Function Other(p.NPC)\n"
        "\tReturn p\\Collider + Collider + Later\n"
        "End Function\n"
        "Global Later = 3\n";
    const std::string types = "Type NPC\nField Collider, link.NPC\nEnd Type\nType Door\nField Collider\nEnd Type";
    lang::Program p;
    Feed(p, {{"/p/main.bb", main}, {"/p/types.bb", types}});
    ASSERT_EQ(Brief(p.Diagnostics()), std::vector<std::string>{});

    const auto def = [&](int nth) {
        const auto [row, col] = Find(main, "ollider", nth);
        const auto d = p.Definition("/p/main.bb", row, col);
        return d ? Short(*d) : "none";
    };
    const auto refs = [&](int nth) {
        const auto [row, col] = Find(main, "ollider", nth);
        return Shorts(p.References("/p/main.bb", row, col));
    };
    // the Global, the field of NPC, the field of Door, the function, the local
    EXPECT_EQ(def(1), "types.bb:2:7");   // n\Collider
    EXPECT_EQ(def(2), "main.bb:2:8");    // Collider: the Global
    EXPECT_EQ(def(3), "types.bb:5:7");   // d\collider
    EXPECT_EQ(def(4), "main.bb:6:10");   // Collider(): the function
    EXPECT_EQ(def(7), "main.bb:7:8");    // the Local shadows the Global in its function
    EXPECT_EQ(def(8), "types.bb:2:7");   // p\Collider, p a parameter of type NPC
    EXPECT_EQ(def(9), "main.bb:2:8");    // in another function, the Global
    const auto [urow, ucol] = Find(main, "COLLIDER%");
    EXPECT_EQ(Short(*p.Definition("/p/main.bb", urow, ucol + 3)), "main.bb:2:8");
    EXPECT_EQ(refs(0), "main.bb:2:8 main.bb:4:36 main.bb:5:27 main.bb:11:22");
    EXPECT_EQ(refs(1), "main.bb:4:26 main.bb:11:11 types.bb:2:7");
    EXPECT_EQ(refs(7), "main.bb:7:8 main.bb:8:9");
    EXPECT_EQ(refs(4), "main.bb:5:14 main.bb:6:10");
    // a Global declared below the functions that use it
    const auto [lrow, lcol] = Find(main, "Later");
    EXPECT_EQ(Shorts(p.References("/p/main.bb", lrow, lcol)), "main.bb:8:20 main.bb:11:33 main.bb:13:8");
    // types in declarations and New
    const auto [trow, tcol] = Find(main, "NPC");
    EXPECT_EQ(Shorts(p.References("/p/main.bb", trow, tcol)), "main.bb:3:3 main.bb:3:13 main.bb:10:18 types.bb:1:6 types.bb:2:22");
}

// What completion, call tips and go-to-symbol ask of the program.
TEST(ProgramTest, CompletionAndSymbolQueries)
{
    const std::string main =
        "Include \"t.bb\"\n"
        "Global g.Point, count\n"
        "Const LIMIT = 3\n"
        "Function Move(p.Point, dx# = 1.0)\n"
        "\tLocal steps = 2\n"
        "\tp\\\n"
        "End Function\n";
    lang::Program p;
    Feed(p, {{"/p/main.bb", main}, {"/p/t.bb", "Type Point\nField x#, y#\nField link.Point\nEnd Type"}});
    const auto names = [](const std::vector<lang::SymbolInfo>& symbols) {
        std::string out;
        for (const auto& s : symbols)
            out += (out.empty() ? "" : " ") + s.name + s.typeText;
        return out;
    };
    EXPECT_EQ(names(p.FieldsAt("/p/main.bb", 5, "\tp\\", 3)), "x# y# link.point");
    EXPECT_EQ(names(p.FieldsAt("/p/main.bb", 1, "g\\link\\", 8)), "x# y# link.point");
    EXPECT_EQ(names(p.FieldsAt("/p/main.bb", 1, "count\\", 6)), "");
    EXPECT_EQ(names(p.Types()), "point");
    const auto point = p.TypeNamed("POINT");
    ASSERT_TRUE(point);
    EXPECT_EQ(point->place, p.Types().front().place);
    EXPECT_FALSE(p.TypeNamed("count")) << "a global is no type";
    EXPECT_EQ(names(p.VisibleNames("/p/main.bb", 5)), "p.point dx# steps limit g.point count move");
    const auto move = p.FunctionNamed("MOVE");
    ASSERT_TRUE(move);
    EXPECT_EQ(move->params, (std::vector<std::string>{"p.point", "dx#=..."}));
    EXPECT_EQ(names(p.MatchSymbols("pt", 3)), "point");
    EXPECT_EQ(names(p.MatchSymbols("mv", 5)), "move");
    EXPECT_EQ(p.Symbols().size(), 11u);  // type, 3 fields, 2 globals, const, function, 2 parameters, local
}

namespace {

// The texts after a rename's edits (applied from the last to the first).
std::map<std::string, std::string> Apply(std::map<std::string, std::string> texts, const lang::RenamePlan& plan,
                                         const std::string& name)
{
    std::vector<lang::RenameEdit> edits = plan.edits;
    std::sort(edits.begin(), edits.end(), [](const auto& a, const auto& b) {
        return std::tie(a.file, a.row, a.col) > std::tie(b.file, b.row, b.col);
    });
    for (const lang::RenameEdit& e : edits) {
        std::string& text = texts[e.file];
        std::size_t at = 0;
        for (std::uint32_t r = 0; r < e.row; ++r)
            at = text.find('\n', at) + 1;
        text.replace(at + e.col, e.endCol - e.col, name);
    }
    return texts;
}

// The renamed program: {g} the global, {T} the type, {f} its field, {F} the
// function, {a} its parameter and {l} the label stand where each is named.
const std::string kRenamedMain = "Include \"t.bb\"\nGlobal {g}% = 0 ; score in a comment\nPrint \"score\" + {g}\n"
                                 "p.{T} = New {T} : p\\{f} = {g}%\nFor q.{T} = Each {T} : Next : Delete Each {T}\n"
                                 "Function {F}({a})\n\tReturn {a} + 1\nEnd Function\nGoto {l}\n.{l}\n";
const std::string kRenamedTypes = "Type {T}\nField {f}\nEnd Type\n";

// `text` with every symbol under its first name but `renamed`, called `name`.
std::string Named(std::string text, char renamed = 0, const std::string& name = {})
{
    const std::map<char, std::string> names{{'g', "score"}, {'T', "Thing"}, {'f', "score"},
                                            {'F', "Add"},   {'a', "score"}, {'l', "skip"}};
    for (const auto& [symbol, first] : names)
        for (std::size_t at; (at = text.find(std::string{'{', symbol, '}'})) != std::string::npos;)
            text.replace(at, 3, symbol == renamed ? name : first);
    return text;
}

}  // namespace

// A rename changes the one symbol everywhere it is used, keeps type
// characters, leaves strings and comments, and refuses names that would not
// do; the renamed program checks as clean as before.
TEST(ProgramTest, RenameChangesOneSymbolOrSaysWhyNot)
{
    const std::map<std::string, std::string> texts{{"/r/main.bb", Named(kRenamedMain)},
                                                   {"/r/t.bb", Named(kRenamedTypes)}};
    lang::Program p;
    Feed(p, {{"/r/main.bb", texts.at("/r/main.bb")}, {"/r/t.bb", texts.at("/r/t.bb")}});
    ASSERT_TRUE(Brief(p.Diagnostics()).empty());
    struct Row {
        std::string at;  // the marker whose start is renamed
        std::string name;
        char renamed;         // the symbol renamed, or 0 for none
        std::string refusal;
    };
    const Row rows[] = {
        {"score%", "points", 'g', ""}, {"Thing", "Item", 'T', ""}, {"score)", "n", 'a', ""},
        {"skip", "done", 'l', ""},     {"score = score%", "pts", 'f', ""}, {"Add", "Plus", 'F', ""},
        {"score%", "2x", 0, "\"2x\" is not a valid name: a letter, then letters, digits or '_', and no keyword."},
        {"score%", "Wend", 0, "\"Wend\" is not a valid name: a letter, then letters, digits or '_', and no keyword."},
        {"Add", "Print", 0, "Cannot rename function 'add' to \"Print\": a built-in command or userlib function has that name."},
        {"score%", "P", 0,
         "Cannot rename global 'score' to \"P\": that name is already used there (letter case does not count)."},
        {"score)", "SCORE", 0, ""},
        {"\"score\"", "x", 0, "There is no declared name here to rename."},
    };
    for (const Row& row : rows) {
        const auto [r, c] = Find(texts.at("/r/main.bb"), row.at);
        const lang::RenamePlan plan = p.Rename("/r/main.bb", r, c, row.name);
        EXPECT_EQ(plan.refusal, row.refusal) << row.name;
        if (!row.renamed)
            continue;
        const auto after = Apply(texts, plan, row.name);
        EXPECT_EQ(after.at("/r/main.bb"), Named(kRenamedMain, row.renamed, row.name));
        EXPECT_EQ(after.at("/r/t.bb"), Named(kRenamedTypes, row.renamed, row.name));
        lang::Program renamed;
        Feed(renamed, {{"/r/main.bb", after.at("/r/main.bb")}, {"/r/t.bb", after.at("/r/t.bb")}});
        EXPECT_TRUE(Brief(renamed.Diagnostics()).empty()) << row.name;
    }
}

// The new name may be taken in another of the compiler's name spaces, and a
// function's local may share a global's name; a rename is refused only
// where the name is taken in the symbol's own space, or where a local would
// hide a global a function uses.
TEST(ProgramTest, RenameCollidesOnlyWhereTheCompilerWouldSeeAnotherSymbol)
{
    const std::string main = "Const MAX = 10\nDim grid(MAX)\nGlobal hp\ngrid(1) = MAX\n"
                             "Type Ship\nField hp, x\nEnd Type\nType Dock\nEnd Type\n"
                             "Function Hit(s.Ship)\n\tLocal dmg = 2\n\ts\\hp = s\\hp - dmg\nEnd Function\n"
                             "Function Heal()\n\tLocal amount = 1\n\thp = hp + amount\nEnd Function\n"
                             ".start\n.finish\nGoto start\n";
    lang::Program p;
    Feed(p, {{"/r/main.bb", main}});
    ASSERT_TRUE(p.Diagnostics().empty());
    struct Row {
        std::string at;
        std::string name;
        std::string refusal;  // none: renamed, and the program checks clean
        std::size_t edits = 0;
    };
    const Row rows[] = {
        {"MAX = 10", "LIMIT", "", 3},
        {"grid(MAX)", "cells", "", 2},
        {"dmg = 2", "hp", "", 2},
        {"hp\n", "dmg", "", 3},
        {"Hit", "Heal", "Cannot rename function 'hit' to \"Heal\": that name is already used there (letter case does not count)."},
        {"Ship", "Dock", "Cannot rename type 'ship' to \"Dock\": that name is already used there (letter case does not count)."},
        {"hp, x", "X", "Cannot rename field 'hp' to \"X\": that name is already used there (letter case does not count)."},
        {"start\n.", "finish", "Cannot rename label 'start' to \"finish\": that name is already used there (letter case does not count)."},
        {"amount = 1", "hp", "Cannot rename local 'amount' to \"hp\": the function also uses the global of that name, which it would hide."},
        {"hp\n", "amount", "Cannot rename global 'hp' to \"amount\": function 'heal' has a local of that name, which would hide it there."},
    };
    for (const Row& row : rows) {
        const auto [r, c] = Find(main, row.at, 0);
        const lang::RenamePlan plan = p.Rename("/r/main.bb", r, c, row.name);
        EXPECT_EQ(plan.refusal, row.refusal) << row.at << " -> " << row.name;
        if (!row.refusal.empty())
            continue;
        EXPECT_EQ(plan.edits.size(), row.edits) << row.at;
        lang::Program renamed;
        Feed(renamed, {{"/r/main.bb", Apply({{"/r/main.bb", main}}, plan, row.name).at("/r/main.bb")}});
        EXPECT_TRUE(renamed.Diagnostics().empty()) << row.at << " -> " << row.name;
    }
}

// A field reached through a Blitz array's element is the field itself for
// definition, references and rename, and the rename still compiles.
TEST(ProgramTest, FieldsThroughBlitzArrayElements)
{
    const std::map<std::string, std::string> texts{
        {"/v/main.bb",
         "Type NPC\nField Idle\nEnd Type\nType Room\nField NPC.NPC[2]\nEnd Type\n"
         "r.Room = New Room : r\\NPC[0] = New NPC\n"
         "r\\NPC[0]\\Idle = 1\n"
         "x = r\\npc[1]\\idle + 1\n"}};
    const std::string& main = texts.at("/v/main.bb");
    lang::Program p;
    Feed(p, {{"/v/main.bb", main}});
    ASSERT_EQ(Brief(p.Diagnostics()), std::vector<std::string>{});
    const auto [row, col] = Find(main, "Idle", 1);
    ASSERT_TRUE(p.Definition("/v/main.bb", row, col));
    EXPECT_EQ(Short(*p.Definition("/v/main.bb", row, col)), "main.bb:2:7");
    EXPECT_EQ(Shorts(p.References("/v/main.bb", row, col)), "main.bb:2:7 main.bb:8:10 main.bb:9:14");
    const auto fields = p.FieldsAt("/v/main.bb", 9, "x = r\\npc[1]\\", 13);
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].name, "idle");
    const auto after = Apply(texts, p.Rename("/v/main.bb", row, col, "Busy"), "Busy");
    EXPECT_EQ(after.at("/v/main.bb"),
              "Type NPC\nField Busy\nEnd Type\nType Room\nField NPC.NPC[2]\nEnd Type\n"
              "r.Room = New Room : r\\NPC[0] = New NPC\nr\\NPC[0]\\Busy = 1\nx = r\\npc[1]\\Busy + 1\n");
}
