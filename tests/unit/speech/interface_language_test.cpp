// The interface language: locale names to identifiers, identifiers to
// languages, the texts each language fills in, and the language identifier
// for voice names in every branch of its rule.
#include "interface_language.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine_state.h"

namespace lenvoro {
namespace {

EnvironmentLookup fakeEnvironment(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const char* name) -> const char* {
        auto it = variables.find(name);
        return it == variables.end() ? nullptr : it->second.c_str();
    };
}

struct LocaleCase {
    const char* name;
    uint32_t id;
    InterfaceLanguage language;
};

TEST(InterfaceLanguage, LocaleNamesMapToIdentifiersAndLanguages) {
    const LocaleCase cases[] = {
        // Every Chinese territory with its own identifier.
        {"zh_CN.UTF-8", 2052, InterfaceLanguage::CN},
        {"zh_CN.GB18030", 2052, InterfaceLanguage::CN},
        {"zh_CN.GBK", 2052, InterfaceLanguage::CN},
        {"zh_TW.UTF-8", 1028, InterfaceLanguage::TW},
        {"zh_TW.Big5", 1028, InterfaceLanguage::TW},
        {"zh_HK.UTF-8", 3076, InterfaceLanguage::TW},
        {"zh_SG.UTF-8", 4100, InterfaceLanguage::TW},
        {"zh_MO.UTF-8", 5124, InterfaceLanguage::ENG},
        // Letter case, modifiers and a hyphen do not change the answer.
        {"ZH_tw", 1028, InterfaceLanguage::TW},
        {"zh-HK", 3076, InterfaceLanguage::TW},
        {"zh_SG@stroke", 4100, InterfaceLanguage::TW},
        {"zh", 2052, InterfaceLanguage::CN},
        {"zh_XX.UTF-8", 2052, InterfaceLanguage::CN},
        // English and other languages.
        {"en_US.UTF-8", 1033, InterfaceLanguage::ENG},
        {"en_GB.UTF-8", 2057, InterfaceLanguage::ENG},
        {"en_AU", 3081, InterfaceLanguage::ENG},
        {"en_CA", 4105, InterfaceLanguage::ENG},
        {"en_PH.UTF-8", 1033, InterfaceLanguage::ENG},
        {"de_DE.UTF-8", 1031, InterfaceLanguage::ENG},
        {"ja_JP.eucJP", 1041, InterfaceLanguage::ENG},
        {"es_419.UTF-8", 3082, InterfaceLanguage::ENG},
        // The defaults, unknown languages and malformed names all read as 1033.
        {"", 1033, InterfaceLanguage::ENG},
        {"C", 1033, InterfaceLanguage::ENG},
        {"C.UTF-8", 1033, InterfaceLanguage::ENG},
        {"POSIX", 1033, InterfaceLanguage::ENG},
        {"xx_YY", 1033, InterfaceLanguage::ENG},
        {"zh_", 1033, InterfaceLanguage::ENG},
        {"_CN", 1033, InterfaceLanguage::ENG},
        {"zh_CHN", 1033, InterfaceLanguage::ENG},
        {"z_CN", 1033, InterfaceLanguage::ENG},
        {"zh1_CN", 1033, InterfaceLanguage::ENG},
        {".@", 1033, InterfaceLanguage::ENG},
        {"\xff\xfe_\x01", 1033, InterfaceLanguage::ENG},
        {"zh_CN_TW", 1033, InterfaceLanguage::ENG},
    };
    for (const LocaleCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LocaleIdFromName(c.name), c.id);
        EXPECT_EQ(InterfaceLanguageForLocale(LocaleIdFromName(c.name)), c.language);
    }
    EXPECT_EQ(LocaleIdFromName(std::string(100000, 'z')), 1033u);
}

TEST(InterfaceLanguage, OnlyTheListedIdentifiersSelectChinese) {
    EXPECT_EQ(InterfaceLanguageForLocale(1028), InterfaceLanguage::TW);
    EXPECT_EQ(InterfaceLanguageForLocale(3076), InterfaceLanguage::TW);
    EXPECT_EQ(InterfaceLanguageForLocale(4100), InterfaceLanguage::TW);
    EXPECT_EQ(InterfaceLanguageForLocale(2052), InterfaceLanguage::CN);
    for (uint32_t other : {0u, 4u, 1033u, 2057u, 3081u, 4105u, 5124u, 0x7804u, 0xFFFFFFFFu}) {
        EXPECT_EQ(InterfaceLanguageForLocale(other), InterfaceLanguage::ENG) << other;
    }
}

