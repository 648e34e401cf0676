#include "dragging.h"

#include <cmath>
#include <limits>

namespace tukomi {

std::int64_t Dragging::squaredDistance(double left, double top, std::int32_t cellLeft,
                                       std::int32_t cellTop) {
    const double dx = static_cast<double>(cellLeft) - left;
    const double dy = static_cast<double>(cellTop) - top;
    const double d = dy * dy + dx * dx;
    // 2^63 is exactly representable; anything at or beyond it (or NaN from a
    // piece thrown to infinity) is simply very far away.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(d < kLimit))
        return std::numeric_limits<std::int64_t>::max();
    return std::llround(d);
}

void Dragging::setView(const LayoutScale& scale, int clientWidth, int clientHeight) {
    view_ = View{scale, clientWidth, clientHeight};
}

void Dragging::setVisibleArea(float widthTwips, float heightTwips) {
    setView(LayoutScale(), twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

bool Dragging::isVisible(const RectTwips& piece) const {
    if (!view_)
        return true;
    // In doubles, so that a piece thrown far away cannot overflow; a NaN
    // corner is seen nowhere.
    const LayoutScale& s = view_->scale;
    const double left = s.edgeX(piece.left);
    const double top = s.edgeY(piece.top);
    const double right = s.edgeX(double(piece.left) + piece.width);
    const double bottom = s.edgeY(double(piece.top) + piece.height);
    return left < view_->width && right > 0 && top < view_->height && bottom > 0;
}

void Dragging::press(int piece, float pointerLeft, float pointerTop) {
    const RectTwips& p = board_.piece(piece);
    dragIndex_ = piece;
    grabLeft_ = pointerLeft - p.left;
    grabTop_ = pointerTop - p.top;
    board_.bringToFront(piece);
}

void Dragging::move(float pointerLeft, float pointerTop) {
    if (dragIndex_ == 0)
        return;
    board_.movePiece(dragIndex_, pointerLeft - grabLeft_, pointerTop - grabTop_);
}

DropResult Dragging::release(float pileLeft, float pileTop) {
    DropResult result;
    if (dragIndex_ < 1) {
        dragIndex_ = 0;
        return result;
    }
    const RectTwips dropped = board_.piece(dragIndex_);
    for (int k = 1; k <= Board::kPieceCount; ++k)
        cellDist_[static_cast<std::size_t>(k - 1)] =
            squaredDistance(dropped.left, dropped.top, board_.cellLeft(k), board_.cellTop(k));

    const double third = static_cast<double>(board_.piece(1).width) / 3.0;
    const double catchRadiusSquared = third * third;
    for (int k = 1; k <= Board::kPieceCount; ++k) {
        if (!(catchRadiusSquared > static_cast<double>(cellDist_[static_cast<std::size_t>(k - 1)])))
            continue;
        const auto targetLeft = static_cast<float>(board_.cellLeft(k));
        const auto targetTop = static_cast<float>(board_.cellTop(k));
        for (int j = 1; j <= Board::kPieceCount; ++j) {
            const RectTwips& occupant = board_.piece(j);
            if (occupant.left == targetLeft && occupant.top == targetTop) {
                board_.movePiece(j, pileLeft, pileTop);
                if (j != dragIndex_)
                    result.returnedToPile.push_back(j);
            }
        }
        board_.movePiece(dragIndex_, targetLeft, targetTop);
        result.cellsCaught.push_back(k);
    }

    if (result.cellsCaught.empty() && !isVisible(board_.piece(dragIndex_))) {
        board_.movePiece(dragIndex_, pileLeft, pileTop);
        result.returnedFromOutside = true;
    }

    result.complete = true;
    for (int i = 1; i <= Board::kPieceCount; ++i) {
        const RectTwips& p = board_.piece(i);
        if (p.left != static_cast<float>(board_.cellLeft(i)) ||
            p.top != static_cast<float>(board_.cellTop(i)))
            result.complete = false;
    }
    dragIndex_ = 0;
    return result;
}

}  // namespace tukomi
