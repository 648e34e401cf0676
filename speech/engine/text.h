// Text conversions between the encodings the engine meets: UTF-16 from the
// library, UTF-8 in files and environment, UTF-32 for espeak-ng. Invalid
// input never fails: it becomes U+FFFD.
#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace lenvoro::engine {

constexpr char32_t kReplacementCharacter = 0xFFFD;

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// ASCII letters and digits, and their case, whatever the locale says: names,
// attribute values, keys and tags are read and compared this way. One
// character (of any width) or a whole text.
template <std::integral Char>
constexpr bool isAsciiLetter(Char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
template <std::integral Char>
constexpr bool isAsciiDigit(Char c) {
    return c >= '0' && c <= '9';
}
template <std::integral Char>
constexpr Char asciiLower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}
template <std::integral Char>
constexpr Char asciiUpper(Char c) {
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}
std::u16string asciiLower(std::u16string_view text);
std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);
bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

std::u16string_view trimSpaces(std::u16string_view text);

inline bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
inline bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace lenvoro::engine