TEST(InterfaceLanguage, LocaleComesFromLcAllThenLcCtypeThenLang) {
    EXPECT_EQ(codeset::userLocaleName(fakeEnvironment(
                  {{"LC_ALL", "zh_TW.UTF-8"}, {"LC_CTYPE", "zh_CN"}, {"LANG", "en_US"}})),
              "zh_TW.UTF-8");
    EXPECT_EQ(codeset::userLocaleName(fakeEnvironment({{"LC_ALL", ""}, {"LC_CTYPE", "zh_CN"}})),
              "zh_CN");
    EXPECT_EQ(
        codeset::userLocaleName(fakeEnvironment({{"LC_MESSAGES", "zh_CN"}, {"LANG", "en_GB"}})),
        "en_GB");
    EXPECT_EQ(codeset::userLocaleName(fakeEnvironment({})), "");
}

TEST(InterfaceLanguage, ChoosingFillsEveryBufferAndResetsTheVoicePage) {
    EngineState& state = engineState();
    const std::filesystem::path help = "/usr/share/lenvoro/help";

    ChooseInterfaceLanguage(fakeEnvironment({{"LANG", "zh_CN.UTF-8"}}), help);
    EXPECT_EQ(state.texts.parameterErrorText.view(), u"传入的参数不正确, 不能执行此命令 !");
    EXPECT_EQ(state.texts.parameterErrorCaption.view(), u"错误提示");
    EXPECT_EQ(state.texts.voicePromptTemplate.view(), u"IDD_DOWNLOAD_VOICE_CN");
    EXPECT_EQ(state.texts.initialInfoTemplate.view(), u"IDD_INITIALINFO_CN");
    EXPECT_EQ(state.texts.settingsDialogTemplate.view(), u"IDD_SETDIALOG_CN");
    EXPECT_EQ(state.texts.defaultDownloadPage.view(),
              u"file:///usr/share/lenvoro/help/zh-CN/voices.html");
    EXPECT_EQ(CurrentInterfaceLanguage(), InterfaceLanguage::CN);

    state.voicePage.assign(u"https://example.org/voices");
    ChooseInterfaceLanguage(fakeEnvironment({{"LC_ALL", "zh_SG"}}), help);
    EXPECT_EQ(state.texts.parameterErrorCaption.view(), u"錯誤提示");
    EXPECT_EQ(state.texts.voicePromptTemplate.view(), u"IDD_DOWNLOAD_VOICE_TW");
    EXPECT_EQ(state.voicePage.view(), u"file:///usr/share/lenvoro/help/zh-TW/voices.html");

    // A Chinese user interface with an English locale still gets English dialogs.
    ChooseInterfaceLanguage(
        fakeEnvironment({{"LANGUAGE", "zh_CN"}, {"LC_MESSAGES", "zh_CN"}, {"LANG", "en_US"}}),
        help);
    EXPECT_EQ(state.texts.parameterErrorText.view(),
              u"The parameter is not correct, Can not execute !");
    EXPECT_EQ(state.texts.initialInfoTemplate.view(), u"IDD_INITIALINFO_ENG");
    EXPECT_EQ(state.voicePage.view(), u"file:///usr/share/lenvoro/help/en/voices.html");
}

TEST(InterfaceLanguage, DownloadPagesDifferOnlyInTheLanguageSegmentAndAreEncoded) {
    const std::filesystem::path help = "/opt/my voices/共享/help";
    const std::u16string prefix = u"file:///opt/my%20voices/%E5%85%B1%E4%BA%AB/help/";
    EXPECT_EQ(DownloadPageAddress(InterfaceLanguage::CN, help), prefix + u"zh-CN/voices.html");
    EXPECT_EQ(DownloadPageAddress(InterfaceLanguage::TW, help), prefix + u"zh-TW/voices.html");
    EXPECT_EQ(DownloadPageAddress(InterfaceLanguage::ENG, help), prefix + u"en/voices.html");
}

TEST(InterfaceLanguage, ShippedHelpPagesExistForEveryLanguage) {
    // The test runs with the build tree's data folder.
    const std::filesystem::path help = HelpFolder();
    for (InterfaceLanguage language :
         {InterfaceLanguage::CN, InterfaceLanguage::TW, InterfaceLanguage::ENG}) {
        const auto page = help / TextsFor(language).helpSegment / "voices.html";
        EXPECT_TRUE(std::filesystem::is_regular_file(page)) << page;
        EXPECT_GT(std::filesystem::file_size(page), 1000u) << page;
    }
}

TEST(InterfaceLanguage, ATooLongHelpAddressIsCutWithinTheBuffer) {
    ChooseInterfaceLanguage(fakeEnvironment({{"LANG", "en_US"}}),
                            std::filesystem::path("/" + std::string(400, 'a')));
    EXPECT_EQ(engineState().texts.defaultDownloadPage.size(), 255u);
    EXPECT_EQ(engineState().voicePage.size(), 255u);
}

