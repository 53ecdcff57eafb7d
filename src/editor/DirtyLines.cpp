#include "editor/DirtyLines.h"

#include <algorithm>
#include <cstring>

void DirtyLines::Reset(int count, bool dirty)
{
    m_flags.assign(static_cast<std::size_t>(std::max(count, 0)), dirty ? kDirty : kClean);
    m_count = dirty ? LineCount() : 0;
    m_checks = 0;
    m_low = 0;
    m_edited = true;
    m_keptHead = 0;
    m_keptTail = 0;
}

void DirtyLines::MarkAll()
{
    std::fill(m_flags.begin(), m_flags.end(), kDirty);
    m_count = LineCount();
    m_checks = 0;
    m_low = 0;
}

void DirtyLines::MarkAllForCheck()
{
    for (std::uint8_t& f : m_flags) {
        if (f == kClean) {
            f = kCheck;
            ++m_checks;
        }
    }
    m_count = LineCount();
    m_low = 0;
}

void DirtyLines::Mark(int line)
{
    if (line >= 0 && line < LineCount() && m_flags[line] != kDirty) {
        m_count += m_flags[line] == kClean;
        m_checks -= m_flags[line] == kCheck;
        m_flags[line] = kDirty;
        m_low = std::min(m_low, line);
    }
}

void DirtyLines::Clean(int line)
{
    if (line >= 0 && line < LineCount() && m_flags[line] != kClean) {
        m_checks -= m_flags[line] == kCheck;
        m_flags[line] = kClean;
        --m_count;
    }
}

bool DirtyLines::IsDirty(int line) const
{
    return line >= 0 && line < LineCount() && m_flags[line] != kClean;
}

bool DirtyLines::OnlyToCheck(int line) const
{
    return line >= 0 && line < LineCount() && m_flags[line] == kCheck;
}

void DirtyLines::Edited(int line, int delta)
{
    line = std::clamp(line, 0, std::max(LineCount() - 1, 0));
    if (m_flags.empty())
        m_flags.push_back(kClean);
    // Lines taken out before the first dirty one move it up.
    if (delta < 0 && m_low > line)
        m_low = std::max(line, m_low + delta);
    if (delta > 0) {
        m_flags.insert(m_flags.begin() + line + 1, static_cast<std::size_t>(delta), kClean);
        for (int i = line + 1; i <= line + delta; ++i)
            Mark(i);
    } else if (delta < 0) {
        const int last = std::min(line - delta, LineCount() - 1);
        for (int i = line + 1; i <= last; ++i)
            Clean(i);
        m_flags.erase(m_flags.begin() + line + 1, m_flags.begin() + last + 1);
    }
    Mark(line);

    // Lines before the edit and after what it touched are as they were.
    const int head = line;
    const int tail = std::max(LineCount() - 1 - (line + std::max(delta, 0)), 0);
    m_keptHead = m_edited ? std::min(m_keptHead, head) : head;
    m_keptTail = m_edited ? std::min(m_keptTail, tail) : tail;
    m_edited = true;
}

int DirtyLines::NextDirty(int from, int to) const
{
    if (m_count == 0)
        return -1;
    const int end = to < 0 ? LineCount() : std::min(to, LineCount());
    const bool fromLow = from <= m_low;
    from = std::max(from, m_low);
    if (from >= end)
        return -1;
    // Two searches for a byte: a sweep asks this for every run of lines.
    const std::uint8_t* start = m_flags.data() + from;
    const auto* dirty = static_cast<const std::uint8_t*>(std::memchr(start, kDirty, std::size_t(end - from)));
    const std::size_t before = dirty ? std::size_t(dirty - start) : std::size_t(end - from);
    const auto* check =
        m_checks > 0 ? static_cast<const std::uint8_t*>(std::memchr(start, kCheck, before)) : nullptr;
    const std::uint8_t* hit = check ? check : dirty;
    const int found = hit ? from + static_cast<int>(hit - start) : -1;
    // A search from the first line that may be dirty tells where the first
    // dirty line is now.
    if (fromLow && (found >= 0 || end == LineCount()))
        m_low = found >= 0 ? found : LineCount();
    return found;
}

DirtyLines::EditedSpan DirtyLines::TakeEdited()
{
    EditedSpan span{LineCount(), 0};
    if (m_edited) {
        span.head = std::min(m_keptHead, LineCount());
        span.tail = std::min(m_keptTail, LineCount() - span.head);
    }
    m_edited = false;
    return span;
}
