#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace lang {

// An array that grows a block at a time and moves what it holds only while
// it fits in its first block: a file's tables of hundreds of megabytes are
// neither copied whole as they grow nor held twice over meanwhile, what is
// reserved past the end is one block at most, and a small file's tables
// stay small.
template <typename T, unsigned kShift = 12>
class Chunked {
public:
    static constexpr std::size_t kBlock = std::size_t(1) << kShift;

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](std::size_t i) { return m_blocks[i >> kShift][i & (kBlock - 1)]; }
    const T& operator[](std::size_t i) const { return m_blocks[i >> kShift][i & (kBlock - 1)]; }
    T& back() { return (*this)[m_size - 1]; }

    void push_back(const T& value)
    {
        if (m_size < kBlock) {
            if (m_size == m_firstCapacity)
                GrowFirst();
        } else if ((m_size >> kShift) == m_blocks.size()) {
            m_blocks.push_back(std::make_unique_for_overwrite<T[]>(kBlock));
        }
        (*this)[m_size++] = value;
    }
    template <typename It>
    void append(It first, It last)
    {
        for (; first != last; ++first)
            push_back(*first);
    }
    // Keeps the first `n`, and the blocks they need.
    void clear()
    {
        m_blocks.clear();
        m_blocks.shrink_to_fit();
        m_size = m_firstCapacity = 0;
    }
    void swap(Chunked& other) noexcept
    {
        m_blocks.swap(other.m_blocks);
        std::swap(m_size, other.m_size);
        std::swap(m_firstCapacity, other.m_firstCapacity);
    }
    std::size_t Bytes() const
    {
        const std::size_t blocks = m_blocks.empty() ? 0 : (m_blocks.size() - 1) * kBlock + m_firstCapacity;
        return blocks * sizeof(T) + m_blocks.capacity() * sizeof(void*);
    }

private:
    void GrowFirst()
    {
        const std::size_t capacity = m_firstCapacity ? std::min(m_firstCapacity * 2, kBlock) : std::min<std::size_t>(16, kBlock);
        auto first = std::make_unique_for_overwrite<T[]>(capacity);
        for (std::size_t i = 0; i < m_size; ++i)
            first[i] = m_blocks[0][i];
        if (m_blocks.empty())
            m_blocks.push_back(std::move(first));
        else
            m_blocks[0] = std::move(first);
        m_firstCapacity = capacity;
    }

    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::size_t m_size = 0;
    std::size_t m_firstCapacity = 0;
};

}  // namespace lang
