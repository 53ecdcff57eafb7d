#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// When a running program stops: at a breakpoint's line, or at the end of a
// step. Plain C++, so that the DLL decides with the code the tests check.
namespace wire {

// The key a source file goes by on both sides: the compiler names the main
// file as it was given and an included one as a lower-cased Windows path
// ("z:\home\me\inc.bb"); both become a lower-case path with "/" ("z:" being
// the Linux root, as Wine shows it).
std::string FileKey(std::string_view compilerPath);

// Where a statement is: the file by a number of the caller's choosing, the
// row and column from 1, and the call depth (the main program is 1).
struct Place {
    int file = -1;
    int row = 0;
    int depth = 0;
    int col = 0;
    bool operator==(const Place&) const = default;
    // Comes after `before` on the same line, in the same call: the rest of
    // its line, not the line again (a loop's next turn starts it anew).
    bool Continues(const Place& before) const
    {
        return file == before.file && row == before.row && depth == before.depth && col > before.col;
    }
};

// Breakpoints by file key and row (from 1).
class BreakpointTable {
public:
    void Set(const std::string& file, int row, bool on);
    bool Has(const std::string& file, int row) const;
    // Rows of a file as flags indexed by row, for a test per statement that
    // costs no lookup.
    std::vector<char> RowFlags(const std::string& file) const;
    bool Empty() const { return m_rows.empty(); }

private:
    std::map<std::string, std::set<int>> m_rows;
};

enum class Step { None, Over, Into, Out };

// Decides statement by statement whether to stop.
class StopRule {
public:
    // Go on from `from`, stopping at the end of `step` (None: only at a
    // breakpoint).
    void Resume(Step step, const Place& from);
    // Called for every statement, in order; true when the program is to
    // stop there. A breakpoint stops once each time its line is reached, not
    // at each statement of the line; a step ends at the next line at most as
    // deep as its level (over: the same depth, into: one deeper, out: one
    // less), so a line of several statements is stepped over as one.
    bool Reached(const Place& at, bool onBreakpointRow);

private:
    Step m_step = Step::None;
    int m_level = 0;
    Place m_from;
    Place m_last;
};

}  // namespace wire
