#pragma once

#include <QtGlobal>

// Window and control lengths are kept in twips, 1440 to the inch. At 96 dpi a
// device-independent pixel is 15 twips; Qt scales pixels on high-dpi screens.
namespace Twips {
constexpr int perPixel = 15;

constexpr int toPixels(int twips)
{
    // Round half away from zero so that a table value and its pixel size agree
    // whichever way the layout arithmetic approaches it.
    return twips >= 0 ? (twips + perPixel / 2) / perPixel : -((-twips + perPixel / 2) / perPixel);
}

constexpr int fromPixels(int pixels) { return pixels * perPixel; }
} // namespace Twips

struct TwipSize
{
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipSize &, const TwipSize &) = default;
};

struct TwipPoint
{
    int left = 0;
    int top = 0;
    friend bool operator==(const TwipPoint &, const TwipPoint &) = default;
};

struct TwipRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipRect &, const TwipRect &) = default;
};
