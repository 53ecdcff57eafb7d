#pragma once

// What the analysis fuzz targets share: an input cut into a document and up
// to three include files.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// The document and up to three include files, separated by 0xFF 0xFE pairs.
std::vector<std::string_view> SplitParts(std::string_view data)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (parts.size() < 3) {
        const std::size_t sep = data.find("\xFF\xFE", start);
        if (sep == std::string_view::npos)
            break;
        parts.push_back(data.substr(start, sep - start));
        start = sep + 2;
    }
    parts.push_back(data.substr(start));
    return parts;
}

}  // namespace fuzz
