#pragma once

#include <array>

namespace tukomi {

// The window's size as a factor of the layout's own size (598 x 360 pixels
// for the main window): the steps Ctrl + and Ctrl - go through, and their
// limits. Between the steps lie the factors a window dragged to another size
// or filling the screen takes.
inline constexpr std::array<double, 11> kZoomSteps{1.0, 1.25, 1.5, 1.75, 2.0, 2.5,
                                                   3.0, 3.5,  4.0, 5.0,  6.0};
inline constexpr double kMinZoom = kZoomSteps.front();
inline constexpr double kMaxZoom = kZoomSteps.back();

// `zoom` made a factor the window can take when the largest that fits the
// screen is `largest`: within the limits and never beyond the screen. Never
// below kMinZoom, even on a screen too small for the layout itself; what is
// not a number is kMinZoom.
double clampZoom(double zoom, double largest);

// One step larger than `zoom`, or `largest` when that step would not fit
// the screen; `zoom` itself once the window fills the screen.
double zoomIn(double zoom, double largest);

// One step smaller than `zoom`, down to kMinZoom.
double zoomOut(double zoom);

}  // namespace tukomi
