#include "layout_scale.h"

#include <gtest/gtest.h>

#include "board.h"

namespace tukomi {
namespace {

constexpr double kLayoutWidth = 8970;  // 598 x 360 pixels at factor 1
constexpr double kLayoutHeight = 5400;
constexpr float kCellWidth = 1635;  // 109 x 120 pixels
constexpr float kCellHeight = 1800;

TEST(LayoutScale, FitsTheLayoutIntoTheWindowKeepingItsProportionsAndCentresIt) {
    const struct {
        int width, height;
        double factor;
        int originX, originY;
    } cases[] = {
        {598, 360, 1.0, 0, 0},           {1196, 720, 2.0, 0, 0},           {1920, 1080, 3.0, 63, 0},
        {1366, 768, 768.0 / 360, 45, 0}, {800, 1280, 800.0 / 598, 0, 399},  // a tablet held upright
        {599, 361, 599.0 / 598, 0, 0},  // one pixel more is no margin
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        const LayoutScale s = LayoutScale::fitting(kLayoutWidth, kLayoutHeight, c.width, c.height);
        EXPECT_DOUBLE_EQ(s.factor(), c.factor);
        EXPECT_EQ(s.originX(), c.originX);
        EXPECT_EQ(s.originY(), c.originY);
        // The layout lies inside the window, touching two opposite sides.
        EXPECT_LE(s.x(kLayoutWidth), c.width);
        EXPECT_LE(s.y(kLayoutHeight), c.height);
        EXPECT_TRUE(s.x(kLayoutWidth) == c.width || s.y(kLayoutHeight) == c.height);
    }
}

TEST(LayoutScale, ControlsAndPointerPositionsMapBothWays) {
    const RectTwips startButton{5040, 120, 1710, 705};
    const struct {
        LayoutScale scale;
        PixelRect button;
    } cases[] = {
        {LayoutScale(), {336, 8, 114, 47}},
        {LayoutScale(1.25, 0, 0), {420, 10, 143, 59}},
        {LayoutScale(2.0, 0, 0), {672, 16, 228, 94}},
        {LayoutScale(3.0, 63, 0), {63 + 1008, 24, 342, 141}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale.factor());
        EXPECT_EQ(c.scale.rect(startButton), c.button);
        // A pointer on the button's corner is on its corner in twips too.
        EXPECT_NEAR(c.scale.twipsX(c.button.x), startButton.left, 7.5 / c.scale.factor());
        EXPECT_NEAR(c.scale.twipsY(c.button.y), startButton.top, 7.5 / c.scale.factor());
    }
}

TEST(LayoutScale, PiecesOfAWholePictureMeetWithoutGapsAtEveryFactor) {
    for (int hundredths = 100; hundredths <= 400; ++hundredths) {
        const LayoutScale s(hundredths / 100.0, 63, 5);
        SCOPED_TRACE(s.factor());
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const PixelRect cell = s.rect(
                    {1 + column * kCellWidth, 1 + row * kCellHeight, kCellWidth, kCellHeight});
                const PixelRect right = s.rect({1 + (column + 1) * kCellWidth,
                                                1 + row * kCellHeight, kCellWidth, kCellHeight});
                const PixelRect below =
                    s.rect({1 + column * kCellWidth, 1 + (row + 1) * kCellHeight, kCellWidth,
                            kCellHeight});
                ASSERT_EQ(cell.x + cell.width, right.x);
                ASSERT_EQ(cell.y + cell.height, below.y);
                ASSERT_NEAR(cell.width, 109 * s.factor(), 1.0);
            }
        }
    }
}

TEST(LayoutScale, GridLinesLieOnTheCellEdgesInsideTheBoard) {
    Board board([] { return 0.0; });
    for (int i = 1; i <= Board::kPieceCount; ++i)
        board.setPieceSize(i, kCellWidth, kCellHeight);
    board.AssembleBoard();
    board.ComputeCellTargets();
    board.StartPuzzle(5040, 2235);
    const struct {
        LayoutScale scale;
        int lineWidth;
    } cases[] = {
        {LayoutScale(), 1},
        {LayoutScale(1.5, 0, 0), 1},
        {LayoutScale(2.0, 0, 0), 2},
        {LayoutScale::fitting(kLayoutWidth, kLayoutHeight, 1366, 768), 2},
        {LayoutScale(2.995, 0, 0), 3},  // a window one pixel short of three times
        {LayoutScale(3.0, 63, 0), 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scale.factor());
        const LayoutScale& s = c.scale;
        const int left = s.x(1), top = s.y(1);
        const int right = s.x(1 + 3 * kCellWidth), bottom = s.y(1 + 3 * kCellHeight);
        // The board ends with the layout, not a pixel below it.
        EXPECT_EQ(bottom, s.y(kLayoutHeight));
        for (int n = 1; n <= Board::kLineCount; ++n) {
            SCOPED_TRACE(n);
            const PixelRect line = board.gridLinePixels(n, s);
            EXPECT_EQ(std::min(line.width, line.height), c.lineWidth);
            EXPECT_GE(line.x, left);
            EXPECT_GE(line.y, top);
            EXPECT_LE(line.x + line.width, right);
            EXPECT_LE(line.y + line.height, bottom);
        }
        // The inner lines start on the edges of the second and third cells.
        EXPECT_EQ(board.gridLinePixels(2, s).x, s.x(board.cellLeft(2)));
        EXPECT_EQ(board.gridLinePixels(7, s).y, s.y(board.cellTop(7)));
    }
}

}  // namespace
}  // namespace tukomi
