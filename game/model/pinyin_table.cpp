#include "pinyin_table.h"

#include <QFile>
#include <string_view>

#include "text_codec.h"

// The table lives in the static library tukomi_core, whose resources are
// registered by hand before the first read.
static void registerPinyinResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(pinyin);
        return true;
    }();
    (void)registered;
}

namespace tukomi {
namespace {

// About a third of the lines repeat a character already seen.
constexpr std::size_t kExpectedCharacters = 20577;

}  // namespace

PinyinTable::PinyinTable(QString table) : table_(std::move(table)) {
    readings_.reserve(kExpectedCharacters);
    const QChar* const text = table_.constData();
    const qsizetype size = table_.size();
    qsizetype lineStart = 0;
    while (lineStart < size) {
        qsizetype lineEnd = table_.indexOf(QLatin1String("\r\n"), lineStart);
        const qsizetype next = lineEnd < 0 ? size : lineEnd + 2;
        if (lineEnd < 0)
            lineEnd = size;

        // The character: one UTF-16 unit, or a surrogate pair.
        char32_t c = text[lineStart].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && lineStart + 1 < lineEnd &&
            text[lineStart + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[lineStart], text[lineStart + 1]);
            width = 2;
        }
        const qsizetype space = lineStart + width;
        const qsizetype readingStart = space + 1;
        const bool wellFormed =
            !QChar::isSurrogate(c) && c != U' ' && readingStart < lineEnd && text[space] == u' ' &&
            !QStringView(table_).sliced(readingStart, lineEnd - readingStart).contains(u' ');
        // emplace keeps the first line of a character.
        if (wellFormed)
            readings_.emplace(c, Span{readingStart, lineEnd - readingStart});
        lineStart = next;
    }
}

std::optional<QString> PinyinTable::LookupPinyin(char32_t c) const {
    const auto found = readings_.find(c);
    if (found == readings_.end())
        return std::nullopt;
    return table_.mid(found->second.start, found->second.length);
}

std::array<QString, kPinyinPartCount> PinyinTable::LoadPinyinParts() {
    registerPinyinResources();
    std::array<QString, kPinyinPartCount> parts;
    for (int i = 0; i < kPinyinPartCount; ++i) {
        QFile file(QStringLiteral(":/pinyin/pinyin%1.txt").arg(i, 2, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        parts[static_cast<std::size_t>(i)] = decodeGameText(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    return parts;
}

}  // namespace tukomi
