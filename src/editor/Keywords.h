#pragma once

#include "platform/Color.h"

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
};

struct EditorKeywordParam {
    std::string Name;       // with its type suffix when written so
    bool Optional = false;  // written in square brackets
};

// A command of the vocabulary or a name declared in a source. Text fields
// hold the bytes as written in the file.
struct EditorKeyword {
    std::string Name;
    std::string Key;
    EditorKeywordStylePtr Style;
    std::string ReturnType;
    std::vector<EditorKeywordParam> Params;
    int Line = 0;  // 1-based line in the document; negative for an include's line

    int Kind() const { return Style ? Style->Kind : 0; }
};
using EditorKeywordPtr = std::shared_ptr<const EditorKeyword>;

// An ordered set of keywords: positions run in ascending order of the
// lower-cased Name (ties keep the order they were added in), and entries are
// found by Key. Adding is cheap; the order and the key index are built on the
// first read that needs them.
class EditorKeywordList {
public:
    void Add(EditorKeyword entry);
    void Add(EditorKeywordPtr entry);
    // Adds every entry of `other`, keeping the order (a merge, not a re-sort).
    void AddAll(const EditorKeywordList& other);

    std::size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    // Entry at a 1-based position.
    const EditorKeyword& Item(std::size_t position) const;
    // The first entry added under `key`, or null.
    const EditorKeyword* Find(std::string_view key) const;
    EditorKeywordPtr FindPtr(std::string_view key) const;

    // All entries in list order.
    const std::vector<EditorKeywordPtr>& Entries() const;
    auto begin() const { return Entries().begin(); }
    auto end() const { return Entries().end(); }

    // A flag the scanner sets on the lists it makes; nothing reads it back.
    bool Option = false;

private:
    struct Slot {
        EditorKeywordPtr entry;
        std::string lowerName;
        std::size_t serial;  // insertion order, to keep ties stable
    };
    void Sort() const;

    mutable std::vector<Slot> m_slots;
    mutable std::vector<EditorKeywordPtr> m_entries;
    mutable bool m_sorted = true;
    mutable std::unordered_map<std::string, EditorKeywordPtr> m_byKey;
    mutable std::vector<EditorKeywordPtr> m_unindexed;
    std::size_t m_serial = 0;
};
using EditorKeywordListPtr = std::shared_ptr<EditorKeywordList>;
