#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// What a later start sends the running program: the files to open. The
// message is the header, the number of files and a line end, then each path
// in UTF-8 ended by a NUL (a path may hold any other character). It arrives
// in pieces of any size, from anything that may connect.
namespace instance {

// More is never read: a message this long is refused.
inline constexpr qsizetype kMaxMessage = 1 << 20;
// A file manager opening a selection starts once for each file, all at once.
inline constexpr qsizetype kMaxDocuments = 1000;

// The message for `documents`; nothing when it would be refused (too many
// files, too long, or a path holding a NUL), and the start then opens the
// files itself.
std::optional<QByteArray> Encode(const QStringList& documents);

// How far the bytes received so far go: the start of a message (wait for
// more), a whole message (`documents` set), or something no start sends
// (drop it). Bytes that are refused stay refused however many more follow.
enum class Received { Partial, Malformed, Whole };
Received Decode(const QByteArray& bytes, QStringList& documents);

}  // namespace instance
