#include "debugger/wire/StopRules.h"

#include <gtest/gtest.h>

using wire::Place;
using wire::Step;

TEST(StopRules, FileKeysMatchWhateverFormTheCompilerGivesAPathIn)
{
    const std::pair<const char*, const char*> rows[] = {
        {"Z:\\home\\Me\\Game\\main.bb", "/home/me/game/main.bb"},
        {"z:\\home\\me\\game\\inc\\player.bb", "/home/me/game/inc/player.bb"},
        {"/home/Me/x.bb", "/home/me/x.bb"},
        {"c:\\games\\a.bb", "c:/games/a.bb"},
        {"", ""},
    };
    for (const auto& [path, key] : rows)
        EXPECT_EQ(wire::FileKey(path), key) << path;
}

TEST(StopRules, BreakpointTableKeepsRowsPerFile)
{
    wire::BreakpointTable table;
    table.Set("/a.bb", 3, true);
    table.Set("/a.bb", 10, true);
    table.Set("/b.bb", 3, true);
    table.Set("/a.bb", 10, false);
    table.Set("/c.bb", 1, false);
    EXPECT_TRUE(table.Has("/a.bb", 3));
    EXPECT_FALSE(table.Has("/a.bb", 10));
    EXPECT_EQ(table.RowFlags("/a.bb"), (std::vector<char>{0, 0, 0, 1}));
    EXPECT_TRUE(table.RowFlags("/c.bb").empty());
    table.Set("/a.bb", 3, false);
    table.Set("/b.bb", 3, false);
    EXPECT_TRUE(table.Empty());
}

// A run of statements (file 0, rows from 1, depth) and the steps taken at
// each stop, against the places stopped at.
struct Walk {
    const char* name;
    std::vector<Place> statements;
    std::vector<int> breakpointRows;
    std::vector<Step> steps;  // the first resumes from the start
    std::vector<Place> stops;
};

class StopRuleWalk : public testing::TestWithParam<Walk> {};

TEST_P(StopRuleWalk, StopsWhereADebuggerUserExpects)
{
    const Walk& w = GetParam();
    wire::StopRule rule;
    std::size_t step = 0;
    rule.Resume(w.steps[step++], {0, 0, 1});
    std::vector<Place> stops;
    for (const Place& at : w.statements) {
        const bool onBreakpoint =
            std::find(w.breakpointRows.begin(), w.breakpointRows.end(), at.row) != w.breakpointRows.end();
        if (!rule.Reached(at, onBreakpoint))
            continue;
        stops.push_back(at);
        rule.Resume(step < w.steps.size() ? w.steps[step++] : Step::None, at);
    }
    EXPECT_EQ(stops.size(), w.stops.size());
    for (std::size_t i = 0; i < std::min(stops.size(), w.stops.size()); ++i)
        EXPECT_EQ(stops[i].row * 100 + stops[i].depth, w.stops[i].row * 100 + w.stops[i].depth) << "stop " << i;
}

// main: 1 x=1 : 2 f() : 3 y=2 ; f at depth 2: 10 a=1 : a=2 (two statements) : 11 Return
const std::vector<Place> kCall = {{0, 1, 1, 1}, {0, 2, 1, 1}, {0, 10, 2, 1}, {0, 10, 2, 7},
                                  {0, 11, 2, 1}, {0, 3, 1, 1}};
// A loop whose only statement each turn is on line 5 (its Wend fires none).
const std::vector<Place> kTightLoop = {{0, 4, 1, 1}, {0, 5, 1, 2}, {0, 5, 1, 2}, {0, 5, 1, 2}};

INSTANTIATE_TEST_SUITE_P(
    Walks, StopRuleWalk,
    testing::Values(
        Walk{"breakpoint_once_per_line", kCall, {10}, {Step::None}, {{0, 10, 2}}},
        Walk{"step_over_a_call", kCall, {}, {Step::Into, Step::Over, Step::Over}, {{0, 1, 1}, {0, 2, 1}, {0, 3, 1}}},
        Walk{"step_into_then_over_a_two_statement_line", kCall, {}, {Step::Into, Step::Over, Step::Into, Step::Over},
             {{0, 1, 1}, {0, 2, 1}, {0, 10, 2}, {0, 11, 2}}},
        Walk{"step_out_returns_to_the_caller", kCall, {10}, {Step::None, Step::Out}, {{0, 10, 2}, {0, 3, 1}}},
        Walk{"a_loop_line_stops_each_turn",
             {{0, 4, 1}, {0, 5, 1}, {0, 6, 1}, {0, 5, 1}, {0, 6, 1}},
             {5},
             {Step::None},
             {{0, 5, 1}, {0, 5, 1}}},
        Walk{"stepping_out_of_the_main_program_runs_on", kCall, {}, {Step::Into, Step::Out}, {{0, 1, 1}}},
        Walk{"each_turn_of_a_one_line_loop_meets_its_breakpoint", kTightLoop, {5}, {Step::None},
             {{0, 5, 1}, {0, 5, 1}, {0, 5, 1}}},
        Walk{"each_turn_of_a_one_line_loop_ends_a_step_over", kTightLoop, {}, {Step::Into, Step::Over, Step::Over},
             {{0, 4, 1}, {0, 5, 1}, {0, 5, 1}}}),
    [](const testing::TestParamInfo<Walk>& info) { return std::string(info.param.name); });
