#include "debugger/Variables.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::uint32_t Bits(float f)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

}  // namespace

// As the real runtime printed them (WriteLine of each value).
TEST(Variables, FloatsAreWrittenAsTheLanguagePrintsThem)
{
    const std::pair<float, const char*> rows[] = {
        {1.5f, "1.5"},           {1.0f / 3, "0.333333"},        {100000.0f, "100000.0"},
        {1000000.0f, "1000000.0"}, {10000000.0f, "10000000.0"}, {123456789.0f, "1.23457e+008"},
        {0.0001f, "1.e-004"},    {0.00001f, "1.e-005"},         {-2.5f, "-2.5"},
        {0.0f, "0.0"},           {2.0f / 3, "0.666667"},        {1e10f, "1.e+010"},
        {1e-10f, "1.e-010"},     {3.14159265f, "3.14159"},      {99999.99f, "100000.0"},
        {0.1f, "0.1"},           {1.0f, "1.0"},                 {0.001f, "0.001"},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(FloatText(Bits(value)), text) << value;
}

TEST(Variables, RowsShowSpelledNamesTypesAndValues)
{
    const Spelling spell = [](const std::string& lower) {
        return lower == "hero" ? QStringLiteral("Hero") : lower == "player" ? QStringLiteral("Player")
                                                                           : QString::fromStdString(lower);
    };
    struct Row {
        VarRow row;
        const char* name;
        const char* value;
        bool expandable;
    };
    const Row rows[] = {
        {{"count", "%", 'i', "42", ""}, "count%", "42", false},
        {{"ratio", "#", 'f', "3eaaaaab", ""}, "ratio#", "0.333333", false},
        {{"label", "$", 's', "a\nb\t\"q\"", ""}, "label$", "\"a\\nb\\t\\\"q\\\"\"", false},
        {{"hero", ".player", 'o', "player", "o3e49180"}, "Hero.Player", "Player", true},
        {{"nothing", ".player", 'n', "", ""}, "nothing.Player", "Null", false},
        {{"gone", ".player", 'd', "", ""}, "gone.Player", "(deleted)", false},
        {{"grid", "%(2,3)", 'a', "12", "a3d60918"}, "grid%(2,3)", "elements: 12", true},
        {{"(1,2)", "%", 'i', "12", ""}, "(1,2)%", "12", false},
        {{"player", "Type", 't', "2", "t1:2"}, "Player", "objects: 2", true},
        {{"bad", "%", 'x', "", ""}, "bad%", "(unreadable)", false},
    };
    for (const Row& r : rows) {
        const ShownVar shown = ShowVar(r.row, spell);
        EXPECT_EQ(shown.name, r.name);
        EXPECT_EQ(shown.value, r.value) << r.name;
        EXPECT_EQ(shown.expandable, r.expandable) << r.name;
    }
}

TEST(Variables, AnAnswerIsReadIntoRowsAndAShortOneIsNone)
{
    const std::optional<VarPage> page =
        ReadVarPage({"vars", "g", "12", "count", "%", "i", "42", "", "hero", ".player", "o", "player", "o1", "cut"});
    ASSERT_TRUE(page);
    EXPECT_EQ(page->total, 12);
    EXPECT_EQ(page->rows, (std::vector<VarRow>{{"count", "%", 'i', "42", ""}, {"hero", ".player", 'o', "player", "o1"}}));
    EXPECT_FALSE(ReadVarPage({"vars", "g"}));
    EXPECT_FALSE(ReadVarPage({"log", "g", "1"}));
}

TEST(Variables, OnlyValuesThatChangedSinceTheLastStopAreMarked)
{
    ValueHistory history;
    EXPECT_FALSE(history.Changed("g/count", "1")) << "nothing to compare with yet";
    history.NextStop();
    EXPECT_FALSE(history.Changed("g/count", "1"));
    EXPECT_TRUE(history.Changed("g/new", "5") == false);
    history.NextStop();
    EXPECT_TRUE(history.Changed("g/count", "2"));
    EXPECT_FALSE(history.Changed("g/new", "5"));
}

TEST(Variables, WatchesAreNamesFieldsAndSubscripts)
{
    using S = WatchStep;
    const std::pair<const char*, std::vector<S>> good[] = {
        {"score", {{S::Name, "score", {}}}},
        {"Player\\Pos\\x#", {{S::Name, "player", {}}, {S::Field, "pos", {}}, {S::Field, "x", {}}}},
        {"grid( 3, 4 )", {{S::Name, "grid", {}}, {S::Subscripts, "", {3, 4}}}},
        {"enemies[2]\\hp", {{S::Name, "enemies", {}}, {S::Index, "", {2}}, {S::Field, "hp", {}}}},
        {"name$", {{S::Name, "name", {}}}},
    };
    for (const auto& [text, steps] : good)
        EXPECT_EQ(ParseWatch(text), steps) << text;
    for (const char* bad : {"", "3", "a +", "a\\", "a(1,", "a[1,2]", "a(x)", "a.b"}) {
        std::string why;
        EXPECT_FALSE(ParseWatch(bad, &why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

TEST(Variables, DimSubscriptsFlattenAsTheRuntimeStoresThem)
{
    const std::tuple<const char*, std::vector<long long>, long long> rows[] = {
        {"%(2,3)", {1, 2}, 7}, {"%(2,3)", {0, 0}, 0}, {"%(2,3)", {2, 3}, 11}, {"%(2,3)", {3, 0}, -1},
        {"%(2,3)", {1}, -1},   {"$(9)", {9}, 9},      {"%[4]", {1}, -1},
    };
    for (const auto& [type, subscripts, flat] : rows)
        EXPECT_EQ(FlatIndex(type, subscripts), flat) << type;
}
