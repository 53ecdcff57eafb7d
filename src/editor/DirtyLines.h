#pragma once

#include <cstdint>
#include <vector>

// Which lines of a document still need colouring. Tokens never span lines,
// so an edit only dirties the lines it touched; the flags move with the
// lines when an edit adds or removes some.
class DirtyLines {
public:
    // `count` lines, all dirty or all clean.
    void Reset(int count, bool dirty);
    void MarkAll() { Reset(LineCount(), true); }
    // An edit that began in `line` changed the line count by `delta`: the
    // touched lines are `line` and, for an insertion, the `delta` after it.
    void Edited(int line, int delta);
    void Mark(int line);
    void Clean(int line);

    bool IsDirty(int line) const;
    // The first dirty line at or after `from` (and before `to`, when given),
    // or -1.
    int NextDirty(int from, int to = -1) const;
    int Count() const { return m_count; }
    int LineCount() const { return static_cast<int>(m_flags.size()); }

private:
    std::vector<std::uint8_t> m_flags;
    int m_count = 0;
};
