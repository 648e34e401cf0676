#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <map>
#include <optional>

namespace tukomi {

// The pictures a child has completed and the best time of each, kept between
// runs in a small text file of our own:
//
//   [tukomi-progress]
//   6=17
//
// one line per completed picture, its number and its best time in seconds.
// Progress is a pleasure, never a reason to fail: a file that is missing,
// unreadable, too large or not ours reads as no progress and is replaced by
// the next save; lines that make no sense are skipped.
class Progress {
public:
    static constexpr qint64 kMaxFileBytes = 64 * 1024;
    // Longer than any child plays one picture; larger numbers are not ours.
    static constexpr int kMaxSeconds = 99 * 3600;

    static Progress load(const QString& path);
    static Progress parse(QByteArrayView content);
    QByteArray serialize() const;
    // Writes the file whole or not at all, making its folder when needed.
    // On failure the reason is in `error` when given.
    bool save(const QString& path, QString* error = nullptr) const;

    // Records that `picture` was completed in `seconds`. True when this is
    // its first completion or a better time; pictures outside the list and
    // impossible times are not recorded.
    bool record(int picture, int seconds);
    std::optional<int> bestSeconds(int picture) const;

    // What the picture list shows after the entry of a completed picture: a
    // check mark and the best time, " ✓ 17秒" (with no place to break the
    // line after the space); nothing for the others.
    QString listMark(int picture) const;

private:
    std::map<int, int> best_;
};

}  // namespace tukomi
