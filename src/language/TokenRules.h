#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What a token of Blitz3D source is, character by character, as the
// compiler cuts it: the language's lexer and the editor's colouring both cut
// lines by these rules, so a name, a number or a string is the same span of
// text to both.
namespace lang::tokens {

constexpr bool IsLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
constexpr bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
constexpr bool IsHexDigit(unsigned char c) { return IsDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'); }
// A name starts with a letter and goes on with letters, digits and '_'.
constexpr bool IsNameStart(unsigned char c) { return IsLetter(c); }
constexpr bool IsNameChar(unsigned char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

inline std::size_t NameEnd(std::string_view line, std::size_t k)
{
    while (k < line.size() && IsNameChar(static_cast<unsigned char>(line[k])))
        ++k;
    return k;
}

// A string runs to its closing quote, or to the line's end without one.
inline std::size_t StringEnd(std::string_view line, std::size_t k, char quote = '"')
{
    for (++k; k < line.size() && line[k] != quote; ++k) {}
    return k < line.size() ? k + 1 : k;
}

// A number literal: 12, 1.5, .5, 3., %1010, $FF.
enum class Number : std::uint8_t { None, Int, Float, Bin, Hex };
struct NumberSpan {
    Number kind = Number::None;
    std::size_t end = 0;
};
inline NumberSpan NumberAt(std::string_view line, std::size_t k)
{
    const std::size_t n = line.size();
    const auto at = [&](std::size_t i) -> unsigned char { return i < n ? static_cast<unsigned char>(line[i]) : 0; };
    const auto digits = [&](std::size_t i, auto&& is) {
        while (i < n && is(at(i)))
            ++i;
        return i;
    };
    const unsigned char c = at(k);
    if (c == '.' && IsDigit(at(k + 1)))
        return {Number::Float, digits(k + 1, IsDigit)};
    if (IsDigit(c)) {
        const std::size_t i = digits(k, IsDigit);
        return at(i) == '.' ? NumberSpan{Number::Float, digits(i + 1, IsDigit)} : NumberSpan{Number::Int, i};
    }
    if (c == '%' && (at(k + 1) == '0' || at(k + 1) == '1'))
        return {Number::Bin, digits(k + 1, [](unsigned char b) { return b == '0' || b == '1'; })};
    if (c == '$' && IsHexDigit(at(k + 1)))
        return {Number::Hex, digits(k + 1, IsHexDigit)};
    return {Number::None, k};
}

}  // namespace lang::tokens
