#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Finding and replacing text in a document's UTF-8 bytes: matches are byte
// ranges of the text and nothing outside a replaced match is touched.
namespace search {

struct Options {
    // Without it, letters compare by their Unicode case folding.
    bool matchCase = false;
};

// A match: byte offsets, `start` inclusive, `end` exclusive.
struct Match {
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const Match&) const = default;
};

// The first match of `what` lying wholly within [from, to) of `text`. An
// empty `what` never matches.
std::optional<Match> FindForward(std::string_view text, std::string_view what, std::size_t from, std::size_t to,
                                 const Options& options);
// The last such match.
std::optional<Match> FindBackward(std::string_view text, std::string_view what, std::size_t from, std::size_t to,
                                  const Options& options);

// Every match in [from, to), taken left to right without overlap and each
// replaced once, as one edit: the bytes from the first match's start to the
// last match's end become `replacement`. `count` is 0 when nothing matched.
struct Replacement {
    int count = 0;
    std::size_t start = 0;
    std::size_t end = 0;
    std::string replacement;
};
Replacement ReplaceAll(std::string_view text, std::string_view what, std::string_view with, std::size_t from,
                       std::size_t to, const Options& options);

}  // namespace search
