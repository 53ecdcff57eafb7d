#include "navigation/ProgramEdits.h"

#include <gtest/gtest.h>

namespace {

// Edits land on their rows whatever ends the rows, several on a row too, and
// an edit that does not fit the text (made for another text) applies nothing.
TEST(ProgramEdits, EditsApplyAsOneStretchOrNotAtAll)
{
    const std::string_view text = "Global score\r\nscore = score + 1\rPrint score\nEnd";
    const struct {
        std::vector<TextEdit> edits;
        std::optional<std::string> after;
        std::size_t start, end;  // the stretch replaced
    } rows[] = {
        {{{0, 7, 12, "pts"}, {1, 0, 5, "pts"}, {1, 8, 13, "pts"}, {2, 6, 11, "pts"}},
         "Global pts\r\npts = pts + 1\rPrint pts\nEnd", 7, 43},
        {{{3, 0, 3, "Stop"}}, "Global score\r\nscore = score + 1\rPrint score\nStop", 44, 47},
        {{{1, 8, 13, ""}}, "Global score\r\nscore =  + 1\rPrint score\nEnd", 22, 27},
        {{}, std::string(text), 0, 0},
        {{{0, 7, 13, "x"}}, std::nullopt, 0, 0},                  // past its row's end
        {{{4, 0, 1, "x"}}, std::nullopt, 0, 0},                   // past the last row
        {{{1, 8, 13, "x"}, {1, 0, 5, "x"}}, std::nullopt, 0, 0},  // out of order
        {{{1, 0, 5, "x"}, {1, 3, 8, "x"}}, std::nullopt, 0, 0},   // overlapping
    };
    for (const auto& r : rows) {
        const std::optional<std::string> after = ApplyEdits(text, r.edits);
        EXPECT_EQ(after, r.after) << r.edits.size();
        if (const std::optional<TextSplice> splice = SpliceEdits(text, r.edits); splice && after) {
            EXPECT_EQ(splice->start, r.start);
            EXPECT_EQ(splice->end, r.end);
        }
    }
    // A caret keeps its place in the text around it.
    const std::vector<TextEdit> row1{{1, 0, 5, "pts"}, {1, 8, 13, "pts"}};
    const std::pair<std::uint32_t, std::uint32_t> carets[][2] = {
        {{1, 6}, {1, 4}}, {{1, 14}, {1, 10}}, {{1, 3}, {1, 3}}, {{1, 9}, {1, 9}}, {{0, 9}, {0, 9}}};
    for (const auto& [before, after] : carets)
        EXPECT_EQ(ColumnAfterEdits(row1, before.first, before.second), after.second) << before.second;
}

// A rename's edits go by file in the order the files first appear, sorted in
// each; the preview shows each place with its row before and after all the
// row's edits.
TEST(ProgramEdits, RenameEditsAreGroupedAndPreviewedByRow)
{
    const std::vector<lang::RenameEdit> found{
        {"/p/main.bb", 2, 0, 5}, {"/p/lib.bb", 0, 7, 12}, {"/p/main.bb", 0, 7, 12}, {"/p/main.bb", 2, 8, 13}};
    const ProgramEdits edits = RenameEdits(found, "points");
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0].key, "/p/main.bb");
    EXPECT_EQ(edits[0].edits, (std::vector<TextEdit>{{0, 7, 12, "points"}, {2, 0, 5, "points"}, {2, 8, 13, "points"}}));
    EXPECT_EQ(EditCount(edits), 4u);

    const auto line = [](std::string_view key, std::uint32_t row) -> std::string {
        if (key == "/p/lib.bb")
            return "Global score";
        return row == 0 ? "Global score" : "score = score + 1";
    };
    std::string shown;
    for (const EditPreview& p : PreviewEdits(edits, line))
        shown += p.key + ":" + std::to_string(p.row) + " " + p.before + " -> " + p.after + "\n";
    EXPECT_EQ(shown,
              "/p/main.bb:0 Global score -> Global points\n"
              "/p/main.bb:2 score = score + 1 -> points = points + 1\n"
              "/p/main.bb:2 score = score + 1 -> points = points + 1\n"
              "/p/lib.bb:0 Global score -> Global points\n");
}

}  // namespace
