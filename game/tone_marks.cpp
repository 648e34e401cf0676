#include "tone_marks.h"

#include "pinyin_table.h"

namespace tukomi {
namespace {

struct MarkedVowel {
    char16_t vowel;
    char16_t marks[4];  // tones 1 to 4
};

constexpr MarkedVowel kMarkedVowels[] = {
    {u'a', {u'ā', u'á', u'ǎ', u'à'}}, {u'o', {u'ō', u'ó', u'ǒ', u'ò'}},
    {u'e', {u'ē', u'é', u'ě', u'è'}}, {u'i', {u'ī', u'í', u'ǐ', u'ì'}},
    {u'u', {u'ū', u'ú', u'ǔ', u'ù'}}, {u'ü', {u'ǖ', u'ǘ', u'ǚ', u'ǜ'}},
};

const MarkedVowel* markedVowel(QChar c) {
    for (const MarkedVowel& v : kMarkedVowels)
        if (c == QChar(v.vowel))
            return &v;
    return nullptr;
}

// Where the tone mark goes, or -1 for a syllable without a vowel.
qsizetype markPosition(const QString& syllable) {
    if (const qsizetype a = syllable.indexOf(u'a'); a >= 0)
        return a;
    if (const qsizetype e = syllable.indexOf(u'e'); e >= 0)
        return e;
    if (const qsizetype ou = syllable.indexOf(QLatin1String("ou")); ou >= 0)
        return ou;
    for (qsizetype i = syllable.size() - 1; i >= 0; --i)
        if (markedVowel(syllable[i]))
            return i;
    return -1;
}

}  // namespace

QString MarkTone(const QString& reading) {
    if (reading.isEmpty())
        return {};
    QString syllable = reading.chopped(1);
    // Only the ASCII digits of the table's format are tones; anything else
    // (a letter, another script's digit) counts as 0, no mark.
    const char16_t toneDigit = reading.back().unicode();
    const int tone = toneDigit >= u'0' && toneDigit <= u'9' ? toneDigit - u'0' : 0;
    if (tone < 1 || tone > 4)
        return syllable;
    const qsizetype at = markPosition(syllable);
    if (at < 0)
        return syllable;
    syllable[at] = QChar(markedVowel(syllable[at])->marks[tone - 1]);
    return syllable;
}

bool IsCjkIdeograph(char32_t c) {
    return (c >= 0x3400 && c <= 0x4DBF)        // extension A
           || (c >= 0x4E00 && c <= 0x9FFF)     // unified ideographs
           || (c >= 0xF900 && c <= 0xFAFF)     // compatibility ideographs
           || (c >= 0x20000 && c <= 0x2FA1F)   // extensions B-F, compatibility supplement
           || (c >= 0x30000 && c <= 0x323AF);  // extensions G and H
}

bool IsChineseCharacter(char32_t c, const PinyinTable& table) {
    return IsCjkIdeograph(c) || table.LookupPinyin(c).has_value();
}

}  // namespace tukomi
