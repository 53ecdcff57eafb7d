#include "editor/DirtyLines.h"

#include <algorithm>
#include <cstring>

void DirtyLines::Reset(int count, bool dirty)
{
    m_flags.assign(static_cast<std::size_t>(std::max(count, 0)), dirty ? 1 : 0);
    m_count = dirty ? LineCount() : 0;
}

void DirtyLines::Mark(int line)
{
    if (line >= 0 && line < LineCount() && !m_flags[line]) {
        m_flags[line] = 1;
        ++m_count;
    }
}

void DirtyLines::Clean(int line)
{
    if (line >= 0 && line < LineCount() && m_flags[line]) {
        m_flags[line] = 0;
        --m_count;
    }
}

bool DirtyLines::IsDirty(int line) const
{
    return line >= 0 && line < LineCount() && m_flags[line];
}

void DirtyLines::Edited(int line, int delta)
{
    line = std::clamp(line, 0, std::max(LineCount() - 1, 0));
    if (m_flags.empty())
        m_flags.push_back(0);
    if (delta > 0) {
        m_flags.insert(m_flags.begin() + line + 1, static_cast<std::size_t>(delta), 0);
        for (int i = line + 1; i <= line + delta; ++i)
            Mark(i);
    } else if (delta < 0) {
        const int last = std::min(line - delta, LineCount() - 1);
        for (int i = line + 1; i <= last; ++i)
            Clean(i);
        m_flags.erase(m_flags.begin() + line + 1, m_flags.begin() + last + 1);
    }
    Mark(line);
}

int DirtyLines::NextDirty(int from, int to) const
{
    if (m_count == 0)
        return -1;
    const int end = to < 0 ? LineCount() : std::min(to, LineCount());
    from = std::max(from, 0);
    if (from >= end)
        return -1;
    const void* hit = std::memchr(m_flags.data() + from, 1, static_cast<std::size_t>(end - from));
    return hit ? static_cast<int>(static_cast<const std::uint8_t*>(hit) - m_flags.data()) : -1;
}
