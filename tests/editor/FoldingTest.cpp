#include "editor/Folding.h"

#include <gtest/gtest.h>

#include <string>

TEST(Folding, ReadsWhatALineOpensAndCloses)
{
    const struct {
        const char* line;
        LineBlocks blocks;
    } rows[] = {
        {"Function Area#(w#, h#)", {0, 1}}, {"  end function ; done", {1, 0}}, {"Function GetType.Enemy(x)", {0, 1}},
        {"Type Enemy", {0, 1}}, {"End Type", {1, 0}},
        // A multi-line If is one whose condition (or Then) ends the line or
        // the statement.
        {"If x > 3", {0, 1}}, {"\tIf x Then", {0, 1}}, {"If x Then : y = 1", {0, 1}},
        {"If t$ = \"a:b\" Then ; c", {0, 1}}, {"If Not KeyDown(1) And p\\x > First Player\\x", {0, 1}},
        {"If KeyHit(1) Then End", {0, 0}}, {"If KeyHit(1) End", {0, 0}}, {"If a Then b = 1 Else b = 2", {0, 0}},
        {"If x Then For i = 1 To 3 : Print i : Next", {0, 0}}, {"EndIf", {1, 0}}, {"End If", {1, 0}},
        {"Else If x", {0, 0}}, {"ElseIf x Then", {0, 0}},
        {"Select key", {0, 1}}, {"Case 1, 2", {0, 0}}, {"End Select", {1, 0}},
        {"For e.Enemy = Each Enemy", {0, 1}}, {"For i = 1 To 3 : Print i : Next", {0, 0}},
        {"Next : Next : For j = 1 To 2", {2, 1}}, {"While Not KeyHit(1)", {0, 1}}, {"Wend : While x", {1, 1}},
        {"Repeat", {0, 1}}, {"Until done", {1, 0}}, {"Forever", {1, 0}},
        {"End", {0, 0}}, {"Print \"For each\" ; While", {0, 0}}, {".loop", {0, 0}}, {"", {0, 0}},
        {"x = 1 ; trailing", {0, 0}}, {"; a comment", {0, 0, true}}, {" \t;indented", {0, 0, true}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ReadLineBlocks(r.line), r.blocks) << r.line;
}

TEST(Folding, BlocksAndCommentRunsFoldUnderTheirFirstLine)
{
    const std::string source =
        "; Shooter\r\n"           // 1 heads the comment run
        "; by me\r\n"             // 2
        "Global score\r\n"        // 3
        "Function Hit(e.Enemy)\r\n"  // 4 heads the function
        "\tIf e\\hp < 1\r\n"      // 5 heads the If
        "\t\tDelete e\r\n"        // 6
        "\tEndIf\r\n"             // 7
        "\t; alone\r\n"           // 8 a lone comment line folds nothing
        "End Function\r\n"        // 9
        "Next\r\n"                // 10 closes nothing that is open
        "While True\r\n"          // 11 never closed: holds the rest
        "\tFlip";                 // 12
    const std::vector<LineFold> folds = FoldText(source);
    const std::vector<LineFold> expected = {
        {0, true}, {1, false}, {0, false}, {0, true}, {1, true}, {2, false},
        {2, false}, {1, false}, {1, false}, {0, false}, {0, true}, {1, false},
    };
    EXPECT_EQ(folds, expected);
}
