#include "editing/BlockText.h"

#include <gtest/gtest.h>

namespace {

TEST(BlockText, CommentAndUncommentEveryLineKeepingLineEnds)
{
    const struct {
        std::string_view lines, commented, uncommented;
    } rows[] = {
        {"", ";", ""}, {"Print 1", ";Print 1", "Print 1"}, {";; twice", ";;; twice", "; twice"},
        {"\t  ; note", ";\t  ; note", "\t   note"},
        {"x = 1 ; not first", ";x = 1 ; not first", "x = 1 ; not first"},
        {"a\r\n\r\n\tb", ";a\r\n;\r\n;\tb", "a\r\n\r\n\tb"},
        {"a\nb\rc", ";a\n;b\r;c", "a\nb\rc"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(block::CommentLines(r.lines), r.commented) << r.lines;
        EXPECT_EQ(block::UncommentLines(r.lines), r.uncommented) << r.lines;
        EXPECT_EQ(block::UncommentLines(block::CommentLines(r.lines)), r.lines) << r.lines;
    }
}

TEST(BlockText, IndentsInTheDocumentsOwnStyle)
{
    const struct {
        std::string_view lines, document, unit;
    } rows[] = {
        {"a\r\n\tb", "", "\t"}, {"a\r\n  b", "", "   "},
        {"  a\r\n\tb", "", "\t"},       // any tab makes it tabs
        {"a\r\nb", "x\r\n    y", "   "},  // nothing indented here: the document says
        {"a\r\nb", "x\r\n\ty", "\t"},
        {"a\r\n   \r\nb", "x", "\t"},  // blank lines tell nothing; tabs by default
    };
    for (const auto& r : rows)
        EXPECT_EQ(block::IndentUnit(r.lines, r.document, 3), r.unit) << r.lines;

    EXPECT_EQ(block::IndentLines("If a\r\n\r\n\tb\r\n", "\t"), "\tIf a\r\n\r\n\t\tb\r\n");
    const struct {
        std::string_view lines, unindented;
    } out[] = {
        {"\tIf a\r\n\t\tb\r\nc", "If a\r\n\tb\r\nc"},
        {"      a\r\n  b\r\n", "   a\r\nb\r\n"},
        {" \tx", "x"}, {"\t x", " x"},  // a blank before a tab is one level with it
    };
    for (const auto& r : out)
        EXPECT_EQ(block::UnindentLines(r.lines, 3), r.unindented) << r.lines;
}

}  // namespace
