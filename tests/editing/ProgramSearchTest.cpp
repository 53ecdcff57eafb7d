#include "editing/ProgramSearch.h"

#include <gtest/gtest.h>

namespace {

// Each match as "row:col-endCol", and the rows' texts.
std::string Brief(const std::vector<search::RowMatch>& matches)
{
    std::string out;
    for (const auto& m : matches)
        out += (out.empty() ? "" : " ") + std::to_string(m.row) + ":" + std::to_string(m.col) + "-" +
               std::to_string(m.endCol) + "[" + m.line + "]";
    return out;
}

TEST(ProgramSearch, MatchesCarryTheirRowAndKeepToWholeWordsWhenAsked)
{
    const std::string_view source = "Global score\r\nscores = Score + 1\rp\\score = 2\nPrint \"SCORE\" ; score_2";
    const struct {
        std::string_view what;
        bool matchCase, wholeWord;
        std::string expected;
    } rows[] = {
        {"score", true, false,
         "0:7-12[Global score] 1:0-5[scores = Score + 1] 2:2-7[p\\score = 2] 3:16-21[Print \"SCORE\" ; score_2]"},
        {"score", false, true,
         "0:7-12[Global score] 1:9-14[scores = Score + 1] 2:2-7[p\\score = 2] 3:7-12[Print \"SCORE\" ; score_2]"},
        // An end of the searched text that is no name's character needs no boundary there.
        {"p\\", true, true, "2:0-2[p\\score = 2]"},
        {"= ", true, true, "1:7-9[scores = Score + 1] 2:8-10[p\\score = 2]"},
        {"e\r", true, false, ""},  // never across rows
        {"", false, false, ""},
        {"core_2", false, true, ""},
    };
    for (const auto& r : rows) {
        search::ProgramOptions options;
        options.matchCase = r.matchCase;
        options.wholeWord = r.wholeWord;
        EXPECT_EQ(Brief(search::FindInText(source, r.what, options)), r.expected) << r.what;
    }
    // Matches do not overlap, and a rejected one does not hide the next.
    search::ProgramOptions whole;
    whole.wholeWord = true;
    EXPECT_EQ(Brief(search::FindInText("aaaa", "aa", {})), "0:0-2[aaaa] 0:2-4[aaaa]");
    EXPECT_EQ(Brief(search::FindInText("xab ab", "ab", whole)), "0:4-6[xab ab]");

    // Across files: those without a match, or that cannot be read, are left
    // out, and a replacement edits every match.
    const auto text = [](const std::string& key) -> std::optional<std::string> {
        if (key == "gone.bb")
            return std::nullopt;
        return key == "a.bb" ? "ab\nx ab" : "none";
    };
    const auto found = search::FindInFiles({"a.bb", "gone.bb", "b.bb"}, text, "ab", whole);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(Brief(found[0].matches), "0:0-2[ab] 1:2-4[x ab]");
    const ProgramEdits edits = search::ReplaceMatches(found, "cd");
    ASSERT_EQ(edits.size(), 1u);
    EXPECT_EQ(edits[0].key, "a.bb");
    EXPECT_EQ(edits[0].edits, (std::vector<TextEdit>{{0, 0, 2, "cd"}, {1, 2, 4, "cd"}}));
}

}  // namespace
