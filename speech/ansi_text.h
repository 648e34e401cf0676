// Texts of the ANSI entry points: bytes in the code set of the user's locale,
// converted to UTF-16 at the boundary with iconv. The code set comes from the
// locale named by LC_ALL, LC_CTYPE or LANG ("zh_CN.GBK" -> GBK); UTF-8 when
// none is set or the name gives none. Conversion never fails: a byte that
// does not belong to the code set becomes U+FFFD and the rest is converted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "interface_language.h"

namespace lenvoro {

constexpr char16_t kReplacementUnit = 0xFFFD;

// The code set a locale name selects: the ".codeset" part when there is one
// ("zh_TW.Big5" -> "Big5", "en_US.UTF-8@euro" -> "UTF-8"); else the code set
// the system's locale of that name uses (zh_CN -> GB2312 where installed);
// UTF-8 for "", "C", "POSIX" and names the system does not know.
std::string AnsiCodeSetForLocale(std::string_view localeName);

// The code set of the user's locale, read from the environment on each call.
std::string AnsiCodeSet(const EnvironmentLookup& environment);
std::string AnsiCodeSet();

// The UTF-16 text of bytes in codeSet. A code set iconv does not know is read
// as UTF-8.
std::u16string AnsiToWide(std::string_view bytes, const std::string& codeSet);

// A text argument of an ANSI entry point: nullptr reads as the empty text.
std::u16string AnsiArgument(const char* text, const std::string& codeSet);
std::u16string AnsiArgument(const char* text);

// A text argument of a wide entry point: nullptr reads as the empty text.
std::u16string_view WideArgument(const char16_t* text);

// How many bytes text takes in codeSet. A character the code set cannot hold
// counts one byte, as the substitute character it would be written as.
size_t AnsiByteLength(std::u16string_view text, const std::string& codeSet);

}  // namespace lenvoro
