#pragma once

#include <QString>

#include <map>
#include <vector>

// The folder a debug run compiles in: BLITZPATH for the compiler. Its bin/
// links the install's blitzcc.exe, runtime.dll and linker.dll and holds our
// debugger.dll; its userlibs links the install's. The install is never
// written to. `failure` names the label of what is missing, `detail` its
// argument.
struct DebugFolder {
    QString path;
    QString failure{};
    QString detail{};
};
DebugFolder PrepareDebugFolder(const QString& folder, const QString& b3dRoot, const QString& debuggerDll);

// Debian's wine runs 32-bit programs only with its 32-bit loader (package
// wine32) beside the 64-bit one in `wineLibDir`; true when that one alone is
// there, so the compiler and the program could never start.
bool WineLacks32Bit(const QString& wineLibDir = QStringLiteral("/usr/lib/wine"));

// Breakpoints by file (its full path) and line (from 1), kept in a file of
// the state folder from one run of the IDE to the next.
class BreakpointStore {
public:
    explicit BreakpointStore(QString file = {});
    // Read from the store's file; a missing or broken file gives none.
    void Load();
    std::vector<int> Lines(const QString& path) const;
    // Sets a file's lines and writes the store when they changed; false
    // when the file could not be written.
    bool SetLines(const QString& path, std::vector<int> lines);
    const std::map<QString, std::vector<int>>& All() const { return m_lines; }

private:
    bool save() const;

    QString m_file;
    std::map<QString, std::vector<int>> m_lines;
};
