#pragma once

#include "twips.h"

namespace tukomi {

// A rectangle of whole pixels in the window.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// How a layout kept in twips is drawn in a window of some size. At factor 1
// a pixel is 15 twips, the size the layout was drawn for; at factor 2 every
// twip covers twice the pixels. The layout's top-left corner lies at the
// origin, so a window larger than the scaled layout shows it centred.
//
// Edges are rounded, not sizes: two rectangles that meet in twips meet in
// pixels, so the pieces of a whole picture join without a gap or an overlap
// at any factor, and a grid line drawn at a cell's edge falls on the piece's
// edge. A rectangle's pixel size may therefore differ by one from place to
// place at fractional factors.
class LayoutScale {
public:
    // Factor 1, the layout's corner at the window's.
    LayoutScale() = default;
    LayoutScale(double factor, int originX, int originY);

    // The largest factor at which `layoutWidthTwips` x `layoutHeightTwips`
    // fits a client area of `clientWidth` x `clientHeight` pixels, keeping
    // its proportions, with the layout centred in the room left over.
    static LayoutScale fitting(double layoutWidthTwips, double layoutHeightTwips, int clientWidth,
                               int clientHeight);

    double factor() const { return factor_; }
    int originX() const { return originX_; }
    int originY() const { return originY_; }

    // The pixel edge a horizontal or vertical position in twips falls on,
    // as a whole number held in a double, so that a piece thrown far away
    // cannot overflow an int.
    double edgeX(double twips) const;
    double edgeY(double twips) const;
    int x(double twips) const;
    int y(double twips) const;
    PixelRect rect(const RectTwips& r) const;
    // The client size the whole layout takes at this factor, margins left out.
    int width(double twips) const { return x(twips) - originX_; }
    int height(double twips) const { return y(twips) - originY_; }

    // The point in twips under a window pixel position (a mouse pointer).
    float twipsX(double pixelX) const;
    float twipsY(double pixelY) const;

    // A font's size at this factor.
    double points(double pointsAtFactorOne) const { return pointsAtFactorOne * factor_; }
    // How thick a one-pixel line of the layout is drawn: whole pixels, never
    // less than one.
    int lineWidth() const;

    bool operator==(const LayoutScale&) const = default;

private:
    double factor_ = 1.0;
    int originX_ = 0;
    int originY_ = 0;
};

}  // namespace tukomi
