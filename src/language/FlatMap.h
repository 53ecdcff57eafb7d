#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <limits>
#include <memory>
#include <utility>

namespace lang {

// A hash table of integer keys kept in one array: the program's name tables
// hold millions of entries, which a node per entry would make several times
// larger. Open addressing, linear probing, deletion by shifting back.
template <typename K, typename V>
class FlatMap {
    static constexpr K kEmpty = std::numeric_limits<K>::max();

public:
    using value_type = std::pair<K, V>;
    using iterator = value_type*;
    using const_iterator = const value_type*;

    FlatMap() = default;
    FlatMap(const FlatMap& other) : m_size(other.m_size), m_capacity(other.m_capacity)
    {
        if (m_capacity)
            m_slots = std::make_unique<value_type[]>(m_capacity);
        std::copy(other.m_slots.get(), other.m_slots.get() + m_capacity, m_slots.get());
    }
    FlatMap(FlatMap&&) noexcept = default;
    FlatMap& operator=(FlatMap other) noexcept
    {
        m_slots.swap(other.m_slots);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
        return *this;
    }

    iterator end() { return nullptr; }
    const_iterator end() const { return nullptr; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    iterator find(K key) { return Find(key); }
    const_iterator find(K key) const { return const_cast<FlatMap*>(this)->Find(key); }
    std::size_t count(K key) const { return find(key) != end() ? 1 : 0; }

    V& operator[](K key)
    {
        if (iterator it = Find(key))
            return it->second;
        if ((std::size_t(m_size) + 1) * 4 > std::size_t(m_capacity) * 3)
            Rehash(m_capacity ? std::size_t(m_capacity) * 2 : 8);
        std::size_t i = Home(key);
        while (m_slots[i].first != kEmpty)
            i = (i + 1) & (m_capacity - 1);
        m_slots[i] = {key, V{}};
        ++m_size;
        return m_slots[i].second;
    }

    void erase(iterator it)
    {
        const std::size_t mask = m_capacity - 1;
        std::size_t hole = std::size_t(it - m_slots.get());
        // Entries after the hole that probed past it move back into it.
        for (std::size_t i = (hole + 1) & mask; m_slots[i].first != kEmpty; i = (i + 1) & mask) {
            const std::size_t home = Home(m_slots[i].first);
            if (((i - home) & mask) >= ((i - hole) & mask)) {
                m_slots[hole] = m_slots[i];
                hole = i;
            }
        }
        m_slots[hole].first = kEmpty;
        --m_size;
    }

    void clear()
    {
        m_slots.reset();
        m_size = m_capacity = 0;
    }

    std::size_t Bytes() const { return std::size_t(m_capacity) * sizeof(value_type); }

private:
    std::size_t Home(K key) const
    {
        return std::size_t((std::uint64_t(key) * 0x9E3779B97F4A7C15ull) >> 32) & (m_capacity - 1);
    }

    iterator Find(K key)
    {
        if (!m_capacity || key == kEmpty)
            return nullptr;
        for (std::size_t i = Home(key);; i = (i + 1) & (m_capacity - 1)) {
            if (m_slots[i].first == key)
                return &m_slots[i];
            if (m_slots[i].first == kEmpty)
                return nullptr;
        }
    }

    void Rehash(std::size_t capacity)
    {
        std::unique_ptr<value_type[]> old = std::make_unique<value_type[]>(capacity);
        std::fill(old.get(), old.get() + capacity, value_type{kEmpty, V{}});
        old.swap(m_slots);
        const std::size_t oldCapacity = std::exchange(m_capacity, static_cast<std::uint32_t>(capacity));
        for (std::size_t j = 0; j < oldCapacity; ++j) {
            if (old[j].first == kEmpty)
                continue;
            std::size_t i = Home(old[j].first);
            while (m_slots[i].first != kEmpty)
                i = (i + 1) & (m_capacity - 1);
            m_slots[i] = old[j];
        }
    }

    // One pointer and two counts: a table per function of a large program.
    std::unique_ptr<value_type[]> m_slots;
    std::uint32_t m_size = 0, m_capacity = 0;
};

}  // namespace lang
