#include "AnalysisTestSupport.h"

#include "analysis/Completion.h"
#include "analysis/Scanner.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

EditorKeywordListPtr Commands()
{
    return Vocabulary({Command("Cls"), Command("Graphics", {"width", "height"}), Command("Text"),
                       Command("WaitKey"), Command("WaitMouse"), Command("WaitTimer", {"timer"})});
}

// The declared names of a small source.
EditorKeywordListPtr Declared(std::string_view source)
{
    return ScanDocument(source, "/src/", TestStyles()).DocKeywords;
}

std::string SelectedRowText(const CompletionList& list)
{
    for (const CompletionRow& row : list.VisibleRows())
        if (row.selected)
            return row.text;
    return "";
}

TEST(Completion, TokensMergeVocabularyAndDeclaredNamesInNameOrder)
{
    CompletionList list(Commands());
    const EditorKeywordListPtr declared = Declared("Global waitAll\nFunction Draw()\nType Hero");
    list.setTokens(*declared, true);
    EXPECT_EQ(Names(list.tokens()),
              (Lines{"Cls", "Draw", "Graphics", "Hero", "Text", "waitAll", "WaitKey", "WaitMouse", "WaitTimer"}));
    list.setTokens(*declared, false);
    EXPECT_EQ(Names(list.tokens()), (Lines{"Draw", "Hero", "waitAll"}));
    EXPECT_EQ(list.current(), 0);
    EXPECT_EQ(list.SelectedName(), "");
}

TEST(Completion, NearestTokenIsFirstNotBelowPrefix)
{
    CompletionList list(Commands());
    list.setTokens(EditorKeywordList(), true);
    struct Case {
        std::string prefix;
        int current;
    };
    const std::vector<Case> cases = {
        {"", 1},     {"a", 1},         {"cls", 1},      {"CLS", 1}, {"d", 2},
        {"wai", 4},  {"WAITK", 4},     {"waitm", 5},    {"waitt", 6},
        {"waitz", 6},  // every entry is below: the last is selected
        {"t", 3},    {"graphicsx", 3},
    };
    for (const Case& c : cases) {
        list.ShowNearestToken(c.prefix);
        EXPECT_EQ(list.current(), c.current) << c.prefix;
    }

    // Every prefix of every name of a larger list finds the first name that
    // is not below it, as a linear search would.
    EditorKeywordList many;
    for (int i = 0; i < 300; ++i)
        many.Add(Command("name" + std::to_string(i * 7 % 1000)));
    list.setTokens(many, false);
    for (int i = 0; i < 300; ++i) {
        const std::string prefix = "name" + std::to_string(i * 13 % 1000);
        int expected = list.count();
        for (int p = 1; p <= list.count(); ++p) {
            if (list.tokens().Item(std::size_t(p)).Name >= prefix) {
                expected = p;
                break;
            }
        }
        list.ShowNearestToken(prefix);
        EXPECT_EQ(list.current(), expected) << prefix;
    }
}

TEST(Completion, EmptyListSelectsNothing)
{
    CompletionList list;
    list.setTokens(EditorKeywordList(), true);
    list.ShowNearestToken("abc");
    EXPECT_EQ(list.current(), 0);
    EXPECT_FALSE(list.isSingleToken(""));
    EXPECT_EQ(list.KeyDown(ListKey::Down), ListKeyOutcome::Moved);
    EXPECT_EQ(list.KeyDown(ListKey::PageUp), ListKeyOutcome::Moved);
    EXPECT_EQ(list.current(), 0);
    EXPECT_TRUE(list.VisibleRows().empty());
    EXPECT_EQ(list.SelectedName(), "");
    EXPECT_EQ(list.KeyDown(ListKey::Enter), ListKeyOutcome::Close);
}

TEST(Completion, SingleTokenWhenOnlyOneNameStartsWithPrefix)
{
    CompletionList list(Commands());
    list.setTokens(EditorKeywordList(), true);
    struct Case {
        std::string prefix;
        bool single;
        std::string selected;
    };
    const std::vector<Case> cases = {
        {"Wai", false, "WaitKey"}, {"WaitK", true, "WaitKey"}, {"waitt", true, "WaitTimer"},
        {"gr", true, "Graphics"},  {"", false, "Cls"},         {"zz", false, "WaitTimer"},
        {"c", true, "Cls"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list.isSingleToken(c.prefix), c.single) << c.prefix;
        EXPECT_EQ(list.SelectedName(), c.selected) << c.prefix;
    }
    CompletionList one;
    one.setTokens(*Vocabulary({Command("Only")}), false);
    EXPECT_TRUE(one.isSingleToken(""));
}

