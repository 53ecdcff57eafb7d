// What a connecting start sends the running program, as the program reads it
// while the bytes arrive: anything is refused or waited for within the size
// limit, a refusal stands whatever follows, and every message a start sends
// is read back whole however it is cut, with the files it named.
#include "FuzzCheck.h"
#include "startup/InstanceMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The places the bytes are cut as they arrive: each of the first few, where
// the header and the count are, then every `step` bytes, and the end.
template <typename Fn>
void EachCut(qsizetype size, qsizetype step, Fn&& each)
{
    for (qsizetype at = 0; at <= size; ++at)
        if (at < 24 || at % step == 0 || at == size)
            if (!each(at))
                return;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype step = 1 + qsizetype(size % 29);

    // The bytes as they come: once refused, refused for good.
    bool refused = false;
    EachCut(bytes.size(), step, [&](qsizetype at) {
        QStringList documents;
        const instance::Received verdict = instance::Decode(bytes.left(at), documents);
        FUZZ_CHECK(!refused || verdict == instance::Received::Malformed);
        refused = verdict == instance::Received::Malformed;
        FUZZ_CHECK(verdict != instance::Received::Whole || documents.size() <= instance::kMaxDocuments);
        return true;
    });

    // The input's NUL-separated pieces as the files of a start.
    const QStringList sent = QString::fromUtf8(bytes).split(QChar(u'\0'));
    const std::optional<QByteArray> message = instance::Encode(sent);
    FUZZ_CHECK(message.has_value() == (sent.size() <= instance::kMaxDocuments));
    if (!message)
        return 0;
    // Waited for until it is whole, then read as sent.
    EachCut(message->size(), step, [&](qsizetype at) {
        QStringList received;
        const instance::Received verdict = instance::Decode(message->left(at), received);
        if (at < message->size()) {
            FUZZ_CHECK(verdict == instance::Received::Partial);
            return true;
        }
        FUZZ_CHECK(verdict == instance::Received::Whole && received == sent);
        return false;
    });
    return 0;
}
