#include "editor/DirtyLines.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// "x" for a dirty line, "." for a clean one, read line by line and again by
// jumps to the next dirty line; both readings must agree.
std::string Flags(const DirtyLines& d)
{
    std::string byLine, byJump(std::size_t(d.LineCount()), '.');
    for (int i = 0; i < d.LineCount(); ++i)
        byLine += d.IsDirty(i) ? 'x' : '.';
    for (int i = d.NextDirty(0); i >= 0; i = d.NextDirty(i + 1))
        byJump[std::size_t(i)] = 'x';
    return byLine == byJump ? byLine : byLine + " but jumps give " + byJump;
}

}  // namespace

TEST(DirtyLines, EditsDirtyTheLinesTheyTouchAndMoveTheRest)
{
    struct Row {
        const char* before;
        int line, delta;
        const char* after;
    };
    const Row rows[] = {
        {".....", 2, 0, "..x.."},
        {"x....", 1, 2, "xxxx..."},   // two lines inserted after line 1
        {"....x", 1, 2, ".xxx..x"},
        {"..x.x", 1, -2, ".xx"},      // lines 2 and 3 joined into line 1
        {"....x", 0, -3, "xx"},
        {".", 0, 0, "x"},
        {"...", 5, 0, "..x"},         // past the end: the last line
    };
    for (const Row& r : rows) {
        DirtyLines d;
        d.Reset(static_cast<int>(std::string(r.before).size()), false);
        for (int i = 0; r.before[i]; ++i)
            if (r.before[i] == 'x')
                d.Mark(i);
        d.Edited(r.line, r.delta);
        const std::string flags = Flags(d);
        EXPECT_EQ(flags, r.after) << r.before << " " << r.line << " " << r.delta;
        EXPECT_EQ(d.Count(), static_cast<int>(std::count(flags.begin(), flags.end(), 'x')));
    }
}

TEST(DirtyLines, CountAndRangeSearchFollowMarking)
{
    DirtyLines d;
    d.Reset(10, false);
    EXPECT_EQ(d.NextDirty(0), -1);
    d.Mark(3);
    d.Mark(7);
    EXPECT_EQ(d.NextDirty(4, 7), -1);
    EXPECT_EQ(d.NextDirty(4, 8), 7);
    d.Clean(3);
    d.Clean(3);
    EXPECT_EQ(Flags(d), ".......x..");
    EXPECT_EQ(d.Count(), 1);
    d.MarkAll();
    EXPECT_EQ(d.Count(), 10);
}
