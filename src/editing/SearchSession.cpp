#include "editing/SearchSession.h"

#include <algorithm>

void SearchSession::Begin(Range range, const search::Options& options)
{
    m_started = true;
    m_found = false;
    m_options = options;
    m_range = range;
    m_begin = range.start;
    m_current.reset();
}

std::optional<search::Match> SearchSession::Next(std::string_view text, std::string_view what)
{
    return Took(search::FindForward(text, what, m_range.start, End(text), m_options));
}

std::optional<search::Match> SearchSession::Previous(std::string_view text, std::string_view what)
{
    const std::size_t before = m_current ? m_current->start : m_range.start;
    const auto match = Took(search::FindBackward(text, what, std::min(m_begin, before), before, m_options));
    // Nothing further back: the search stands before the match it left.
    if (!match)
        m_range.start = before;
    return match;
}

std::optional<search::Match> SearchSession::Took(std::optional<search::Match> match)
{
    m_current = match;
    if (match) {
        m_found = true;
        m_range.start = match->end;
    }
    return match;
}

std::size_t SearchSession::End(std::string_view text) const
{
    return m_range.toEnd ? text.size() : std::min(m_range.end, text.size());
}

void SearchSession::Replaced(std::size_t length)
{
    if (!m_current)
        return;
    const search::Match match = *m_current;
    m_range.start = match.start + length;
    if (!m_range.toEnd)
        m_range.end = m_range.end + length - (match.end - match.start);
    m_current.reset();
}

search::Replacement SearchSession::ReplaceRest(std::string_view text, std::string_view what, std::string_view with)
{
    if (!m_current)
        return {};
    search::Replacement edit = search::ReplaceAll(text, what, with, m_current->start, End(text), m_options);
    if (edit.count == 0)
        return edit;
    const std::size_t replaced = edit.end - edit.start;
    m_range.start = edit.start + edit.replacement.size();
    if (!m_range.toEnd)
        m_range.end = m_range.end + edit.replacement.size() - replaced;
    m_current.reset();
    return edit;
}

void SearchSession::Rewind()
{
    m_range.start = m_begin;
    m_found = false;
    m_current.reset();
}

void SearchSession::Resume(std::size_t position, std::size_t textLength)
{
    m_range.start = std::min(position, textLength);
    m_range.end = std::clamp(m_range.end, m_range.start, textLength);
    m_begin = std::min(m_begin, m_range.start);
    m_current.reset();
}
