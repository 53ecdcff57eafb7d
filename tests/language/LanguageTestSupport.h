#pragma once

#include "language/Program.h"

#include <map>
#include <string>
#include <vector>

// The vocabulary of the shipped commands.txt, as the check command reads it.
const lang::Vocabulary& ShippedVocabulary();

// A program of in-memory files (keys to texts); the first key is the main
// file. A key with no text is missing.
void Feed(lang::Program& program, const std::vector<std::pair<std::string, std::string>>& files);

// Each diagnostic as "file:row:col:message" (rows and columns from 1, the
// file without its folder), as short lines for tables.
std::vector<std::string> Brief(const std::vector<lang::Diagnostic>& diagnostics);
