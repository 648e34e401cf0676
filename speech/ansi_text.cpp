#include "ansi_text.h"

namespace lenvoro {

std::u16string AnsiArgument(const char* text, const std::string& codeSet) {
    if (text == nullptr)
        return {};
    return codeset::toUtf16(std::string_view(text), codeSet);
}

std::u16string AnsiArgument(const char* text) {
    if (text == nullptr)
        return {};
    return AnsiArgument(text, codeset::localeCodeSet());
}

std::u16string_view WideArgument(const char16_t* text) {
    if (text == nullptr)
        return {};
    return std::u16string_view(text);
}

}  // namespace lenvoro
