#pragma once

#include "language/FileSyntax.h"

namespace lang {

// What the compiler says when it expects `expecting` and meets `token`: a
// block's end met out of place names the block it lacks.
Msg Expecting(std::uint16_t token, Msg expecting);

// Appends the statements of one lexed line to the file.
void ParseLineInto(FileSyntax& file, const std::vector<Token>& tokens, std::string_view line);

}  // namespace lang
