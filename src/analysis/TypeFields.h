#pragma once

#include "analysis/SourceWords.h"

#include <string>
#include <vector>

// One name a Field statement of a type declares.
struct TypeField {
    std::string item;  // as written, trimmed: x#, pos.Vector
    std::string name;  // the name alone: x, pos
    int line = 0;      // from 1
    int column = 0;    // of the name, in bytes from 0
    std::string type;  // the type it holds (Vector), "" for none
    bool operator==(const TypeField&) const = default;
};

// The fields of the type whose Type statement is on line `typeLine` of
// `source`, in order: the items of the Field statements that follow it, up to
// its End Type (or the next Type or Function).
std::vector<TypeField> FieldsOfType(const words::SourceLines& source, int typeLine, char commentChar = ';',
                                    char stringChar = '"');

// The last line holding a field of that type, or 0 when it has none: where
// its fields end, found without taking them apart.
int LastFieldLine(const words::SourceLines& source, int typeLine);
