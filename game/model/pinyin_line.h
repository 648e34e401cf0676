#pragma once

#include <QString>
#include <vector>

namespace tukomi {

class PinyinTable;

// One syllable of the pinyin line and the character it reads.
struct PinyinSyllable {
    qsizetype position = 0;  // where the character starts in the text, in UTF-16 units
    qsizetype length = 0;    // 1, or 2 for a character outside the Basic Multilingual Plane
    QString syllable;        // with its tone mark: "mā", "ma", "yí"
};

// The syllables shown over a picture's text, in the order of its characters:
// each Chinese character read in context (爸爸 bà ba, 银行 yín háng, 一个 yí
// gè) by the Mandarin readings, or, where they leave a Chinese character
// without a reading, by `table`. Characters that neither reads, and
// everything that is not a Chinese character (digits, Latin letters,
// punctuation), have no syllable.
std::vector<PinyinSyllable> PinyinSyllables(const QString& text, const PinyinTable& table);

// The pinyin line as text: each syllable of PinyinSyllables() followed by
// one space (the last one too). "妈妈的" gives "mā ma de ", "" gives "".
QString BuildPinyinLine(const QString& text, const PinyinTable& table);

}  // namespace tukomi
