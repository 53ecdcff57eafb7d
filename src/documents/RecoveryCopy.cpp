#include "documents/RecoveryCopy.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <charconv>
#include <iterator>
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
    if (!form.byteOrderMark.isEmpty())
        header += "byte-order-mark=utf-8\n";
    if (const std::optional<FileStamp>& base = copy.base) {
        header += "base=" + QByteArray::number(base->size) + ' ' + QByteArray::number(base->modified) + ' '
                  + QByteArray::number(base->changed) + ' ' + QByteArray::number(base->device) + ' '
                  + QByteArray::number(base->inode) + '\n';
    }
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
        } else if (key == "byte-order-mark") {
            copy.form.byteOrderMark = value == "utf-8" ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
        } else if (key == "base") {
            const QList<QByteArray> parts = value.split(' ');
            std::optional<qint64> numbers[5];
            for (qsizetype n = 0; n < parts.size() && n < 5; ++n)
                numbers[n] = Number(parts[n]);
            if (parts.size() != 5 || !std::all_of(std::begin(numbers), std::end(numbers), [](auto n) { return n; }))
                return std::nullopt;
            copy.base = FileStamp{*numbers[0], *numbers[1], *numbers[2], quint64(*numbers[3]), quint64(*numbers[4])};
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
    const std::optional<FileStatus> status = StatusOf(copy.originalPath);
    if (!status)
        return {};
    QFile f;
    if (copy.base && status->stamp == *copy.base && OpenRegularFile(f, copy.originalPath))
        return StampOf(status, f.readAll());
    // No hash matches this one, so the file counts as changed.
    return {true, copy.base.value_or(FileStamp{-1}), 0};
}
