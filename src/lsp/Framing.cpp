#include "lsp/Framing.h"

#include <QList>

#include <charconv>

namespace lsp {

namespace {

constexpr char kLengthField[] = "content-length";

// The body's length from a header block, -1 when no line gives a usable one.
long long ContentLength(const QByteArray& header)
{
    long long length = -1;
    for (const QByteArray& rawLine : header.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        if (line.left(colon).trimmed().toLower() != kLengthField)
            continue;
        const QByteArray value = line.mid(colon + 1).trimmed();
        long long n = -1;
        const auto [end, error] = std::from_chars(value.constData(), value.constData() + value.size(), n);
        if (error != std::errc() || end != value.constData() + value.size() || n < 0)
            return -1;
        length = n;
    }
    return length;
}

}  // namespace

void FrameReader::Feed(const char* data, std::size_t size, std::vector<FrameEvent>& out)
{
    if (m_dropping > 0) {
        const std::size_t dropped = std::min(m_dropping, size);
        m_dropping -= dropped;
        data += dropped;
        size -= dropped;
    }
    m_buffer.append(data, qsizetype(size));
    Take(out);
}

bool FrameReader::Resync()
{
    const qsizetype next = m_buffer.toLower().indexOf(kLengthField);
    if (next < 0) {
        // The field's name may be cut at the end.
        m_buffer = m_buffer.right(qsizetype(sizeof kLengthField));
        return false;
    }
    m_buffer.remove(0, next);
    m_lost = false;
    return true;
}

void FrameReader::Take(std::vector<FrameEvent>& out)
{
    while (m_dropping == 0 && (!m_buffer.isEmpty() || m_expect == 0)) {
        if (m_expect >= 0) {
            // The body, once all of it is here: a large one is not searched
            // again with every piece that comes.
            if (m_buffer.size() < m_expect)
                return;
            out.push_back({FrameEvent::Message, m_buffer.left(m_expect), {}});
            m_buffer.remove(0, m_expect);
            m_expect = -1;
            continue;
        }
        if (m_lost && !Resync())
            return;
        const QByteArrayView head(m_buffer.constData(), std::min<qsizetype>(m_buffer.size(), kMaxHeader + 4));
        qsizetype end = head.indexOf("\r\n\r\n");
        qsizetype bodyStart = end + 4;
        if (const qsizetype bare = head.indexOf("\n\n"); bare >= 0 && (end < 0 || bare < end)) {
            end = bare;
            bodyStart = bare + 2;
        }
        if (end < 0) {
            if (std::size_t(m_buffer.size()) > kMaxHeader) {
                out.push_back({FrameEvent::BadHeader, {}, "header block too long"});
                m_buffer.remove(0, 1);
                m_lost = true;
                continue;
            }
            return;
        }
        const long long length = ContentLength(m_buffer.left(end));
        m_buffer.remove(0, bodyStart);
        if (length < 0) {
            out.push_back({FrameEvent::BadHeader, {}, "header without a valid Content-Length"});
            m_lost = true;
            continue;
        }
        if (std::size_t(length) > m_maxBody) {
            out.push_back({FrameEvent::TooLarge, {},
                           "message of " + std::to_string(length) + " bytes, more than the " +
                               std::to_string(m_maxBody) + " taken"});
            const std::size_t dropped = std::min<std::size_t>(std::size_t(m_buffer.size()), std::size_t(length));
            m_buffer.remove(0, qsizetype(dropped));
            m_dropping = std::size_t(length) - dropped;
            continue;
        }
        m_expect = qsizetype(length);
    }
}

QByteArray Frame(const QByteArray& body)
{
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

}  // namespace lsp
