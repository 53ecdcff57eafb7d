#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace lang {

// An array that grows a block at a time and never moves what it holds: a
// file's tables of hundreds of megabytes are neither copied whole as they
// grow nor held twice over meanwhile, and what is reserved past the end is
// one block at most.
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
        if ((m_size >> kShift) == m_blocks.size())
            m_blocks.push_back(std::make_unique_for_overwrite<T[]>(kBlock));
        (*this)[m_size++] = value;
    }
    template <typename It>
    void append(It first, It last)
    {
        for (; first != last; ++first)
            push_back(*first);
    }
    // Keeps the first `n`, and the blocks they need.
    void truncate(std::size_t n)
    {
        if (n >= m_size)
            return;
        m_size = n;
        m_blocks.resize((n + kBlock - 1) >> kShift);
    }
    void clear()
    {
        m_blocks.clear();
        m_blocks.shrink_to_fit();
        m_size = 0;
    }
    void swap(Chunked& other) noexcept
    {
        m_blocks.swap(other.m_blocks);
        std::swap(m_size, other.m_size);
    }
    std::size_t Bytes() const { return m_blocks.size() * kBlock * sizeof(T) + m_blocks.capacity() * sizeof(void*); }

private:
    std::vector<std::unique_ptr<T[]>> m_blocks;
    std::size_t m_size = 0;
};

}  // namespace lang
