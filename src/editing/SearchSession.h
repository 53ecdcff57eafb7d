#pragma once

#include "editing/TextSearch.h"

#include <cstddef>
#include <optional>
#include <string_view>

// One search of the find dialog: the part of the text still to be searched
// and the last match. A search starts at the beginning of its range, moves
// forward through it match by match and never wraps around; its range
// follows the replacements made in it.
class SearchSession {
public:
    // A search over [start, end); `toEnd` makes the range end with the text
    // however long it grows or shrinks.
    struct Range {
        std::size_t start = 0;
        std::size_t end = 0;
        bool toEnd = false;
    };

    // A new search over `range` that has found nothing yet.
    void Begin(Range range, const search::Options& options);
    // Find next: the next match after the last one.
    std::optional<search::Match> Next(std::string_view text, std::string_view what);
    // The last match before the current one, back to where the range began.
    std::optional<search::Match> Previous(std::string_view text, std::string_view what);

    // The current match was replaced by `length` bytes: the search resumes
    // after them and the range's end moves with the text.
    void Replaced(std::size_t length);
    // Replace all: the current match and every later one in the range, as one
    // edit (count 0 when there is no current match). The search resumes after
    // the last replacement.
    search::Replacement ReplaceRest(std::string_view text, std::string_view what, std::string_view with);
    // Back to where the range began, as if it was just begun.
    void Rewind();
    // The text changed under the search, or the caret left the match: the
    // search goes on from `position`.
    void Resume(std::size_t position, std::size_t textLength);

    bool Started() const { return m_started; }
    // Something was found since the last Start.
    bool Found() const { return m_found; }
    const std::optional<search::Match>& Current() const { return m_current; }
    const search::Options& options() const { return m_options; }

private:
    std::size_t End(std::string_view text) const;
    std::optional<search::Match> Took(std::optional<search::Match> match);

    bool m_started = false;
    bool m_found = false;
    search::Options m_options;
    Range m_range;
    std::size_t m_begin = 0;  // where the range first began, the limit going back
    std::optional<search::Match> m_current;
};
