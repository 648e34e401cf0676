#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "engine/data_folders.h"
#include "engine/ini_file.h"
#include "engine/voice_tokens.h"
#include "voice_support.h"

namespace lenvoro::engine {
namespace {

void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> namesOf(const std::shared_ptr<TokenEnumeration>& found) {
    std::vector<std::string> names;
    std::shared_ptr<const ObjectToken> token;
    while (found->next(&token) == kOk) {
        std::u16string name;
        token->getAttribute(u"Name", &name);
        names.emplace_back(name.begin(), name.end());
    }
    return names;
}

std::shared_ptr<TokenCategory> voices() {
    std::shared_ptr<TokenCategory> category;
    EXPECT_EQ(TokenCategory::open(kVoicesCategoryId, false, &category), kOk);
    return category;
}

TEST(VoiceTokens, ShippedVoicesAreFoundByName) {
    for (const std::u16string name :
         {u"Microsoft Simplified Chinese", u"Microsoft Sam", u"Microsoft Mary", u"Microsoft Mike",
          u"Chinese Female Voice"}) {
        std::shared_ptr<TokenEnumeration> found;
        ASSERT_EQ(voices()->enumTokens(u"Name=" + name, u"", &found), kOk);
        EXPECT_EQ(found->count(), 1u);
    }
    std::shared_ptr<TokenEnumeration> all;
    voices()->enumTokens(u"", u"", &all);
    EXPECT_EQ(all->count(), 5u);
}

TEST(VoiceTokens, AttributesMatchIgnoringCaseAndListValues) {
    std::shared_ptr<TokenEnumeration> found;
    voices()->enumTokens(u"name=microsoft mary", u"", &found);
    EXPECT_EQ(namesOf(found), std::vector<std::string>{"Microsoft Mary"});
    voices()->enumTokens(u"Language=409;Gender=Male", u"", &found);
    EXPECT_EQ(found->count(), 2u);
    voices()->enumTokens(u"Name=Microsoft Anna", u"", &found);
    EXPECT_EQ(found->count(), 0u);
    voices()->enumTokens(u"Language=804", u"Gender=Female", &found);
    ASSERT_EQ(found->count(), 2u);
    // The optional attribute puts the female voice first (unless it is the default).
    std::string defaultId;
    voices()->getDefaultTokenId(&defaultId);
    if (defaultId.find("simplified") == std::string::npos) {
        EXPECT_EQ(namesOf(found).front(), "Chinese Female Voice");
    }
}

TEST(VoiceTokens, DisplayNamesByHexadecimalLanguage) {
    auto token = test::voiceNamed(u"Chinese Female Voice");
    ASSERT_TRUE(token);
    std::u16string name;
    EXPECT_EQ(token->getStringValue(u"804", &name), kOk);
    EXPECT_EQ(name, u"中文女声");
    EXPECT_EQ(token->getStringValue(u"", &name), kOk);
    EXPECT_EQ(name, u"Chinese Female Voice");
    EXPECT_EQ(token->getStringValue(u"411", &name), kNotFound);
}

TEST(VoiceTokens, DroppedFileAddsAVoiceAndBrokenFilesAreIgnored) {
    const auto folder = test::makeTemporaryFolder("tokens");
    const test::EnvironmentGuard use("LENVORO_DATA_DIR", folder.string());
    EXPECT_EQ(voices()->getDefaultTokenId(nullptr), kPointer);
    std::string id;
    EXPECT_EQ(voices()->getDefaultTokenId(&id), kNotFound);  // no voices at all

    writeFile(folder / "voices/good.ini",
              "[Attributes]\nName=Test Voice\nGender=Female\n[Espeak]\nVoice=en-us\nVariant=f2\n");
    writeFile(folder / "voices/garbage.ini", std::string("\x00\xff[[[=\n=\n[Attributes\nName", 24));
    writeFile(folder / "voices/mbrola.ini", "[Attributes]\nName=Mbrola\n[Espeak]\nVoice=mb-en1\n");
    writeFile(folder / "voices/variant.ini",
              "[Attributes]\nName=Bad Variant\n[Espeak]\nVoice=en-us\nVariant=../../etc/passwd\n");
    writeFile(folder / "voices/huge.ini", "[Attributes]\nName=Huge\n[Espeak]\nVoice=en-us\n" +
                                              std::string(kMaximumIniFileBytes, ';'));
    writeFile(folder / "voices/not-a-token.txt", "[Attributes]\nName=Txt\n[Espeak]\nVoice=en-us\n");

    std::shared_ptr<TokenEnumeration> found;
    ASSERT_EQ(voices()->enumTokens(u"", u"", &found), kOk);
    EXPECT_EQ(namesOf(found), std::vector<std::string>{"Test Voice"});
    EXPECT_EQ(voices()->getDefaultTokenId(&id), kOk);
    EXPECT_NE(id.find("good"), std::string::npos);
}

TEST(VoiceTokens, EarlierFolderHidesAShippedVoiceOfTheSameFileName) {
    const auto user = test::makeTemporaryFolder("user-data");
    writeFile(user / "lenvoro/voices/03-sam.ini",
              "[Attributes]\nName=My Sam\n[Espeak]\nVoice=en-gb\n");
    const std::string shipped = std::getenv("LENVORO_DATA_DIR");
    std::vector<std::string> names;
    {
        test::EnvironmentGuard environment;
        environment.unset("LENVORO_DATA_DIR")
            .set("XDG_DATA_HOME", user.string())
            .set("XDG_DATA_DIRS", std::filesystem::path(shipped).parent_path().string());
        std::shared_ptr<TokenEnumeration> found;
        voices()->enumTokens(u"", u"", &found);
        names = namesOf(found);
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "My Sam"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "Microsoft Sam"), names.end());
}

TEST(VoiceTokens, DefaultTokenIsStoredAtomicallyAndComesFirst) {
    auto category = voices();
    auto mike = test::voiceNamed(u"Microsoft Mike");
    ASSERT_TRUE(mike);
    EXPECT_EQ(category->setDefaultTokenId("no such token"), kNotFound);
    ASSERT_EQ(category->setDefaultTokenId(mike->id()), kOk);
    std::string id;
    EXPECT_EQ(category->getDefaultTokenId(&id), kOk);
    EXPECT_EQ(id, mike->id());
    std::shared_ptr<TokenEnumeration> found;
    category->enumTokens(u"", u"", &found);
    EXPECT_EQ(namesOf(found).front(), "Microsoft Mike");
    // The settings file is complete and holds no leftovers from the write.
    const auto settings = engineSettingsPath();
    EXPECT_EQ(IniFile::load(settings).value("Voices", "DefaultTokenId"), mike->id());
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(settings.parent_path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
    std::filesystem::remove(settings);
}

// Sets LC_ALL, LC_CTYPE and LANG for as long as it lives (nullptr: unset).
struct LocaleVariables {
    LocaleVariables(const char* lcAll, const char* lcCtype, const char* lang) {
        guard.set("LC_ALL", lcAll).set("LC_CTYPE", lcCtype).set("LANG", lang);
    }
    test::EnvironmentGuard guard;
};

std::string defaultVoiceName() {
    std::string id;
    std::shared_ptr<const ObjectToken> token;
    if (voices()->getDefaultTokenId(&id) != kOk || voices()->getToken(id, &token) != kOk)
        return "";
    std::u16string name;
    token->getAttribute(u"Name", &name);
    return std::string(name.begin(), name.end());
}

TEST(VoiceTokens, WithoutAStoredDefaultTheLocaleLanguageChoosesTheVoice) {
    std::filesystem::remove(engineSettingsPath());
    struct Case {
        const char *lcAll, *lcCtype, *lang;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "zh_CN.UTF-8", "Microsoft Simplified Chinese"},
        {nullptr, nullptr, "zh_TW.Big5", "Microsoft Simplified Chinese"},
        {nullptr, nullptr, "ZH-hk", "Microsoft Simplified Chinese"},
        {nullptr, nullptr, "en_US.UTF-8", "Microsoft Sam"},
        {nullptr, nullptr, "de_DE@euro", "Microsoft Sam"},
        {nullptr, nullptr, "C.UTF-8", "Microsoft Sam"},
        {nullptr, nullptr, nullptr, "Microsoft Sam"},
        {nullptr, nullptr, "zhx_CN", "Microsoft Sam"},
        // LC_ALL over LC_CTYPE over LANG, as the library reads the locale.
        {"en_US.UTF-8", "zh_CN.GBK", "zh_CN.GBK", "Microsoft Sam"},
        {"", "zh_CN.GBK", "en_US.UTF-8", "Microsoft Simplified Chinese"},
        {nullptr, "", "zh_SG", "Microsoft Simplified Chinese"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lcAll ? c.lcAll : "-") + " / " + (c.lcCtype ? c.lcCtype : "-") +
                     " / " + (c.lang ? c.lang : "-"));
        LocaleVariables locale(c.lcAll, c.lcCtype, c.lang);
        EXPECT_EQ(defaultVoiceName(), c.expected);
    }
}

