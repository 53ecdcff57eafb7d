#include "startup/InstanceMessage.h"

namespace instance {

namespace {

const QByteArray kHeader = QByteArrayLiteral("ovrel-open ");
// The most digits a count of at most kMaxDocuments takes.
constexpr qsizetype kCountDigits = 4;

}  // namespace

std::optional<QByteArray> Encode(const QStringList& documents)
{
    if (documents.size() > kMaxDocuments)
        return std::nullopt;
    QByteArray bytes = kHeader + QByteArray::number(documents.size()) + '\n';
    for (const QString& path : documents) {
        if (path.contains(QChar(u'\0')))
            return std::nullopt;
        bytes += path.toUtf8();
        bytes += '\0';
        if (bytes.size() > kMaxMessage)
            return std::nullopt;
    }
    return bytes;
}

Received Decode(const QByteArray& bytes, QStringList& documents)
{
    if (bytes.size() > kMaxMessage)
        return Received::Malformed;
    if (!bytes.startsWith(kHeader))
        return kHeader.startsWith(bytes) ? Received::Partial : Received::Malformed;
    // The count is digits alone: whatever else stands there is refused as
    // soon as it arrives, never read as a number in part.
    qsizetype count = 0;
    qsizetype at = kHeader.size();
    for (; at < bytes.size() && bytes[at] != '\n'; ++at) {
        if (bytes[at] < '0' || bytes[at] > '9' || at - kHeader.size() >= kCountDigits)
            return Received::Malformed;
        count = count * 10 + (bytes[at] - '0');
    }
    if (at == bytes.size())
        return Received::Partial;
    if (at == kHeader.size() || count > kMaxDocuments)
        return Received::Malformed;
    documents.clear();
    ++at;
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype end = bytes.indexOf('\0', at);
        if (end < 0)
            return Received::Partial;
        documents += QString::fromUtf8(bytes.mid(at, end - at));
        at = end + 1;
    }
    return at == bytes.size() ? Received::Whole : Received::Malformed;
}

}  // namespace instance
