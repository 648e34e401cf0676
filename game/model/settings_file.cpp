#include "settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tukomi::settings_file {

QByteArray read(const QString& path, qint64 maxBytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray content = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || content.size() > maxBytes)
        return {};
    return content;
}

bool forEachEntry(QByteArrayView content, QByteArrayView header,
                  const std::function<void(QByteArrayView key, QByteArrayView value)>& entry) {
    bool ours = false;
    while (!content.isEmpty()) {
        const qsizetype end = content.indexOf('\n');
        const QByteArrayView line =
            (end < 0 ? content : content.first(end)).trimmed();  // also drops a "\r"
        content = end < 0 ? QByteArrayView() : content.sliced(end + 1);
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (!ours) {
            if (line != header)
                return false;
            ours = true;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals >= 0)
            entry(line.first(equals).trimmed(), line.sliced(equals + 1).trimmed());
    }
    return true;
}

bool write(const QString& path, const QByteArray& content, QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot make the folder %1").arg(folder);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace tukomi::settings_file
