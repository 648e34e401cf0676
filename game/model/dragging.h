#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "board.h"

namespace tukomi {

// What a release did to the board.
struct DropResult {
    // Cells that caught the piece, in ascending order; the piece ends in the last.
    std::vector<int> cellsCaught;
    // Pieces that sat in a catching cell and went back to the pile.
    std::vector<int> returnedToPile;
    // The piece was let go where none of it could be seen and went back to the pile.
    bool returnedFromOutside = false;
    // Every piece sits on its own cell.
    bool complete = false;
};

// Moving pieces with the mouse, in board coordinates (twips). The child
// presses on a piece, which comes to the front, carries it by the point where
// it was grasped, and lets go: a piece whose top-left corner lands within a
// third of a piece width of a cell's corner snaps into that cell, and whatever
// sat there goes back to the pile. A piece let go where no pixel of it is in
// the visible area goes back to the pile too, so that none is ever out of
// reach.
class Dragging {
public:
    explicit Dragging(Board& board) : board_(board) {}

    // What the child sees: a client area of `clientWidth` x `clientHeight`
    // pixels with the layout drawn into it at `scale`. Until it is set, a
    // piece stays wherever it is let go.
    void setView(const LayoutScale& scale, int clientWidth, int clientHeight);
    // The same for a window that shows the layout at factor 1 and no more
    // than `widthTwips` x `heightTwips` of it.
    void setVisibleArea(float widthTwips, float heightTwips);
    // Whether any pixel of `piece` lies in the client area, with the piece
    // placed on whole pixels as the window places it.
    bool isVisible(const RectTwips& piece) const;

    // The piece being carried, 1..9, or 0 when none is held.
    int dragIndex() const { return dragIndex_; }

    // Takes piece `piece` at the pointer position (window coordinates).
    void press(int piece, float pointerLeft, float pointerTop);
    // Carries the held piece so that the grasped point stays under the pointer.
    void move(float pointerLeft, float pointerTop);
    // Lets the held piece go where it is: fit test, snapping and the
    // completion test. The pile point is where displaced pieces go. Without a
    // held piece nothing happens but the release.
    DropResult release(float pileLeft, float pileTop);

    // Squared distances from the last released piece's corner to each cell
    // target, in square twips; wide enough for pieces dragged far away.
    const std::array<std::int64_t, Board::kPieceCount>& cellDist() const { return cellDist_; }

    // Squared distance between a corner and a cell target, rounded to the
    // nearest integer and saturated instead of overflowing.
    static std::int64_t squaredDistance(double left, double top, std::int32_t cellLeft,
                                        std::int32_t cellTop);

private:
    Board& board_;
    int dragIndex_ = 0;
    float grabLeft_ = 0;  // pointer minus piece corner at the press
    float grabTop_ = 0;
    struct View {
        LayoutScale scale;
        int width = 0;
        int height = 0;
    };
    std::optional<View> view_;
    std::array<std::int64_t, Board::kPieceCount> cellDist_{};
};

}  // namespace tukomi
