#include "editing/SearchSession.h"

#include <gtest/gtest.h>

namespace {

using search::Match;

TEST(SearchSession, RangeFollowsTheReplacementsMadeInIt)
{
    // Replace one by one: the search resumes after each inserted text and the
    // end of a selection range moves with the text.
    std::string text = "ab ab ab | ab";
    SearchSession s;
    s.Begin({0, 8, false}, {});
    int replaced = 0;
    while (const auto m = s.Next(text, "ab")) {
        text.replace(m->start, m->end - m->start, "abab");
        s.Replaced(4);
        ++replaced;
    }
    EXPECT_EQ(replaced, 3);
    EXPECT_EQ(text, "abab abab abab | ab");

    // Replace all takes the current match and the rest of the range at once.
    text = "ab ab ab | ab";
    s.Begin({0, 8, false}, {});
    s.Next(text, "ab");
    s.Next(text, "ab");
    const auto edit = s.ReplaceRest(text, "ab", "abab");
    EXPECT_EQ(edit.count, 2);
    text.replace(edit.start, edit.end - edit.start, edit.replacement);
    EXPECT_EQ(text, "ab abab abab | ab");
    EXPECT_FALSE(s.Next(text, "ab"));
    // Exhausted: nothing more to replace, and no search is run.
    EXPECT_EQ(s.ReplaceRest(text, "ab", "x").count, 0);
}

}  // namespace
