#include <gtest/gtest.h>

#include "engine/runtime.h"
#include "engine/speakable_text.h"
#include "engine/stream_format.h"
#include "engine/text.h"
#include "engine_state.h"
#include "fixed_text.h"
#include "lenvoro.h"
#include "speech_engine.h"

namespace lenvoro {
namespace {

TEST(StreamFormats, TheThirtySixFormatsFollowTheirRule) {
    const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    for (int32_t format = 0; format < 36; ++format) {
        const auto f = engine::streamFormatFromId(format + 4);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->sampleRate, rates[format / 4]);
        EXPECT_EQ(f->channels, format % 2 == 1 ? 2 : 1);
        EXPECT_EQ(f->bitsPerSample, (format & 2) != 0 ? 16 : 8);
        EXPECT_EQ(engine::streamFormatFromWave(f->waveFormat())->id, format + 4);
    }
    EXPECT_EQ(engine::streamFormatFromId(35)->bytesPerSecond(), 176400);
    EXPECT_FALSE(engine::streamFormatFromId(3));
    EXPECT_FALSE(engine::streamFormatFromId(40));
}

TEST(RateMapping, InterfaceRateUsesIntegerDivision) {
    EXPECT_EQ(EngineRateFromInterface(0), -10);
    EXPECT_EQ(EngineRateFromInterface(49), -1);
    EXPECT_EQ(EngineRateFromInterface(50), 0);
    EXPECT_EQ(EngineRateFromInterface(100), 10);
}

TEST(FixedText, CutsAt255UnitsWithoutSplittingASurrogatePair) {
    FixedText text;
    EXPECT_TRUE(text.assign(u"short"));
    EXPECT_EQ(text.view(), u"short");
    std::u16string longText(254, u'a');
    longText += u"\U0001F600";  // the pair would take units 254 and 255
    EXPECT_FALSE(text.assign(longText));
    EXPECT_EQ(text.size(), 254u);
    EXPECT_EQ(text.c_str()[254], u'\0');
    EXPECT_FALSE(text.assign(std::u16string(1000, u'b')));
    EXPECT_EQ(text.size(), 255u);
}

TEST(EngineState, StartsWithTheDocumentedValues) {
    const EngineState state;
    EXPECT_EQ(state.window, 0);
    EXPECT_EQ(state.voice, nullptr);
    EXPECT_TRUE(state.usable);
    EXPECT_FALSE(state.comReady);
    EXPECT_TRUE(state.idle);
    EXPECT_FALSE(state.paused);
    EXPECT_EQ(state.progress, 0);
    EXPECT_FALSE(state.highlight);
    EXPECT_FALSE(state.spokenText.has_value());
    EXPECT_EQ(state.lastResult, static_cast<int32_t>(0x80004005u));
    EXPECT_TRUE(state.unicodeWindows);
    EXPECT_EQ(state.voicePromptCase, 0);
    EXPECT_TRUE(state.voicePage.empty());
    EXPECT_FALSE(state.startSelection.held());
    EXPECT_FALSE(state.speakSelection.held());
    EXPECT_NE(engineState().instance, nullptr);
    EXPECT_EQ(&engineState(), &engineState());
}

TEST(EngineState, ReleasingEngineObjectsKeepsTheOtherFields) {
    EngineState state;
    ASSERT_EQ(CreateVoice(&state.voice), engine::kOk);
    state.spokenText = u"text";
    state.progress = 42;
    state.usable = false;
    std::shared_ptr<engine::TokenCategory> category;
    OpenTokenCategory(engine::kVoicesCategoryId, false, &category);
    category->enumTokens(u"", u"", &state.speakSelection.enumeration);
    state.speakSelection.enumeration->next(&state.speakSelection.token);
    state.releaseEngineObjects();
    EXPECT_EQ(state.voice, nullptr);
    EXPECT_FALSE(state.speakSelection.held());
    EXPECT_FALSE(state.spokenText.has_value());
    EXPECT_EQ(state.progress, 42);
    EXPECT_FALSE(state.usable);
}

TEST(Runtime, InitialisationIsCountedPerThread) {
    EXPECT_EQ(InitializeEngineRuntime(), engine::kOk);
    EXPECT_EQ(InitializeEngineRuntime(), engine::kFalse);
    std::thread([] { EXPECT_EQ(engine::runtimeReferences(), 0); }).join();
    EXPECT_EQ(UninitializeEngineRuntime(), engine::kOk);
    EXPECT_EQ(UninitializeEngineRuntime(), engine::kOk);
    EXPECT_EQ(UninitializeEngineRuntime(), engine::kFalse);
}

TEST(Text, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(engine::utf8ToUtf16("a\xff"
                                  "b"),
              u"a\uFFFDb");
    EXPECT_EQ(engine::utf8ToUtf16("\xe4\xbd"), u"\uFFFD");
    EXPECT_EQ(engine::utf8ToUtf16("\xed\xa0\x80"), u"\uFFFD");  // an encoded surrogate
    EXPECT_EQ(engine::utf8ToUtf16("\xf0\x9f\x98\x80"), u"\U0001F600");
    EXPECT_EQ(engine::utf16ToUtf8(u"\U0001F600你"), "\xf0\x9f\x98\x80\xe4\xbd\xa0");
    std::u16string lone = u"x";
    lone.push_back(char16_t(0xD800));
    EXPECT_EQ(engine::utf16ToUtf8(lone), "x\xef\xbf\xbd");
}

TEST(SpeakableText, CharactersEspeakMisreadsBecomeSpacesInPlace) {
    for (const char32_t c :
         {U'a', U'你', U'क', U'ব', U'\u0BB5', U'\U0001F600', U'\uFFFD', U'\u0531', U'\u1100',
          U'\u11B0', U'\u10C7', U'\u0300', U'\U00020000', U'\n'})
        EXPECT_TRUE(engine::espeakCanRead(c)) << std::hex << uint32_t(c);
    for (const char32_t c :
         {U'\u09E6', U'\u09FF', U'\u0D0D', U'\u0BE6', U'\u0DFF', U'\uFFFE', U'\u0558', U'\u055A',
          U'\u0560', U'\u058F', U'\u118A', U'\u11F0', U'\u10C6', U'\u0378', U'\U0001FFFD',
          U'\U0010FFFF', char32_t(0xD800), char32_t(0x110000)})
        EXPECT_FALSE(engine::espeakCanRead(c)) << std::hex << uint32_t(c);
    std::wstring text = L"a\u09E6b\u0D0Dc";
    engine::blankUnreadable(text);
    EXPECT_EQ(text, L"a b c");
}

TEST(PublicHeader, VersionRecordLayoutIsFixed) {
    EXPECT_EQ(sizeof(LenvoroVersionRecord), 16u);
    EXPECT_EQ(offsetof(LenvoroVersionRecord, day), 4u);
    EXPECT_EQ(offsetof(LenvoroVersionRecord, year), 12u);
}

}  // namespace
}  // namespace lenvoro
