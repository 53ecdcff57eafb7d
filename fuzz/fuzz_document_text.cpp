// A document's file opened and saved again without an edit: whatever its
// bytes (any encoding, byte-order mark, mix of line ends, binary), the editor
// holds valid UTF-8 and the save writes the very bytes that were read.
#include "editor/FileText.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const FileText file = TextOfFile(bytes);
    if (!text::IsValidUtf8(file.text))
        std::abort();
    if (file.finalLineEnd != "" && file.finalLineEnd != "\r\n" && file.finalLineEnd != "\n")
        std::abort();
    if (FileBytesOf(file.text, file.utf8, file.byteOrderMark, file.finalLineEnd) != bytes)
        std::abort();
    return 0;
}
