// Texts of the ANSI entry points: bytes in the code set of the user's locale,
// converted to UTF-16 at the boundary (codeset::localeCodeSet() names the code
// set, codeset::toUtf16() converts). Conversion never fails: a byte that does
// not belong to the code set becomes U+FFFD and the rest is converted.
#pragma once

#include <string>
#include <string_view>

#include "codeset/codeset.h"

namespace lenvoro {

// A text argument of an ANSI entry point: nullptr reads as the empty text.
std::u16string AnsiArgument(const char* text, const std::string& codeSet);
std::u16string AnsiArgument(const char* text);

// A text argument of a wide entry point: nullptr reads as the empty text.
std::u16string_view WideArgument(const char16_t* text);

}  // namespace lenvoro
