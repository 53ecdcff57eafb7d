#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Places in text as the protocol gives them and as the program model takes
// them. The model counts a column in bytes of UTF-8 (the editor's text); a
// client counts in the units of the position encoding agreed at start-up:
// UTF-16 code units unless both sides chose otherwise.
namespace lsp {

enum class Encoding { Utf8, Utf16, Utf32 };

// The byte column of a line (its text without the line end) that `units`
// units of the encoding reach; past the end, the end. A unit count that
// falls inside a character gives that character's start.
std::uint32_t ByteColumn(std::string_view line, std::uint32_t units, Encoding encoding);
// The units of the encoding before byte column `bytes`.
std::uint32_t UnitColumn(std::string_view line, std::uint32_t bytes, Encoding encoding);

// A protocol position: a line and a column in units.
struct Position {
    std::uint32_t line = 0, character = 0;
};

// A line-by-line change of a text, as the model takes edits: lines
// [first, first + oldCount) became the `newCount` lines starting at byte
// `start` of the new text, `length` bytes with their line ends.
struct LineEdit {
    std::uint32_t first = 0, oldCount = 0, newCount = 0;
    std::size_t start = 0, length = 0;
};

// An open document's text (UTF-8) and where its lines start; CR LF, LF and a
// lone CR each end a line, as in the model.
class DocumentText {
public:
    explicit DocumentText(QByteArray text = {});

    const QByteArray& Text() const { return m_text; }
    std::uint32_t LineCount() const { return std::uint32_t(m_starts.size()); }
    // A line without its line end; empty past the last.
    std::string_view Line(std::uint32_t row) const;
    std::string_view Lines(const LineEdit& edit) const
    {
        return std::string_view(m_text.constData() + edit.start, edit.length);
    }

    // Replaces the text between two positions (a range past the end is cut
    // to it; one whose end comes before its start is taken backwards) and
    // says which lines changed.
    LineEdit Replace(Position from, Position to, std::string_view text, Encoding encoding);

private:
    std::size_t Offset(Position p, Encoding encoding) const;
    std::size_t LineStartAfter(std::uint32_t row) const;

    QByteArray m_text;
    std::vector<std::uint32_t> m_starts;
};

}  // namespace lsp
