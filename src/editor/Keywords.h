#pragma once

#include "editor/ShortText.h"
#include "platform/Color.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Kind codes of keyword styles: what a name is.
enum KeywordKind : int {
    kKindCommand = 1,   // built-in command or user-library function
    kKindGlobal = 2,    // Global and Dim arrays
    kKindType = 3,
    kKindFunction = 4,
    kKindLabel = 5,
    kKindConst = 6,
    kKindLocal = 8,
};

// A colour shared by many entries: recolouring the style recolours them all.
struct EditorKeywordStyle {
    int Kind = 0;
    Color Colour = 0;
};
using EditorKeywordStylePtr = std::shared_ptr<EditorKeywordStyle>;

// The styles the scanner gives declared names, one per kind. Made anew each
// time the settings are applied; entries keep the style they were made with.
struct DeclStyles {
    EditorKeywordStylePtr DeclStyle2, DeclStyle3, DeclStyle4, DeclStyle5, DeclStyle6, DeclStyle8;

    // The style of a kind; the locals' style for a kind without its own.
    const EditorKeywordStylePtr& Of(int kind) const
    {
        switch (kind) {
        case kKindGlobal: return DeclStyle2;
        case kKindType: return DeclStyle3;
        case kKindFunction: return DeclStyle4;
        case kKindLabel: return DeclStyle5;
        case kKindConst: return DeclStyle6;
        default: return DeclStyle8;
        }
    }
    // The same style objects: entries made with either look alike.
    bool operator==(const DeclStyles&) const = default;
};

struct EditorKeywordParam {
    std::string Name;       // with its type suffix when written so
    bool Optional = false;  // written in square brackets
};

// A command's parameters. A declared name has none, and a large document
// declares millions: they hold a pointer, not an empty list.
class EditorKeywordParams {
public:
    EditorKeywordParams() = default;
    EditorKeywordParams(std::initializer_list<EditorKeywordParam> params)
    {
        if (params.size() != 0)
            m_list = std::make_unique<List>(params);
    }
    EditorKeywordParams(const EditorKeywordParams& other)
        : m_list(other.m_list ? std::make_unique<List>(*other.m_list) : nullptr)
    {
    }
    EditorKeywordParams(EditorKeywordParams&&) noexcept = default;
    EditorKeywordParams& operator=(EditorKeywordParams other) noexcept
    {
        m_list.swap(other.m_list);
        return *this;
    }

    std::size_t size() const { return m_list ? m_list->size() : 0; }
    bool empty() const { return size() == 0; }
    const EditorKeywordParam& operator[](std::size_t i) const { return (*m_list)[i]; }
    const EditorKeywordParam& front() const { return m_list->front(); }
    const EditorKeywordParam* begin() const { return m_list ? m_list->data() : nullptr; }
    const EditorKeywordParam* end() const { return m_list ? m_list->data() + m_list->size() : nullptr; }
    void push_back(EditorKeywordParam param) { Own().push_back(std::move(param)); }
    template <typename It>
    void append(It first, It last)
    {
        Own().insert(Own().end(), first, last);
    }

private:
    using List = std::vector<EditorKeywordParam>;
    List& Own()
    {
        if (!m_list)
            m_list = std::make_unique<List>();
        return *m_list;
    }
    std::unique_ptr<List> m_list;
};

// A command of the vocabulary or a name declared in a source. Text fields
// hold the bytes as written in the file.
struct EditorKeyword {
    std::string Name;
    ShortText Key;
    EditorKeywordStylePtr Style;
    ShortText ReturnType;
    EditorKeywordParams Params;
    int Line = 0;  // 1-based line in the document; negative for an include's line
    // What a command gives: '%', '#' or '$', ' ' for nothing, '?' for a
    // value the list does not type.
    char Result = '?';

    int Kind() const { return Style ? Style->Kind : 0; }
};
using EditorKeywordPtr = std::shared_ptr<const EditorKeyword>;

