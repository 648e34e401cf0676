// Reading aloud through the C interface, in a program with a QApplication and
// a taken-over QLineEdit: the word marking and the progress of an asynchronous
// reading, pause, continue and stop, a new reading purging the old one, the
// synchronous modes, missing voices and an engine that cannot speak. Voices
// play into null outputs (faster than real time where the pace does not
// matter); the missing-voice prompt is replaced by a recording fake.
//
// The text's clean-up, the progress and the word selection are checked as the
// pure functions they are.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine_state.h"
#include "lenvoro.h"
#include "lenvoro_audio/audio_output.h"
#include "lenvoro_audio/wave_file.h"
#include "speaking.h"
#include "voice_support.h"
#include "voices.h"

namespace lenvoro {
namespace {

namespace fs = std::filesystem;

// --- The pure rules ------------------------------------------------------------------

TEST(SpokenText, ExactlyFiftySixUnitsAreHeardAsSpacesAndTheNamedOnesAreKept) {
    int listed = 0;
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit)
        listed += IsSpokenAsSpace(static_cast<char16_t>(unit)) ? 1 : 0;
    EXPECT_EQ(listed, 56);
    for (char16_t kept : {u'<', u'>', u'@', u'`', char16_t{0xFF1A}, char16_t{0xFF1B}, u' ', u'a'})
        EXPECT_FALSE(IsSpokenAsSpace(kept)) << static_cast<int>(kept);
}

TEST(SpokenText, PunctuationBecomesSpacesOnlyWhenAskedAndToadAlwaysBecomesHa) {
    struct Case {
        std::u16string text;
        bool keepPunctuation;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"你好，世界！", false, u"你好 世界 "},
        {u"你好，世界！", true, u"你好，世界！"},
        {u"蛤蟆", true, u"哈蟆"},
        {u"蛤蟆", false, u"哈蟆"},
        {u"a<b>@c`：；", false, u"a<b>@c`：；"},
        {u"“引号”《书》【括】…—", false, u" 引号  书  括   "},
        {u"", false, u""},
    };
    for (const Case& c : cases) {
        std::u16string text = c.text;
        CleanSpokenText(text, c.keepPunctuation);
        EXPECT_EQ(text, c.expected) << QString::fromStdU16String(c.text).toStdString();
    }
}

TEST(WordMarking, ByteRuleGivesTheDoubleByteSelectionsAndWidePositionsStayUnits) {
    struct Case {
        uint32_t position, length;
        bool unicode;
        TextSelection expected;
    };
    const Case cases[] = {
        {2, 3, false, {4, 7}}, {0, 2, false, {0, 4}}, {2, 3, true, {2, 5}},   {0, 2, true, {0, 2}},
        {4, 9, false, {6, 7}}, {4, 9, true, {4, 5}},  {40, 2, false, {7, 7}}, {40, 2, true, {5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.position << "+" << c.length << " unicode " << c.unicode);
        EXPECT_EQ(WordSelection(u"你好abc", c.position, c.length, c.unicode, "GBK"), c.expected);
    }
}

TEST(WordMarking, AWordLongerThan255UnitsIsSelectedWhole) {
    const std::u16string text = u"读" + std::u16string(300, u'中') + u" end";
    EXPECT_EQ(WordSelection(text, 1, 300, false, "GBK"), (TextSelection{2, 602}));
    EXPECT_EQ(WordSelection(text, 1, 300, true, "GBK"), (TextSelection{1, 301}));
}

TEST(ReadingProgress, IsThePercentReachedNeverAboveHundredAndZeroForNoText) {
    struct Case {
        uint32_t position, length;
        size_t textLength;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 3, 18, 16},
        {14, 4, 18, 100},
        {1, 1, 3, 66},
        {5, 0, 0, 0},
        {20, 5, 10, 100},
        {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 100},  // no overflow in the product
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadingProgress(c.position, c.length, c.textLength), c.expected)
            << c.position << "+" << c.length << " of " << c.textLength;
}

// --- Reading through the interface ---------------------------------------------------

std::vector<int32_t>& promptsShown() {
    static std::vector<int32_t> codes;
    return codes;
}

void RecordPrompt(intptr_t, int32_t code) {
    promptsShown().push_back(code);
}

