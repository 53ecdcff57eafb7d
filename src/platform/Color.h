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

// `a` moved `share` (0 to 1) of the way towards `b`.
constexpr Color Blend(Color a, Color b, double share)
{
    auto part = [share](int x, int y) { return int(x + (y - x) * share + 0.5); };
    return Rgb(part(RedOf(a), RedOf(b)), part(GreenOf(a), GreenOf(b)), part(BlueOf(a), BlueOf(b)));
}

// Perceived lightness from 0 (black) to 255 (white).
constexpr int LightnessOf(Color c)
{
    return (RedOf(c) * 299 + GreenOf(c) * 587 + BlueOf(c) * 114) / 1000;
}
