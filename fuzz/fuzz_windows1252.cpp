// A source file's bytes on their way into the editor as Windows-1252 and
// back: any bytes come back unchanged, and any text the editor may hold is
// either converted or refused, never cut.
#include "platform/Text.h"
#include "platform/Windows1252.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = text::Windows1252ToUtf8(bytes);
    if (!text::IsValidUtf8(utf8) || text::Utf8ToWindows1252(utf8) != bytes)
        std::abort();

    if (const std::optional<std::string> back = text::Utf8ToWindows1252(bytes)) {
        if (back->size() > bytes.size())
            std::abort();
    } else if (text::Windows1252Lacks(QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))).isEmpty()) {
        std::abort();
    }
    return 0;
}
