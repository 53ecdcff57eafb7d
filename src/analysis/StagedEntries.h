#pragma once

#include "editor/Keywords.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The declarations of an included file, kept flat: scanned once, put in the
// keyword list's order (ascending lower-cased Name, ties in the order
// found), and made into entries whenever a document includes the file. The
// flat form is what the program keeps of a file between scans, so it costs
// less than the file's text.
class StagedEntries {
public:
    // A declaration of `kind` on `line` whose Key is `name` followed by
    // `counter`; its Name is `name` followed by `nameTail` ("()" for arrays).
    void Add(int kind, int line, std::uint32_t counter, std::string_view name, std::string_view nameTail,
             std::string_view returnType);
    std::size_t Size() const { return m_records.size(); }
    // Room for the declarations of a text of `bytes` bytes, about.
    void Reserve(std::size_t bytes)
    {
        m_records.reserve(bytes / 64);
        m_arena.reserve(bytes / 8);
    }
    // Gives back what Reserve set aside beyond the need: the declarations are
    // kept for as long as the file is included.
    void Trim()
    {
        m_records.shrink_to_fit();
        m_arena.shrink_to_fit();
    }
    // Puts the declarations in list order; later calls cost nothing.
    void Sort();
    // The entries, in list order once sorted.
    std::vector<EditorKeywordPtr> Make(const DeclStyles& styles) const;
    // The memory held.
    std::size_t Bytes() const { return m_records.capacity() * sizeof(Record) + m_arena.capacity(); }

private:
    // Offsets and sizes fit 32 bits: the names come from a source the
    // editor holds, and the arena refuses to grow past that.
    struct Record {
        std::uint64_t prefix[2];  // first sixteen lower-cased bytes of Name
        std::uint32_t name;       // offset of Name in the arena
        std::uint32_t nameSize;
        std::uint32_t keySize;  // Key starts with this much of Name
        std::uint32_t returnType;
        std::uint32_t returnTypeSize;
        std::uint32_t counter;
        std::int32_t line;
        std::uint8_t kind;
    };
    std::string_view NameOf(const Record& r) const { return {m_arena.data() + r.name, r.nameSize}; }
    bool Less(const Record& a, const Record& b) const;

    std::vector<Record> m_records;
    std::string m_arena;
    bool m_sorted = true;
};
