// locale.txt of any content: parsed or refused, never a crash.
#include "startup/LabelsFile.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const LabelsParse parsed = ParseLabels(std::string_view(reinterpret_cast<const char*>(data), size));
        (void)parsed.labels.getValue(QStringLiteral("mnufile"));
    } catch (const std::runtime_error&) {
        // A repeated key or an overlong file: start-up reports these.
    }
    return 0;
}