TEST(Completion, MovementKeysClampSelectionAndKeepItOnThePage)
{
    EditorKeywordList names;
    for (char c = 'a'; c <= 't'; ++c)
        names.Add(Command(std::string(1, c)));
    CompletionList list;
    list.setTokens(names, false);  // 20 entries, 8 rows a page
    EXPECT_EQ(list.scrollMaximum(), 13);
    list.updateview(1);

    struct Step {
        ListKey key;
        int current;
        int top;
    };
    const std::vector<Step> steps = {
        {ListKey::Up, 1, 1},         {ListKey::Down, 2, 1},      {ListKey::PageDown, 10, 3},
        {ListKey::Down, 11, 4},      {ListKey::PageDown, 19, 12}, {ListKey::PageDown, 20, 13},
        {ListKey::Down, 20, 13},     {ListKey::Up, 19, 13},       {ListKey::PageUp, 11, 11},
        {ListKey::PageUp, 3, 3},     {ListKey::PageUp, 1, 1},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(list.KeyDown(s.key), ListKeyOutcome::Moved);
        EXPECT_EQ(list.current(), s.current);
        EXPECT_EQ(list.top(), s.top);
        EXPECT_EQ(list.SelectedName(), std::string(1, char('a' + s.current - 1)));
    }

    // Five entries on an eight-row page: nothing to scroll, and Page Down
    // selects the last.
    EditorKeywordList five;
    for (char c = 'a'; c <= 'e'; ++c)
        five.Add(Command(std::string(1, c)));
    list.setTokens(five, false);
    EXPECT_EQ(list.scrollMaximum(), 1);
    list.updateview(1);
    list.KeyDown(ListKey::PageDown);
    EXPECT_EQ(list.current(), 5);
    EXPECT_EQ(list.top(), 1);
    EXPECT_EQ(list.VisibleRows().size(), 5u);
}

TEST(Completion, ChosenNameDropsTypeTagAndEscapeChoosesNothing)
{
    CompletionList list;
    const EditorKeywordListPtr declared = Declared("Global name$\nLocal target.Enemy\nConst MAX# = 1");
    list.setTokens(*declared, false);
    struct Case {
        std::string prefix;
        std::string row;
        std::string inserted;
    };
    const std::vector<Case> cases = {
        {"name", "name$", "name"},
        {"tar", "target.Enemy", "target"},
        {"max", "MAX#", "MAX#"},
    };
    for (const Case& c : cases) {
        list.ShowNearestToken(c.prefix);
        EXPECT_EQ(SelectedRowText(list), c.row);
        EXPECT_EQ(list.SelectedName(), c.inserted);
        EXPECT_EQ(list.KeyDown(ListKey::Tab), ListKeyOutcome::Close);
        EXPECT_EQ(list.SelectedName(), c.inserted);
    }
    EXPECT_EQ(list.KeyDown(ListKey::Escape), ListKeyOutcome::Close);
    EXPECT_EQ(list.SelectedName(), "");

    // A field of a type keeps its type in the list but not when inserted.
    EditorKeywordList fields;
    EditorKeyword field = Command("pos.Vector");
    fields.Add(field);
    list.setTokens(fields, false);
    list.updateview(1);
    EXPECT_EQ(list.SelectedName(), "pos");
}

TEST(Completion, RowsShowNameTypeAndKindIcon)
{
    CompletionList list(Commands());
    const EditorKeywordListPtr declared = Declared(
        "Global g%\nType T\nFunction F()\n.lab\nConst C = 1\nLocal l$");
    list.setTokens(*declared, true);
    list.setRowsPerPage(20);
    list.updateview(1, 3);
    std::vector<std::pair<std::string, int>> rows;
    for (const CompletionRow& r : list.VisibleRows())
        rows.push_back({r.text, r.icon});
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, int>>{
                        {"C", 14}, {"Cls", 17}, {"F", 13}, {"g%", 1}, {"Graphics", 17}, {"l$", 20},
                        {"lab", 12}, {"T", 10}, {"Text", 17}, {"WaitKey", 17}, {"WaitMouse", 17},
                        {"WaitTimer", 17}}));
    EXPECT_EQ(SelectedRowText(list), "F");
    EXPECT_EQ(CompletionList::RowIcon(7), 18);
    EXPECT_EQ(CompletionList::RowIcon(0), 20);
}

