#include "editor/FileText.h"

#include "platform/Text.h"
#include "platform/Windows1252.h"

FileText TextOfFile(std::string_view bytes)
{
    FileText file;
    file.lfLineEnds = bytes.find('\n') != std::string_view::npos && bytes.find("\r\n") == std::string_view::npos;
    if (bytes.ends_with("\r\n"))
        file.finalLineEnd = "\r\n";
    else if (file.lfLineEnds && bytes.ends_with('\n'))
        file.finalLineEnd = "\n";
    bytes.remove_suffix(file.finalLineEnd.size());
    file.utf8 = text::HasNonAscii(bytes) && text::IsValidUtf8(bytes);
    if (file.utf8) {
        const std::string_view rest = text::SkipBom(bytes);
        file.byteOrderMark = std::string(bytes.substr(0, bytes.size() - rest.size()));
        bytes = rest;
    }
    file.text = !file.utf8 && text::HasNonAscii(bytes) ? text::Windows1252ToUtf8(bytes) : std::string(bytes);
    return file;
}

std::optional<std::string> FileBytesOf(std::string_view text, bool utf8, std::string_view byteOrderMark,
                                       std::string_view finalLineEnd)
{
    std::optional<std::string> bytes =
        utf8 ? std::string(byteOrderMark).append(text) : text::Utf8ToWindows1252(text);
    if (bytes)
        bytes->append(finalLineEnd);
    return bytes;
}
