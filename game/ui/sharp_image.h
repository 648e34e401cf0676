#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

namespace tukomi {

// Whether a larger version must show the same picture as the original to be
// used. A teacher who replaces a picture's GIFs may leave the larger
// versions of the old picture beside them; those are then passed over.
enum class VersionCheck { SamePicture, Trusted };

// The image at `path` for a screen where one of its pixels covers
// `deviceScale` screen pixels: the version chooseImageScale picks among
// those that exist (see image_choice.h), with its device pixel ratio set to
// its factor, so that its device-independent size is the original's. A
// version of the wrong size, unreadable or, with SamePicture, showing
// another picture is passed over for the next best. Null when the original
// itself cannot be read.
QPixmap loadSharpestImage(const QString& path, double deviceScale,
                          VersionCheck check = VersionCheck::SamePicture);

// Whether `larger` shows what `original` shows, compared on a coarse grid
// where the GIF's dithering and the larger version's finer detail even out.
bool showsTheSamePicture(const QImage& original, const QImage& larger);

}  // namespace tukomi