TEST(VoiceTokens, StoredDefaultAndMissingLanguageOverrideTheLocale) {
    LocaleVariables english(nullptr, nullptr, "en_US.UTF-8");
    auto female = test::voiceNamed(u"Chinese Female Voice");
    ASSERT_TRUE(female);
    ASSERT_EQ(voices()->setDefaultTokenId(female->id()), kOk);
    EXPECT_EQ(defaultVoiceName(), "Chinese Female Voice");
    std::filesystem::remove(engineSettingsPath());

    // No voice of the locale's language: the first voice, whatever it speaks.
    const auto folder = test::makeTemporaryFolder("chinese-only");
    writeFile(folder / "voices/b-female.ini",
              "[Attributes]\nName=B\nLanguage=804\n[Espeak]\nVoice=en-us\n");
    writeFile(folder / "voices/a-unlabelled.ini", "[Attributes]\nName=A\n[Espeak]\nVoice=en-us\n");
    writeFile(folder / "voices/c-english.ini",
              "[Attributes]\nName=C\nLanguage=zz;0809\n[Espeak]\nVoice=en-us\n");
    const test::EnvironmentGuard use("LENVORO_DATA_DIR", folder.string());
    EXPECT_EQ(defaultVoiceName(), "C");
    LocaleVariables chinese(nullptr, nullptr, "zh_CN");
    EXPECT_EQ(defaultVoiceName(), "B");
    std::filesystem::remove(folder / "voices/b-female.ini");
    EXPECT_EQ(defaultVoiceName(), "A");
}