// A word marked in the text box, with the progress at that moment.
struct Mark {
    int start;
    QString word;
    int32_t progress;
};

class Speaking : public ::testing::Test {
protected:
    void SetUp() override {
        shipped_ = LENVORO_TEST_DATA_DIR;
        environment_.set("LENVORO_DATA_DIR", shipped_.string());
        promptsShown().clear();
        previousPrompt_ = SetVoicePromptHandler(&RecordPrompt);
        useVoicePace(3.0);
        ASSERT_EQ(Dll_Lenvoro_InitialAuthW(window(), -1, -1, -1, u"", u"", u"", u""),
                  LENVORO_RESULT_DONE);
        QObject::connect(&edit_, &QLineEdit::selectionChanged, [this] {
            if (edit_.hasSelectedText())
                marks_.push_back(
                    {edit_.selectionStart(), edit_.selectedText(), engineState().progress});
        });
    }
    void TearDown() override {
        Lenvoro_Close();
        QCoreApplication::processEvents();
        engineState().window = 0;
        SetSpeakingVoiceFactory(nullptr);
        SetVoicePromptHandler(previousPrompt_);
    }

    intptr_t window() { return reinterpret_cast<intptr_t>(&edit_); }

    // Voices of the speaking calls play into null outputs pace times faster
    // than real time.
    static void useVoicePace(double pace) {
        SetSpeakingVoiceFactory([pace](std::shared_ptr<engine::Voice>* voice) {
            *voice = test::makeVoice(pace);
            return *voice ? engine::kOk : engine::kFail;
        });
    }

    // Runs the event loop until done() holds or the time is up.
    static bool runUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);
        }
        return true;
    }

    bool runUntilIdleAfterReading() {
        return runUntil([] { return !engineState().idle; }) &&
               runUntil([] { return engineState().idle; });
    }

    // A data folder holding only the shipped voice tokens named.
    void useOnlyVoices(const std::vector<std::string>& files) {
        const fs::path folder = test::makeTemporaryFolder("speaking-voices");
        fs::create_directories(folder / "voices");
        for (const std::string& file : files)
            fs::copy_file(shipped_ / "voices" / file, folder / "voices" / file);
        environment_.set("LENVORO_DATA_DIR", folder.string());
    }

    test::EnvironmentGuard environment_;
    QLineEdit edit_;
    std::vector<Mark> marks_;
    fs::path shipped_;
    VoicePromptHandler previousPrompt_ = nullptr;
};

