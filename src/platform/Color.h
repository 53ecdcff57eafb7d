#pragma once

#include <cstdint>

// A colour as the preferences hold it: red in the low byte, then green, then
// blue.
using Color = std::uint32_t;

constexpr Color Rgb(int r, int g, int b)
{
    return Color(r & 0xFF) | (Color(g & 0xFF) << 8) | (Color(b & 0xFF) << 16);
}
constexpr int RedOf(Color c) { return int(c & 0xFF); }
constexpr int GreenOf(Color c) { return int((c >> 8) & 0xFF); }
constexpr int BlueOf(Color c) { return int((c >> 16) & 0xFF); }
