#include "startup/InstanceMessage.h"

namespace instance {

namespace {

const QByteArray kHeader = QByteArrayLiteral("ovrel-open ");

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
    const qsizetype lineEnd = bytes.indexOf('\n', kHeader.size());
    if (lineEnd < 0)
        return bytes.size() - kHeader.size() > 5 ? Received::Malformed : Received::Partial;
    bool ok = false;
    const qsizetype count = bytes.mid(kHeader.size(), lineEnd - kHeader.size()).toLongLong(&ok);
    if (!ok || count < 0 || count > kMaxDocuments)
        return Received::Malformed;
    documents.clear();
    qsizetype at = lineEnd + 1;
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
