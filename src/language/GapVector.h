#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

namespace lang {

// An array with a gap at the place last edited: typing opens and closes
// lines near one place, and each of those edits then moves nothing, where a
// plain array would move every entry below the caret (a new line near the top
// of a 100,000-line file moved them all twice). Moving the gap to another
// place moves only the entries between the two places.
template <typename T>
class GapVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    std::size_t size() const { return m_buf.size() - Gap(); }
    const T& operator[](std::size_t i) const { return m_buf[i < m_gapStart ? i : i + Gap()]; }
    T& operator[](std::size_t i) { return m_buf[i < m_gapStart ? i : i + Gap()]; }
    std::size_t Bytes() const { return m_buf.capacity() * sizeof(T); }

    void Assign(std::vector<T>&& items)
    {
        m_buf = std::move(items);
        m_gapStart = m_gapEnd = m_buf.size();
    }
    void clear() { Assign({}); }

    // Entries [first, first + oldCount) become the `newCount` at `fresh`.
    void Replace(std::size_t first, std::size_t oldCount, const T* fresh, std::size_t newCount)
    {
        MoveGapTo(first);
        m_gapEnd += oldCount;
        if (Gap() < newCount)
            Widen(newCount);
        if (newCount)
            std::memcpy(&m_buf[m_gapStart], fresh, newCount * sizeof(T));
        m_gapStart += newCount;
    }

private:
    std::size_t Gap() const { return m_gapEnd - m_gapStart; }

    void MoveGapTo(std::size_t at)
    {
        T* data = m_buf.data();
        if (at < m_gapStart) {
            const std::size_t n = m_gapStart - at;
            std::memmove(data + m_gapEnd - n, data + at, n * sizeof(T));
            m_gapStart -= n;
            m_gapEnd -= n;
        } else if (at > m_gapStart) {
            const std::size_t n = at - m_gapStart;
            std::memmove(data + m_gapStart, data + m_gapEnd, n * sizeof(T));
            m_gapStart += n;
            m_gapEnd += n;
        }
    }

    // A gap of at least `wanted`, with room for more edits after it: an
    // eighth of the entries, so that growing stays rare without holding much
    // spare for a large file.
    void Widen(std::size_t wanted)
    {
        const std::size_t count = size();
        const std::size_t gap = std::max(wanted, std::max<std::size_t>(64, count / 8));
        std::vector<T> grown(count + gap);
        std::copy(m_buf.begin(), m_buf.begin() + std::ptrdiff_t(m_gapStart), grown.begin());
        std::copy(m_buf.begin() + std::ptrdiff_t(m_gapEnd), m_buf.end(),
                  grown.begin() + std::ptrdiff_t(m_gapStart + gap));
        m_buf = std::move(grown);
        m_gapEnd = m_gapStart + gap;
    }

    std::vector<T> m_buf;
    std::size_t m_gapStart = 0, m_gapEnd = 0;
};

}  // namespace lang
