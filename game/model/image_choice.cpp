#include "image_choice.h"

#include <algorithm>

namespace tukomi {
namespace {

// Screens whose factor lies this little above a version's still take it: a
// window one pixel larger than twice the layout gains nothing from three
// times the pixels.
constexpr double kCloseEnough = 0.02;

}  // namespace

QString scaledImagePath(const QString& path, int scale) {
    if (scale == 1)
        return path;
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString stem = dot > slash ? path.left(dot) : path;
    return stem + QStringLiteral("@%1x.png").arg(scale);
}

int chooseImageScale(std::vector<int> available, double deviceScale) {
    available.erase(std::remove_if(available.begin(), available.end(), [](int s) { return s < 1; }),
                    available.end());
    if (available.empty())
        return 1;
    std::sort(available.begin(), available.end());
    for (int scale : available)
        if (scale + kCloseEnough >= deviceScale)
            return scale;
    return available.back();
}

}  // namespace tukomi
