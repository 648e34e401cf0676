#include "tone_marks.h"

#include <mandarin/readings.h>

#include "pinyin_table.h"

namespace tukomi {

QString MarkTone(const QString& reading) {
    if (reading.isEmpty())
        return {};
    // Only the ASCII digits of the table's format are tones; anything else
    // (a letter, another script's digit) counts as 0: no mark, and the last
    // character is dropped all the same.
    const char16_t tone = reading.back().unicode();
    if (tone < u'1' || tone > u'5')
        return reading.chopped(1);
    return QString::fromStdString(mandarin::markTone(reading.toStdString()));
}

bool IsCjkIdeograph(char32_t c) {
    return mandarin::isCjkIdeograph(c);
}

bool IsChineseCharacter(char32_t c, const PinyinTable& table) {
    return IsCjkIdeograph(c) || table.LookupPinyin(c).has_value();
}

}  // namespace tukomi
