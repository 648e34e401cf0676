#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <initializer_list>

#include "codeset/codeset.h"

namespace codeset {

namespace {

constexpr const char* kUtf8 = "UTF-8";

}  // namespace

EnvironmentLookup processEnvironment() {
    return [](const char* name) -> const char* { return std::getenv(name); };
}

std::string userLocaleName(const EnvironmentLookup& environment) {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = environment(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

std::string codeSetOfLocale(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName == "POSIX")
        return kUtf8;
    const std::size_t dot = localeName.find('.');
    if (dot != std::string_view::npos) {
        std::string_view codeSet = localeName.substr(dot + 1);
        codeSet = codeSet.substr(0, codeSet.find('@'));
        if (!codeSet.empty())
            return std::string(codeSet);
    }
    // No code set in the name: the one the system's locale of that name has.
    const std::string name(localeName);
    locale_t locale = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return kUtf8;
    std::string codeSet = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeSet.empty() ? kUtf8 : codeSet;
}

std::string localeCodeSet(const EnvironmentLookup& environment) {
    return codeSetOfLocale(userLocaleName(environment));
}

std::string localeCodeSet() {
    return localeCodeSet(processEnvironment());
}

}  // namespace codeset
