#include "progress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "picture_texts.h"

namespace tukomi {
namespace {

constexpr QByteArrayView kHeader = "[tukomi-progress]";

// A whole number of at most nine digits with blanks around it; -1 otherwise.
int readNumber(QByteArrayView digits) {
    digits = digits.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return -1;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

Progress Progress::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError || content.size() > kMaxFileBytes)
        return {};
    return parse(content);
}

Progress Progress::parse(QByteArrayView content) {
    Progress progress;
    bool ours = false;
    while (!content.isEmpty()) {
        const qsizetype end = content.indexOf('\n');
        const QByteArrayView line =
            (end < 0 ? content : content.first(end)).trimmed();  // also drops a "\r"
        content = end < 0 ? QByteArrayView() : content.sliced(end + 1);
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (!ours) {
            // The first line that says anything tells whether the file is ours.
            if (line != kHeader)
                return {};
            ours = true;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals < 0)
            continue;
        progress.record(readNumber(line.first(equals)), readNumber(line.sliced(equals + 1)));
    }
    return progress;
}

QByteArray Progress::serialize() const {
    QByteArray out = kHeader.toByteArray() + '\n';
    out += "; The pictures completed in tukomi: picture number = best time in seconds.\n";
    for (const auto& [picture, seconds] : best_)
        out += QByteArray::number(picture) + '=' + QByteArray::number(seconds) + '\n';
    return out;
}

bool Progress::save(const QString& path, QString* error) const {
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

bool Progress::record(int picture, int seconds) {
    if (picture < 1 || picture > pictureCapacity || seconds < 0 || seconds > kMaxSeconds)
        return false;
    const auto [it, first] = best_.try_emplace(picture, seconds);
    if (first)
        return true;
    if (seconds >= it->second)
        return false;
    it->second = seconds;
    return true;
}

std::optional<int> Progress::bestSeconds(int picture) const {
    const auto it = best_.find(picture);
    if (it == best_.end())
        return std::nullopt;
    return it->second;
}

QString Progress::listMark(int picture) const {
    const std::optional<int> best = bestSeconds(picture);
    if (!best)
        return {};
    // The mark is never broken across lines: where the list wraps a long
    // entry, the whole mark goes under the text.
    return QStringLiteral(" ✓\u00A0%1\u2060秒").arg(*best);
}

}  // namespace tukomi
