#pragma once

#include "build/CompilerError.h"

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One line of a build's output as the output pane shows it.
struct OutputLine {
    std::string text;  // without its line end
    // The compiler's report of an error, when the line is one.
    std::optional<CompilerError> error;
};

// Cuts the compiler's output into lines as it arrives, in pieces of any size,
// and recognises its error reports. Lines end in CR LF (as the compiler
// writes them), LF or a lone CR. Once the compiler has said "Executing...",
// what follows is the compiled program's own output, which is never taken
// for a report however it looks. A line longer than kMaxLine bytes goes on
// in the next one, so that a program that never ends a line takes no more
// memory than one that does.
class CompilerOutputReader {
public:
    static constexpr std::size_t kMaxLine = 4096;

    // The lines that `bytes` completes.
    std::vector<OutputLine> Add(std::string_view bytes);
    // The last line when the output did not end with a line end.
    std::optional<OutputLine> Finish();

private:
    OutputLine Classify(std::string line);

    std::string m_partial;
    bool m_afterCr = false;  // the last piece ended with CR; an LF may follow
    bool m_programRuns = false;
};

// The file an error report names, as it is on this disk: a Wine path ("Z:\"
// stands for "/") or a native one, found without regard to letter case (the
// compiler lower-cases the path of an included file). Nothing when no such
// file exists, or when the path is relative or on another drive.
std::optional<QString> ReportedFileOnDisk(std::string_view reported);

// The editor column (bytes from the line's start, from 0) of the compiler's
// 1-based `compilerColumn` on a line the editor holds as UTF-8 (`line`). The
// compiler counts the bytes of the file, a tab as one: a Windows-1252 file has
// one byte per character, which the editor may hold in two or three; a UTF-8
// file is held byte for byte. Never past the line's end, never inside a
// character.
int EditorColumn(std::string_view line, int compilerColumn, bool fileIsUtf8);

// How long a build took, for people: "0.4 s", "12 s", "2 min 05 s".
QString DurationText(long long milliseconds);
