#include "lsp/Framing.h"
#include "lsp/Message.h"
#include "lsp/Positions.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using lsp::Encoding;
using lsp::FrameEvent;

// What a stream of bytes yields, fed `chunk` bytes at a time, as text:
// "M:body" for a message, "H" for a bad header, "L" for one too large.
std::string Read(const std::string& stream, std::size_t chunk, std::size_t maxBody = 64)
{
    lsp::FrameReader reader(maxBody);
    std::vector<FrameEvent> events;
    for (std::size_t i = 0; i < stream.size(); i += chunk)
        reader.Feed(stream.data() + i, std::min(chunk, stream.size() - i), events);
    std::string out;
    for (const FrameEvent& e : events)
        out += e.kind == FrameEvent::Message ? "M:" + e.body.toStdString() + " " : e.kind == FrameEvent::BadHeader ? "H " : "L ";
    return out;
}

}  // namespace

// Messages come whole however the bytes are cut, and a broken header or an
// oversized body costs that message only: the next one is read.
TEST(FramingTest, MessagesAndRecovery)
{
    const std::string ok = "Content-Length: 2\r\n\r\n{}";
    const struct {
        std::string stream, expected;
    } rows[] = {
        {ok + ok, "M:{} M:{} "},
        {"Content-Type: x\r\ncontent-length:  3 \r\n\r\n[1]", "M:[1] "},
        {"Content-Length: 0\r\n\r\n" + ok, "M: M:{} "},
        {"Content-Lenght: 2\r\n\r\n{}" + ok, "H M:{} "},
        {"Content-Length: -4\r\n\r\n" + ok, "H M:{} "},
        {"Content-Length: 4x\r\n\r\n{}" + ok, "H M:{} "},
        {"garbage without a header end " + std::string(9000, 'z') + ok, "H M:{} "},
        {"Content-Length: 100\r\n\r\n" + std::string(100, 'x') + ok, "L M:{} "},
        {"Content-Length: 99999999999999999999\r\n\r\n" + ok, "H M:{} "},
        {"Content-Length: 2\r\n\r\n{", ""},
    };
    for (const auto& row : rows)
        for (const std::size_t chunk : {std::size_t(1), std::size_t(7), row.stream.size()})
            EXPECT_EQ(Read(row.stream, chunk), row.expected) << row.stream.substr(0, 40) << " in pieces of " << chunk;
}

// Columns in each encoding against the bytes of UTF-8: "aé€😀b" is a,
// two bytes, three, four, b.
TEST(PositionsTest, ColumnsInEachEncoding)
{
    const std::string line = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80" "b";
    const struct {
        Encoding encoding;
        std::vector<std::uint32_t> units;  // before a, é, €, 😀, b, and at the end
    } rows[] = {
        {Encoding::Utf8, {0, 1, 3, 6, 10, 11}},
        {Encoding::Utf16, {0, 1, 2, 3, 5, 6}},
        {Encoding::Utf32, {0, 1, 2, 3, 4, 5}},
    };
    const std::uint32_t bytes[] = {0, 1, 3, 6, 10, 11};
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < row.units.size(); ++i) {
            EXPECT_EQ(lsp::UnitColumn(line, bytes[i], row.encoding), row.units[i]) << i;
            EXPECT_EQ(lsp::ByteColumn(line, row.units[i], row.encoding), bytes[i]) << i;
        }
        EXPECT_EQ(lsp::ByteColumn(line, 99, row.encoding), 11u);
    }
    // Half of a surrogate pair, or inside a UTF-8 sequence: the character's start.
    EXPECT_EQ(lsp::ByteColumn(line, 4, Encoding::Utf16), 6u);
    EXPECT_EQ(lsp::ByteColumn(line, 2, Encoding::Utf8), 1u);
}

// An edit of a document becomes the lines the model takes, and the text and
// its lines are what the client holds after it.
TEST(PositionsTest, EditsBecomeLineEdits)
{
    const struct {
        std::string before;
        lsp::Position from, to;
        std::string text, after;
        std::uint32_t first, oldCount, newCount;
        std::string lines;  // the new lines given to the model
    } rows[] = {
        {"ab\r\ncd\r\nef", {1, 1}, {1, 1}, "X", "ab\r\ncXd\r\nef", 1, 1, 1, "cXd\r\n"},
        {"ab\r\ncd\r\nef", {0, 1}, {2, 1}, "", "af", 0, 3, 1, "af"},
        {"ab\ncd", {0, 2}, {0, 2}, "\n\n", "ab\n\n\ncd", 0, 1, 3, "ab\n\n\n"},
        {"ab", {0, 2}, {0, 2}, "\r\n", "ab\r\n", 0, 1, 2, "ab\r\n"},
        {"ab\rcd", {1, 0}, {1, 0}, "\n", "ab\r\ncd", 0, 2, 2, "ab\r\ncd"},
        {"ab\ncd", {9, 9}, {9, 9}, "!", "ab\ncd!", 1, 1, 1, "cd!"},
        {"ab\ncd", {1, 1}, {0, 1}, "", "ad", 0, 2, 1, "ad"},
        {"ab\r\n", {0, 1}, {0, 2}, "", "a\r\n", 0, 1, 1, "a\r\n"},
    };
    for (const auto& row : rows) {
        lsp::DocumentText doc(QByteArray::fromStdString(row.before));
        const lsp::LineEdit edit = doc.Replace(row.from, row.to, row.text, Encoding::Utf16);
        EXPECT_EQ(doc.Text().toStdString(), row.after) << row.before;
        EXPECT_EQ(std::tie(edit.first, edit.oldCount, edit.newCount), std::tie(row.first, row.oldCount, row.newCount))
            << row.before;
        EXPECT_EQ(std::string(doc.Lines(edit)), row.lines) << row.before;
        const lsp::DocumentText fresh(doc.Text());
        ASSERT_EQ(doc.LineCount(), fresh.LineCount()) << row.before;
        for (std::uint32_t i = 0; i < fresh.LineCount(); ++i)
            EXPECT_EQ(doc.Line(i), fresh.Line(i)) << row.before << " line " << i;
    }
}

// A document's text is unescaped by hand when long: it must come out as
// Qt's parser reads a short one, escapes, surrogate pairs and all, and what
// the parser refuses is refused.
TEST(MessageTest, LongStringsReadAsTheParserReadsThem)
{
    const char* pieces[] = {
        R"(plain text; with \"quotes\" inside\r\n)",
        R"(\"\\\/\b\f\n\r\t)",
        R"(\u00e9\u20ac\ud83d\ude00 caf\u00E9)",
        R"(lone \ud83d surrogate \ude00 halves)",
        "raw UTF-8 \xc3\xa9\xf0\x9f\x98\x80",
        R"(odd \x escape)",
        R"(cut \u12)",
        "control \x01 char",
        "not UTF-8 \xeb\xeb",
    };
    for (const char* piece : pieces) {
        for (const int times : {1, 400}) {
            const QByteArray body = R"({"params":{"text":")" + QByteArray(piece).repeated(times) + R"(","n":1}})";
            QJsonParseError error, qtError;
            const std::optional<lsp::Message> m = lsp::Message::Decode(body, &error);
            const QJsonObject expected = QJsonDocument::fromJson(body, &qtError).object();
            ASSERT_EQ(bool(m), qtError.error == QJsonParseError::NoError) << piece << " x" << times;
            if (!m)
                continue;
            EXPECT_TRUE(m->Text(m->Object()["params"]["text"]) == expected["params"]["text"].toString().toUtf8())
                << piece << " x" << times;
            EXPECT_EQ(m->Object()["params"]["n"], 1);
        }
    }
}
