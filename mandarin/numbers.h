// Numbers written with digits, read as a Chinese reader reads them.
#pragma once

#include <string_view>
#include <vector>

namespace mandarin {

enum class NumberStyle {
    Quantity,      // 25 èr shí wǔ, 10086 yí wàn líng bā shí liù, 3.5 sān diǎn wǔ
    DigitByDigit,  // years and long codes: 2024 èr líng èr sì
    Telephone,     // digit by digit with 1 as yāo: 110 yāo yāo líng
};

// Appends the syllables of number: ASCII digits with at most one "." between
// digits, and an optional "%" at the end (50% bǎi fēn zhī wǔ shí). Integers
// of more than twelve digits are read digit by digit whatever the style.
void readNumber(std::u32string_view number, NumberStyle style, std::vector<std::string_view>& out);

}  // namespace mandarin
