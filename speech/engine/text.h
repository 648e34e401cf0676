// Text conversions between the encodings the engine meets: UTF-16 from the
// library, UTF-8 in files and environment, UTF-32 for espeak-ng. Invalid
// input never fails: it becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace lenvoro::engine {

constexpr char32_t kReplacementCharacter = 0xFFFD;

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// Lower-cases ASCII letters only: attribute names and values compare this way.
std::u16string asciiLower(std::u16string_view text);
std::string asciiLower(std::string_view text);
bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

std::u16string_view trimSpaces(std::u16string_view text);

inline bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace lenvoro::engine
