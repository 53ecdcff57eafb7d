#include "platform/Text.h"

namespace text {

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string_view TrimSpace(std::string_view s)
{
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

char ToLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string ToLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = ToLower(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLower(a[i]) != ToLower(b[i]))
            return false;
    return true;
}

bool HasNonAscii(std::string_view s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return true;
    return false;
}

char32_t DecodeUtf8(const unsigned char* p, const unsigned char* end, int* length)
{
    *length = 0;
    const unsigned char c = *p;
    int extra;
    char32_t cp;
    if ((c & 0xE0) == 0xC0) {
        extra = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (end - p <= extra)
        return 0;
    for (int i = 1; i <= extra; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    // Overlong forms, surrogates and values past the last code point.
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    *length = extra + 1;
    return cp;
}

bool IsValidUtf8(std::string_view s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        DecodeUtf8(p, end, &length);
        if (length == 0)
            return false;
        p += length;
    }
    return true;
}

QString FromBytes(std::string_view s)
{
    if (IsValidUtf8(s))
        return QString::fromUtf8(s.data(), qsizetype(s.size()));
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

std::string ToBytes(const QString& s)
{
    return s.toStdString();
}

std::string_view SkipBom(std::string_view s)
{
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    return s.substr(0, kBom.size()) == kBom ? s.substr(kBom.size()) : s;
}

QString ReplaceAll(QString s, const QString& from, const QString& to)
{
    return s.replace(from, to);
}

}  // namespace text