TEST(TokenCategories, OnlyTheVoiceAndAudioOutputCategoriesExist) {
    std::shared_ptr<TokenCategory> category;
    EXPECT_EQ(TokenCategory::open("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Recognizers",
                                  true, &category),
              kNotFound);
    EXPECT_EQ(category, nullptr);
    ASSERT_EQ(TokenCategory::open("hkey_local_machine\\software\\microsoft\\speech\\audiooutput",
                                  true, &category),
              kOk);
    std::string id;
    ASSERT_EQ(category->getDefaultTokenId(&id), kOk);
    std::shared_ptr<const ObjectToken> token;
    ASSERT_EQ(category->getToken(id, &token), kOk);
    std::shared_ptr<AudioDevice> device;
    ASSERT_EQ(token->createAudioDevice(&device), kOk);
    EXPECT_EQ(device->setFormat(streamFormatFromId(35)->waveFormat()), kOk);
    EXPECT_EQ(device->format().sampleRate, 44100);
    WaveFormat alaw = streamFormatFromId(4)->waveFormat();
    alaw.formatTag = 6;
    EXPECT_EQ(device->setFormat(alaw), kUnsupportedFormat);
    EXPECT_EQ(test::voiceNamed(u"Microsoft Sam")->createAudioDevice(&device), kInvalidArg);
}

// What the settings code writes must read back unchanged, however odd the keys and values.
TEST(IniFileRoundTrip, OddKeysAndValuesSurviveWritingAndReading) {
    const struct {
        std::string key, value;
    } cases[] = {
        {"\xEF\xBB\xBFkey", "a key that starts with a byte-order mark"},
        {"\xEF\xBB\xBF", ""},
        {"name", "line\nbreak and\rreturn"},
        {"voice", "\xE4\xBD\xA0\xE5\xA5\xBD"},
    };
    for (const auto& c : cases) {
        IniFile written;
        written.set("", c.key, c.value);
        written.set("Voices", "DefaultTokenId", "x");
        const std::string text = written.serialize();
        EXPECT_EQ(IniFile::parse(text).serialize(), text) << c.key;
        EXPECT_EQ(IniFile::parse(text).value("", c.key), written.value("", c.key)) << c.key;
    }
}

}  // namespace
}  // namespace lenvoro::engine
