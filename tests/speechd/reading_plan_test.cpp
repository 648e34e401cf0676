// Which voices read a message and how its text is cut among them; the
// server's scales on ours; the audio event and the module's configuration.
#include <gtest/gtest.h>

#include "audio_sinks.h"
#include "module_config.h"
#include "protocol.h"
#include "reading_plan.h"
#include "spoken_names.h"
#include "test_support.h"

namespace lenvoro::speechd {
namespace {

CatalogVoice voice(std::string name, std::string language, std::string gender, std::string espeak) {
    CatalogVoice v;
    v.name = std::move(name);
    v.language = std::move(language);
    v.gender = std::move(gender);
    v.espeak.name = std::move(espeak);
    v.espeak.variant = v.name;  // tells the voices apart in the steps
    return v;
}

// The voices we ship, in the engine's order.
const std::vector<CatalogVoice> kCatalog = {
    voice("Microsoft Simplified Chinese", "zh-CN", "male", "cmn-latn-pinyin"),
    voice("Chinese Female Voice", "zh-CN", "female", "cmn-latn-pinyin"),
    voice("Microsoft Sam", "en-US", "male", "en-us"),
    voice("Microsoft Mary", "en-US", "female", "en-us"),
    voice("Microsoft Mike", "en-US", "male", "en-us"),
    voice("Hans", "de-DE", "male", "de"),
};

SpeechSettings settings(std::string language, std::string type, std::string named = "") {
    SpeechSettings s;
    s.language = std::move(language);
    s.voiceType = std::move(type);
    s.synthesisVoice = std::move(named);
    return s;
}

std::string nameOf(const CatalogVoice* v) {
    return v != nullptr ? v->name : "-";
}

struct ChoiceCase {
    SpeechSettings settings;
    const char* primary;
    const char* chinese;
    const char* english;
};

class VoiceChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(VoiceChoice, PairsAChineseAndAnEnglishVoiceOfTheAskedGender) {
    const ChoiceCase& c = GetParam();
    const VoiceSelection chosen = chooseVoices(kCatalog, c.settings);
    EXPECT_EQ(nameOf(chosen.primary), c.primary);
    EXPECT_EQ(nameOf(chosen.chinese), c.chinese);
    EXPECT_EQ(nameOf(chosen.english), c.english);
}

INSTANTIATE_TEST_SUITE_P(
    Voices, VoiceChoice,
    testing::Values(ChoiceCase{settings("zh", "female1"), "Chinese Female Voice",
                               "Chinese Female Voice", "Microsoft Mary"},
                    ChoiceCase{settings("zh-cn", "male1"), "Microsoft Simplified Chinese",
                               "Microsoft Simplified Chinese", "Microsoft Sam"},
                    ChoiceCase{settings("cmn", "male2"), "Microsoft Simplified Chinese",
                               "Microsoft Simplified Chinese", "Microsoft Mike"},
                    ChoiceCase{settings("en-us", "male3"), "Microsoft Sam",
                               "Microsoft Simplified Chinese", "Microsoft Sam"},
                    ChoiceCase{settings("en", "child_female"), "Microsoft Mary",
                               "Chinese Female Voice", "Microsoft Mary"},
                    ChoiceCase{settings("c", ""), "Microsoft Sam", "Microsoft Simplified Chinese",
                               "Microsoft Sam"},
                    ChoiceCase{settings("fr", "female1"), "Microsoft Mary", "Chinese Female Voice",
                               "Microsoft Mary"},
                    ChoiceCase{settings("de", "female1"), "Hans", "Chinese Female Voice", "-"},
                    ChoiceCase{settings("zh", "female1", "microsoft MIKE"), "Microsoft Mike", "-",
                               "-"},
                    ChoiceCase{settings("zh", "female1", "nobody"), "Chinese Female Voice",
                               "Chinese Female Voice", "Microsoft Mary"}),
    [](const testing::TestParamInfo<ChoiceCase>& info) {
        return test::caseName(info.index, info.param.settings.language + " " +
                                              info.param.settings.voiceType + " " +
                                              info.param.settings.synthesisVoice);
    });

// Steps written as "voice:text", "mark:name" or "pause:ms"; "|" after a
// text: a sentence's closing pause follows it.
std::vector<std::string> describe(const std::vector<ReadingStep>& steps) {
    std::vector<std::string> result;
    for (const ReadingStep& step : steps) {
        switch (step.kind) {
            case ReadingStep::Kind::Speech:
                result.push_back(step.voice.variant + ":" + encodeUtf8(step.text) +
                                 (step.endPause ? "|" : ""));
                break;
            case ReadingStep::Kind::Mark:
                result.push_back("mark:" + step.mark);
                break;
            case ReadingStep::Kind::Silence:
                result.push_back("pause:" + std::to_string(step.silenceMs));
                break;
            case ReadingStep::Kind::Sound:
                result.push_back("sound");
                break;
        }
    }
    return result;
}

struct PlanCase {
    const char* ssml;
    SpeechSettings settings;
    std::vector<std::string> steps;
};

class TextPlan : public testing::TestWithParam<PlanCase> {};

TEST_P(TextPlan, CutsTextIntoLanguageRunsBetweenMarks) {
    const PlanCase& c = GetParam();
    const bool namePunctuation = c.settings.punctuationMode == "all";
    EXPECT_EQ(
        describe(planText(readSsml(c.ssml), chooseVoices(kCatalog, c.settings), namePunctuation)),
        c.steps)
        << c.ssml;
}

const SpeechSettings kChineseFemale = settings("zh", "female1");
const SpeechSettings kEnglishMale = settings("en", "male1");

SpeechSettings namingPunctuation(SpeechSettings s) {
    s.punctuationMode = "all";
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Plans, TextPlan,
    testing::Values(
        PlanCase{"<speak>你好,世界。Hello world.</speak>",
                 kChineseFemale,
                 {"Chinese Female Voice:你好,世界。|", "Microsoft Mary:Hello world.|"}},
        PlanCase{"2024年, Tom说: OK!",
                 kEnglishMale,
                 {"Microsoft Simplified Chinese:2024年, ", "Microsoft Sam:Tom",
                  "Microsoft Simplified Chinese:说: ", "Microsoft Sam:OK!|"}},
        PlanCase{"One.<mark name=\"__spd_0\"/> Two <break time=\"300ms\"/>three<mark name=\"e\"/>",
                 kEnglishMale,
                 {"Microsoft Sam:One.|", "mark:__spd_0", "Microsoft Sam: Two ", "pause:300",
                  "Microsoft Sam:three|", "mark:e"}},
        PlanCase{"第1课<mark name=\"a\"/>: lesson",
                 kEnglishMale,
                 {"Microsoft Simplified Chinese:第1课", "mark:a",
                  "Microsoft Simplified Chinese:: ", "Microsoft Sam:lesson|"}},
        PlanCase{
            "你好 Hello", settings("zh", "", "Microsoft Mary"), {"Microsoft Mary:你好 Hello|"}},
        PlanCase{"  <mark name=\"only\"/>  ", kEnglishMale, {"mark:only"}},
        PlanCase{"你好,world!",
                 namingPunctuation(kChineseFemale),
                 {"Chinese Female Voice:你好 逗号 ", "Microsoft Mary:world exclamation mark |"}},
        PlanCase{"Guten Tag 中国",
                 settings("de", ""),
                 {"Hans:Guten Tag ", "Microsoft Simplified Chinese:中国|"}}),
    [](const testing::TestParamInfo<PlanCase>& info) {
        return test::caseName(info.index, info.param.ssml);
    });

struct SayCase {
    MessageKind kind;
    const char* data;
    SpeechSettings settings;
    std::vector<std::string> steps;
};

class SayAlone : public testing::TestWithParam<SayCase> {};

TEST_P(SayAlone, NamesWhatHasNoReadingOfItsOwn) {
    const SayCase& c = GetParam();
    const VoiceSelection voices = chooseVoices(kCatalog, c.settings);
    const auto steps = c.kind == MessageKind::Key ? planKey(c.data, voices)
                                                  : planCharacter(decodeUtf8(c.data), voices);
    EXPECT_EQ(describe(steps), c.steps) << c.data;
}

INSTANTIATE_TEST_SUITE_P(
    Characters, SayAlone,
    testing::Values(
        SayCase{MessageKind::Character, "一", kEnglishMale, {"Microsoft Simplified Chinese:一|"}},
        SayCase{MessageKind::Character, "a", kChineseFemale, {"Microsoft Mary:a|"}},
        SayCase{MessageKind::Character, ".", kChineseFemale, {"Chinese Female Voice:点|"}},
        SayCase{MessageKind::Character, " ", kEnglishMale, {"Microsoft Sam:space|"}},
        SayCase{MessageKind::Character, "。", kEnglishMale, {"Microsoft Sam:full stop|"}},
        SayCase{MessageKind::Key, "shift_a", kChineseFemale, {"Microsoft Mary:shift a|"}},
        SayCase{MessageKind::Key,
                "control_alt_kp-delete",
                kEnglishMale,
                {"Microsoft Sam:control alt keypad delete|"}},
        SayCase{MessageKind::Key, "f12", kEnglishMale, {"Microsoft Sam:F 12|"}},
        SayCase{MessageKind::Key, "_", kEnglishMale, {"Microsoft Sam:underscore|"}},
        SayCase{MessageKind::Key, "shift_,", kEnglishMale, {"Microsoft Sam:shift comma|"}},
        SayCase{MessageKind::Key, "中", kEnglishMale, {"Microsoft Simplified Chinese:中|"}}),
    [](const testing::TestParamInfo<SayCase>& info) {
        return test::caseName(info.index, info.param.data);
    });

TEST(Scales, ServerScalesMapOntoTheEngines) {
    struct Case {
        int value;
        int rate;
        int pitchAround40;
        float gain;
    };
    for (const Case& c : {Case{-100, -10, 0, 0.0f}, Case{-50, -5, 20, 0.5f}, Case{0, 0, 40, 1.0f},
                          Case{14, 1, 48, 1.0f}, Case{50, 5, 70, 1.0f}, Case{100, 10, 100, 1.0f}}) {
        EXPECT_EQ(engineRate(c.value), c.rate) << c.value;
        EXPECT_EQ(espeakLevel(c.value, 40), c.pitchAround40) << c.value;
        EXPECT_FLOAT_EQ(outputGain(c.value), c.gain) << c.value;
    }
}

TEST(Scales, SettingsAcceptOnlyTheirValues) {
    using Change = SpeechSettings::Change;
    struct Case {
        const char* name;
        const char* value;
        Change change;
    };
    SpeechSettings s;
    for (const Case& c :
         {Case{"rate", "-100", Change::Applied}, Case{"rate", "+5", Change::Invalid},
          Case{"pitch", "1e2", Change::Invalid}, Case{"volume", "101", Change::Invalid},
          Case{"voice", "FEMALE2", Change::Applied}, Case{"voice", "robot", Change::Invalid},
          Case{"punctuation_mode", "most", Change::Applied},
          Case{"cap_let_recogn", "shout", Change::Invalid},
          Case{"language", "ZH-CN", Change::Applied},
          Case{"synthesis_voice", "Microsoft Mary", Change::Applied},
          Case{"punctuation_some", "@#", Change::Applied}, Case{"speed", "1", Change::Unknown}}) {
        EXPECT_EQ(s.set(c.name, c.value), c.change) << c.name << "=" << c.value;
    }
    EXPECT_EQ(s.rate, -100);
    EXPECT_EQ(s.voiceType, "female2");
    EXPECT_EQ(s.language, "zh-cn");
    EXPECT_EQ(s.set("synthesis_voice", "NULL"), SpeechSettings::Change::Applied);
    EXPECT_EQ(s.synthesisVoice, "");
}

TEST(Voices, LanguageTagsComeFromTheTokensLanguageIds) {
    EXPECT_EQ(languageTag(u"804", "cmn-latn-pinyin"), "zh-CN");
    EXPECT_EQ(languageTag(u"404;4", "cmn"), "zh-TW");
    EXPECT_EQ(languageTag(u"409;9", "en-us"), "en-US");
    EXPECT_EQ(languageTag(u"809", "en-gb"), "en-GB");
    EXPECT_EQ(languageTag(u"40c", "fr-fr"), "fr-FR");
    EXPECT_EQ(languageTag(u"junk", "de"), "de");
}

TEST(ServerAudio, EscapesLineFeedsAndTheEscapeByte) {
    const int16_t samples[] = {0x0A7D, 0x0102, static_cast<int16_t>(0xFF0A)};
    const std::string event = audioEvent(samples, 3, 22050, 1);
    const std::string header =
        "705-bits=16\n705-num_channels=1\n705-sample_rate=22050\n705-num_samples=3\n"
        "705-big_endian=0\n705-AUDIO";
    const char data[] = "\0\x7D\x5D\x7D\x2A\x02\x01\x7D\x2A\xFF\n705 AUDIO\n";
    EXPECT_EQ(event, header + std::string(data, sizeof data - 1));
}

TEST(Config, ReadsAudioAndIconOptionsAndReportsTheRest) {
    const ModuleConfig config = readModuleConfig(
        "# comment\n  LenvoroAudio   \"module\"\nlenvorosoundiconfolder /icons\nDebug 0\n"
        "LenvoroAudio loud\nColour blue\n");
    EXPECT_FALSE(config.serverAudio);
    EXPECT_EQ(config.soundIconFolder, "/icons");
    EXPECT_EQ(config.problems, (std::vector<std::string>{
                                   "lenvoro.conf line 5: LenvoroAudio is \"server\" or \"module\"",
                                   "lenvoro.conf line 6: unknown option Colour"}));
    EXPECT_TRUE(readModuleConfig("").serverAudio);
}

}  // namespace
}  // namespace lenvoro::speechd
