#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tukomi {

// How the main window was left: as a window of some size, maximised or
// filling the screen.
enum class WindowMode { Normal, Maximized, FullScreen };

// The window's size and mode, remembered between runs in a small text file
// of our own beside the other settings of the desktop
// ($XDG_CONFIG_HOME/tukomi/window.ini):
//
//   [tukomi-window]
//   zoom=2.5
//   mode=fullscreen
//
// `zoom` is the size of the window when it is neither maximised nor full
// screen, as a factor of the layout's own size. Like the progress file it is
// a convenience: a file that is missing, unreadable or not ours gives the
// defaults, and values that make no sense are left at theirs.
struct WindowSettings {
    static constexpr qint64 kMaxFileBytes = 4 * 1024;

    double zoom = 1.0;
    WindowMode mode = WindowMode::Normal;

    static WindowSettings load(const QString& path);
    static WindowSettings parse(QByteArrayView content);
    QByteArray serialize() const;
    // Writes the file whole or not at all, making its folder when needed.
    bool save(const QString& path, QString* error = nullptr) const;

    bool operator==(const WindowSettings&) const = default;
};

}  // namespace tukomi
