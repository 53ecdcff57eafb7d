#pragma once

#include "language/Program.h"

#include <map>
#include <string>
#include <vector>

// The vocabulary of the shipped commands.txt, as the check command reads it,
// and a "netlib.decls" beside the program that the install lacks.
const lang::Vocabulary& ShippedVocabulary();

// A program of in-memory files (keys to texts); the first key is the main
// file. Included files not listed are missing.
void Feed(lang::Program& program, const std::vector<std::pair<std::string, std::string>>& files);

// Each diagnostic as "file:row:col:message" (rows and columns from 1, the
// file without its folder), as short lines for tables.
std::vector<std::string> Brief(const std::vector<lang::Diagnostic>& diagnostics);
