#include "analysis/Words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A line with the caret written as "|".
struct Caret {
    std::string line;
    int column;
};

Caret At(std::string_view marked)
{
    const std::size_t bar = marked.find('|');
    std::string line(marked.substr(0, bar));
    line += marked.substr(bar + 1);
    return {line, int(bar)};
}

TEST(Words, WordBeforeCaretStopsAtDelimitersAndDropsTypeSuffixes)
{
    struct Case {
        std::string marked;
        bool skipLast;
        std::string word;
    };
    const std::vector<Case> cases = {
        {"x = foo$b|", false, "foob"},
        {"a.bc|", false, "bc"},
        {"Print player\\score|", false, "score"},
        {"If a=b|", false, "b"},
        {"total|", false, "total"},
        {"n = 3.|", true, "3"},
        {"player.|", true, "player"},
        {"p\\|", true, "p"},
        {"Print x|, y", false, "x"},
        {"Print (|", false, ""},
        {"\tLocal#% |", false, ""},
        {"a$#%|", false, "a"},
        {"|abc", false, ""},
        {"a|", true, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        const Caret caret = At(c.marked);
        EXPECT_EQ(GetWordBeforeCaret(caret.line, caret.column, false, c.skipLast), c.word) << c.marked;
    }
    // Every delimiter ends a word.
    for (char d : std::string("\\. ,()+-/*=<>^!&|\t\r\n")) {
        const std::string line = std::string("ab") + d + "cd";
        EXPECT_EQ(GetWordBeforeCaret(line, 5, false, false), "cd") << int(d);
        EXPECT_EQ(GetDelimiterBeforeCaret(line, 5, false), std::string(1, d)) << int(d);
    }
    // A column past the end of the line reads as its end.
    EXPECT_EQ(GetWordBeforeCaret("abc", 10, false, false), "abc");
    EXPECT_EQ(GetWordBeforeCaret("abc", -3, false, false), "");
}

TEST(Words, DelimiterBeforeCaretIsFirstCharacterWithoutDelimiter)
{
    struct Case {
        std::string marked;
        std::string delimiter;
    };
    const std::vector<Case> cases = {
        {"Print player\\score|", "\\"},
        {"If a=b|", "="},
        {"total|", "t"},
        {"player.|", "."},
        {"Graphics(|", "("},
        {"|total", ""},
        {"Print x|", " "},
    };
    for (const Case& c : cases) {
        const Caret caret = At(c.marked);
        EXPECT_EQ(GetDelimiterBeforeCaret(caret.line, caret.column, false), c.delimiter) << c.marked;
    }
    EXPECT_EQ(GetDelimiterBeforeCaret("", 4, false), "");
}

TEST(Words, SelectionHidesTheWordAndDelimiter)
{
    EXPECT_EQ(GetWordBeforeCaret("player\\score", 12, true, false), "");
    EXPECT_EQ(GetDelimiterBeforeCaret("player\\score", 12, true), "");
    EXPECT_EQ(WordBeforeBackslash("player\\score", 12, true), "");
}

TEST(Words, WordBeforeBackslashUsesNearestBackslashLeftOfCaret)
{
    struct Case {
        std::string marked;
        std::string word;
    };
    const std::vector<Case> cases = {
        {"Print player\\score|", "player"},
        {"p\\x|", "p"},
        {"a\\b\\c|", "b"},
        {"ship$\\|", "ship"},
        {"e\\x|\\y", "e"},
        {"\\x|", ""},
        {"no backslash|", ""},
        {"|p\\x", ""},
    };
    for (const Case& c : cases) {
        const Caret caret = At(c.marked);
        EXPECT_EQ(WordBeforeBackslash(caret.line, caret.column, false), c.word) << c.marked;
    }
}

TEST(Words, StringAndCommentLookOnlyLeftOfCaret)
{
    struct Case {
        std::string marked;
        bool inString;
        bool inComment;
    };
    const std::vector<Case> cases = {
        {"Print \"abc|", true, false},
        {"Print \"abc\" |", false, false},
        {"Print \"a\" + \"b|", true, false},
        {"x = 1 ; note|", false, true},
        {"Print \"a;b|", true, true},
        {"Print \"a;b\" + x|", false, true},
        {"|\"abc\" ;", false, false},
        {"x|;\"", false, false},
        {"x;|", false, true},
    };
    for (const Case& c : cases) {
        const Caret caret = At(c.marked);
        EXPECT_EQ(IsCaretInString(caret.line, caret.column), c.inString) << c.marked;
        EXPECT_EQ(IsCaretInComment(caret.line, caret.column), c.inComment) << c.marked;
    }
}

TEST(Words, NumericWordsContinueNumbers)
{
    for (const char* w : {"3", "42", "3.5", "1e5", "2D3", "-4", " 7 ", "0.", ".5"})
        EXPECT_TRUE(IsNumericWord(w)) << w;
    for (const char* w : {"", "player", "a3", "3a", "1e", "e5", ".", "-", "1.2.3", "x1"})
        EXPECT_FALSE(IsNumericWord(w)) << w;
}

}  // namespace
