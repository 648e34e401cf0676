#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "board.h"

namespace tukomi {

// What a release did to the board.
struct DropResult {
    // Cells that caught the piece, in ascending order; the piece ends in the last.
    std::vector<int> cellsCaught;
    // Pieces that sat in a catching cell and went back to the pile.
    std::vector<int> returnedToPile;
    // Every piece sits on its own cell.
    bool complete = false;
};

// Moving pieces with the mouse, in board coordinates (twips). The child
// presses on a piece, which comes to the front, carries it by the point where
// it was grasped, and lets go: a piece whose top-left corner lands within a
// third of a piece width of a cell's corner snaps into that cell, and whatever
// sat there goes back to the pile.
class Dragging {
public:
    explicit Dragging(Board& board) : board_(board) {}

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
    std::array<std::int64_t, Board::kPieceCount> cellDist_{};
};

}  // namespace tukomi
