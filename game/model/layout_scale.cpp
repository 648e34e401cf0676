#include "layout_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tukomi {
namespace {

int toInt(double pixels) {
    constexpr double kLimit = std::numeric_limits<int>::max() / 2;
    if (std::isnan(pixels))
        return 0;
    return static_cast<int>(std::clamp(pixels, -kLimit, kLimit));
}

}  // namespace

LayoutScale::LayoutScale(double factor, int originX, int originY)
    : factor_(std::isfinite(factor) && factor > 0 ? factor : 1.0),
      originX_(originX),
      originY_(originY) {}

LayoutScale LayoutScale::fitting(double layoutWidthTwips, double layoutHeightTwips, int clientWidth,
                                 int clientHeight) {
    if (!(layoutWidthTwips > 0) || !(layoutHeightTwips > 0) || clientWidth <= 0 ||
        clientHeight <= 0)
        return {};
    const double factor = std::min(clientWidth * kTwipsPerPixel / layoutWidthTwips,
                                   clientHeight * kTwipsPerPixel / layoutHeightTwips);
    const LayoutScale atCorner(factor, 0, 0);
    // What is left over is shared out, the odd pixel going to the right and bottom.
    return LayoutScale(factor, (clientWidth - atCorner.x(layoutWidthTwips)) / 2,
                       (clientHeight - atCorner.y(layoutHeightTwips)) / 2);
}

double LayoutScale::edgeX(double twips) const {
    return originX_ + std::round(twips * factor_ / kTwipsPerPixel);
}

double LayoutScale::edgeY(double twips) const {
    return originY_ + std::round(twips * factor_ / kTwipsPerPixel);
}

int LayoutScale::x(double twips) const {
    return toInt(edgeX(twips));
}

int LayoutScale::y(double twips) const {
    return toInt(edgeY(twips));
}

PixelRect LayoutScale::rect(const RectTwips& r) const {
    const int left = x(r.left);
    const int top = y(r.top);
    return PixelRect{left, top, x(double(r.left) + r.width) - left,
                     y(double(r.top) + r.height) - top};
}

float LayoutScale::twipsX(double pixelX) const {
    return static_cast<float>((pixelX - originX_) * kTwipsPerPixel / factor_);
}

float LayoutScale::twipsY(double pixelY) const {
    return static_cast<float>((pixelY - originY_) * kTwipsPerPixel / factor_);
}

int LayoutScale::lineWidth() const {
    // A little slack, so that 2.999 (a client one pixel short) still draws 3.
    return std::max(1, static_cast<int>(std::floor(factor_ + 0.01)));
}

}  // namespace tukomi
