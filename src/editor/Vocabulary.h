#pragma once

#include "editor/Keywords.h"

#include <QString>

#include <optional>
#include <string_view>
#include <vector>

class Prompter;
struct Settings;

// The Blitz3D vocabulary: built-in commands from the command list and
// user-library functions from the .decls files. Malformed lines that the
// formats cannot describe throw std::runtime_error with a description that
// start-up shows before it gives up.

// One line of the command list, taken apart.
struct CommandLineParts {
    std::string_view name;
    std::optional<std::string_view> params;  // absent: the line has no parameter text
};
// `line` is trimmed of blanks first. Throws when "(" is the last character.
CommandLineParts ParseCommandLine(std::string_view line);

// One function line of a .decls file, taken apart.
struct DeclLineParts {
    std::string_view name;        // without its return-type character
    std::string_view returnType;  // "%", "$", "#", "*" or empty
    std::optional<std::string_view> params;
};
// Nothing for empty, directive (".") and comment (";") lines. Throws when a
// "(" has no ")" after it.
std::optional<DeclLineParts> ParseDeclLine(std::string_view line);

// The parameters of a parameter text such as "x,y[,z][,w]". Throws for a
// parameter written as a lone "[".
std::vector<EditorKeywordParam> ParseParams(std::string_view text);
void ParseParams(EditorKeyword& entry, std::string_view text);

// Loads the command list named by settings.Commands into `list`. A relative
// path is taken relative to `programDir` (and stays relative in the
// settings). A missing file shows "Unable to find "commands.txt"" and
// returns false; an unreadable or malformed file throws.
bool LoadCommands(const Settings& settings, const QString& programDir, EditorKeywordList& list,
                  Prompter& prompter);

// Adds the functions of every userlibs/*.decls file below settings.B3DDir,
// files in name order. A missing folder adds nothing; an unreadable or
// malformed file throws.
void LoadDecls(const Settings& settings, EditorKeywordList& list);
