#pragma once

#include <optional>
#include <string>
#include <string_view>

// A source file's bytes as the editor holds them, and back. The editor holds
// UTF-8 whatever the file's encoding: a file that is valid UTF-8 and not
// plain ASCII is UTF-8 (a byte-order mark is kept as its first character),
// any other is Windows-1252 and converted. A trailing CR LF (a trailing LF
// in a file of LF line ends) is the file's own and is not shown; the other
// line ends are held as they are. Back again, the bytes are those the file
// had, so an unedited file is written byte for byte.
struct FileText {
    std::string text;  // UTF-8, as the editor shows it
    bool utf8 = false;
    // Typing ends lines with LF alone: the file has LF line ends and no CR LF.
    bool lfLineEnds = false;
    std::string finalLineEnd;  // "", "\r\n" or "\n"
    std::string byteOrderMark;  // "" or the UTF-8 mark the file began with
};

FileText TextOfFile(std::string_view bytes);

// The bytes of `text` in the file's encoding, after the byte-order mark of a
// UTF-8 file and followed by `finalLineEnd`; nothing when a Windows-1252 file
// cannot hold a character of the text.
std::optional<std::string> FileBytesOf(std::string_view text, bool utf8, std::string_view byteOrderMark,
                                       std::string_view finalLineEnd);
