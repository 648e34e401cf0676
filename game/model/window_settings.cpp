#include "window_settings.h"

#include <cmath>

#include "settings_file.h"
#include "zoom.h"

namespace tukomi {
namespace {

constexpr QByteArrayView kHeader = "[tukomi-window]";

struct ModeName {
    WindowMode mode;
    QByteArrayView name;
};
constexpr ModeName kModeNames[] = {{WindowMode::Normal, "normal"},
                                   {WindowMode::Maximized, "maximized"},
                                   {WindowMode::FullScreen, "fullscreen"}};

}  // namespace

WindowSettings WindowSettings::load(const QString& path) {
    return parse(settings_file::read(path, kMaxFileBytes));
}

WindowSettings WindowSettings::parse(QByteArrayView content) {
    WindowSettings settings;
    const bool ours = settings_file::forEachEntry(
        content, kHeader, [&](QByteArrayView key, QByteArrayView value) {
            if (key == "zoom") {
                bool number = false;
                const double zoom = value.toByteArray().toDouble(&number);
                if (number && std::isfinite(zoom))
                    settings.zoom = clampZoom(zoom, kMaxZoom);
            } else if (key == "mode") {
                for (const ModeName& m : kModeNames)
                    if (value == m.name)
                        settings.mode = m.mode;
            }
        });
    return ours ? settings : WindowSettings{};
}

QByteArray WindowSettings::serialize() const {
    QByteArray out = kHeader.toByteArray() + '\n';
    out +=
        "; How tukomi's window was left: its size as a factor of 598 x 360 pixels,\n"
        "; and normal, maximized or fullscreen.\n";
    out += "zoom=" + QByteArray::number(zoom, 'g', 6) + '\n';
    for (const ModeName& m : kModeNames)
        if (m.mode == mode)
            out += "mode=" + m.name.toByteArray() + '\n';
    return out;
}

bool WindowSettings::save(const QString& path, QString* error) const {
    return settings_file::write(path, serialize(), error);
}

}  // namespace tukomi
