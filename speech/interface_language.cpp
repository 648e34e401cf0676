#include "interface_language.h"

#include <array>
#include <cstdlib>
#include <system_error>

#include "engine/data_folders.h"
#include "engine/text.h"
#include "engine_state.h"

namespace lenvoro {

namespace {

struct LocaleEntry {
    std::string_view name;  // language, or language_TERRITORY
    uint32_t id;
};

// The locales people run desktops in. A territory the table lacks falls back
// to its language's entry, so "en_PH" is still English.
constexpr std::array kLocales = {
    LocaleEntry{"zh_TW", kLocaleChineseTaiwan},
    LocaleEntry{"zh_CN", kLocaleChinesePrc},
    LocaleEntry{"zh_HK", kLocaleChineseHongKong},
    LocaleEntry{"zh_SG", kLocaleChineseSingapore},
    LocaleEntry{"zh_MO", kLocaleChineseMacao},
    LocaleEntry{"zh", kLocaleChinesePrc},
    LocaleEntry{"en_US", kLocaleEnglishUnitedStates},
    LocaleEntry{"en_GB", 2057},
    LocaleEntry{"en_AU", 3081},
    LocaleEntry{"en_CA", 4105},
    LocaleEntry{"en_NZ", 5129},
    LocaleEntry{"en_IE", 6153},
    LocaleEntry{"en_ZA", 7177},
    LocaleEntry{"en_IN", 16393},
    LocaleEntry{"en_SG", 18441},
    LocaleEntry{"en", kLocaleEnglishUnitedStates},
    LocaleEntry{"ar", 1025},
    LocaleEntry{"cs", 1029},
    LocaleEntry{"da", 1030},
    LocaleEntry{"de", 1031},
    LocaleEntry{"de_AT", 3079},
    LocaleEntry{"de_CH", 2055},
    LocaleEntry{"el", 1032},
    LocaleEntry{"es", 3082},
    LocaleEntry{"es_MX", 2058},
    LocaleEntry{"fi", 1035},
    LocaleEntry{"fr", 1036},
    LocaleEntry{"fr_CA", 3084},
    LocaleEntry{"fr_BE", 2060},
    LocaleEntry{"fr_CH", 4108},
    LocaleEntry{"he", 1037},
    LocaleEntry{"hu", 1038},
    LocaleEntry{"it", 1040},
    LocaleEntry{"ja", 1041},
    LocaleEntry{"ko", 1042},
    LocaleEntry{"nl", 1043},
    LocaleEntry{"nb", 1044},
    LocaleEntry{"pl", 1045},
    LocaleEntry{"pt", 2070},
    LocaleEntry{"pt_BR", 1046},
    LocaleEntry{"ru", 1049},
    LocaleEntry{"sv", 1053},
    LocaleEntry{"th", 1054},
    LocaleEntry{"tr", 1055},
    LocaleEntry{"uk", 1058},
    LocaleEntry{"vi", 1066},
};

constexpr InterfaceLanguageTexts kSimplifiedChinese{
    u"IDD_SETDIALOG_CN",
    u"IDD_DOWNLOAD_VOICE_CN",
    u"IDD_INITIALINFO_CN",
    "zh-CN",
    u"传入的参数不正确, 不能执行此命令 !",
    u"错误提示",
    u"确定",
};
constexpr InterfaceLanguageTexts kTraditionalChinese{
    u"IDD_SETDIALOG_TW",
    u"IDD_DOWNLOAD_VOICE_TW",
    u"IDD_INITIALINFO_TW",
    "zh-TW",
    u"傳入的參數不正确, 不能執行此命令 !",
    u"錯誤提示",
    u"確定",
};
constexpr InterfaceLanguageTexts kEnglish{
    u"IDD_SETDIALOG_ENG",
    u"IDD_DOWNLOAD_VOICE_ENG",
    u"IDD_INITIALINFO_ENG",
    "en",
    u"The parameter is not correct, Can not execute !",
    u"Wrong",
    u"OK",
};

bool isPosixDefault(std::string_view name) {
    const std::string_view base = name.substr(0, name.find_first_of(".@"));
    return base == "C" || base == "POSIX";
}

std::string firstSet(const EnvironmentLookup& environment,
                     std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const char* value = environment(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

}  // namespace

std::optional<uint32_t> KnownLocaleId(std::string_view localeName) {
    // language[_TERRITORY][.codeset][@modifier]
    const std::string_view base = localeName.substr(0, localeName.find_first_of(".@"));
    const size_t separator = base.find_first_of("_-");
    const std::string_view languagePart = base.substr(0, separator);
    const std::string_view territoryPart =
        separator == std::string_view::npos ? std::string_view{} : base.substr(separator + 1);
    if (languagePart.size() < 2 || languagePart.size() > 3)
        return std::nullopt;
    for (char c : languagePart) {
        if (!engine::isAsciiLetter(c))
            return std::nullopt;
    }
    if (separator != std::string_view::npos) {
        // Two letters, or the three digits of a UN region; anything else is malformed.
        const bool letters = territoryPart.size() == 2 && engine::isAsciiLetter(territoryPart[0]) &&
                             engine::isAsciiLetter(territoryPart[1]);
        const bool digits = territoryPart.size() == 3 && engine::isAsciiDigit(territoryPart[0]) &&
                            engine::isAsciiDigit(territoryPart[1]) &&
                            engine::isAsciiDigit(territoryPart[2]);
        if (!letters && !digits)
            return std::nullopt;
    }

    std::string language;
    for (char c : languagePart)
        language += engine::asciiLower(c);
    std::string full = language;
    if (!territoryPart.empty()) {
        full += '_';
        for (char c : territoryPart)
            full += engine::asciiUpper(c);
    }
    for (const LocaleEntry& entry : kLocales) {
        if (entry.name == full)
            return entry.id;
    }
    for (const LocaleEntry& entry : kLocales) {
        if (entry.name == language)
            return entry.id;
    }
    return std::nullopt;
}

uint32_t LocaleIdFromName(std::string_view localeName) {
    return KnownLocaleId(localeName).value_or(kLocaleEnglishUnitedStates);
}

InterfaceLanguage InterfaceLanguageForLocale(uint32_t localeId) {
    switch (localeId) {
        case kLocaleChineseTaiwan:
        case kLocaleChineseHongKong:
        case kLocaleChineseSingapore:
            return InterfaceLanguage::TW;
        case kLocaleChinesePrc:
            return InterfaceLanguage::CN;
        default:
            return InterfaceLanguage::ENG;
    }
}

const InterfaceLanguageTexts& TextsFor(InterfaceLanguage language) {
    switch (language) {
        case InterfaceLanguage::CN:
            return kSimplifiedChinese;
        case InterfaceLanguage::TW:
            return kTraditionalChinese;
        case InterfaceLanguage::ENG:
            break;
    }
    return kEnglish;
}

std::u16string DownloadPageAddress(InterfaceLanguage language,
                                   const std::filesystem::path& helpRoot) {
    std::filesystem::path page = helpRoot / TextsFor(language).helpSegment / "voices.html";
    if (page.is_relative()) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(page, error);
        if (!error)
            page = absolute;
    }
    // RFC 3986: keep unreserved characters and the path separator, encode every
    // other byte of the UTF-8 path.
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::u16string address = u"file://";
    for (unsigned char byte : page.generic_string()) {
        const char c = static_cast<char>(byte);
        if (engine::isAsciiLetter(c) || engine::isAsciiDigit(c) || c == '-' || c == '.' ||
            c == '_' || c == '~' || c == '/') {
            address += static_cast<char16_t>(byte);
        } else {
            address += u'%';
            address += static_cast<char16_t>(kHex[byte >> 4]);
            address += static_cast<char16_t>(kHex[byte & 0xF]);
        }
    }
    return address;
}

std::filesystem::path HelpFolder() {
    const std::vector<std::filesystem::path> folders = engine::dataFolders();
    for (const auto& folder : folders) {
        std::error_code error;
        if (std::filesystem::is_directory(folder / "help", error))
            return folder / "help";
    }
    return folders.empty() ? std::filesystem::path("help") : folders.back() / "help";
}

void ChooseInterfaceLanguage(const EnvironmentLookup& environment,
                             const std::filesystem::path& helpRoot) {
    const InterfaceLanguage language =
        InterfaceLanguageForLocale(LocaleIdFromName(codeset::userLocaleName(environment)));
    const InterfaceLanguageTexts& chosen = TextsFor(language);
    InterfaceTexts& texts = engineState().texts;
    texts.settingsDialogTemplate.assign(chosen.settingsDialogTemplate);
    texts.voicePromptTemplate.assign(chosen.voicePromptTemplate);
    texts.initialInfoTemplate.assign(chosen.initialInfoTemplate);
    texts.defaultDownloadPage.assign(DownloadPageAddress(language, helpRoot));
    texts.parameterErrorText.assign(chosen.parameterErrorText);
    texts.parameterErrorCaption.assign(chosen.parameterErrorCaption);
    engineState().voicePage.assign(texts.defaultDownloadPage.view());
}

void ChooseInterfaceLanguage() {
    ChooseInterfaceLanguage(processEnvironment(), HelpFolder());
}

void EnsureInterfaceTexts() {
    EngineState& state = engineState();
    if (!state.texts.voicePromptTemplate.empty())
        return;
    const FixedText keptPage = state.voicePage;
    ChooseInterfaceLanguage();
    if (!keptPage.empty())
        state.voicePage = keptPage;
}

InterfaceLanguage CurrentInterfaceLanguage() {
    const std::u16string_view name = engineState().texts.voicePromptTemplate.view();
    for (InterfaceLanguage language :
         {InterfaceLanguage::CN, InterfaceLanguage::TW, InterfaceLanguage::ENG}) {
        if (TextsFor(language).voicePromptTemplate == name)
            return language;
    }
    return InterfaceLanguage::ENG;
}

uint16_t ParseStoredLocale(std::string_view text, size_t maxBytes) {
    if (text.size() > maxBytes)
        return 0;
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    uint32_t value = 0;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const char c = engine::asciiLower(text[i]);
        int digit;
        if (engine::isAsciiDigit(c))
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            break;
        // Keep the low 32 bits of longer numbers; only the language part matters.
        value = (value << 4) | static_cast<uint32_t>(digit);
        anyDigit = true;
    }
    return anyDigit ? static_cast<uint16_t>(value & 0xFFFF) : 0;
}

uint16_t UiLanguageForVoiceNames(const UiLanguageSources& sources) {
    constexpr uint16_t kArabic = 1025, kHebrew = 1037, kThai = 1054;
    // Sizes of the stored values the older systems keep.
    constexpr size_t kLocaleValueBytes = 64, kResourceLocaleValueBytes = 32;
    const uint16_t fallback = sources.userDefaultLanguage;
    switch (sources.family) {
        case SystemFamily::Unknown:
            return fallback;
        case SystemFamily::ModernNt: {
            const uint16_t queried = sources.queriedUiLanguage.value_or(0);
            return queried != 0 ? queried : fallback;
        }
        case SystemFamily::OlderNt: {
            if (!sources.storedLocaleValue)
                return fallback;
            uint16_t id = ParseStoredLocale(*sources.storedLocaleValue, kLocaleValueBytes);
            // Voices have no display names in the right-to-left languages and Thai.
            if (id == kArabic || id == kHebrew || id == kThai)
                id = kLocaleEnglishUnitedStates;
            return id != 0 ? id : fallback;
        }
        case SystemFamily::Other: {
            if (!sources.storedLocaleValue)
                return fallback;
            const uint16_t id =
                ParseStoredLocale(*sources.storedLocaleValue, kResourceLocaleValueBytes);
            return id != 0 ? id : fallback;
        }
    }
    return fallback;
}

uint16_t UiLanguageFromEnvironment(const EnvironmentLookup& environment) {
    const std::string messagesLocale = firstSet(environment, {"LC_ALL", "LC_MESSAGES", "LANG"});
    const char* list = environment("LANGUAGE");
    if (list != nullptr && !messagesLocale.empty() && !isPosixDefault(messagesLocale)) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const size_t colon = rest.find(':');
            if (auto id = KnownLocaleId(rest.substr(0, colon)))
                return static_cast<uint16_t>(*id);
            rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
        }
    }
    return static_cast<uint16_t>(KnownLocaleId(messagesLocale).value_or(0));
}

UiLanguageSources UiLanguageSourcesFromEnvironment(const EnvironmentLookup& environment) {
    UiLanguageSources sources;
    sources.family = SystemFamily::ModernNt;
    sources.queriedUiLanguage = UiLanguageFromEnvironment(environment);
    sources.userDefaultLanguage =
        static_cast<uint16_t>(LocaleIdFromName(codeset::userLocaleName(environment)) & 0xFFFF);
    return sources;
}

uint16_t UiLanguageForVoiceNames() {
    return UiLanguageForVoiceNames(UiLanguageSourcesFromEnvironment(processEnvironment()));
}

std::u16string LanguageIdValueName(uint16_t languageId) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string name;
    do {
        name.insert(name.begin(), kHex[languageId & 0xF]);
        languageId = static_cast<uint16_t>(languageId >> 4);
    } while (languageId != 0);
    return name;
}

}  // namespace lenvoro
