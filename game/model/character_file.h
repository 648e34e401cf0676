#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "picture_library.h"

namespace tukomi {

// The assistant character's animations. Each plays its frames in order:
// Appear and Disappear once, Idle and Speak in a loop.
enum class CharacterAnimation { Appear, Idle, Speak, Disappear };
inline constexpr int kCharacterAnimationCount = 4;

// The manifest's name for an animation ("appear", "idle", "speak", "disappear").
const char* characterAnimationName(CharacterAnimation animation);

struct CharacterFrame {
    QImage image;  // of the character's frame size, with transparency
    int durationMs = 0;
    QString source;  // the image's path inside the file, "frames/rest.png"
};

// How the character's speech balloon looks.
struct BalloonStyle {
    QColor background;
    QColor border;
    QColor text;
    QString fontFamily;
    int fontPixelSize = 0;
};

// A character file such as "merlin.acs": a Qt binary resource (rcc -binary,
// uncompressed) holding "manifest.json" and the PNG frames it names:
//
//   { "format": 1, "name": "merlin",
//     "frameSize": { "width": 128, "height": 128 },
//     "animations": { "appear": { "frames": [ { "image": "frames/a.png",
//                                                "duration": 45 }, ... ] },
//                     "idle": ..., "speak": ..., "disappear": ... },
//     "balloon": { "background": "#fffef5", "border": "#c77800",
//                  "text": "#3b2600", "fontFamily": "黑体", "fontSize": 26 },
//     "scales": [ 2, 3 ] }
//
// All four animations are required; every frame must decode to exactly the
// frame size. The file is checked byte by byte before Qt sees it, so a
// truncated, corrupted or hostile file is an error, never a crash.
//
// "scales", which may be left out, lists the larger sizes every frame also
// comes in, for big screens: "frames/a.png" at 2 is "frames/a@2x.png", twice
// the frame size. Their sizes are checked when the file is loaded; they are
// decoded only when first drawn, and one that cannot be decoded then is
// drawn from the frame itself.
class CharacterFile {
public:
    // Limits a valid file keeps to.
    static constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;
    static constexpr int kMinFramePixels = 16;
    static constexpr int kMaxFramePixels = 512;
    static constexpr int kMaxFramesPerAnimation = 64;
    static constexpr int kMaxFrameDurationMs = 10000;
    static constexpr int kMinFontPixels = 8;
    static constexpr int kMaxFontPixels = 96;

    // Reads and checks the character file at `path`. On failure returns
    // nullptr and, when `error` is given, fills it with the file's path and
    // what is wrong with it.
    static std::unique_ptr<CharacterFile> Load(const QString& path, LoadError* error = nullptr);

    ~CharacterFile();
    CharacterFile(const CharacterFile&) = delete;
    CharacterFile& operator=(const CharacterFile&) = delete;

    const QString& path() const { return path_; }
    const QString& name() const { return name_; }
    QSize frameSize() const { return frameSize_; }
    const std::vector<CharacterFrame>& frames(CharacterAnimation animation) const {
        return animations_[static_cast<std::size_t>(animation)];
    }
    // Time the animation takes to play through once.
    int durationMs(CharacterAnimation animation) const;
    // The larger sizes the frames come in, ascending; empty when none.
    const std::vector<int>& scales() const { return scales_; }
    // Frame `index` of `animation` for a screen that draws each pixel of the
    // frame over `deviceScale` pixels: the larger version that suits (see
    // chooseImageScale), else the frame itself.
    QImage frameImage(CharacterAnimation animation, int index, double deviceScale) const;
    const BalloonStyle& balloon() const { return balloon_; }

    // Where the file's content is mapped while the character lives, such as
    // ":/tukomi-character-3".
    QString resourceRoot() const { return QLatin1Char(':') + mapRoot_; }

private:
    CharacterFile() = default;

    QString path_;
    QByteArray bytes_;  // the registered resource data; must outlive the registration
    QString mapRoot_;
    bool registered_ = false;
    QString name_;
    QSize frameSize_;
    std::array<std::vector<CharacterFrame>, kCharacterAnimationCount> animations_;
    BalloonStyle balloon_;
    std::vector<int> scales_;
    // Larger frames decoded so far, by source and scale; a null image for
    // one that could not be decoded.
    mutable std::map<std::pair<QString, int>, QImage> largerFrames_;

    friend class CharacterFileReader;
};

}  // namespace tukomi
