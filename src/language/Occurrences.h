#pragma once

#include "language/Model.h"

// Every written name of a line with the symbol it is bound to: what
// definition, references and rename read.
namespace lang {

struct Occurrence {
    std::uint32_t col = 0, endCol = 0;  // the name alone, without its type character
    SymRef sym;
    NameId name = kNoName;
};

// The unit (0: the main program) that a line of a file belongs to.
std::uint32_t UnitAt(const Model& m, std::uint32_t file, std::uint32_t row);

// Appends the names written on a row; with `only` set, just those spelled so.
// Labels are bound in the row's unit, found unless given; a caller looking
// for no label may say kAnyUnit: a walk over every row then saves finding it.
constexpr std::uint32_t kUnitOfRow = 0xfffffffeu, kAnyUnit = 0xffffffffu;
void RowOccurrences(const Model& m, std::uint32_t file, std::uint32_t row, NameId only,
                    std::vector<Occurrence>& out, std::uint32_t unit = kUnitOfRow);

// Which table a symbol reference points into, as the public kind.
SymbolKind KindOf(SymKind k);
SymbolInfo Describe(const Model& m, SymRef ref);

}  // namespace lang
