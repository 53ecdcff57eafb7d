#pragma once

#include <QByteArray>

#include <cstddef>
#include <string>
#include <vector>

// The protocol's framing: each message is a header block ("Content-Length:
// N", other fields ignored, each line ended by CR LF, the block by an empty
// line) and then N bytes of JSON. A reader takes bytes as they come and
// hands out whole messages; what it cannot read costs it a bounded amount of
// memory and never stops it reading the next message.
namespace lsp {

struct FrameEvent {
    enum Kind {
        Message,    // `body` holds one message
        BadHeader,  // a header block without a usable Content-Length: skipped up to the next one
        TooLarge,   // a message over the limit: its bytes are read and dropped as they come
    } kind = Message;
    QByteArray body;
    std::string detail;  // what was wrong, for the error sent back
};

class FrameReader {
public:
    // A header block longer than this is no header.
    static constexpr std::size_t kMaxHeader = 8192;

    explicit FrameReader(std::size_t maxBody) : m_maxBody(maxBody) {}

    // Appends what the bytes complete to `out`.
    void Feed(const char* data, std::size_t size, std::vector<FrameEvent>& out);

    // Bytes held while a message is incomplete.
    std::size_t Held() const { return std::size_t(m_buffer.size()); }

private:
    void Take(std::vector<FrameEvent>& out);
    // After a bad header: everything up to the next "Content-Length" goes.
    bool Resync();

    std::size_t m_maxBody;
    QByteArray m_buffer;
    qsizetype m_expect = -1;     // the length of the body being read, -1 while reading a header
    std::size_t m_dropping = 0;  // bytes of an oversized body still to drop
    bool m_lost = false;         // looking for the next header
};

// One message framed for sending.
QByteArray Frame(const QByteArray& body);

}  // namespace lsp