TEST(VoiceNameLanguage, EachBranchOfTheRule) {
    struct Case {
        const char* what;
        UiLanguageSources sources;
        uint16_t expected;
    };
    const uint16_t fallback = 2057;
    const Case cases[] = {
        {"version unknown", {SystemFamily::Unknown, 2052, "804", fallback}, fallback},
        {"query answers", {SystemFamily::ModernNt, 2052, std::nullopt, fallback}, 2052},
        {"query answers 0", {SystemFamily::ModernNt, 0, std::nullopt, fallback}, fallback},
        {"query missing", {SystemFamily::ModernNt, std::nullopt, std::nullopt, fallback}, fallback},
        {"older NT locale", {SystemFamily::OlderNt, std::nullopt, "00000804", fallback}, 2052},
        {"older NT Arabic", {SystemFamily::OlderNt, std::nullopt, "00000401", fallback}, 1033},
        {"older NT Hebrew", {SystemFamily::OlderNt, std::nullopt, "0000040d", fallback}, 1033},
        {"older NT Thai", {SystemFamily::OlderNt, std::nullopt, "0000041E", fallback}, 1033},
        {"older NT zero", {SystemFamily::OlderNt, std::nullopt, "00000000", fallback}, fallback},
        {"older NT garbage", {SystemFamily::OlderNt, std::nullopt, "zh-CN", fallback}, fallback},
        {"older NT unreadable",
         {SystemFamily::OlderNt, std::nullopt, std::nullopt, fallback},
         fallback},
        {"older NT too long",
         {SystemFamily::OlderNt, std::nullopt, std::string(65, '4'), fallback},
         fallback},
        {"older NT sort id", {SystemFamily::OlderNt, std::nullopt, "00020804", fallback}, 2052},
        {"other resource locale", {SystemFamily::Other, std::nullopt, "00000404", fallback}, 1028},
        {"other keeps Arabic", {SystemFamily::Other, std::nullopt, "401", fallback}, 1025},
        {"other empty", {SystemFamily::Other, std::nullopt, "", fallback}, fallback},
        {"other too long",
         {SystemFamily::Other, std::nullopt, "  " + std::string(31, '0'), fallback},
         fallback},
        {"other unreadable", {SystemFamily::Other, std::nullopt, std::nullopt, fallback}, fallback},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UiLanguageForVoiceNames(c.sources), c.expected) << c.what;
    }
}

TEST(VoiceNameLanguage, ComesFromLanguageThenLcAllLcMessagesLang) {
    struct Case {
        std::map<std::string, std::string> environment;
        uint16_t uiLanguage;  // what the query answers, 0 for nothing
        uint16_t forVoiceNames;
    };
    const Case cases[] = {
        // Chinese user interface on an English locale: voice names in Chinese.
        {{{"LANGUAGE", "zh_CN:en"}, {"LANG", "en_US.UTF-8"}}, 2052, 2052},
        {{{"LANGUAGE", "xx:zh_TW"}, {"LANG", "en_US.UTF-8"}}, 1028, 1028},
        {{{"LC_ALL", "zh_HK.UTF-8"}, {"LC_MESSAGES", "en_GB"}}, 3076, 3076},
        {{{"LC_MESSAGES", "zh_TW"}, {"LANG", "en_US"}}, 1028, 1028},
        {{{"LANG", "en_GB.UTF-8"}}, 2057, 2057},
        // LANGUAGE counts only when the messages locale is not the C locale.
        {{{"LANGUAGE", "zh_CN"}, {"LANG", "C.UTF-8"}}, 0, 1033},
        {{{"LANGUAGE", "zh_CN"}}, 0, 1033},
        // Nothing known: the user's default language (here from LC_CTYPE).
        {{{"LC_CTYPE", "zh_CN.GBK"}, {"LANG", "xx_YY"}}, 0, 2052},
        {{}, 0, 1033},
    };
    for (const Case& c : cases) {
        const EnvironmentLookup environment = fakeEnvironment(c.environment);
        EXPECT_EQ(UiLanguageFromEnvironment(environment), c.uiLanguage);
        EXPECT_EQ(UiLanguageForVoiceNames(UiLanguageSourcesFromEnvironment(environment)),
                  c.forVoiceNames);
    }
}

TEST(VoiceNameLanguage, ValueNamesAreUpperCaseHexWithoutLeadingZeros) {
    EXPECT_EQ(LanguageIdValueName(2052), u"804");
    EXPECT_EQ(LanguageIdValueName(1033), u"409");
    EXPECT_EQ(LanguageIdValueName(3076), u"C04");
    EXPECT_EQ(LanguageIdValueName(0), u"0");
    EXPECT_EQ(LanguageIdValueName(0xFFFF), u"FFFF");
}

}  // namespace
}  // namespace lenvoro
