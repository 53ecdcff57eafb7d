#pragma once

#include <cstdint>
#include <vector>

// Which lines of a document still need colouring. Tokens never span lines,
// so an edit only dirties the lines it touched; the flags move with the
// lines when an edit adds or removes some. A line may also wait only to be
// checked: restyled if it holds one of the names whose colour changed.
//
// It also keeps, for whoever follows the text line by line, which lines
// were edited since that one last asked.
class DirtyLines {
public:
    // `count` lines, all dirty or all clean. A reset also counts as an edit
    // of every line.
    void Reset(int count, bool dirty);
    // Every line dirty, as after a change of vocabulary; the text is as it was.
    void MarkAll();
    // Every clean line waits to be checked.
    void MarkAllForCheck();
    // An edit that began in `line` changed the line count by `delta`: the
    // touched lines are `line` and, for an insertion, the `delta` after it.
    void Edited(int line, int delta);
    void Mark(int line);
    void Clean(int line);

    bool IsDirty(int line) const;  // to be styled or checked
    bool OnlyToCheck(int line) const;
    // The first dirty line at or after `from` (and before `to`, when given),
    // or -1.
    int NextDirty(int from, int to = -1) const;
    int Count() const { return m_count; }
    int LineCount() const { return static_cast<int>(m_flags.size()); }

    // The lines edited since the last call: the first `head` and the last
    // `tail` lines are as they were then.
    struct EditedSpan {
        int head = 0;
        int tail = 0;
    };
    EditedSpan TakeEdited();

private:
    enum Flag : std::uint8_t { kClean, kDirty, kCheck };
    std::vector<std::uint8_t> m_flags;
    int m_count = 0;
    // No line before this one is dirty: a search for the next dirty line
    // near the end of a long document starts here, not at the top.
    mutable int m_low = 0;
    int m_checks = 0;  // lines only to check
    // The span edited since TakeEdited, as lines kept at either end.
    bool m_edited = true;
    int m_keptHead = 0;
    int m_keptTail = 0;
};
