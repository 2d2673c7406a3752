#pragma once

#include <QtGlobal>

// A 24-bit colour with red in the low byte, green in the middle byte and blue
// in the high byte: 255 is red, 65535 yellow, 16777215 white. This is the
// layout stored in "kvn.txt", so it is used unchanged throughout the logic.
using Colour = quint32;

namespace Colours {
constexpr Colour black = 0;
constexpr Colour red = 255;
constexpr Colour yellow = 65535;
constexpr Colour white = 16777215;
constexpr Colour maximum = 0xFFFFFF;

constexpr int red8(Colour c) { return int(c & 0xFF); }
constexpr int green8(Colour c) { return int((c >> 8) & 0xFF); }
constexpr int blue8(Colour c) { return int((c >> 16) & 0xFF); }
constexpr Colour fromRgb(int r, int g, int b)
{
    return Colour(r & 0xFF) | (Colour(g & 0xFF) << 8) | (Colour(b & 0xFF) << 16);
}
} // namespace Colours
