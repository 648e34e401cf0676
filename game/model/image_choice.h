#pragma once

#include <QString>
#include <array>
#include <vector>

namespace tukomi {

// The game's pictures also come larger, for big screens: beside an image lie
// versions two and three times its size, named after it with the factor and
// stored as PNG. Piece 1 of picture 5, "999/5/1.gif", is also
// "999/5/1@2x.png" and "999/5/1@3x.png"; the Start button ":/art/start.png"
// is also ":/art/start@2x.png". A teacher's own picture may come without them.
inline constexpr std::array<int, 2> kSharperImageScales{2, 3};

// The name of `path`'s version at `scale` (`path` itself at 1).
QString scaledImagePath(const QString& path, int scale);

// Which version to draw when one pixel of the original covers `deviceScale`
// pixels of the screen, given the factors the image exists at: the smallest
// that is at least as large, so that nothing is enlarged, else the largest.
// 1 when nothing is known.
int chooseImageScale(std::vector<int> available, double deviceScale);

}  // namespace tukomi
