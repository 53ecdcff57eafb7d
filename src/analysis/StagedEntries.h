#pragma once

#include "editor/Keywords.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The declarations a scan finds, kept flat while the scan runs and made
// into a keyword list at its end. Building the entries in the list's own
// order (ascending lower-cased Name, ties in the order found) lets the list
// skip its sort and lays the entries out in memory in the order they are
// read, which matters for the 40,000 names of a large project.
class StagedEntries {
public:
    // A declaration of `kind` on `line` whose Key is `name` followed by
    // `counter`; its Name is `name` followed by `nameTail` ("()" for arrays).
    void Add(int kind, int line, std::uint32_t counter, std::string_view name, std::string_view nameTail,
             std::string_view returnType);
    // Appends again the declarations from position `begin` to `end`, for a
    // file included a second time.
    void Repeat(std::size_t begin, std::size_t end);
    std::size_t Size() const { return m_records.size(); }

    EditorKeywordListPtr Build(const DeclStyles& styles);

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
};
