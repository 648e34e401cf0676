#include "dragging.h"

#include <gtest/gtest.h>

#include <limits>

namespace tukomi {
namespace {

constexpr float kW = 1635;
constexpr float kH = 1800;
constexpr float kPileLeft = 5040;
constexpr float kPileTop = 2235;

class DraggingTest : public ::testing::Test {
protected:
    DraggingTest() : board([] { return 0.5; }), dragging(board) {
        for (int i = 1; i <= 9; ++i)
            board.setPieceSize(i, kW, kH);
        board.AssembleBoard(false);
        board.ComputeCellTargets();
    }

    // Grabs `piece` at its top-left corner and lets it go with that corner at (left, top).
    DropResult drop(int piece, float left, float top) {
        const RectTwips& p = board.piece(piece);
        dragging.press(piece, p.left, p.top);
        dragging.move(left, top);
        return dragging.release(kPileLeft, kPileTop);
    }

    void pile() { board.StartPuzzle(kPileLeft, kPileTop); }

    Board board;
    Dragging dragging;
};

struct FitCase {
    const char* name;
    float dx, dy;  // offset of the dropped corner from cell 5's target
    bool snaps;
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << "dx " << c.dx << " dy " << c.dy << (c.snaps ? " snaps" : " stays");
}

class FitTest : public DraggingTest, public ::testing::WithParamInterface<FitCase> {};

TEST_P(FitTest, SnapsOnlyStrictlyInsideAThirdOfAPieceWidth) {
    pile();
    const FitCase& c = GetParam();
    const DropResult result = drop(5, 1636 + c.dx, 1801 + c.dy);
    EXPECT_EQ(!result.cellsCaught.empty(), c.snaps);
    if (c.snaps) {
        EXPECT_EQ(board.piece(5).left, 1636);
        EXPECT_EQ(board.piece(5).top, 1801);
    } else {
        EXPECT_EQ(board.piece(5).left, 1636 + c.dx) << "a miss stays where it was dropped";
        EXPECT_EQ(board.piece(5).top, 1801 + c.dy);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Drops, FitTest,
    ::testing::Values(FitCase{"OnTheCorner", 0, 0, true}, FitCase{"JustInsideRight", 544, 0, true},
                      FitCase{"OnTheRadius", 545, 0, false},  // 545^2 == (1635 / 3)^2
                      FitCase{"JustInsideUpLeft", -385, -385, true},
                      FitCase{"DiagonalOutside", -386, -386, false},
                      FitCase{"MiddleOfTheCell", 817, 900, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DraggingTest, PressBringsThePieceToTheFrontAndKeepsTheGrabOffset) {
    pile();
    const int back = board.stackingOrder().front();
    dragging.press(back, kPileLeft + 50, kPileTop + 70);
    EXPECT_EQ(board.frontPiece(), back);
    EXPECT_EQ(dragging.dragIndex(), back);
    dragging.move(300, 400);
    EXPECT_EQ(board.piece(back).left, 250);
    EXPECT_EQ(board.piece(back).top, 330);
}

TEST_F(DraggingTest, DropOnAnOccupiedCellSendsTheOccupantToThePile) {
    pile();
    ASSERT_TRUE(drop(3, 3271, 1).cellsCaught == std::vector<int>{3});
    // Piece 7 dropped near cell 3 takes it; piece 3 goes back to the pile.
    const DropResult result = drop(7, 3271 + 100, 1 - 100);
    EXPECT_EQ(result.cellsCaught, std::vector<int>{3});
    EXPECT_EQ(result.returnedToPile, std::vector<int>{3});
    EXPECT_EQ(board.piece(3).left, kPileLeft);
    EXPECT_EQ(board.piece(3).top, kPileTop);
    EXPECT_EQ(board.piece(7).left, 3271);
    EXPECT_FALSE(result.complete) << "a piece in the wrong cell completes nothing";
}

TEST_F(DraggingTest, FarAwayDropsAreMissesWithoutOverflow) {
    pile();
    // From 46341 twips on, squared distances no longer fit 32 bits.
    const DropResult far = drop(1, 50000, 50000);
    EXPECT_TRUE(far.cellsCaught.empty());
    EXPECT_EQ(dragging.cellDist()[0], std::int64_t{49999} * 49999 * 2);
    const DropResult huge = drop(2, -3.0e38f, 3.0e38f);
    EXPECT_TRUE(huge.cellsCaught.empty());
    EXPECT_EQ(dragging.cellDist()[4], std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Dragging::squaredDistance(std::numeric_limits<double>::quiet_NaN(), 0, 1, 1),
              std::numeric_limits<std::int64_t>::max());
}

TEST_F(DraggingTest, TheLastPiecePutRightCompletesThePicture) {
    pile();
    for (int i = 1; i <= 8; ++i) {
        SCOPED_TRACE(i);
        const DropResult r = drop(i, static_cast<float>(board.cellLeft(i)) + 20,
                                  static_cast<float>(board.cellTop(i)) - 30);
        EXPECT_FALSE(r.complete);
    }
    EXPECT_TRUE(drop(9, 3271 - 200, 3601 + 200).complete);
    EXPECT_EQ(dragging.dragIndex(), 0);
}

TEST_F(DraggingTest, ClickingAPieceOfTheAssembledPictureCompletesIt) {
    const RectTwips p = board.piece(4);
    dragging.press(4, p.left + 10, p.top + 10);
    const DropResult result = dragging.release(kPileLeft, kPileTop);
    EXPECT_TRUE(result.complete);
    EXPECT_TRUE(result.returnedToPile.empty()) << "the piece only left and re-entered its own cell";
}

TEST_F(DraggingTest, ReleaseWithoutAHeldPieceDoesNothing) {
    pile();
    const DropResult result = dragging.release(kPileLeft, kPileTop);
    EXPECT_TRUE(result.cellsCaught.empty());
    EXPECT_FALSE(result.complete);
    dragging.move(10, 10);
    EXPECT_EQ(board.piece(1).left, kPileLeft);
}

TEST_F(DraggingTest, APieceLetGoWhereNoneOfItShowsGoesBackToThePile) {
    // The window's client area is 8970 x 5400 twips, 598 x 360 pixels.
    dragging.setVisibleArea(8970, 5400);
    const struct {
        const char* name;
        float left, top;
        bool backToPile;
    } cases[] = {
        {"last pixel column still shows", 8955, 100, false},
        {"just past the right edge", 8971, 100, true},
        {"last pixel row above the top still shows", 100, 1 - kH + 15, false},
        {"just above the top", 100, 1 - kH, true},
        {"beyond the left edge", -kW - 30, 100, true},
        {"below the bottom", 100, 5401, true},
        {"far away", 1.0e9f, -1.0e9f, true},
    };
    for (const auto& c : cases) {
        pile();
        const DropResult result = drop(2, c.left, c.top);
        EXPECT_EQ(result.returnedFromOutside, c.backToPile) << c.name;
        EXPECT_EQ(board.piece(2).left, c.backToPile ? kPileLeft : c.left) << c.name;
        EXPECT_EQ(board.piece(2).top, c.backToPile ? kPileTop : c.top) << c.name;
    }
}

TEST_F(DraggingTest, InAFullScreenWindowTheRoomBesideTheLayoutCountsAsInSight) {
    // 1920 x 1080 pixels showing the layout three times as large, 63 pixels
    // in from the left: the window's right edge lies at 9285 twips.
    dragging.setView(LayoutScale(3.0, 63, 0), 1920, 1080);
    const struct {
        const char* name;
        float left, top;
        bool backToPile;
    } cases[] = {
        {"in the room left of the board", -300, 100, false},
        {"beyond the window's left edge", -kW - 365, 100, true},
        {"right of the layout, still showing", 9280, 100, false},
        {"just past the window's right edge", 9290, 100, true},
        // A cell's catch radius is the same in twips whatever the window's size.
        {"near cell 5", 1636 + 544, 1801, false},
    };
    for (const auto& c : cases) {
        pile();
        const DropResult result = drop(2, c.left, c.top);
        EXPECT_EQ(result.returnedFromOutside, c.backToPile) << c.name;
        EXPECT_EQ(board.piece(2).left == kPileLeft, c.backToPile) << c.name;
    }
    EXPECT_EQ(board.piece(2).left, 1636) << "snapped";
}

TEST_F(DraggingTest, FlatPiecesCanBeCaughtByTwoCellsAndEndInTheHigherOne) {
    // Pieces three times as wide as high: cells 1 and 4 lie closer than the radius.
    Board flat([] { return 0.0; });
    Dragging d(flat);
    for (int i = 1; i <= 9; ++i)
        flat.setPieceSize(i, 3000, 600);
    flat.AssembleBoard();
    flat.ComputeCellTargets();
    flat.StartPuzzle(kPileLeft, kPileTop);
    flat.movePiece(2, 1, 1);    // piece 2 sits in cell 1
    flat.movePiece(3, 1, 601);  // piece 3 in cell 4
    // Piece 5 dropped 100 twips below cell 1 lies 500 above cell 4: both catch it.
    d.press(5, kPileLeft, kPileTop);
    d.move(1, 101);
    const DropResult result = d.release(kPileLeft, kPileTop);
    EXPECT_EQ(result.cellsCaught, (std::vector<int>{1, 4}));
    EXPECT_EQ(result.returnedToPile, (std::vector<int>{2, 3}));
    EXPECT_EQ(flat.piece(5).top, 601);
}

}  // namespace
}  // namespace tukomi
