#pragma once

#include <string_view>
#include <vector>

// What folds in a Blitz3D source: the blocks a program is built of
// (Function, Type, a multi-line If, Select, For, While, Repeat) and runs of
// lines that hold nothing but a comment. Everything is worked out line by
// line from the blocks open before the line, so an edit only asks again
// about the lines it touched and the few after them whose depth changed.

// What one line does to the blocks: it closes `closes` of those open before
// it (as many of them as there are), then opens `opens` new ones.
struct LineBlocks {
    int closes = 0;
    int opens = 0;
    bool comment = false;  // nothing but a comment (and blanks)
    bool operator==(const LineBlocks&) const = default;
};

// Reads one line (without its line end). Statement words are found in any
// letter case, outside strings and comments; "End If", "EndIf" and the other
// closers close, and an If opens a block only when nothing follows its
// condition (or its Then) on the line, as the compiler reads it.
LineBlocks ReadLineBlocks(std::string_view line, char commentChar = ';', char stringChar = '"');

// Blocks open after a line that started inside `before` of them. Deep
// nesting is capped well inside what the editor's fold levels can hold.
int DepthAfter(const LineBlocks& line, int before);
constexpr int kMaxFoldDepth = 1000;

// Where a line stands in the folds.
struct LineFold {
    int level = 0;      // how many folds hold the line
    bool header = false;  // a fold starts at this line and takes the lines after it
    bool operator==(const LineFold&) const = default;
};

// The fold of a line that starts inside `depthBefore` blocks, given whether
// the lines before and after it are comment lines: the first line of a run
// of comment lines heads a fold of the others.
LineFold FoldOf(const LineBlocks& line, int depthBefore, bool commentBefore, bool commentAfter);

// The folds of every line of a text (lines end at CR LF, LF or CR), as the
// editor works them out line by line.
std::vector<LineFold> FoldText(std::string_view text, char commentChar = ';', char stringChar = '"');
