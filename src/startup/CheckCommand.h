#pragma once

#include "language/Program.h"

#include <QStringList>

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

struct Layout;

// `ovrel --check FILE...`: checks programs from a shell, with no window and
// no display, and prints each diagnostic in the compiler's format
// "path":row:col:row:col:message. It is the host that reads the disk for
// the program model.
namespace check {

// The vocabulary from the text of commands.txt, the texts of the install's
// userlibs/*.decls files, and the .decls files found beside a program (file
// name and text). Lines the formats cannot describe are skipped.
lang::Vocabulary ReadVocabulary(std::string_view commands, const std::vector<std::string>& userlibs,
                                const std::vector<std::pair<std::string, std::string>>& shipped);

// A path as the check prints it: in double quotes, with a '"', a backslash
// and the line breaks inside escaped as in C (\", \\, \n, \r), so that each
// diagnostic stays one line.
std::string QuotedPath(std::string_view path);

// Whether the arguments (without the program's name) ask for a check.
bool IsCheckCommand(const QStringList& args);

// Runs the check: exit status 0 when no error, 1 when any (or a file
// cannot be read), 2 on bad usage (with a usage line on `err`). The Blitz3D
// folder comes from --blitzpath DIR, else from the user's prefs.ini.
int RunCheckCommand(const QStringList& args, const Layout& layout, std::ostream& out, std::ostream& err);

}  // namespace check
