#include "sharp_image.h"

#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <vector>

#include "image_choice.h"

namespace tukomi {
namespace {

// One grid cell for every 4 x 4 pixels of the original.
constexpr int kGridCellPixels = 4;
// The largest mean difference per channel (0-255) of two versions of one
// picture. The shipped pieces differ from their GIFs by less than 1; two
// neighbouring pieces of one meadow, the most alike of the shipped pieces,
// by more than 11.
constexpr double kMaxMeanDifference = 4.0;

QImage readImage(const QString& path) {
    QImageReader reader(path);
    // The version's factor is set from what was chosen, not from the name.
    reader.setAutoTransform(false);
    return reader.read();
}

// The mean colour of each cell of `grid` over `image`, channel by channel,
// the cells spread evenly over the image. Every `step`-th pixel of every
// `step`-th row is enough: a larger version is compared at its original's
// density, where the cells still hold 16 pixels each.
std::vector<double> onGrid(const QImage& image, QSize grid, int step) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<qint64> sums(4 * static_cast<std::size_t>(grid.width() * grid.height()), 0);
    std::vector<int> counts(sums.size() / 4, 0);
    std::vector<int> column(static_cast<std::size_t>(argb.width()));
    for (int x = 0; x < argb.width(); x += step)
        column[static_cast<std::size_t>(x)] = x * grid.width() / argb.width();
    for (int y = 0; y < argb.height(); y += step) {
        const int row = y * grid.height() / argb.height() * grid.width();
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); x += step) {
            const auto cell = static_cast<std::size_t>(row + column[static_cast<std::size_t>(x)]);
            sums[4 * cell] += qRed(line[x]);
            sums[4 * cell + 1] += qGreen(line[x]);
            sums[4 * cell + 2] += qBlue(line[x]);
            sums[4 * cell + 3] += qAlpha(line[x]);
            ++counts[cell];
        }
    }
    std::vector<double> means(sums.size());
    for (std::size_t i = 0; i < sums.size(); ++i)
        means[i] = static_cast<double>(sums[i]) / std::max(1, counts[i / 4]);
    return means;
}

}  // namespace

bool showsTheSamePicture(const QImage& original, const QImage& larger) {
    if (original.isNull() || larger.isNull())
        return false;
    const QSize grid = (original.size() / kGridCellPixels).expandedTo(QSize(1, 1));
    const std::vector<double> a = onGrid(original, grid, 1);
    const std::vector<double> b =
        onGrid(larger, grid, std::max(1, larger.width() / std::max(1, original.width())));
    double difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference += std::abs(a[i] - b[i]);
    return difference / static_cast<double>(a.size()) <= kMaxMeanDifference;
}

QPixmap loadSharpestImage(const QString& path, double deviceScale, VersionCheck check) {
    std::vector<int> available{1};
    for (int scale : kSharperImageScales)
        if (QFileInfo::exists(scaledImagePath(path, scale)))
            available.push_back(scale);

    // The original is decoded only when it is drawn or compared; a trusted
    // version needs no more than its size, from the file's header.
    QImage original;
    QSize originalSize;
    if (check == VersionCheck::Trusted && available.size() > 1)
        originalSize = QImageReader(path).size();
    for (;;) {
        const int scale = chooseImageScale(available, deviceScale);
        if (original.isNull() && (scale == 1 || !originalSize.isValid())) {
            original = readImage(path);
            if (original.isNull())
                return {};
            originalSize = original.size();
        }
        if (scale == 1)
            return QPixmap::fromImage(original);
        const QImage version = readImage(scaledImagePath(path, scale));
        if (version.size() == originalSize * scale &&
            (check == VersionCheck::Trusted || showsTheSamePicture(original, version))) {
            QPixmap pixmap = QPixmap::fromImage(version);
            pixmap.setDevicePixelRatio(scale);
            return pixmap;
        }
        available.erase(std::find(available.begin(), available.end(), scale));
    }
}

}  // namespace tukomi
