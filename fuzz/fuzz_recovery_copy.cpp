// A recovery copy file of any content: read or refused, never a crash; one
// that is read is written back to the same bytes' meaning.
#include "documents/RecoveryCopy.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(input);
    if (!copy)
        return 0;
    const std::optional<RecoveryCopy> again = DecodeRecoveryCopy(EncodeRecoveryCopy(*copy));
    if (!again || *again != *copy)
        std::abort();
    return 0;
}
