#include "editor/AutoIndent.h"

#include <gtest/gtest.h>

TEST(AutoIndent, NewLineKeepsOpensAndClosesBlocks)
{
    const IndentTokens tokens{" If For While Function Else Select ", " EndIf Next Wend End Else ", 3};
    const struct {
        const char* above;
        const char* line;
        const char* rest;
        const char* newIndent;
        const char* reindent;  // null: the ended line stays as it is
    } rows[] = {
        {"", "\tPrint x", "", "\t", nullptr}, {"", "\tfor i = 1 To 10", "", "\t\t", nullptr},
        {"", "  If a Then", "", "     ", nullptr},  // blanks give a level of blanks
        {"\tFor i = 1 To 3", "\t\tNext", "", "\t", "\t"}, {"\t\tPrint i", "\t\tnext", "", "\t", "\t"},
        {"\tPrint i", "Next", "", "", nullptr},  // already placed
        {"If a", "\tElse", "", "\t", ""}, {"\t\tx = 1", "\t\tPrint x", "EndIf", "\t", nullptr},
        {"", "Function F()", "  End Function", "", nullptr}, {"", "\t; For comment", "", "\t", nullptr},
        {"", "Iffy = 1", "", "", nullptr},  // a word, not a token
        // Enter within the indentation keeps it with the text moved down.
        {"", "", "\t\tPrint x", "\t\t", nullptr}, {"", "\t", "\tPrint x", "\t\t", nullptr},
        // A one-line If opens nothing; one whose Then ends the line does.
        {"", "If a Then b = 1", "", "", nullptr},
        // Words and ";" inside strings count for nothing.
        {"", "If a$ = \"then\" Then", "", "\t", nullptr}, {"", "If s$ = \";\" Then Print 1", "", "", nullptr},
        {"", "\tif a then ; says why", "", "\t\t", nullptr},
        // A lone End ends the program, not a block.
        {"\tPrint", "\tEnd", "", "\t", nullptr}, {"\t\tPrint", "\t\tEnd If", "", "\t", "\t"},
    };
    for (const auto& r : rows) {
        const IndentAfterEnter got = IndentForNewLine(r.above, r.line, r.rest, tokens);
        EXPECT_EQ(got.newLineIndent, r.newIndent) << r.line;
        EXPECT_EQ(got.reindentLine ? got.lineIndent : "stays", r.reindent ? r.reindent : "stays") << r.line;
    }
    // Without tokens a new line only keeps the indentation.
    const IndentTokens none{"  ", "  ", 3};
    EXPECT_EQ(IndentForNewLine("", "\tfor i = 1 To 10", "", none).newLineIndent, "\t");
    EXPECT_EQ(IndentForNewLine("", "\t", "\tPrint x", none).newLineIndent, "\t\t");
    EXPECT_FALSE(IndentForNewLine("\tFor i = 1 To 3", "\t\tNext", "", none).reindentLine);
}
