#include "support/Declarations.h"

#include "assist/SourceWords.h"
#include "assist/Words.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Words, SourceLinesEndAtCrLfLfOrCr)
{
    const words::SourceLines lines("a\r\n\r\nbc\rd\n\re\r\n");
    std::vector<std::string_view> found;
    for (int l = 0; l <= lines.Count() + 1; ++l)
        found.push_back(lines.Line(l));
    EXPECT_EQ(found, (std::vector<std::string_view>{"", "a", "", "bc", "d", "", "e", "", ""}));
}

TEST(Words, WordAndDelimiterBeforeCaret)
{
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"x = foo$b|", "foob", " "},      {"a.bc|", "bc", "."},        {"Print player\\score|", "score", "\\"},
        {"If a=b|", "b", "="},            {"total|", "total", "t"},    {"Graphics(|", "", "("},
        {"Print x|, y", "x", " "},        {"a$#%|", "a", "a"},         {"|abc", "", ""},
        {"", "", ""},
    };
    for (const auto& [marked, word, delimiter] : cases) {
        const Caret caret = At(marked);
        EXPECT_EQ(GetWordBeforeCaret(caret.line, caret.column, false, false), word) << marked;
        EXPECT_EQ(GetDelimiterBeforeCaret(caret.line, caret.column, false), delimiter) << marked;
        // With a selection there is no word to complete.
        EXPECT_EQ(GetWordBeforeCaret(caret.line, caret.column, true, false) + GetDelimiterBeforeCaret(caret.line, caret.column, true), "");
    }
    // A character just typed is left out; a column past the end reads as the end.
    EXPECT_EQ(GetWordBeforeCaret("n = 3.", 6, false, true), "3");
    EXPECT_EQ(GetWordBeforeCaret("a", 1, false, true), "");
    EXPECT_EQ(GetWordBeforeCaret("abc", 10, false, false), "abc");
}

TEST(Words, WordBeforeNearestBackslash)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Print player\\score|", "player"}, {"a\\b\\c|", "b"}, {"ship$\\|", "ship"},
        {"e\\x|\\y", "e"},                  {"\\x|", ""},      {"no backslash|", ""}, {"|p\\x", ""},
    };
    for (const auto& [marked, word] : cases) {
        const Caret caret = At(marked);
        EXPECT_EQ(WordBeforeBackslash(caret.line, caret.column, false), word) << marked;
    }
}

TEST(Words, StringAndCommentLookOnlyLeftOfCaret)
{
    const std::vector<std::tuple<std::string, bool, bool>> cases = {
        {"Print \"abc|", true, false},  {"Print \"a\" + \"b\" |", false, false}, {"x = 1 ; note|", false, true},
        {"Print \"a;b|", true, true},   {"x|;\"", false, false},                {"|\"", false, false},
    };
    for (const auto& [marked, inString, inComment] : cases) {
        const Caret caret = At(marked);
        EXPECT_EQ(std::pair(IsCaretInString(caret.line, caret.column), IsCaretInComment(caret.line, caret.column)),
                  std::pair(inString, inComment)) << marked;
    }
}

TEST(Words, NumericWordsContinueNumbers)
{
    for (const char* w : {"3", "3.5", "1e5", "2D3", "-4", " 7 ", ".5"})
        EXPECT_TRUE(IsNumericWord(w)) << w;
    for (const char* w : {"", "player", "a3", "3a", "1e", ".", "1.2.3"})
        EXPECT_FALSE(IsNumericWord(w)) << w;
}

}  // namespace
