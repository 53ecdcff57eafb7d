#include "debugger/wire/Message.h"

#include <gtest/gtest.h>

using wire::Fields;

TEST(WireMessage, AnyTextSurvivesTheTripWhateverPiecesItArrivesIn)
{
    const std::vector<Fields> sent = {
        {"log", "plain"},
        {"log", "tab\there, line\r\nend, back\\slash, \\t not an escape"},
        {"stopped", "step", "2", "<main program>", "/home/me/game.bb", "3", "1"},
        {"error", ""},
        {""},
    };
    std::string stream;
    for (const Fields& f : sent)
        stream += wire::Encode(f);
    for (const std::size_t piece : {std::size_t(1), std::size_t(7), stream.size()}) {
        wire::Reader reader;
        std::vector<Fields> got;
        for (std::size_t at = 0; at < stream.size(); at += piece) {
            ASSERT_TRUE(reader.Feed(std::string_view(stream).substr(at, piece)));
            for (Fields& f : reader.Take())
                got.push_back(std::move(f));
        }
        EXPECT_EQ(got, sent) << "pieces of " << piece;
    }
}

TEST(WireMessage, ABrokenStreamIsGivenUpOn)
{
    struct Row {
        std::string bytes;
        const char* why;
    };
    const Row rows[] = {
        {"log\tbad \\x escape\n", "an escape that means nothing"},
        {"log\tends in a backslash\\\n", "a lone backslash"},
        {std::string(wire::kMaxMessage + 1, 'a'), "a line past the limit, even before its end"},
    };
    for (const Row& row : rows) {
        wire::Reader reader;
        EXPECT_FALSE(reader.Feed(row.bytes)) << row.why;
        EXPECT_FALSE(reader.Feed("log\tafter\n")) << row.why;
        EXPECT_TRUE(reader.Take().empty()) << row.why;
    }
}
