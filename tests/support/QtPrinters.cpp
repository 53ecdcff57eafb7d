#include "support/QtPrinters.h"

#include <cstdio>
#include <ostream>

namespace {

void PrintQuoted(const char* data, qsizetype size, bool escapeBeyondAscii, std::ostream* os)
{
    *os << '"';
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        switch (c) {
        case '\r': *os << "\\r"; break;
        case '\n': *os << "\\n"; break;
        case '\t': *os << "\\t"; break;
        case '"': *os << "\\\""; break;
        case '\\': *os << "\\\\"; break;
        default:
            if (c < 0x20 || c == 0x7F || (c > 0x7F && escapeBeyondAscii)) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                *os << hex;
            } else {
                *os << char(c);
            }
        }
    }
    *os << '"';
}

}  // namespace

void PrintTo(const QString& text, std::ostream* os)
{
    const QByteArray utf8 = text.toUtf8();
    PrintQuoted(utf8.constData(), utf8.size(), false, os);
}

void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    PrintQuoted(bytes.constData(), bytes.size(), true, os);
}
