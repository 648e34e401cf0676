#include "board.h"

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>

namespace tukomi {
namespace {

// Seeded once from the system's entropy source. Reseeding before every draw
// (from a clock) would hand the eight draws of one shuffle the same seed.
Board::UniformSource entropySeededUniform() {
    auto engine = std::make_shared<std::mt19937_64>(std::random_device{}());
    return [engine] {
        // 53 random bits scaled into [0, 1): never 1.0.
        return static_cast<double>((*engine)() >> 11) * 0x1.0p-53;
    };
}

}  // namespace

Board::Board(UniformSource uniform)
    : uniform_(uniform ? std::move(uniform) : entropySeededUniform()) {
    order_.reserve(kPieceCount);
    for (int i = 1; i <= kPieceCount; ++i)
        order_.push_back(i);
    parkLines();
}

std::size_t Board::index(int i) {
    if (i < 1 || i > kPieceCount)
        throw std::out_of_range("piece number outside 1..9");
    return static_cast<std::size_t>(i - 1);
}

void Board::setPieceSize(int i, float widthTwips, float heightTwips) {
    auto& p = pieces_[index(i)];
    p.width = widthTwips;
    p.height = heightTwips;
}

void Board::movePiece(int i, float leftTwips, float topTwips) {
    auto& p = pieces_[index(i)];
    p.left = leftTwips;
    p.top = topTwips;
}

void Board::parkLines() {
    // Short stubs at the very left of the client area, drawn nowhere visible.
    for (int n = 0; n < kLineCount; ++n) {
        const float x = -480.0f + 60.0f * static_cast<float>(n);
        lines_[static_cast<std::size_t>(n)] = GridLine{x, 0.0f, x, 0.0f};
    }
}

bool Board::gridVisible() const {
    return std::any_of(lines_.begin(), lines_.end(), [](const GridLine& l) {
        return l.visible() && std::max(l.x1, l.x2) > 0.0f;
    });
}

void Board::AssembleBoard(bool hideGridLines) {
    auto& p = pieces_;
    p[0].top = 1;
    p[1].top = p[0].top;
    p[2].top = p[0].top;
    p[0].left = 1;
    p[1].left = p[0].left + p[0].width;
    p[2].left = p[1].left + p[1].width;

    for (int i : {3, 4, 5})
        p[i].top = p[0].top + p[0].height;
    p[3].left = p[0].left;
    p[4].left = p[3].left + p[3].width;
    p[5].left = p[4].left + p[4].width;

    for (int i : {6, 7, 8})
        p[i].top = p[3].top + p[3].height;
    p[6].left = p[3].left;
    p[7].left = p[6].left + p[6].width;
    p[8].left = p[7].left + p[7].width;

    if (hideGridLines)
        hideGrid();
}

void Board::ComputeCellTargets() {
    const double w = pieces_[0].width;
    const double h = pieces_[0].height;
    for (int i = 0; i < kPieceCount; ++i) {
        const int row = i / 3;
        const int column = i % 3;
        cellLeft_[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(roundHalfEven(1.0 + column * w));
        cellTop_[static_cast<std::size_t>(i)] =
            static_cast<std::int32_t>(roundHalfEven(1.0 + row * h));
    }
}

PixelRect Board::gridLinePixels(int n, const LayoutScale& scale) const {
    // The far edges of the cells, from the ends of all drawn lines.
    int right = 0;
    int bottom = 0;
    for (const GridLine& l : lines_) {
        if (!l.visible())
            continue;
        right = std::max(right, scale.x(std::max(l.x1, l.x2)));
        bottom = std::max(bottom, scale.y(std::max(l.y1, l.y2)));
    }
    const int thickness = scale.lineWidth();
    const GridLine& l = line(n);
    const int x1 = scale.x(std::min(l.x1, l.x2));
    const int y1 = scale.y(std::min(l.y1, l.y2));
    const int x2 = scale.x(std::max(l.x1, l.x2));
    const int y2 = scale.y(std::max(l.y1, l.y2));
    if (x1 == x2)
        return PixelRect{std::min(x1, right - thickness), y1, thickness,
                         std::max(thickness, y2 - y1)};
    return PixelRect{x1, std::min(y1, bottom - thickness), std::max(thickness, x2 - x1), thickness};
}

void Board::hideGrid() {
    for (auto& l : lines_) {
        l.x1 = GridLine::kHiddenX;
        l.x2 = GridLine::kHiddenX;
    }
}

void Board::drawGrid() {
    const auto& first = pieces_[0];
    const float l = first.left, t = first.top, w = first.width, h = first.height;
    // Four vertical lines, then four horizontal ones.
    for (int n = 0; n < 4; ++n) {
        const float x = l + static_cast<float>(n) * w;
        lines_[static_cast<std::size_t>(n)] = GridLine{x, t, x, t + 3 * h};
    }
    for (int n = 0; n < 4; ++n) {
        const float y = t + static_cast<float>(n) * h;
        lines_[static_cast<std::size_t>(4 + n)] = GridLine{l, y, l + 3 * w, y};
    }
}

int Board::pieceForDraw(double r) {
    const int k = static_cast<int>(roundHalfEven(8.0 * r + 1.0));
    // A source that strays outside [0, 1) must not name a piece that does not exist.
    return std::clamp(k, 1, kPieceCount);
}

void Board::bringToFront(int i) {
    index(i);
    auto it = std::find(order_.begin(), order_.end(), i);
    order_.erase(it);
    order_.push_back(i);
}

void Board::StartPuzzle(float pileLeftTwips, float pileTopTwips) {
    movePiece(1, 1, 1);
    drawGrid();
    for (auto& p : pieces_)
        p.left = pileLeftTwips;
    for (auto& p : pieces_)
        p.top = pileTopTwips;
    for (int draw = 0; draw < kShuffleDraws; ++draw)
        bringToFront(pieceForDraw(uniform_()));
}

}  // namespace tukomi
