#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The messages between the debugger DLL inside a running program and the
// IDE: one line each, fields apart by tabs, the first field naming the
// message. Tabs, line ends and backslashes inside a field are escaped, so
// any text (a DebugLog line, a string variable) travels as it is. Plain C++:
// the DLL and the IDE build the same code.
namespace wire {

using Fields = std::vector<std::string>;

// A line longer than this is no message of ours: the reader gives up on the
// connection instead of growing without end.
constexpr std::size_t kMaxMessage = std::size_t(4) << 20;

// The line for `fields`, its line end included.
std::string Encode(const Fields& fields);
// Appends one field, escaped and preceded by a tab unless it is the first.
void AppendField(std::string& line, std::string_view field, bool first = false);

// Splits the byte stream into messages as it arrives in pieces.
class Reader {
public:
    // Takes the next bytes; false once the stream broke the format (a line
    // past kMaxMessage, an escape that means nothing), after which it takes
    // nothing more.
    bool Feed(std::string_view bytes);
    // The messages complete so far, in order; taking them empties the list.
    std::vector<Fields> Take();
    bool Broken() const { return m_broken; }

private:
    bool finishLine();

    std::string m_line;
    std::vector<Fields> m_done;
    bool m_broken = false;
};

// The integer a field holds, or `fallback` when it holds none.
long long ToInt(std::string_view field, long long fallback = -1);

}  // namespace wire
