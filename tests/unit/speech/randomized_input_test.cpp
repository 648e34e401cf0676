// Random texts for the markup reader and random files for the token reader:
// whatever they are given, they must finish with consistent results.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "engine/ini_file.h"
#include "engine/markup.h"
#include "engine/voice_tokens.h"
#include "voice_support.h"

namespace lenvoro::engine {
namespace {

TEST(RandomizedInput, MarkupReaderKeepsOffsetsInsideTheTextAndInOrder) {
    const std::u16string fragments[] = {u"<",
                                        u">",
                                        u"/",
                                        u"\"",
                                        u"'",
                                        u"=",
                                        u"voice",
                                        u"rate",
                                        u"volume",
                                        u"silence",
                                        u" required=\"Name=A\"",
                                        u"msec=\"7\"",
                                        u"absspeed=",
                                        u"-5",
                                        u"&amp;",
                                        u"&#",
                                        u"x",
                                        u";",
                                        u"!--",
                                        u"-->",
                                        u"?",
                                        u"中",
                                        u" ",
                                        u"\n",
                                        u"\U0001F600"};
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) {
            if (random() % 10 == 0) {
                text.push_back(static_cast<char16_t>(random() % 0x10000));
            } else {
                text += fragments[random() % std::size(fragments)];
            }
        }
        const auto pieces = readMarkup(text);
        uint32_t previousEnd = 0;
        for (const auto& piece : pieces) {
            ASSERT_EQ(piece.text.size(), piece.sourceOffset.size());
            ASSERT_EQ(piece.text.size(), piece.sourceLength.size());
            ASSERT_LE(piece.silenceMs, kMaximumSilenceMs);
            for (size_t i = 0; i < piece.text.size(); ++i) {
                ASSERT_GE(piece.sourceOffset[i], previousEnd);
                ASSERT_GE(piece.sourceLength[i], 1u);
                previousEnd = piece.sourceOffset[i] + piece.sourceLength[i];
                ASSERT_LE(previousEnd, text.size());
                ASSERT_NE(piece.text[i], U'\0');
            }
        }
    }
}

TEST(RandomizedInput, TokenFilesOfRandomBytesNeverBreakTheCategory) {
    const auto folder = test::makeTemporaryFolder("random-tokens");
    const test::EnvironmentGuard data("LENVORO_DATA_DIR", folder.string());
    std::filesystem::create_directories(folder / "voices");
    std::mt19937 random(777);
    const std::string pieces[] = {"[Attributes]\n",
                                  "[Espeak]\n",
                                  "[Token]\n",
                                  "Name=",
                                  "Voice=",
                                  "en-us",
                                  "cmn",
                                  "Variant=",
                                  "f2",
                                  "Pitch=",
                                  "999999999999",
                                  "\n",
                                  "=",
                                  "[",
                                  "]",
                                  ";",
                                  "\xff\xfe",
                                  "Gender=Female\n"};
    for (int round = 0; round < 60; ++round) {
        std::string content;
        for (int i = 0; i < 40; ++i) {
            if (random() % 4 == 0)
                content.push_back(static_cast<char>(random() % 256));
            else
                content += pieces[random() % std::size(pieces)];
        }
        char name[32];
        std::snprintf(name, sizeof name, "t%d.ini", round);
        std::ofstream(folder / "voices" / name, std::ios::binary) << content;
        const IniFile parsed = IniFile::parse(content);
        (void)parsed.value("Attributes", "Name");
    }
    std::shared_ptr<TokenCategory> category;
    ASSERT_EQ(TokenCategory::open(kVoicesCategoryId, false, &category), kOk);
    std::shared_ptr<TokenEnumeration> found;
    ASSERT_EQ(category->enumTokens(u"Gender=Female", u"", &found), kOk);
    std::shared_ptr<const ObjectToken> token;
    while (found->next(&token) == kOk) {
        std::u16string name;
        EXPECT_EQ(token->getAttribute(u"Name", &name), kOk);
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(Synthesizer::instance().canSpeak(token->espeakVoice()));
    }
}

}  // namespace
}  // namespace lenvoro::engine
