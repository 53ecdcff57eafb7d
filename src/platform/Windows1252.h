#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

// Blitz3D sources are written in Windows-1252. The editor holds every text as
// UTF-8, so an 8-bit file is converted on the way in and back on the way out.
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// are read as the control characters of the same number, as Windows reads
// them, so that every byte of a file comes back unchanged.
namespace text {

std::string Windows1252ToUtf8(std::string_view bytes);

// The Windows-1252 bytes for UTF-8 text; nothing when the text holds a
// character the code page has no byte for. A byte that is not part of valid
// UTF-8 stands for itself.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8);

// Text as UTF-8 whatever it holds: a byte that is not part of valid UTF-8
// (text read raw from a Windows-1252 file) is read as Windows-1252.
std::string RepairUtf8(std::string_view bytes);

// The characters of `s` that Windows-1252 cannot hold, each once, in order.
QString Windows1252Lacks(const QString& s);

}  // namespace text
