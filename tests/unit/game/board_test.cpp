#include "board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace tukomi {
namespace {

constexpr float kW = 1635;  // 109 pixels
constexpr float kH = 1800;  // 120 pixels
constexpr float kPileLeft = 5040;
constexpr float kPileTop = 2235;

Board boardWithPieces(Board::UniformSource source = [] { return 0.0; }) {
    Board board(std::move(source));
    for (int i = 1; i <= Board::kPieceCount; ++i)
        board.setPieceSize(i, kW, kH);
    return board;
}

// Replays a fixed list of values as the random source.
Board::UniformSource replay(std::vector<double> values) {
    auto next = std::make_shared<std::size_t>(0);
    return [values = std::move(values), next] { return values.at((*next)++ % values.size()); };
}

TEST(BoardTest, AssemblyPutsEveryPieceOnItsCellTarget) {
    Board board = boardWithPieces();
    board.AssembleBoard(false);
    board.ComputeCellTargets();
    const int lefts[] = {1, 1636, 3271};
    const int tops[] = {1, 1801, 3601};
    for (int i = 1; i <= 9; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(board.cellLeft(i), lefts[(i - 1) % 3]);
        EXPECT_EQ(board.cellTop(i), tops[(i - 1) / 3]);
        EXPECT_EQ(board.piece(i).left, static_cast<float>(board.cellLeft(i)));
        EXPECT_EQ(board.piece(i).top, static_cast<float>(board.cellTop(i)));
    }
    EXPECT_FALSE(board.gridVisible());
}

TEST(BoardTest, AssemblyReadsEachPiecesOwnSize) {
    // A piece of another size shifts its right-hand neighbours; the targets
    // keep the size of piece 1.
    Board board = boardWithPieces();
    board.setPieceSize(4, 1000, 900);
    board.AssembleBoard();
    board.ComputeCellTargets();
    EXPECT_EQ(board.piece(5).left, 1 + 1000);
    EXPECT_EQ(board.piece(7).top, 1 + kH + 900);
    EXPECT_EQ(board.cellLeft(5), 1636);
    EXPECT_EQ(board.cellTop(7), 3601);
}

TEST(BoardTest, CellTargetsRoundHalvesToEven) {
    Board board;
    board.setPieceSize(1, 1.5f, 2.5f);  // 1 + 1.5 = 2.5 -> 2; 1 + 2 * 2.5 = 6
    board.ComputeCellTargets();
    EXPECT_EQ(board.cellLeft(2), 2);
    EXPECT_EQ(board.cellLeft(3), 4);
    EXPECT_EQ(board.cellTop(4), 4);  // 3.5 -> 4
    EXPECT_EQ(board.cellTop(7), 6);
}

TEST(BoardTest, StartPilesAllPiecesAndDrawsTheGrid) {
    Board board = boardWithPieces();
    board.AssembleBoard();
    board.movePiece(1, 200, 300);  // piece 1 somewhere else does not move the grid
    board.StartPuzzle(kPileLeft, kPileTop);
    for (int i = 1; i <= 9; ++i) {
        EXPECT_EQ(board.piece(i).left, kPileLeft) << i;
        EXPECT_EQ(board.piece(i).top, kPileTop) << i;
    }
    const GridLine expected[] = {
        {1, 1, 1, 5401}, {1636, 1, 1636, 5401}, {3271, 1, 3271, 5401}, {4906, 1, 4906, 5401},
        {1, 1, 4906, 1}, {1, 1801, 4906, 1801}, {1, 3601, 4906, 3601}, {1, 5401, 4906, 5401},
    };
    for (int n = 1; n <= 8; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(board.line(n).x1, expected[n - 1].x1);
        EXPECT_EQ(board.line(n).y1, expected[n - 1].y1);
        EXPECT_EQ(board.line(n).x2, expected[n - 1].x2);
        EXPECT_EQ(board.line(n).y2, expected[n - 1].y2);
    }
    EXPECT_TRUE(board.gridVisible());

    // Pressed again: the same pile and the same grid.
    board.StartPuzzle(kPileLeft, kPileTop);
    EXPECT_EQ(board.piece(9).left, kPileLeft);
    EXPECT_EQ(board.line(8).x2, 4906);
}

TEST(BoardTest, AssemblingAfterStartHidesTheGridKeepingItsRows) {
    Board board = boardWithPieces();
    board.StartPuzzle(kPileLeft, kPileTop);
    board.AssembleBoard();
    EXPECT_FALSE(board.gridVisible());
    EXPECT_EQ(board.line(6).x1, GridLine::kHiddenX);
    EXPECT_EQ(board.line(6).x2, GridLine::kHiddenX);
    EXPECT_EQ(board.line(6).y1, 1801);
    EXPECT_EQ(board.piece(5).left, 1636);
}

TEST(BoardTest, DrawsMapToPiecesWithHalvesToEven) {
    struct Case {
        double r;
        int piece;
    };
    const Case cases[] = {
        {0.0, 1},     {0.0624, 1},  // 1.4992 -> 1
        {0.0625, 2},                // 1.5 -> 2
        {0.1875, 2},                // 2.5 -> 2
        {0.3125, 4},                // 3.5 -> 4
        {0.5, 5},     {0.9374, 8},  // 8.4992 -> 8
        {0.9375, 8},                // 8.5 -> 8
        {0.99999, 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Board::pieceForDraw(c.r), c.piece) << "r = " << c.r;
    // A broken source never names a piece that does not exist.
    EXPECT_EQ(Board::pieceForDraw(-3.0), 1);
    EXPECT_EQ(Board::pieceForDraw(7.0), 9);
}

TEST(BoardTest, ShuffleBringsTheDrawnPiecesToTheFrontInDrawOrder) {
    // r = 0.5 -> 5, 0.1875 -> 2, 0.75 -> 7, 0.5 -> 5 again, ...; eight draws.
    Board board = boardWithPieces(replay({0.5, 0.1875, 0.75, 0.5, 0.0, 0.0, 0.25, 0.125}));
    board.StartPuzzle(kPileLeft, kPileTop);
    // Draws: 5 2 7 5 1 1 3 2. Undrawn pieces keep their order at the back.
    EXPECT_EQ(board.stackingOrder(), (std::vector<int>{4, 6, 8, 9, 7, 5, 1, 3, 2}));
    EXPECT_EQ(board.frontPiece(), 2);
}

TEST(BoardTest, ShuffleDrawsEightTimesPerStart) {
    int draws = 0;
    Board board = boardWithPieces([&draws] {
        ++draws;
        return 0.5;
    });
    board.StartPuzzle(kPileLeft, kPileTop);
    EXPECT_EQ(draws, 8);
}

TEST(BoardTest, DefaultSourceShufflesDifferentlyAcrossStarts) {
    // With one seed for the whole run the eight draws differ; a clock reseeded
    // before each draw would bring one piece forward eight times.
    Board board = boardWithPieces({});
    std::map<int, int> frontCounts;
    int startsWithManyFronts = 0;
    for (int start = 0; start < 200; ++start) {
        board.StartPuzzle(kPileLeft, kPileTop);
        ++frontCounts[board.frontPiece()];
        const auto& order = board.stackingOrder();
        // Count distinct pieces among the last four: same-seed draws give one.
        std::vector<int> last(order.end() - 4, order.end());
        std::sort(last.begin(), last.end());
        if (std::unique(last.begin(), last.end()) - last.begin() == 4)
            ++startsWithManyFronts;
    }
    EXPECT_EQ(frontCounts.size(), 9u);
    EXPECT_GT(startsWithManyFronts, 100);
}

TEST(BoardTest, DrawDistributionGivesTheEndPiecesHalfWeight) {
    // Uniform r on a fine grid: pieces 1 and 9 get 1/16 each, 2..8 get 1/8.
    std::map<int, int> counts;
    constexpr int kSteps = 16000;
    for (int s = 0; s < kSteps; ++s)
        ++counts[Board::pieceForDraw((s + 0.5) / kSteps)];
    EXPECT_EQ(counts[1], kSteps / 16);
    EXPECT_EQ(counts[9], kSteps / 16);
    for (int k = 2; k <= 8; ++k)
        EXPECT_EQ(counts[k], kSteps / 8) << k;
}

TEST(BoardTest, PieceNumbersOutsideTheBoardAreRefused) {
    Board board;
    EXPECT_THROW(board.piece(0), std::out_of_range);
    EXPECT_THROW(board.movePiece(10, 0, 0), std::out_of_range);
    EXPECT_THROW(board.bringToFront(-1), std::out_of_range);
}

}  // namespace
}  // namespace tukomi
