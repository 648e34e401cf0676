// The texts of the ANSI entry points: bytes in a locale's code set to UTF-16
// and the byte length of UTF-16 texts in it, for any bytes and any units.
//
// The first byte picks the code set, the rest is the text (and, read loosely
// as UTF-8, the UTF-16 text measured in that code set; and a locale name).
#include <array>
#include <string>

#include "codeset/codeset.h"
#include "fuzz_support.h"

namespace {

constexpr std::array<const char*, 5> kCodeSets = {"GBK", "BIG5", "UTF-8", "ISO-2022-CN-EXT",
                                                  "SHIFT_JIS"};

bool isHigh(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLow(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool wellFormed(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (isLow(text[i]))
            return false;
        if (isHigh(text[i]) && !(i + 1 < text.size() && isLow(text[++i])))
            return false;
    }
    return true;
}

// The UTF-8 length of a text, each lone surrogate written as one substitute byte.
size_t utf8Length(std::u16string_view text) {
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHigh(unit) && i + 1 < text.size() && isLow(text[i + 1])) {
            length += 4;
            ++i;
        } else if (isHigh(unit) || isLow(unit) || unit < 0x80) {
            length += 1;
        } else {
            length += unit < 0x800 ? 2 : 3;
        }
    }
    return length;
}

bool plainAscii(std::string_view bytes) {
    for (unsigned char byte : bytes) {
        // Shift-out, shift-in and escape switch ISO-2022 code sets.
        if (byte >= 0x80 || byte == 0x0E || byte == 0x0F || byte == 0x1B)
            return false;
    }
    return true;
}

void checkToWide(std::string_view bytes, const std::string& codeSet) {
    const std::u16string wide = codeset::toUtf16(bytes, codeSet);
    FUZZ_CHECK(wellFormed(wide));
    FUZZ_CHECK(wide.size() <= 2 * bytes.size() + 2);
    // ASCII reads as itself in every code set here but Shift JIS, whose 0x5C
    // and 0x7E are the yen sign and the overline.
    if (codeSet != "SHIFT_JIS" && plainAscii(bytes))
        FUZZ_CHECK(wide == std::u16string(bytes.begin(), bytes.end()));
    // A text read without a single replacement took every byte as a
    // character; written back, it takes as many bytes again.
    if (codeSet != "ISO-2022-CN-EXT" &&
        wide.find(codeset::kReplacementUnit) == std::u16string::npos)
        FUZZ_CHECK(codeset::encodedLength(wide, codeSet) == bytes.size());
}

void checkByteLength(std::u16string_view text, const std::string& codeSet) {
    const size_t length = codeset::encodedLength(text, codeSet);
    if (codeSet == "UTF-8") {
        FUZZ_CHECK(length == utf8Length(text));
        return;
    }
    // One or two bytes a character, the substitute one; ISO-2022 adds its
    // escapes and shifts.
    FUZZ_CHECK(length >= (text.size() + 1) / 2);
    FUZZ_CHECK(length <= (codeSet == "ISO-2022-CN-EXT" ? 8 * text.size() + 8 : 2 * text.size()));
}

// A locale name with a code set gives that code set. (Names without one are
// looked up with newlocale, whose cache keeps every name it was asked for, so
// fuzzing them would measure that cache; the unit tests cover them.)
void checkLocaleName(std::string_view name) {
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos)
        return;
    const std::string_view named = name.substr(dot + 1, name.find('@', dot + 1) - dot - 1);
    if (named.empty())
        return;
    FUZZ_CHECK(codeset::codeSetOfLocale(name) == named);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const std::string codeSet = kCodeSets[data[0] % kCodeSets.size()];
    const std::string_view bytes = fuzz::bytesOf(data + 1, size - 1);
    checkToWide(bytes, codeSet);
    checkByteLength(fuzz::utf16Units(fuzz::looseCodes(bytes)), codeSet);
    // Locale names come from the environment, as freely as the texts.
    if (bytes.find('\0') == std::string_view::npos)
        checkLocaleName(bytes.substr(0, 64));
    return 0;
}
