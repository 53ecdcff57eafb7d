#include "editing/TextSearch.h"

#include <gtest/gtest.h>

namespace {

using search::Match;
using search::Options;

constexpr std::string_view kSource = "Global score = 0\r\nscore = score + 1\r\nPrint \"SCORE\" ; score";

TEST(TextSearch, FindsWhollyInsideTheRangeWithOrWithoutCase)
{
    const struct {
        std::size_t from, to;
        bool matchCase;
        std::optional<Match> forward, backward;
    } rows[] = {
        {0, kSource.size(), true, Match{7, 12}, Match{kSource.size() - 5, kSource.size()}},
        {0, kSource.size(), false, Match{7, 12}, Match{kSource.size() - 5, kSource.size()}},
        {0, 5, false, std::nullopt, std::nullopt},
        {18, 23, true, Match{18, 23}, Match{18, 23}},  // the range is exactly one match
        {19, 35, true, Match{26, 31}, Match{26, 31}},  // the cut first one does not count
        {36, 51, true, std::nullopt, std::nullopt},    // only "SCORE" here
        {36, 51, false, Match{44, 49}, Match{44, 49}},
    };
    for (const auto& r : rows) {
        const Options options{r.matchCase};
        EXPECT_EQ(search::FindForward(kSource, "score", r.from, r.to, options), r.forward) << r.from << "-" << r.to;
        EXPECT_EQ(search::FindBackward(kSource, "score", r.from, r.to, options), r.backward) << r.from << "-" << r.to;
    }
    EXPECT_FALSE(search::FindForward(kSource, "", 0, kSource.size(), {}));
    EXPECT_FALSE(search::FindBackward(kSource, "", 0, kSource.size(), {}));

    // Case folds by character, not by byte.
    const std::string_view text = "Ein m\xC3\xA4""dchen";  // "mädchen"
    EXPECT_EQ(search::FindForward(text, "M\xC3\x84""DCHEN", 0, text.size(), {false}), (Match{4, 12}));
    EXPECT_FALSE(search::FindForward(text, "M\xC3\x84""DCHEN", 0, text.size(), {true}));
    // A folded character may be shorter than its pattern: the Kelvin sign is a "k".
    EXPECT_EQ(search::FindForward("\xE2\x84\xAAilo", "kilo", 0, 6, {false}), (Match{0, 6}));
    // Never from inside a character: "\xA4" alone is not the end of "\xC3\xA4".
    EXPECT_FALSE(search::FindForward(text, "\xA4", 0, text.size(), {false}));
}

TEST(TextSearch, ReplaceAllIsOneEditOverTheChangedBytes)
{
    const struct {
        std::string_view text, what, with;
        bool matchCase;
        int count;
        std::string_view result;
    } rows[] = {
        // Each occurrence once, though the replacement holds the search text.
        {"a x a x a", "a", "aa", true, 3, "aa x aa x aa"},
        {"xx", "x", "xx", true, 2, "xxxx"},
        // Adjacent occurrences, shorter text.
        {"abab ab", "ab", "c", true, 3, "cc c"},
        {"Score SCORE score", "score", "hits", false, 3, "hits hits hits"},
        {"Score SCORE score", "score", "hits", true, 1, "Score SCORE hits"},
        {"none here", "x", "y", true, 0, "none here"},
        // Every other byte stays as it was, UTF-8 or not.
        {"\xA3\x01; \xFF\r\nx\xE9y\r\n\x80", "\xE9", "\xC9\xC9", false, 1, "\xA3\x01; \xFF\r\nx\xC9\xC9y\r\n\x80"},
    };
    for (const auto& r : rows) {
        const auto edit = search::ReplaceAll(r.text, r.what, r.with, 0, r.text.size(), {r.matchCase});
        EXPECT_EQ(edit.count, r.count) << r.text;
        std::string result(r.text);
        if (edit.count)
            result.replace(edit.start, edit.end - edit.start, edit.replacement);
        EXPECT_EQ(result, r.result) << r.text;
    }
    // Only the span from the first match to the last one is handed over.
    const auto edit = search::ReplaceAll("head x mid x tail", "x", "b", 2, 17, {true});
    EXPECT_EQ(edit.start, 5u);
    EXPECT_EQ(edit.end, 12u);
    EXPECT_EQ(edit.replacement, "b mid b");
}

}  // namespace
