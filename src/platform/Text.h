#pragma once

#include <QString>

#include <string>
#include <string_view>

// Small byte-string helpers shared by the parsers. Sources, command lists and
// the program's own files are 8-bit text; these work on bytes and never assume
// an encoding, except FromBytes, which is where bytes become display text.
namespace text {

// Removes leading and trailing blanks (spaces only, as the file grammars say).
std::string_view TrimBlanks(std::string_view s);
// Removes leading and trailing spaces and tabs.
std::string_view TrimSpace(std::string_view s);

// ASCII lower case; bytes above 0x7F are left as they are.
std::string ToLower(std::string_view s);
char ToLower(char c);
bool EqualsNoCase(std::string_view a, std::string_view b);

bool IsValidUtf8(std::string_view s);
// Decodes the UTF-8 sequence of two to four bytes at `p` (before `end`); its
// length goes to `length`, 0 when the bytes there are no valid sequence
// (overlong, a surrogate, past the last code point, cut short).
char32_t DecodeUtf8(const unsigned char* p, const unsigned char* end, int* length);
bool HasNonAscii(std::string_view s);

// Display text for bytes read from a file: UTF-8 when the bytes are valid
// UTF-8, otherwise Latin-1 (the closest match to the Windows code page the
// files were written in).
QString FromBytes(std::string_view s);
// Bytes for a text that will be written to one of the program's own files.
std::string ToBytes(const QString& s);

// Replaces every occurrence of `from` by `to`.
QString ReplaceAll(QString s, const QString& from, const QString& to);

// The text after a UTF-8 byte-order mark, which Windows editors put at the
// start of a file saved as UTF-8; the text itself when it has none.
std::string_view SkipBom(std::string_view s);

// Calls `each(line, number)` for every line, numbered from 1. CR LF, LF and a
// lone CR each end a line, and a final line end starts no further line.
template <typename Fn>
void ForEachLine(std::string_view bytes, Fn&& each)
{
    int number = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        each(bytes.substr(pos, end - pos), ++number);
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r')
            ++pos;
        if (pos < bytes.size() && bytes[pos] == '\n' && (pos == end || bytes[pos - 1] == '\r'))
            ++pos;
    }
}

}  // namespace text
