// Searching and the block commands over any bytes: matches stay inside their
// range, a replacement changes nothing but its matches, and commenting then
// uncommenting gives the lines back.
#include "editing/BlockText.h"
#include "editing/TextSearch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const search::Options options{(data[0] & 1) != 0};
    const std::size_t patternSize = std::min<std::size_t>(data[1] % 8, size - 2);
    const std::string_view what(reinterpret_cast<const char*>(data + 2), patternSize);
    const std::string_view text(reinterpret_cast<const char*>(data + 2 + patternSize), size - 2 - patternSize);
    const std::size_t from = text.empty() ? 0 : data[0] % text.size();

    const auto forward = search::FindForward(text, what, from, text.size(), options);
    const auto backward = search::FindBackward(text, what, from, text.size(), options);
    if (forward.has_value() != backward.has_value())
        std::abort();
    for (const auto& m : {forward, backward}) {
        const std::string_view found = m ? text.substr(m->start, m->end - m->start) : std::string_view();
        if (m && (m->start < from || m->end > text.size() || m->start >= m->end ||
                  search::FindForward(found, what, 0, found.size(), options) != search::Match{0, found.size()}))
            std::abort();
    }
    const auto edit = search::ReplaceAll(text, what, "<>", from, text.size(), options);
    if ((edit.count > 0) != forward.has_value() || (forward && edit.start != forward->start))
        std::abort();

    if (block::UncommentLines(block::CommentLines(text)) != text)
        std::abort();
    (void)block::UnindentLines(block::IndentLines(text, block::IndentUnit(text, text, data[1] % 9)), data[1] % 9);
    return 0;
}
