#pragma once

#include <QByteArray>

// What turns a document's text, as the editor holds it (UTF-8), back into its
// file's bytes: kept beside the text wherever the text is kept away from the
// editor, so that it comes back exactly.
struct FileForm {
    // The file is UTF-8; otherwise Windows-1252.
    bool utf8 = false;
    // Enter types LF; otherwise CR LF.
    bool lfLineEnds = false;
    // What followed the text in its file: CR LF, LF or nothing.
    QByteArray finalLineEnd = QByteArrayLiteral("\r\n");
    // The UTF-8 byte-order mark the file began with, or nothing.
    QByteArray byteOrderMark;
    bool operator==(const FileForm&) const = default;
};
