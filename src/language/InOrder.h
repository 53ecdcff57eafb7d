#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace lang {

inline constexpr std::size_t kUnmatched = static_cast<std::size_t>(-1);

// Pairs the items of a list made before with those of the list now, in
// order, so that what was made for an old item (its text, its row of a
// view) can serve its twin: a check after one key changes a few problems
// of thousands, here and there, and the rest stay in the same order.
// `key` hashes what `same` compares. For each item now, the index of its
// twin before, or kUnmatched. Linear in the two lists: after a difference
// it looks a few items ahead on either side, and failing that it finds the
// next twin further on by its key, taken only where the item after it
// matches too.
template <typename Old, typename New, typename Key, typename Same>
std::vector<std::size_t> MatchInOrder(const std::vector<Old>& was, const std::vector<New>& now, Key key, Same same)
{
    constexpr std::size_t kWindow = 8;
    std::vector<std::size_t> match(now.size(), kUnmatched);
    std::vector<std::pair<std::uint64_t, std::size_t>> at;  // by key, made at the first long jump
    std::size_t i = 0, j = 0;
    const auto twins = [&](std::size_t a, std::size_t b) {
        return a < was.size() && b < now.size() && same(was[a], now[b]);
    };
    while (i < was.size() && j < now.size()) {
        if (twins(i, j)) {
            match[j++] = i++;
            continue;
        }
        bool found = false;
        for (std::size_t d = 1; d <= kWindow && !found; ++d) {
            for (std::size_t a = 0; a <= d && !found; ++a) {
                if (twins(i + a, j + d - a)) {
                    i += a;
                    j += d - a;
                    found = true;
                }
            }
        }
        if (found)
            continue;
        if (at.empty()) {
            at.reserve(was.size());
            for (std::size_t k = 0; k < was.size(); ++k)
                at.emplace_back(key(was[k]), k);
            std::sort(at.begin(), at.end());
        }
        const std::uint64_t wanted = key(now[j]);
        const auto next = std::lower_bound(at.begin(), at.end(), std::pair{wanted, i});
        if (next != at.end() && next->first == wanted && twins(next->second, j) &&
            (j + 1 == now.size() || twins(next->second + 1, j + 1))) {
            i = next->second;
            continue;
        }
        ++j;  // new: the old items wait for their twins further on
    }
    return match;
}

}  // namespace lang
