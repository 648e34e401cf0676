#include "progress.h"

#include "picture_texts.h"
#include "settings_file.h"

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
    return parse(settings_file::read(path, kMaxFileBytes));
}

Progress Progress::parse(QByteArrayView content) {
    Progress progress;
    const bool ours = settings_file::forEachEntry(
        content, kHeader, [&](QByteArrayView picture, QByteArrayView seconds) {
            progress.record(readNumber(picture), readNumber(seconds));
        });
    return ours ? progress : Progress{};
}

QByteArray Progress::serialize() const {
    QByteArray out = kHeader.toByteArray() + '\n';
    out += "; The pictures completed in tukomi: picture number = best time in seconds.\n";
    for (const auto& [picture, seconds] : best_)
        out += QByteArray::number(picture) + '=' + QByteArray::number(seconds) + '\n';
    return out;
}

bool Progress::save(const QString& path, QString* error) const {
    return settings_file::write(path, serialize(), error);
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
