#include "documents/RecoveryCopy.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

#include <charconv>
#include <string_view>

namespace {

const QByteArray kMagic = QByteArrayLiteral("Ovrel recovery copy 1");

// Paths are bytes on disk and may hold a line end or an "=".
QByteArray Escaped(const QByteArray& bytes)
{
    return bytes.toPercentEncoding("/ ._-()");
}

std::optional<qint64> Number(const QByteArray& text)
{
    qint64 value = 0;
    const auto [end, error] = std::from_chars(text.constData(), text.constData() + text.size(), value);
    if (error != std::errc() || end != text.constData() + text.size() || text.isEmpty())
        return std::nullopt;
    return value;
}

}  // namespace

QByteArray EncodeRecoveryCopy(const RecoveryCopy& copy)
{
    return RecoveryCopyHeader(copy) + copy.text;
}

QByteArray RecoveryCopyHeader(const RecoveryCopy& copy)
{
    const FileForm& form = copy.form;
    const QByteArray finalEnd = form.finalLineEnd == "\r\n" ? "crlf" : form.finalLineEnd == "\n" ? "lf" : "none";
    QByteArray header = kMagic + '\n';
    header += "path=" + Escaped(QFile::encodeName(copy.originalPath)) + '\n';
    header += "title=" + Escaped(copy.title.toUtf8()) + '\n';
    header += "taken=" + copy.taken.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    header += QByteArray("encoding=") + (form.utf8 ? "utf-8" : "windows-1252") + '\n';
    header += QByteArray("line-ends=") + (form.lfLineEnds ? "lf" : "crlf") + '\n';
    header += "final-line-end=" + finalEnd + '\n';
    if (copy.baseSize >= 0)
        header += "base=" + QByteArray::number(copy.baseSize) + ' ' + QByteArray::number(copy.baseModified) + '\n';
    header += "length=" + QByteArray::number(copy.text.size()) + "\n\n";
    return header;
}

std::optional<RecoveryCopy> DecodeRecoveryCopy(const QByteArray& bytes)
{
    const qsizetype headerEnd = bytes.indexOf("\n\n");
    if (headerEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = bytes.left(headerEnd).split('\n');
    if (lines.front() != kMagic)
        return std::nullopt;
    RecoveryCopy copy;
    copy.form.finalLineEnd.clear();
    std::optional<qint64> length;
    bool encoding = false, lineEnds = false, finalEnd = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype eq = lines[i].indexOf('=');
        if (eq < 0)
            return std::nullopt;
        const QByteArray key = lines[i].left(eq), value = lines[i].mid(eq + 1);
        if (key == "path") {
            copy.originalPath = QFile::decodeName(QByteArray::fromPercentEncoding(value));
        } else if (key == "title") {
            copy.title = QString::fromUtf8(QByteArray::fromPercentEncoding(value));
        } else if (key == "taken") {
            copy.taken = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
        } else if (key == "encoding") {
            encoding = value == "utf-8" || value == "windows-1252";
            copy.form.utf8 = value == "utf-8";
        } else if (key == "line-ends") {
            lineEnds = value == "lf" || value == "crlf";
            copy.form.lfLineEnds = value == "lf";
        } else if (key == "final-line-end") {
            finalEnd = value == "crlf" || value == "lf" || value == "none";
            copy.form.finalLineEnd = value == "crlf" ? "\r\n" : value == "lf" ? "\n" : "";
        } else if (key == "base") {
            const QList<QByteArray> parts = value.split(' ');
            const auto size = Number(parts.front()), modified = Number(parts.back());
            if (parts.size() != 2 || !size || !modified || *size < 0)
                return std::nullopt;
            copy.baseSize = *size;
            copy.baseModified = *modified;
        } else if (key == "length") {
            length = Number(value);
        }
        // Other keys are facts this version does not need.
    }
    copy.text = bytes.mid(headerEnd + 2);
    if (!encoding || !lineEnds || !finalEnd || !copy.taken.isValid() || length != copy.text.size())
        return std::nullopt;
    return copy;
}

DiskStamp RestoredDiskStamp(const RecoveryCopy& copy)
{
    const QFileInfo info(copy.originalPath);
    if (copy.originalPath.isEmpty() || !info.isFile())
        return {};
    const bool unchanged = copy.baseSize == info.size() && copy.baseModified == info.lastModified().toMSecsSinceEpoch();
    QFile f(copy.originalPath);
    if (!unchanged || !f.open(QIODevice::ReadOnly))
        return {true, copy.baseSize, QDateTime::fromMSecsSinceEpoch(copy.baseModified), 0};
    return StampOf(copy.originalPath, f.readAll());
}
