#include "editor/Keywords.h"

#include "platform/Text.h"

#include <algorithm>
#include <stdexcept>

void EditorKeywordList::Add(EditorKeyword entry)
{
    Add(std::make_shared<const EditorKeyword>(std::move(entry)));
}

void EditorKeywordList::Add(EditorKeywordPtr entry)
{
    std::string lower = text::ToLower(entry->Name);
    if (!m_slots.empty() && m_sorted && lower < m_slots.back().lowerName)
        m_sorted = false;
    m_unindexed.push_back(entry);
    m_entries.push_back(entry);
    m_slots.push_back({std::move(entry), std::move(lower), m_serial++});
}

void EditorKeywordList::AddAll(const EditorKeywordList& other)
{
    if (other.m_slots.empty())
        return;
    Sort();
    other.Sort();
    std::vector<Slot> merged;
    merged.reserve(m_slots.size() + other.m_slots.size());
    auto less = [](const Slot& a, const Slot& b) { return a.lowerName < b.lowerName; };
    std::vector<Slot> theirs = other.m_slots;
    for (Slot& s : theirs) {
        s.serial = m_serial++;
        m_unindexed.push_back(s.entry);
    }
    std::merge(m_slots.begin(), m_slots.end(), theirs.begin(), theirs.end(),
               std::back_inserter(merged), less);
    m_slots = std::move(merged);
    m_entries.clear();
    m_entries.reserve(m_slots.size());
    for (const Slot& s : m_slots)
        m_entries.push_back(s.entry);
}

void EditorKeywordList::Sort() const
{
    if (m_sorted)
        return;
    std::stable_sort(m_slots.begin(), m_slots.end(),
                     [](const Slot& a, const Slot& b) { return a.lowerName < b.lowerName; });
    m_entries.clear();
    m_entries.reserve(m_slots.size());
    for (const Slot& s : m_slots)
        m_entries.push_back(s.entry);
    m_sorted = true;
}

const std::vector<EditorKeywordPtr>& EditorKeywordList::Entries() const
{
    Sort();
    return m_entries;
}

const EditorKeyword& EditorKeywordList::Item(std::size_t position) const
{
    if (position < 1 || position > m_slots.size())
        throw std::out_of_range("keyword position out of range");
    return *Entries()[position - 1];
}

EditorKeywordPtr EditorKeywordList::FindPtr(std::string_view key) const
{
    // Entries are indexed in the order they were added, so the first one
    // added under a key wins.
    for (EditorKeywordPtr& e : m_unindexed)
        m_byKey.try_emplace(e->Key, std::move(e));
    m_unindexed.clear();
    auto it = m_byKey.find(std::string(key));
    return it == m_byKey.end() ? nullptr : it->second;
}

const EditorKeyword* EditorKeywordList::Find(std::string_view key) const
{
    return FindPtr(key).get();
}
