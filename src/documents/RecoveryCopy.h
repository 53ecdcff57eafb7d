#pragma once

#include "documents/DocumentFiles.h"
#include "editor/FileForm.h"
#include "platform/FileStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// A modified document's text kept in the user's state folder until it is
// saved or closed, so that a crash, a kill or a logout does not take it: what
// the next start needs to offer it and to give the text back exactly.
struct RecoveryCopy {
    // The document's file; empty for a new document never saved.
    QString originalPath;
    // The name its tab showed.
    QString title;
    // When the text was taken.
    QDateTime taken;
    FileForm form;
    // As the editor holds it (UTF-8); `form` makes it the file's bytes.
    QByteArray text;
    // The version of the file the text was read from or last saved as; none
    // when the document had none.
    std::optional<FileStamp> base;
    bool operator==(const RecoveryCopy&) const = default;
};

// The file's bytes: a short text header ending with an empty line, then the
// text as it is.
QByteArray EncodeRecoveryCopy(const RecoveryCopy& copy);
// The header alone, to write the text after it without copying it.
QByteArray RecoveryCopyHeader(const RecoveryCopy& copy);
// Nothing for bytes that are not a whole copy of this version: a copy cut
// short, or written by a later version, is left for a program that can read
// it.
std::optional<RecoveryCopy> DecodeRecoveryCopy(const QByteArray& bytes);

// The version on disk a document restored from `copy` holds: that of the
// file now when the file is still the one the text was based on, so a save
// writes without asking; otherwise one that makes a save ask first, since
// another program changed the file in between.
DiskStamp RestoredDiskStamp(const RecoveryCopy& copy);
