#include "platform/Windows1252.h"

#include "platform/Text.h"

#include <QList>

#include <algorithm>
#include <array>

namespace text {

namespace {

// The characters of bytes 0x80 to 0x9F; the rest of the upper half reads as
// Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CharOf(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

// The byte of a character, or -1 when the code page has none.
int ByteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    const auto it = std::find(kHigh.begin(), kHigh.end(), c);
    return it == kHigh.end() ? -1 : 0x80 + int(it - kHigh.begin());
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool IsAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes)
{
    if (IsAscii(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char b : bytes)
        AppendUtf8(out, CharOf(static_cast<unsigned char>(b)));
    return out;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        if (*p < 0x80) {
            out += char(*p++);
            continue;
        }
        int length = 0;
        const char32_t c = DecodeUtf8(p, end, &length);
        if (length == 0) {
            out += char(*p++);
            continue;
        }
        const int byte = ByteOf(c);
        if (byte < 0)
            return std::nullopt;
        out += char(byte);
        p += length;
    }
    return out;
}

std::string RepairUtf8(std::string_view bytes)
{
    if (IsAscii(bytes) || IsValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        int length = 0;
        if (*p >= 0x80)
            DecodeUtf8(p, end, &length);
        if (length > 0) {
            out.append(reinterpret_cast<const char*>(p), std::size_t(length));
            p += length;
        } else {
            AppendUtf8(out, CharOf(*p++));
        }
    }
    return out;
}

QString Windows1252Lacks(const QString& s)
{
    QString lacking;
    for (const uint c : s.toUcs4()) {
        if (ByteOf(c) >= 0)
            continue;
        const auto ch = char32_t(c);
        const QString one = QString::fromUcs4(&ch, 1);
        if (!lacking.contains(one))
            lacking += one;
    }
    return lacking;
}

}  // namespace text
