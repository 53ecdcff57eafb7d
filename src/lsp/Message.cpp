#include "lsp/Message.h"

#include <QJsonDocument>

namespace lsp {

namespace {

// What stands in the parsed JSON for the long string number N: a NUL and N.
// A NUL opens no string a client writes for us to read as text.
QByteArray Placeholder(std::size_t n) { return "\"\\u0000" + QByteArray::number(qulonglong(n)) + '"'; }

int Hex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

void AppendUtf8(QByteArray& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The string written in [begin, end) (between its quotes), unescaped; nullopt
// for what JSON does not allow, which the parser is then left to report.
std::optional<QByteArray> Unescape(const char* begin, const char* end)
{
    // Escapes are ASCII: the string as written must be UTF-8 already.
    if (!QByteArrayView(begin, end - begin).isValidUtf8())
        return std::nullopt;
    QByteArray out;
    out.reserve(end - begin);
    for (const char* p = begin; p < end;) {
        const char* run = p;
        while (p < end && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20)
            ++p;
        out.append(run, p - run);
        if (p == end)
            break;
        if (*p != '\\' || p + 1 == end)
            return std::nullopt;
        const char e = p[1];
        p += 2;
        switch (e) {
        case '"': out += '"'; continue;
        case '\\': out += '\\'; continue;
        case '/': out += '/'; continue;
        case 'b': out += '\b'; continue;
        case 'f': out += '\f'; continue;
        case 'n': out += '\n'; continue;
        case 'r': out += '\r'; continue;
        case 't': out += '\t'; continue;
        case 'u': break;
        default: return std::nullopt;
        }
        const auto unit = [&](const char* at) -> int {
            if (end - at < 4)
                return -1;
            int v = 0;
            for (int i = 0; i < 4; ++i) {
                const int h = Hex(at[i]);
                if (h < 0)
                    return -1;
                v = v * 16 + h;
            }
            return v;
        };
        const int u = unit(p);
        if (u < 0)
            return std::nullopt;
        p += 4;
        char32_t c = char32_t(u);
        if (u >= 0xD800 && u < 0xDC00 && end - p >= 6 && p[0] == '\\' && p[1] == 'u') {
            const int low = unit(p + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00);
                p += 6;
            }
        }
        // Half a pair reads as Qt's conversions read it.
        AppendUtf8(out, c >= 0xD800 && c < 0xE000 ? char32_t('?') : c);
    }
    return out;
}

}  // namespace

std::optional<Message> Message::Decode(const QByteArray& body, QJsonParseError* error)
{
    Message m;
    QByteArray rest;
    const char* const data = body.constData();
    const char* copied = data;
    const char* const end = data + body.size();
    for (const char* p = data; p < end; ++p) {
        if (*p != '"')
            continue;
        const char* close = p + 1;
        while (close < end && *close != '"')
            close += *close == '\\' ? 2 : 1;
        if (close >= end)
            break;
        if (close - p - 1 >= kLongString) {
            if (std::optional<QByteArray> text = Unescape(p + 1, close)) {
                rest.append(copied, p - copied);
                rest += Placeholder(m.m_long.size());
                m.m_long.push_back(std::move(*text));
                copied = close + 1;
            }
        }
        p = close;
    }
    if (!m.m_long.empty())
        rest.append(copied, end - copied);
    const QJsonDocument doc = QJsonDocument::fromJson(m.m_long.empty() ? body : rest, error);
    if (error->error != QJsonParseError::NoError)
        return std::nullopt;
    m.m_isObject = doc.isObject();
    m.m_object = doc.object();
    return m;
}

QByteArray Message::Text(const QJsonValue& value) const
{
    const QString s = value.toString();
    if (s.size() > 1 && s.front() == QChar(0)) {
        bool ok = false;
        const qulonglong n = QStringView(s).mid(1).toULongLong(&ok);
        if (ok && n < m_long.size())
            return m_long[n];
    }
    return s.toUtf8();
}

}  // namespace lsp
