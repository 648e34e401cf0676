#pragma once

#include <cmath>

// The game lays out its windows in twips (1/1440 inch). At the usual 96 dots
// per inch a pixel is 15 twips; Qt's device-pixel ratio takes care of screens
// with a higher density.
namespace tukomi {

inline constexpr int kTwipsPerPixel = 15;

// Positions and sizes of controls are kept as single-precision twips, the way
// the layout is specified; pixels are what Qt's widgets take.
inline int twipsToPixels(float twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline float pixelsToTwips(int pixels) {
    return static_cast<float>(pixels * kTwipsPerPixel);
}

// Rounds to the nearest integer with halves going to the even neighbour
// (2.5 -> 2, 3.5 -> 4), independent of the floating-point rounding mode.
inline double roundHalfEven(double value) {
    const double down = std::floor(value);
    const double fraction = value - down;
    if (fraction < 0.5)
        return down;
    if (fraction > 0.5)
        return down + 1.0;
    return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

struct RectTwips {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

}  // namespace tukomi
