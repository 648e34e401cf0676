#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <optional>
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
    QString source;  // the frame's entry in the file, "frames/rest.png"
};

// How the character's speech balloon looks.
struct BalloonStyle {
    QColor background;
    QColor border;
    QColor text;
    QString fontFamily;
    int fontPixelSize = 0;
};

// A character file such as "merlin.acs" (written by tools/character/pack.js):
// named entries, "manifest.json" and the PNG frames it names, in a container
// of our own. Numbers are unsigned and little-endian:
//
//   offset  bytes  what
//   0       8      the mark "TKCHAR", 0x1A, 0x0A
//   8       4      the container's version, 1
//   12      4      the number of entries, 1 to kMaxEntries
//   16             the index, one record per entry:
//                    2  the length of the entry's name, 1 to 200
//                    n  the name: printable ASCII, parts separated by "/"
//                       ("frames/rest.png"), none empty, "." or "..", no
//                       "\" or ":"; no two entries share a name
//                    4  where the entry's bytes start, from the file's start
//                    4  how many bytes it has
//   after the index: the entries' bytes, "manifest.json" first, then the
//                    frames, each stored whole (PNG is compressed already)
//
// Every entry lies between the end of the index and the end of the file. The
// whole index is checked against the file's size before any entry is read,
// and every frame's PNG chunks against the frame's size before libpng reads
// it, so a truncated, corrupted or hostile file is an error, never a crash.
//
// The manifest:
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
// frame size.
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
    static constexpr int kMaxEntries = 1024;
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

    // The names of the file's entries, in name order.
    QStringList entryNames() const;
    // The bytes of entry `name` as the file held them when it was loaded;
    // nothing when there is no such entry.
    std::optional<QByteArray> entry(const QString& name) const;

private:
    CharacterFile() = default;

    // Where an entry's bytes lie in bytes_.
    struct Span {
        qsizetype offset = 0;
        qsizetype size = 0;
    };

    // Entry `name`'s bytes inside bytes_, not copied: valid while the
    // character lives.
    std::optional<QByteArray> view(const QString& name) const;

    QString path_;
    QByteArray bytes_;  // the whole file
    std::map<QString, Span> entries_;
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
