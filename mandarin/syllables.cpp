// Writing syllables and moving between encodings.
#include <array>
#include <string>
#include <string_view>

#include "mandarin/readings.h"

namespace mandarin {

namespace {

struct MarkedVowel {
    std::string_view vowel;                 // UTF-8
    std::array<std::string_view, 4> marks;  // tones 1 to 4
};

constexpr MarkedVowel kMarkedVowels[] = {
    {"a", {"ā", "á", "ǎ", "à"}}, {"o", {"ō", "ó", "ǒ", "ò"}}, {"e", {"ē", "é", "ě", "è"}},
    {"i", {"ī", "í", "ǐ", "ì"}}, {"u", {"ū", "ú", "ǔ", "ù"}}, {"ü", {"ǖ", "ǘ", "ǚ", "ǜ"}},
};

const MarkedVowel* vowelAt(std::string_view syllable, size_t at) {
    for (const MarkedVowel& v : kMarkedVowels)
        if (syllable.substr(at, v.vowel.size()) == v.vowel)
            return &v;
    return nullptr;
}

// Where the mark goes, as pinyin is written: on "a" or "e" when there is
// one, on the "o" of "ou", otherwise on the last vowel (liù, guì, nǚ).
size_t markPosition(std::string_view syllable) {
    if (const size_t a = syllable.find('a'); a != std::string_view::npos)
        return a;
    if (const size_t e = syllable.find('e'); e != std::string_view::npos)
        return e;
    if (const size_t ou = syllable.find("ou"); ou != std::string_view::npos)
        return ou;
    size_t last = std::string_view::npos;
    for (size_t i = 0; i < syllable.size(); ++i)
        if (vowelAt(syllable, i))
            last = i;
    return last;
}

}  // namespace

std::string markTone(std::string_view syllable) {
    if (syllable.empty())
        return {};
    const char digit = syllable.back();
    if (digit < '1' || digit > '5')
        return std::string(syllable);
    std::string_view letters = syllable.substr(0, syllable.size() - 1);
    const size_t at = digit == '5' ? std::string_view::npos : markPosition(letters);
    if (at == std::string_view::npos)
        return std::string(letters);
    const MarkedVowel* vowel = vowelAt(letters, at);
    std::string marked(letters.substr(0, at));
    marked += vowel->marks[digit - '1'];
    marked += letters.substr(at + vowel->vowel.size());
    return marked;
}

bool isCjkIdeograph(char32_t c) {
    return (c >= 0x3400 && c <= 0x4DBF)        // extension A
           || (c >= 0x4E00 && c <= 0x9FFF)     // unified ideographs
           || (c >= 0xF900 && c <= 0xFAFF)     // compatibility ideographs
           || (c >= 0x20000 && c <= 0x2FA1F)   // extensions B-F, compatibility supplement
           || (c >= 0x30000 && c <= 0x323AF);  // extensions G and H
}

std::u32string utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b, length = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            c = b & 0x1F, length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            c = b & 0x0F, length = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            c = b & 0x07, length = 4;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are invalid too.
        valid = valid && !(length == 3 && c < 0x800) &&
                !(length == 4 && (c < 0x10000 || c > 0x10FFFF)) && !(c >= 0xD800 && c <= 0xDFFF);
        if (!valid) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(c);
        i += length;
    }
    return out;
}

std::string utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | c >> 6));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | c >> 12));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | c >> 18));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace mandarin
