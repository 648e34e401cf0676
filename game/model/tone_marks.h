#pragma once

#include <QString>

namespace tukomi {

class PinyinTable;

// A reading of the pinyin table ("ma1", "lü4", "de5") as a child reads it:
// the syllable with its tone mark and without the digit ("mā", "lǜ", "de").
// The last character of the reading is the tone: 1 to 4 put a mark on one
// vowel of the syllable; 5 (the neutral tone), any other digit and a last
// character that is not a digit leave the syllable bare. The mark goes where
// standard pinyin puts it: on "a" or "e" when the syllable has one, on the
// "o" of "ou", and otherwise on the last vowel (liù, jiǔ, guì, nǚ, nüè).
// Syllables without a vowel (m, ng, hm) stay bare. "" gives "".
QString MarkTone(const QString& reading);

// True for a code point in one of Unicode's CJK unified or compatibility
// ideograph blocks; punctuation, full-width forms and kana are not.
bool IsCjkIdeograph(char32_t c);

// A Chinese character is one that the table reads or a CJK ideograph; full-
// width punctuation such as "，" and "。" is neither.
bool IsChineseCharacter(char32_t c, const PinyinTable& table);

}  // namespace tukomi
