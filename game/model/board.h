#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "layout_scale.h"
#include "twips.h"

namespace tukomi {

// One grid line of the board, in twips. A hidden line has x1 == x2 == -10000.
struct GridLine {
    float x1 = 0;
    float y1 = 0;
    float x2 = 0;
    float y2 = 0;

    bool visible() const { return !(x1 == kHiddenX && x2 == kHiddenX); }
    static constexpr float kHiddenX = -10000.0f;
};

// The 3 x 3 puzzle board of the main window: nine pieces, the eight grid lines,
// the cell targets and the stacking order of the pieces. Pieces and cells are
// numbered 1..9 row by row from the top left; piece i belongs to cell i.
// The board knows nothing about widgets: the window mirrors it after each
// operation.
class Board {
public:
    static constexpr int kPieceCount = 9;
    static constexpr int kLineCount = 8;
    static constexpr int kShuffleDraws = 8;

    // A source of uniform random values in [0, 1).
    using UniformSource = std::function<double()>;

    // `uniform` is drawn from by StartPuzzle; the default is a generator
    // seeded once from the system's entropy source.
    explicit Board(UniformSource uniform = {});

    // Piece i (1..9) as it stands now.
    const RectTwips& piece(int i) const { return pieces_.at(index(i)); }
    void setPieceSize(int i, float widthTwips, float heightTwips);
    void movePiece(int i, float leftTwips, float topTwips);

    const GridLine& line(int n) const { return lines_.at(static_cast<std::size_t>(n - 1)); }
    // Grid line n as the window draws it at `scale` while the grid is shown:
    // the scale's line width, over the pixels of the cells only. A line along
    // the board's far edge lies on the cells' last pixel columns or rows
    // rather than just past them, where it would fall outside the board
    // (and, for the bottom line, outside the layout).
    PixelRect gridLinePixels(int n, const LayoutScale& scale = {}) const;
    // Puts the lines where the window parks them before the first Start:
    // along the left edge, out of sight.
    void parkLines();
    bool gridVisible() const;

    // Lays the pieces edge to edge as the whole picture, each piece's own
    // size read at the moment it is used. `hideGrid` is false only at
    // start-up, when the lines are already out of sight.
    void AssembleBoard(bool hideGrid = true);

    // Computes the cell targets from the size of piece 1 as it is now.
    void ComputeCellTargets();
    std::int32_t cellLeft(int i) const { return cellLeft_.at(index(i)); }
    std::int32_t cellTop(int i) const { return cellTop_.at(index(i)); }

    // Draws the grid, piles every piece at `pile` and shuffles the stacking
    // order with eight draws. The seconds clock is the window's business.
    void StartPuzzle(float pileLeftTwips, float pileTopTwips);

    // The piece drawn `draw` (0..7): k = 8r + 1 rounded half to even.
    static int pieceForDraw(double r);

    // Stacking order, back to front: the last entry is drawn over all others.
    const std::vector<int>& stackingOrder() const { return order_; }
    int frontPiece() const { return order_.back(); }
    void bringToFront(int i);

    // Hides the grid: X1 then X2 go to -10000, the Y values stay.
    void hideGrid();

private:
    static std::size_t index(int i);
    void drawGrid();

    std::array<RectTwips, kPieceCount> pieces_{};
    std::array<GridLine, kLineCount> lines_{};
    std::array<std::int32_t, kPieceCount> cellLeft_{};
    std::array<std::int32_t, kPieceCount> cellTop_{};
    std::vector<int> order_;
    UniformSource uniform_;
};

}  // namespace tukomi
