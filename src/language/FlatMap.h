#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

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
        if ((m_size + 1) * 4 > m_slots.size() * 3)
            Rehash(m_slots.empty() ? 8 : m_slots.size() * 2);
        std::size_t i = Home(key);
        while (m_slots[i].first != kEmpty)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = {key, V{}};
        ++m_size;
        return m_slots[i].second;
    }

    void erase(iterator it)
    {
        const std::size_t mask = m_slots.size() - 1;
        std::size_t hole = std::size_t(it - m_slots.data());
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
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_size = 0;
    }

    template <typename F>
    void ForEach(F&& visit)
    {
        for (value_type& slot : m_slots)
            if (slot.first != kEmpty)
                visit(slot.first, slot.second);
    }

    std::size_t Bytes() const { return m_slots.capacity() * sizeof(value_type); }

private:
    std::size_t Home(K key) const
    {
        return std::size_t((std::uint64_t(key) * 0x9E3779B97F4A7C15ull) >> 32) & (m_slots.size() - 1);
    }

    iterator Find(K key)
    {
        if (m_slots.empty() || key == kEmpty)
            return nullptr;
        for (std::size_t i = Home(key);; i = (i + 1) & (m_slots.size() - 1)) {
            if (m_slots[i].first == key)
                return &m_slots[i];
            if (m_slots[i].first == kEmpty)
                return nullptr;
        }
    }

    void Rehash(std::size_t capacity)
    {
        std::vector<value_type> old(capacity, value_type{kEmpty, V{}});
        old.swap(m_slots);
        for (const value_type& slot : old) {
            if (slot.first == kEmpty)
                continue;
            std::size_t i = Home(slot.first);
            while (m_slots[i].first != kEmpty)
                i = (i + 1) & (m_slots.size() - 1);
            m_slots[i] = slot;
        }
    }

    std::vector<value_type> m_slots;
    std::size_t m_size = 0;
};

}  // namespace lang