// Makes entries in blocks: one allocation and one reference count for many,
// as a scan makes tens of thousands at once. A block lives as long as any of
// its entries.
class EditorKeywordMaker {
public:
    explicit EditorKeywordMaker(std::size_t blockSize) : m_blockSize(std::max<std::size_t>(blockSize, 1)) {}
    std::shared_ptr<EditorKeyword> Make()
    {
        if (m_used == m_blockSize || !m_block) {
            m_block = std::make_shared<EditorKeyword[]>(m_blockSize);
            m_used = 0;
        }
        return std::shared_ptr<EditorKeyword>(m_block, &m_block[m_used++]);
    }

private:
    std::size_t m_blockSize;
    std::size_t m_used = 0;
    std::shared_ptr<EditorKeyword[]> m_block;
};

// An ordered set of keywords: positions run in ascending order of the
// lower-cased Name, and entries are found by Key. Every entry has an order
// that ranks it among entries of an equal name; Add gives each entry a higher
// order than the one before, so ties keep the order they were added in.
// Adding is cheap; the order and the key index are built on the first read
// that needs them.
class EditorKeywordList {
public:
    void Add(EditorKeyword entry);
    void Add(EditorKeywordPtr entry);
    // With an order of the caller's: a list kept up to date by Patch ranks
    // equal names by where they stand in their source.
    void Add(EditorKeywordPtr entry, std::uint64_t order);
    // Adds every entry of `other`, keeping the order (a merge, not a re-sort).
    void AddAll(const EditorKeywordList& other);

    std::size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    // Entry at a 1-based position.
    const EditorKeyword& Item(std::size_t position) const;
    // The first entry in list order under `key`, or null.
    const EditorKeyword* Find(std::string_view key) const;
    EditorKeywordPtr FindPtr(std::string_view key) const;

    // All entries in list order.
    const std::vector<EditorKeywordPtr>& Entries() const;
    auto begin() const { return Entries().begin(); }
    auto end() const { return Entries().end(); }

    // An entry of a list kept up to date in place, with its order.
    struct Placed {
        EditorKeywordPtr entry;
        std::uint64_t order = 0;
    };
    // Changes the list in place instead of building it anew: takes out the
    // `removed` entries (each found by its name and order), adds `by` to every
    // remaining order from `from` on (a move that must keep them ranked as
    // they were), and puts the `added` entries in their places. Costs one pass
    // over the list.
    void Patch(std::vector<Placed> removed, std::vector<Placed> added, std::uint64_t from = UINT64_MAX,
               std::int64_t by = 0);
    // Keys of entries were rewritten in place; Find indexes them again.
    void KeysChanged() { m_indexed = 0; m_byKey.clear(); }
    // Goes up whenever entries come or go: what was worked out from the
    // entries holds as long as it stays the same.
    std::uint32_t Generation() const { return m_generation; }

    // A flag the scanner sets on the lists it makes; nothing reads it back.
    bool Option = false;

    // Ordinal comparison of two names' ASCII lower case, the order the lists
    // keep: negative, zero or positive.
    static int CompareNames(std::string_view a, std::string_view b);

private:
    void Sort() const;
    bool Before(const EditorKeyword& a, std::uint64_t orderA, const EditorKeyword& b, std::uint64_t orderB) const;

    // Parallel: the entries and their orders, in list order once sorted.
    mutable std::vector<EditorKeywordPtr> m_entries;
    mutable std::vector<std::uint64_t> m_orders;
    mutable bool m_sorted = true;
    std::uint32_t m_generation = 0;
    std::uint64_t m_nextOrder = 0;
    // Keys of the entries before position m_indexed, first entry first.
    mutable std::unordered_map<std::string, EditorKeywordPtr> m_byKey;
    mutable std::size_t m_indexed = 0;
};
using EditorKeywordListPtr = std::shared_ptr<EditorKeywordList>;
