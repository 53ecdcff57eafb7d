#include "debugger/wire/Message.h"

#include <charconv>

namespace wire {

void AppendField(std::string& line, std::string_view field, bool first)
{
    if (!first)
        line += '\t';
    for (const char c : field) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c;
        }
    }
}

std::string Encode(const Fields& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        AppendField(line, fields[i], i == 0);
    line += '\n';
    return line;
}

bool Reader::Feed(std::string_view bytes)
{
    while (!m_broken && !bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::string_view piece = bytes.substr(0, end);
        if (m_line.size() + piece.size() > kMaxMessage) {
            m_broken = true;
            break;
        }
        m_line.append(piece);
        if (end == std::string_view::npos)
            break;
        bytes.remove_prefix(end + 1);
        if (!finishLine())
            m_broken = true;
    }
    return !m_broken;
}

bool Reader::finishLine()
{
    Fields fields(1);
    for (std::size_t i = 0; i < m_line.size(); ++i) {
        const char c = m_line[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c != '\\') {
            fields.back() += c;
        } else if (++i < m_line.size()) {
            switch (m_line[i]) {
            case '\\': fields.back() += '\\'; break;
            case 't': fields.back() += '\t'; break;
            case 'n': fields.back() += '\n'; break;
            case 'r': fields.back() += '\r'; break;
            default: return false;
            }
        } else {
            return false;
        }
    }
    m_line.clear();
    m_done.push_back(std::move(fields));
    return true;
}

std::vector<Fields> Reader::Take()
{
    std::vector<Fields> done;
    done.swap(m_done);
    return done;
}

long long ToInt(std::string_view field, long long fallback)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    return error == std::errc() && end == field.data() + field.size() ? value : fallback;
}

}  // namespace wire
