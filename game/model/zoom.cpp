#include "zoom.h"

#include <algorithm>
#include <cmath>

namespace tukomi {
namespace {

// Factors this close count as equal: a window's whole pixels never give a
// step back exactly.
constexpr double kSameZoom = 0.005;

}  // namespace

double clampZoom(double zoom, double largest) {
    if (!std::isfinite(zoom))
        return kMinZoom;
    const double limit =
        std::isfinite(largest) ? std::clamp(largest, kMinZoom, kMaxZoom) : kMinZoom;
    return std::clamp(zoom, kMinZoom, limit);
}

double zoomIn(double zoom, double largest) {
    zoom = clampZoom(zoom, largest);
    const double limit = clampZoom(largest, largest);
    for (double step : kZoomSteps)
        if (step > zoom + kSameZoom)
            return std::min(step, limit);
    return zoom;
}

double zoomOut(double zoom) {
    zoom = clampZoom(zoom, kMaxZoom);
    for (auto step = kZoomSteps.rbegin(); step != kZoomSteps.rend(); ++step)
        if (*step < zoom - kSameZoom)
            return *step;
    return kMinZoom;
}

}  // namespace tukomi
