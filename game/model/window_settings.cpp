#include "window_settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || content.size() > kMaxFileBytes)
        return {};
    return parse(content);
}

WindowSettings WindowSettings::parse(QByteArrayView content) {
    WindowSettings settings;
    bool ours = false;
    while (!content.isEmpty()) {
        const qsizetype end = content.indexOf('\n');
        const QByteArrayView line = (end < 0 ? content : content.first(end)).trimmed();
        content = end < 0 ? QByteArrayView() : content.sliced(end + 1);
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (!ours) {
            if (line != kHeader)
                return {};
            ours = true;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QByteArrayView key = line.first(equals).trimmed();
        const QByteArrayView value = line.sliced(equals + 1).trimmed();
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
    }
    return settings;
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
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot make the folder %1").arg(folder);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(serialize()) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace tukomi
