#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, TellsUtf8FromEightBitText)
{
    EXPECT_TRUE(text::IsValidUtf8("plain ascii"));
    EXPECT_TRUE(text::IsValidUtf8("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAE"));
    EXPECT_FALSE(text::IsValidUtf8("caf\xE9"));          // Latin-1 e acute
    EXPECT_FALSE(text::IsValidUtf8("\xC3"));             // cut short
    EXPECT_FALSE(text::IsValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(text::IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_EQ(text::FromBytes("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_EQ(text::FromBytes("\xA3"), QString(QChar(0xA3)));
}

}  // namespace
