#pragma once

#include <string>
#include <vector>

// Writes realistic Blitz3D sources of any size for the benchmarks: types with
// fields, globals, constants, arrays, functions with locals and bodies full of
// commands, labels with Data lines, comments and strings holding ";" and ":".
namespace gen {

// A source of exactly `lines` lines (CR LF line ends, no final line end),
// starting with one Include line per name in `includes`. Names are made
// unique with `prefix`, so several files can be included together.
std::string BlitzSource(int lines, const std::string& prefix = "m",
                        const std::vector<std::string>& includes = {});

// A program the compiler accepts: like BlitzSource, but every round of
// blocks declares the types, globals and functions it uses, and the text
// ends after a whole round, so it has at least `lines` lines.
std::string BlitzProgram(int lines, const std::string& prefix = "m", const std::vector<std::string>& includes = {});

// A main file with `includeCount` included files of `includeLines` lines each,
// written into `dir`. Returns the main file's path.
std::string WriteProject(const std::string& dir, int mainLines, int includeCount, int includeLines);

}  // namespace gen