TEST(Completion, ClicksAndScrollingMoveSelectionAndPage)
{
    EditorKeywordList names;
    for (char c = 'a'; c <= 'l'; ++c)
        names.Add(Command(std::string(1, c)));
    CompletionList list;
    list.setTokens(names, false);  // 12 entries, 8 rows
    list.updateview(1);
    list.ClickRow(3);
    EXPECT_EQ(list.current(), 4);
    EXPECT_EQ(list.SelectedName(), "d");

    // The scroll bar moves the page; the selection stays where it was.
    list.Scroll(5);
    EXPECT_EQ(list.top(), 5);
    EXPECT_EQ(list.current(), 4);
    EXPECT_EQ(list.SelectedName(), "d");
    EXPECT_EQ(list.VisibleRows().front().text, "e");
    list.Scroll(99);
    EXPECT_EQ(list.top(), 5);
    list.ClickRow(7);
    EXPECT_EQ(list.SelectedName(), "l");

    // The nearest name is shown on the page even at the end of the list.
    list.ShowNearestToken("k");
    EXPECT_EQ(list.top(), 5);
    EXPECT_EQ(list.current(), 11);
}

TEST(Completion, TypeListOffersTheDocumentsTypes)
{
    const EditorKeywordListPtr declared = Declared("Type Zed\nGlobal a\nType alpha\nFunction T()");
    EXPECT_EQ(Names(TypeList(*declared)), (Lines{"alpha", "Zed"}));
    EXPECT_TRUE(TypeList(EditorKeywordList()).Empty());
}


TEST(Completion, FieldListReadsTheFieldLinesAfterTheVariablesType)
{
    const std::vector<std::string> lines = {
        "Type Hero",                          // 1
        "\tField x#, y# ; Field z",            // 2
        "",                                   // 3
        "\t; the hero's stats",                // 4
        "   Field hp%,name$",                 // 5
        "\tField weapon.Weapon",               // 6
        "End Type",                           // 7
        "Field notMine",                      // 8
        "Local player.Hero",                  // 9
        "Global boss.hero, count",            // 10
        "Type Empty",                         // 11
        "End Type",                           // 12
        "Local nothing.Empty, ghost.Missing", // 13
        "Include \"lib.bb\"",                 // 14
        "Local far.Far, tail.Tail",           // 15
        "Type Tail",                          // 16
        "Field last",                         // 17
    };
    std::string source;
    for (const std::string& l : lines)
        source += l + "\r\n";
    source.resize(source.size() - 2);
    const DeclStyles styles = TestStyles();
    ScanOptions options;
    options.readInclude = [](const QString&) { return std::optional<std::string>("Type Far\nField f"); };
    const EditorKeywordListPtr declared = ScanDocument(source, "/src/", styles, options).DocKeywords;
    auto lineText = [&](int n) { return QByteArray::fromStdString(lines.at(std::size_t(n - 1))); };
    auto fields = [&](std::string_view var) -> std::optional<Lines> {
        const EditorKeywordListPtr list = FieldList(*declared, var, int(lines.size()), lineText, styles);
        if (!list)
            return std::nullopt;
        return Describe(*list);
    };

    const Lines heroFields = {"hp%|3||0|hp%_5", "name$|3||0|name$_5", "weapon.Weapon|3||0|weapon.Weapon_6",
                              "x#|3||0|x#_2", "y#|3||0|y#_2"};
    EXPECT_EQ(fields("player"), heroFields);
    EXPECT_EQ(fields("PLAYER"), heroFields);
    EXPECT_EQ(fields("boss"), heroFields);
    EXPECT_EQ(fields("tail"), (Lines{"last|3||0|last_17"}));
    // Not a variable of a type, a type without fields, an unknown type, a
    // type from an included file, an unknown name.
    for (std::string_view var : {"count", "nothing", "ghost", "far", "nobody", ""})
        EXPECT_EQ(fields(var), std::nullopt) << var;
}

}  // namespace