TEST_F(Speaking, AsynchronousReadingMarksEachWordInOrderWhileProgressRunsToHundred) {
    const std::u16string text = u"one two three four";
    edit_.setText(QString::fromStdU16String(text));
    QElapsedTimer call;
    call.start();
    ASSERT_EQ(Dll_Lenvoro_SpeakW(text.c_str(), 11, 1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    EXPECT_LT(call.elapsed(), 500) << "the asynchronous mode returns at once";
    EXPECT_TRUE(engineState().idle) << "the state changes only inside the event loop";
    ASSERT_TRUE(runUntilIdleAfterReading());

    const QStringList words = QString::fromStdU16String(text).split(u' ');
    ASSERT_EQ(marks_.size(), static_cast<size_t>(words.size()));
    int32_t lastProgress = 0;
    for (size_t i = 0; i < marks_.size(); ++i) {
        EXPECT_EQ(marks_[i].word, words[static_cast<int>(i)]);
        EXPECT_EQ(marks_[i].start, QString::fromStdU16String(text).indexOf(marks_[i].word));
        const int end = marks_[i].start + static_cast<int>(marks_[i].word.size());
        EXPECT_EQ(marks_[i].progress, end * 100 / static_cast<int>(text.size()));
        EXPECT_GT(marks_[i].progress, lastProgress);
        lastProgress = marks_[i].progress;
    }
    EXPECT_EQ(Lenvoro_GetLocationInfo(), 100);
    EXPECT_FALSE(edit_.hasSelectedText()) << "the end of the reading clears the marking";
}

TEST_F(Speaking, ChineseReadingMarksWholeWordsOfTheCallersTextInEveryAsynchronousMode) {
    useVoicePace(8.0);
    const std::u16string text = u"我有3个apple。2024年6月1日，Hello小明！\n１２点";
    edit_.setText(QString::fromStdU16String(text));
    ASSERT_EQ(Dll_Lenvoro_SpeakW(text.c_str(), 11, 0, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    ASSERT_TRUE(runUntilIdleAfterReading());
    QString heard;
    QStringList words;
    int end = 0;
    int32_t lastProgress = 0;
    for (const Mark& mark : marks_) {
        EXPECT_GE(mark.start, end) << "marks go forward only";
        EXPECT_GE(mark.progress, lastProgress);
        end = mark.start + static_cast<int>(mark.word.size());
        lastProgress = mark.progress;
        heard += mark.word;
        words << mark.word;
    }
    EXPECT_EQ(heard, QStringLiteral("我有3个apple2024年6月1日Hello小明１２点"))
        << "every character is marked in exactly one word";
    for (const char16_t* word : {u"3", u"apple", u"2024", u"Hello", u"１２"})
        EXPECT_TRUE(words.contains(QString::fromUtf16(word)))
            << QString::fromUtf16(word).toStdString();
    EXPECT_EQ(Lenvoro_GetLocationInfo(), 100);

    // The mixed mode marks nothing; its progress follows the words of the markup.
    marks_.clear();
    ASSERT_EQ(Dll_Lenvoro_SpeakW(text.c_str(), 21, 1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    std::vector<int32_t> progress;
    ASSERT_TRUE(runUntil([] { return !engineState().idle; }));
    ASSERT_TRUE(runUntil([&progress] {
        progress.push_back(Lenvoro_GetLocationInfo());
        return engineState().idle;
    }));
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(marks_.empty());
}

TEST_F(Speaking, MarksAndProgressNeverRunBackwardsInAnyVoice) {
    // espeak-ng at times reports a word out of order (an English voice
    // spelling out Chinese, the words of a number): such an event is not
    // heard as a step back.
    useVoicePace(8.0);
    const char16_t* const texts[] = {
        u"第一行中文。\nSecond line in English.\nThird line.",
        u"Price: 3,500元 (about $480), 2024-06-01; ok?",
        u"Hello，世界！“引号” and 'quotes'…\n\n再见 bye.",
    };
    for (int voice = 0; voice <= 4; ++voice) {
        for (const char16_t* text : texts) {
            SCOPED_TRACE("voice " + std::to_string(voice) + ": " +
                         QString::fromUtf16(text).toStdString());
            marks_.clear();
            edit_.setText(QString::fromUtf16(text));
            ASSERT_EQ(Dll_Lenvoro_SpeakW(text, 11, voice, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
            std::vector<int32_t> progress;
            ASSERT_TRUE(runUntil([] { return !engineState().idle; }));
            ASSERT_TRUE(runUntil([&progress] {
                progress.push_back(Lenvoro_GetLocationInfo());
                return engineState().idle;
            }));
            EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
            for (size_t i = 1; i < marks_.size(); ++i) {
                EXPECT_GE(marks_[i].start, marks_[i - 1].start) << "mark " << i;
                EXPECT_GE(marks_[i].progress, marks_[i - 1].progress) << "mark " << i;
            }
        }
    }
}

TEST_F(Speaking, PauseHoldsTheReadingContinueReleasesItAndStopEndsIt) {
    useVoicePace(1.0);
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK)
        << "before any reading: nothing to pause";
    EXPECT_FALSE(engineState().paused);

    const std::string text =
        "a rather long text with many words that takes several seconds to read aloud, "
        "long enough to pause it, continue it and stop it before it ends by itself";
    edit_.setText(QString::fromStdString(text));
    ASSERT_EQ(Lenvoro_Speak(text.c_str(), 11, 2, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    // The progress of the earlier reading stays until this one starts.
    ASSERT_TRUE(runUntil([] {
        return !engineState().idle && engineState().progress > 0 && engineState().progress < 100;
    }));

    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_TRUE(engineState().paused);
    runUntil([] { return false; }, 150);  // what was released before the pause
    const int32_t held = Lenvoro_GetLocationInfo();
    runUntil([] { return false; }, 600);
    EXPECT_EQ(Lenvoro_GetLocationInfo(), held) << "no word is heard while paused";
    EXPECT_FALSE(engineState().idle);

    EXPECT_EQ(Dll_Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_FALSE(engineState().paused);
    EXPECT_TRUE(runUntil([held] { return Lenvoro_GetLocationInfo() > held; }, 5000));

    // Words heard before the stop wait, unhandled, while the stop frees the
    // text: they must change nothing.
    QThread::msleep(300);
    const size_t marked = marks_.size();
    EXPECT_EQ(Lenvoro_Stop(), LENVORO_RESULT_OK);
    EXPECT_FALSE(engineState().spokenText.has_value());
    ASSERT_TRUE(runUntil([] { return engineState().idle; }, 2000));
    EXPECT_EQ(marks_.size(), marked);
    EXPECT_FALSE(edit_.hasSelectedText());
    EXPECT_FALSE(engineState().paused);
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_FALSE(engineState().paused) << "idle again: nothing to pause";
}

TEST_F(Speaking, ANewReadingPurgesTheOldOneAndMarksOnlyItsOwnWords) {
    useVoicePace(1.0);
    const std::u16string first = u"this first reading would go on for quite a long while yet";
    const std::u16string second = u"short one";
    edit_.setText(QString::fromStdU16String(first));
    ASSERT_EQ(Dll_Lenvoro_SpeakW(first.c_str(), 11, 1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    ASSERT_TRUE(runUntil([this] { return !marks_.empty(); }));

    std::weak_ptr<engine::Voice> firstVoice = engineState().voice;
    edit_.setText(QString::fromStdU16String(second));
    marks_.clear();
    ASSERT_EQ(Dll_Lenvoro_SpeakW(second.c_str(), 11, 1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    EXPECT_TRUE(firstVoice.expired()) << "the old voice object is released";
    ASSERT_TRUE(runUntilIdleAfterReading());
    ASSERT_EQ(marks_.size(), 2u);
    EXPECT_EQ(marks_[0].word, QStringLiteral("short"));
    EXPECT_EQ(marks_[1].word, QStringLiteral("one"));
    EXPECT_EQ(Lenvoro_GetLocationInfo(), 100);
}

TEST_F(Speaking, SynchronousModesReturnWhenTheReadingHasEndedAndMarkNothing) {
    struct Case {
        int32_t mode, voice;
        std::u16string text;
    };
    const Case cases[] = {
        {10, 3, u"two words"}, {10, 0, u"我有3个apple。"}, {20, 3, u"Hello 世界"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        marks_.clear();
        edit_.setText(QString::fromStdU16String(c.text));
        ASSERT_EQ(Dll_Lenvoro_SpeakW(c.text.c_str(), c.mode, c.voice, -1, -1, 1, nullptr),
                  LENVORO_RESULT_DONE);
        EXPECT_EQ(engineState().voice->status().runningState, engine::kRunningStateDone);
        ASSERT_TRUE(runUntil([] { return engineState().progress == 100 && engineState().idle; }));
        EXPECT_TRUE(marks_.empty());
    }
    // The mixed mode read the voice markup.
    EXPECT_TRUE(engineState().spokenText->starts_with(u"<xml version=\"1.0\"><SAPI>"));
}

TEST_F(Speaking, EveryFormReadsTheCleanedTextWithTheEngineSettingsAsked) {
    environment_.set("LC_ALL", "zh_CN.GBK");
    // 你好，蛤蟆！ in GBK.
    ASSERT_EQ(Lenvoro_Speak("\xC4\xE3\xBA\xC3\xA3\xAC\xB8\xF2\xF3\xA1\xA3\xA1", 11, 0, 50, 30, 0,
                            nullptr),
              LENVORO_RESULT_DONE);
    EXPECT_EQ(*engineState().spokenText, u"你好 哈蟆 ");
    int32_t rate = 99, volume = 99;
    engineState().voice->getRate(&rate);
    engineState().voice->getVolume(&volume);
    EXPECT_EQ(rate, 0);
    EXPECT_EQ(volume, 30);
    environment_.set("LC_ALL", "en_US.UTF-8");

    // -1 keeps the fresh voice's defaults, not the earlier call's values.
    ASSERT_EQ(Dll_Lenvoro_SpeakA("蛤蟆, yes", 11, -5, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    EXPECT_EQ(*engineState().spokenText, u"哈蟆, yes");
    engineState().voice->getRate(&rate);
    engineState().voice->getVolume(&volume);
    EXPECT_EQ(rate, 0);
    EXPECT_EQ(volume, 100);

    // An empty text stops the reading and keeps the text that was read.
    ASSERT_EQ(Dll_Lenvoro_SpeakW(u"", 11, 1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    EXPECT_EQ(*engineState().spokenText, u"哈蟆, yes");
    EXPECT_TRUE(engineState().idle);
    EXPECT_EQ(engineState().voice->status().runningState, engine::kRunningStateDone);
}

TEST_F(Speaking, VolumeAndSpeedAboveHundredAreRefusedAndTheSettingStays) {
    ASSERT_EQ(Lenvoro_Speak("", 11, 1, 50, 40, 1, nullptr), LENVORO_RESULT_DONE);
    engine::Voice& voice = *engineState().voice;
    for (int32_t refused : {101, 104, 105, 1000, 2147483647}) {
        EXPECT_EQ(Lenvoro_SetSpeed(refused), LENVORO_RESULT_OK);
        EXPECT_EQ(Lenvoro_SetVolume(refused), LENVORO_RESULT_OK);
        int32_t rate = 99, volume = 99;
        voice.getRate(&rate);
        voice.getVolume(&volume);
        EXPECT_EQ(rate, 0) << refused;
        EXPECT_EQ(volume, 40) << refused;
    }
    EXPECT_EQ(Lenvoro_SetSpeed(100), LENVORO_RESULT_OK);
    int32_t rate = 0;
    voice.getRate(&rate);
    EXPECT_EQ(rate, 10);
}

TEST_F(Speaking, MissingVoicesRaiseThePromptWithTheirCodeAndReadNothing) {
    // Only "Microsoft Simplified Chinese" and "Microsoft Sam" are installed.
    useOnlyVoices({"01-simplified-chinese.ini", "03-sam.ini"});
    struct Case {
        int32_t mode, voice;
        int32_t result;
        std::vector<int32_t> prompts;
    };
    const Case cases[] = {
        {11, 3, LENVORO_RESULT_NO_MIKE, {1}},
        {11, 2, LENVORO_RESULT_NO_MARY, {1}},
        {10, 9, LENVORO_RESULT_NO_CHINESE_FEMALE, {20}},
        {11, 4, LENVORO_RESULT_NO_CHINESE_FEMALE, {20}},
        {11, 0, LENVORO_RESULT_DONE, {}},
        {11, -5, LENVORO_RESULT_DONE, {}},
        {21, 1, LENVORO_RESULT_DONE, {}},
        {21, 5, LENVORO_RESULT_ENGINE_FAILED, {20}},
        {20, 6, LENVORO_RESULT_ENGINE_FAILED, {21}},
        {21, 3, LENVORO_RESULT_ENGINE_FAILED, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " voice " << c.voice);
        promptsShown().clear();
        EXPECT_EQ(Dll_Lenvoro_SpeakW(u"你好 hello", c.mode, c.voice, -1, -1, 1, nullptr), c.result);
        EXPECT_EQ(promptsShown(), c.prompts);
        if (!c.prompts.empty()) {
            EXPECT_EQ(engineState().voicePromptCase, c.prompts.back());
            EXPECT_EQ(engineState().voice->status().runningState, engine::kRunningStateDone)
                << "nothing is read";
        }
        Lenvoro_Stop();
    }
}

TEST_F(Speaking, AVoiceThatCannotBeCreatedGivesTwentyAndLeavesTheReaderIdle) {
    useVoicePace(1.0);
    const std::u16string text = u"a reading that is going on when the engine breaks";
    ASSERT_EQ(Dll_Lenvoro_SpeakW(text.c_str(), 11, 1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    ASSERT_TRUE(runUntil([] { return !engineState().idle; }));
    std::weak_ptr<engine::Voice> reading = engineState().voice;

    SetSpeakingVoiceFactory([](std::shared_ptr<engine::Voice>*) { return engine::kFail; });
    EXPECT_EQ(Dll_Lenvoro_SpeakW(u"anything", 11, 1, -1, -1, 1, nullptr),
              LENVORO_RESULT_ENGINE_FAILED);
    EXPECT_TRUE(reading.expired()) << "the reading was stopped first";
    EXPECT_EQ(engineState().voice, nullptr);
    EXPECT_EQ(engineState().lastResult, engine::kFail);
    EXPECT_TRUE(engineState().idle);
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_FALSE(engineState().paused);
    EXPECT_EQ(Lenvoro_Stop(), LENVORO_RESULT_OK);
    EXPECT_EQ(Lenvoro_SetSpeed(50), LENVORO_RESULT_OK);
}

// What the mixed mode says, heard through a capture output: the English run is
// read by the pair's English voice and the Chinese run by its Chinese voice.
std::vector<int16_t> CaptureMixedReading(const std::u16string& text, int32_t pair,
                                         const std::string& name) {
    const std::string path = (test::makeTemporaryFolder("speaking-capture") / name).string();
    SetSpeakingVoiceFactory([path](std::shared_ptr<engine::Voice>* voice) {
        Result result = engine::Voice::create(voice);
        if (*voice) {
            (*voice)->setOutputFactory([path](const audio::AudioFormat& format) {
                return audio::openCaptureOutput(format, path, nullptr, 50.0);
            });
        }
        return result;
    });
    EXPECT_EQ(Dll_Lenvoro_SpeakW(text.c_str(), 20, pair, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    Lenvoro_Close();  // the capture file is complete once its voice is gone
    const auto wave = audio::readWaveFile(path);
    EXPECT_TRUE(wave.has_value()) << path;
    return wave ? wave->samples : std::vector<int16_t>();
}

// A voice's signature in a capture: how many samples are voiced and how loud
// they are on average. One voice reading one text gives the same signature
// within a few percent (the synthesis is cut into pieces a little differently
// from run to run); the shipped voices differ by well over that.
struct VoiceSignature {
    double voicedSamples = 0;
    double meanLevel = 0;
};

VoiceSignature SignatureOf(const std::vector<int16_t>& samples) {
    constexpr int kVoicedLevel = 300;
    VoiceSignature signature;
    double level = 0;
    for (int16_t sample : samples) {
        if (std::abs(sample) > kVoicedLevel) {
            signature.voicedSamples += 1;
            level += std::abs(sample);
        }
    }
    if (signature.voicedSamples > 0)
        signature.meanLevel = level / signature.voicedSamples;
    return signature;
}

bool SoundTheSame(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    const VoiceSignature x = SignatureOf(a), y = SignatureOf(b);
    auto close = [](double p, double q) { return std::abs(p - q) <= 0.03 * std::max(p, q); };
    return x.voicedSamples > 0 && close(x.voicedSamples, y.voicedSamples) &&
           close(x.meanLevel, y.meanLevel);
}

TEST_F(Speaking, MixedReadingIsHeardVoiceByVoice) {
    // Pairs 1 and 3 share the Chinese voice and differ in the English one;
    // pairs 1 and 5 share the English voice and differ in the Chinese one.
    const auto englishSam = CaptureMixedReading(u"Hello there", 1, "e1.wav");
    const auto englishMike = CaptureMixedReading(u"Hello there", 3, "e3.wav");
    const auto englishSamAgain = CaptureMixedReading(u"Hello there", 5, "e5.wav");
    const auto chineseSimplified = CaptureMixedReading(u"你好世界", 1, "c1.wav");
    const auto chineseSimplifiedAgain = CaptureMixedReading(u"你好世界", 3, "c3.wav");
    const auto chineseFemale = CaptureMixedReading(u"你好世界", 5, "c5.wav");
    ASSERT_FALSE(englishSam.empty());
    EXPECT_FALSE(SoundTheSame(englishSam, englishMike));
    EXPECT_TRUE(SoundTheSame(englishSam, englishSamAgain));
    EXPECT_TRUE(SoundTheSame(chineseSimplified, chineseSimplifiedAgain));
    EXPECT_FALSE(SoundTheSame(chineseSimplified, chineseFemale));
}

}  // namespace
}  // namespace lenvoro

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("LENVORO_AUDIO", "null", 1);
    setenv("LENVORO_DATA_DIR", LENVORO_TEST_DATA_DIR, 0);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    std::string config = "/tmp/lenvoro-config-XXXXXX";
    if (mkdtemp(config.data()) != nullptr)
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
