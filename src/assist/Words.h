#pragma once

#include <string>
#include <string_view>

// A Blitz3D type character: string, float or integer.
bool IsTypeSuffix(char c);

// What stands left of the caret on its line. Every routine takes the caret's
// line as bytes and the caret's end column (the number of bytes of the line
// before the caret, as the editor's selection reports it); they only read.
// Columns past the end of the line behave like the end of the line.

// The word that ends at the caret (one byte before it when `skipLast`, for a
// character that was just typed), without type-suffix characters ("$", "#",
// "%"): after foo$b the word is foob. "" when a selection is present.
std::string GetWordBeforeCaret(std::string_view line, int endColumn, bool selectionPresent,
                               bool skipLast);

// The word delimiter that ends the word before the caret on its left ("\",
// ".", "(", a blank...). With no delimiter on the line it is the line's first
// character, so callers only compare it with the delimiters they care about.
// "" when a selection is present or the caret is at the start of the line.
std::string GetDelimiterBeforeCaret(std::string_view line, int endColumn, bool selectionPresent);

// The word in front of the nearest "\" left of the caret: for p\x with the
// caret after x it is p.
std::string WordBeforeBackslash(std::string_view line, int endColumn, bool selectionPresent);

// An odd number of double quotes before the caret.
bool IsCaretInString(std::string_view line, int endColumn);

// A ";" before the caret, wherever it stands (quotes are not considered).
bool IsCaretInComment(std::string_view line, int endColumn);

// True for a word that reads as a number (3, 2.5, 1e5, -4): typing "." after
// one continues the number and opens no type list.
bool IsNumericWord(std::string_view word);

// True for the characters that end a word on its left.
bool IsWordDelimiter(char c);
