// The game and the speech library each choose their interface language from
// the locale; a message box of one next to a dialog of the other must never
// speak two languages. Both rules read the same names here.
#include <gtest/gtest.h>

#include <string>

#include "game/model/interface_language.h"
#include "speech/interface_language.h"

namespace {

int asNumber(tukomi::InterfaceLanguage language) {
    switch (language) {
        case tukomi::InterfaceLanguage::CN:
            return 0;
        case tukomi::InterfaceLanguage::TW:
            return 1;
        case tukomi::InterfaceLanguage::ENG:
            return 2;
    }
    return -1;
}

int asNumber(lenvoro::InterfaceLanguage language) {
    switch (language) {
        case lenvoro::InterfaceLanguage::CN:
            return 0;
        case lenvoro::InterfaceLanguage::TW:
            return 1;
        case lenvoro::InterfaceLanguage::ENG:
            return 2;
    }
    return -1;
}

TEST(InterfaceLanguages, TheGameAndTheLibraryChooseAlike) {
    const std::string names[] = {
        "zh_CN.UTF-8",
        "zh_CN.GBK",
        "zh_TW.Big5",
        "zh_HK.UTF-8",
        "zh_SG@stroke",
        "zh_MO.UTF-8",
        "ZH_tw",
        "zh-HK",
        "zh-hk",
        "zh",
        "zh_US",
        "zh_XX.UTF-8",
        "zh_419",
        "zh_Hant",
        "zho_CN",
        "zh_CHN",
        "zh_CN_TW",
        "zh_",
        "_CN",
        "z_CN",
        "zh1_CN",
        "zh_C1",
        "en_US.UTF-8",
        "ja_JP",
        "de_DE",
        "xx_YY",
        "",
        "C",
        "C.UTF-8",
        "POSIX",
        ".@",
        "zh.UTF-8",
        "zh@euro",
        std::string("zh_CN\0TW", 8),
        "\xff\xfe_\x01",
        std::string(300, 'z'),
    };
    for (const std::string& name : names) {
        const auto game = tukomi::interfaceLanguageForLocale(name);
        const auto library = lenvoro::InterfaceLanguageForLocale(lenvoro::LocaleIdFromName(name));
        EXPECT_EQ(asNumber(game), asNumber(library)) << '"' << name << '"';
    }
}

}  // namespace
