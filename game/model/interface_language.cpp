#include "interface_language.h"

#include <string>

namespace tukomi {
namespace {

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

InterfaceLanguage interfaceLanguageForLocale(std::string_view localeName) {
    // language[_TERRITORY][.codeset][@modifier]; a hyphen is taken for the "_".
    const std::string_view base = localeName.substr(0, localeName.find_first_of(".@"));
    const std::size_t separator = base.find_first_of("_-");
    const std::string_view language = base.substr(0, separator);
    const std::string_view territory =
        separator == std::string_view::npos ? std::string_view{} : base.substr(separator + 1);
    if (language.size() < 2 || language.size() > 3)
        return InterfaceLanguage::ENG;
    for (char c : language)
        if (!isAsciiLetter(c))
            return InterfaceLanguage::ENG;
    if (separator != std::string_view::npos) {
        // Two letters, or the three digits of a UN region; anything else is no locale.
        const bool letters =
            territory.size() == 2 && isAsciiLetter(territory[0]) && isAsciiLetter(territory[1]);
        const bool digits = territory.size() == 3 && isAsciiDigit(territory[0]) &&
                            isAsciiDigit(territory[1]) && isAsciiDigit(territory[2]);
        if (!letters && !digits)
            return InterfaceLanguage::ENG;
    }
    if (language.size() != 2 || lower(language[0]) != 'z' || lower(language[1]) != 'h')
        return InterfaceLanguage::ENG;

    std::string region;
    for (char c : territory)
        region += upper(c);
    if (region == "TW" || region == "HK" || region == "SG")
        return InterfaceLanguage::TW;
    // Macao has a locale of its own, which is not among the Chinese ones the
    // interface has texts for.
    if (region == "MO")
        return InterfaceLanguage::ENG;
    return InterfaceLanguage::CN;
}

InterfaceLanguage userInterfaceLanguage() {
    return interfaceLanguageForLocale(userLocaleName(codeset::processEnvironment()));
}

}  // namespace tukomi
