#pragma once

#include "language/Program.h"
#include "startup/Layout.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The vocabulary of the shipped commands.txt, as the check command reads it,
// and a "netlib.decls" beside the program that the install lacks.
const lang::Vocabulary& ShippedVocabulary();

// A program of in-memory files (keys to texts); the first key is the main
// file. Included files not listed are missing.
void Feed(lang::Program& program, const std::vector<std::pair<std::string, std::string>>& files);

// Each error (or, with `warnings`, each warning) as "file:row:col:message"
// (rows and columns from 1, the file without its folder), as short lines for
// tables.
std::vector<std::string> Brief(const std::vector<lang::Diagnostic>& diagnostics, bool warnings = false);

// A folder of the team's shared tree beside the checkout ("blitz3d/help"),
// or an empty path where this checkout has none (a CI clone may not).
std::filesystem::path SharedPath(const std::string& relative);

// The first line `ovrel --check` prints for `main`, with the path made
// "main.bb" as the compiler names the file it was given; "" when clean.
std::string CheckFirstLine(const std::filesystem::path& main, const std::filesystem::path& blitz, const Layout& layout);
