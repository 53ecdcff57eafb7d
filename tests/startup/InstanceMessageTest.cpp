#include "startup/InstanceMessage.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using instance::Received;

TEST(InstanceMessage, ReadWhenWholeWaitedForWhenCutAndRefusedOtherwise)
{
    const QByteArray two = instance::Encode({"/a b/main.bb", QString::fromUtf8("/caf\xC3\xA9\n.bb")}).value();
    const struct {
        QByteArray bytes;
        Received verdict;
        QStringList documents;
    } rows[] = {
        {two, Received::Whole, {"/a b/main.bb", QString::fromUtf8("/caf\xC3\xA9\n.bb")}},
        {instance::Encode({}).value(), Received::Whole, {}},
        {instance::Encode({""}).value(), Received::Whole, {""}},
        {"", Received::Partial, {}},
        {"ovrel-op", Received::Partial, {}},
        {"ovrel-open 12", Received::Partial, {}},
        {two.left(two.size() - 1), Received::Partial, {}},
        {"GET / HTTP/1.0\r\n\r\n", Received::Malformed, {}},
        {"ovrel-open 99999999999\n", Received::Malformed, {}},
        {"ovrel-open 999999", Received::Malformed, {}},
        {"ovrel-open -1\n", Received::Malformed, {}},
        {"ovrel-open 1001\n", Received::Malformed, {}},
        {"ovrel-open x\n", Received::Malformed, {}},
        {"ovrel-open \n", Received::Malformed, {}},
        // A count with more than digits in it was once read as far as it
        // was a number, or not, depending on how the bytes arrived.
        {QByteArray("ovrel-open 1\0x\n/a.bb", 20) + '\0', Received::Malformed, {}},
        {QByteArray("ovrel-open 1\0x", 14), Received::Malformed, {}},
        {QByteArray("ovrel-open  1\n/a.bb") + '\0', Received::Malformed, {}},
        {"ovrel-open 00001", Received::Malformed, {}},
        {QByteArray("ovrel-open 1\n/a.bb") + '\0' + "/b.bb" + '\0', Received::Malformed, {}},
        {"ovrel-open 1\n" + QByteArray(instance::kMaxMessage, 'x'), Received::Malformed, {}},
    };
    for (const auto& row : rows) {
        QStringList documents;
        EXPECT_EQ(instance::Decode(row.bytes, documents), row.verdict) << row.bytes.left(40).toStdString();
        if (row.verdict == Received::Whole) {
            EXPECT_EQ(documents, row.documents);
        }
    }

    // A start with more than the running program takes opens them itself.
    EXPECT_EQ(instance::Encode(QStringList(1001, "/a.bb")), std::nullopt);
    EXPECT_EQ(instance::Encode(QStringList(1000, "/" + QString(1100, 'x'))), std::nullopt);
    EXPECT_EQ(instance::Encode({QStringLiteral("/a") + QChar(u'\0') + "b"}), std::nullopt);
}

}  // namespace
