#include "platform/Text.h"
#include "platform/Windows1252.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, TellsUtf8FromEightBitText)
{
    for (const char* utf8 : {"plain ascii", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAE"})
        EXPECT_TRUE(text::IsValidUtf8(utf8)) << utf8;
    // Latin-1 e acute, cut short, overlong, a surrogate.
    for (const char* other : {"caf\xE9", "\xC3", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_FALSE(text::IsValidUtf8(other)) << other;
    EXPECT_EQ(text::FromBytes("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(text::FromBytes("\xA3"), QString(QChar(0xA3)));
}

TEST(Text, Windows1252SurvivesTheEditorsUtf8ByteForByte)
{
    std::string every;
    for (int b = 0; b < 256; ++b)
        every += char(b);
    const std::string utf8 = text::Windows1252ToUtf8(every);
    EXPECT_TRUE(text::IsValidUtf8(utf8));
    EXPECT_EQ(text::Utf8ToWindows1252(utf8), every);

    EXPECT_EQ(text::Windows1252ToUtf8("caf\xE9 \x80 \x93q\x94 \x81"), "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xC2\x81");
    EXPECT_EQ(text::Utf8ToWindows1252("\xC3\xA9\xE2\x82\xAC"), "\xE9\x80");
    EXPECT_EQ(text::Utf8ToWindows1252("a\xFF\xC3"), "a\xFF\xC3") << "bytes that are no UTF-8 stand for themselves";
    EXPECT_EQ(text::Utf8ToWindows1252("ok \xE2\x9C\x93"), std::nullopt);
    EXPECT_EQ(text::Utf8ToWindows1252("\xC2\x80"), std::nullopt) << "U+0080 is not the euro's byte";
    EXPECT_EQ(text::Windows1252Lacks(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC \xE2\x9C\x93\xCF\x89\xE2\x9C\x93")),
              QString::fromUtf8("\xE2\x9C\x93\xCF\x89"));
}

}  // namespace
