#include "pinyin_line.h"

#include <mandarin/readings.h>

#include <string>

#include "pinyin_table.h"
#include "tone_marks.h"

namespace tukomi {

std::vector<PinyinSyllable> PinyinSyllables(const QString& text, const PinyinTable& table) {
    // The readings count code points; the labels count UTF-16 units. A lone
    // surrogate is one code point (U+FFFD) of one unit.
    std::u32string codePoints;
    std::vector<qsizetype> starts;
    for (qsizetype i = 0; i < text.size(); ++i) {
        starts.push_back(i);
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            codePoints.push_back(QChar::surrogateToUcs4(text[i], text[i + 1]));
            ++i;
        } else {
            codePoints.push_back(text[i].isSurrogate() ? U'\uFFFD' : text[i].unicode());
        }
    }
    starts.push_back(text.size());

    const auto readings = mandarin::Readings::instance().characterReadings(codePoints);
    std::vector<PinyinSyllable> syllables;
    for (std::size_t n = 0; n < codePoints.size(); ++n) {
        QString reading = QString::fromUtf8(readings[n].data(), qsizetype(readings[n].size()));
        if (reading.isEmpty() && IsChineseCharacter(codePoints[n], table))
            reading = table.LookupPinyin(codePoints[n]).value_or(QString());
        if (reading.isEmpty())
            continue;
        syllables.push_back({starts[n], starts[n + 1] - starts[n], MarkTone(reading)});
    }
    return syllables;
}

QString BuildPinyinLine(const QString& text, const PinyinTable& table) {
    QString line;
    for (const PinyinSyllable& s : PinyinSyllables(text, table))
        line += s.syllable + u' ';
    return line;
}

}  // namespace tukomi
