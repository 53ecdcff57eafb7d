#include "lsp/Positions.h"

#include <algorithm>

namespace lsp {

namespace {

// The bytes of the character a UTF-8 byte starts; a stray byte counts alone.
std::size_t CharBytes(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return lead < 0xF8 ? 4 : 1;
}

std::uint32_t Units(std::size_t bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8: return std::uint32_t(bytes);
    case Encoding::Utf16: return bytes == 4 ? 2 : 1;
    case Encoding::Utf32: return 1;
    }
    return 1;
}

bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }

// Where the line ending at `i` (a CR or LF) is followed by the next line.
std::size_t AfterLineEnd(const QByteArray& text, std::size_t i)
{
    return text[qsizetype(i)] == '\r' && i + 1 < std::size_t(text.size()) && text[qsizetype(i) + 1] == '\n' ? i + 2
                                                                                                          : i + 1;
}

}  // namespace

std::uint32_t ByteColumn(std::string_view line, std::uint32_t units, Encoding encoding)
{
    std::size_t i = 0;
    std::uint32_t count = 0;
    while (i < line.size() && count < units) {
        const std::size_t n = std::min(CharBytes(static_cast<unsigned char>(line[i])), line.size() - i);
        count += Units(n, encoding);
        if (count > units)
            break;
        i += n;
    }
    return std::uint32_t(i);
}

std::uint32_t UnitColumn(std::string_view line, std::uint32_t bytes, Encoding encoding)
{
    std::size_t i = 0;
    std::uint32_t count = 0;
    const std::size_t end = std::min<std::size_t>(bytes, line.size());
    while (i < end) {
        const std::size_t n = std::min(CharBytes(static_cast<unsigned char>(line[i])), line.size() - i);
        count += Units(n, encoding);
        i += n;
    }
    return count;
}

DocumentText::DocumentText(QByteArray text) : m_text(std::move(text))
{
    m_starts.push_back(0);
    for (std::size_t i = 0; i < std::size_t(m_text.size()); ++i)
        if (IsLineEnd(m_text[qsizetype(i)])) {
            i = AfterLineEnd(m_text, i) - 1;
            m_starts.push_back(std::uint32_t(i + 1));
        }
}

std::size_t DocumentText::LineStartAfter(std::uint32_t row) const
{
    return row + 1 < m_starts.size() ? m_starts[row + 1] : std::size_t(m_text.size());
}

std::string_view DocumentText::Line(std::uint32_t row) const
{
    if (row >= m_starts.size())
        return {};
    std::size_t end = LineStartAfter(row);
    while (end > m_starts[row] && IsLineEnd(m_text[qsizetype(end) - 1]))
        --end;
    return std::string_view(m_text.constData() + m_starts[row], end - m_starts[row]);
}

std::size_t DocumentText::Offset(Position p, Encoding encoding) const
{
    if (p.line >= m_starts.size())
        return std::size_t(m_text.size());
    return m_starts[p.line] + ByteColumn(Line(p.line), p.character, encoding);
}

LineEdit DocumentText::Replace(Position from, Position to, std::string_view text, Encoding encoding)
{
    std::size_t a = Offset(from, encoding), b = Offset(to, encoding);
    if (b < a)
        std::swap(a, b);
    const auto lineOf = [this](std::size_t offset) {
        return std::uint32_t(std::upper_bound(m_starts.begin(), m_starts.end(), offset) - m_starts.begin() - 1);
    };
    std::uint32_t first = lineOf(a);
    const std::uint32_t last = lineOf(b);
    // Text put after a lone CR may make it a CR LF: that line changes too.
    if (first > 0 && a == m_starts[first] && m_text[qsizetype(a) - 1] == '\r')
        --first;
    const std::size_t regionStart = m_starts[first];
    const std::size_t oldEnd = LineStartAfter(last);
    // Only a region that holds the last line may end in a new empty line.
    const bool atEnd = last + 1 == m_starts.size();
    m_text.replace(qsizetype(a), qsizetype(b - a), QByteArrayView(text.data(), qsizetype(text.size())));
    const std::size_t newEnd = oldEnd + text.size() - (b - a);

    std::vector<std::uint32_t> fresh{std::uint32_t(regionStart)};
    for (std::size_t i = regionStart; i < newEnd; ++i)
        if (IsLineEnd(m_text[qsizetype(i)])) {
            i = AfterLineEnd(m_text, i) - 1;
            if (i + 1 < newEnd || atEnd)
                fresh.push_back(std::uint32_t(i + 1));
        }
    const std::uint32_t oldCount = last - first + 1;
    const auto delta = std::int64_t(newEnd) - std::int64_t(oldEnd);
    for (std::size_t r = last + 1; r < m_starts.size(); ++r)
        m_starts[r] = std::uint32_t(std::int64_t(m_starts[r]) + delta);
    m_starts.erase(m_starts.begin() + first, m_starts.begin() + first + oldCount);
    m_starts.insert(m_starts.begin() + first, fresh.begin(), fresh.end());
    return {first, oldCount, std::uint32_t(fresh.size()), regionStart, newEnd - regionStart};
}

}  // namespace lsp
