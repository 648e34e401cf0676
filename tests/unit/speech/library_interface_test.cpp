// The library's C interface as a caller without a user interface meets it:
// start codes and argument checks in both families, the retired state, close,
// the version record, NULL and over-long texts. Message boxes and dialogs go
// to stderr here, so what the user would have been shown is read from there.
// Voices are made missing through a temporary LENVORO_DATA_DIR.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/runtime.h"
#include "engine_state.h"
#include "lenvoro.h"
#include "library_interface.h"
#include "voice_support.h"

namespace lenvoro {
namespace {

namespace fs = std::filesystem;

const char* const kShippedTokenFiles[] = {
    "01-simplified-chinese.ini",  // voice 0
    "03-sam.ini",                 // voice 1
    "04-mary.ini",                // voice 2
    "05-mike.ini",                // voice 3
    "02-chinese-female.ini",      // voice 4
};

class LibraryInterface : public ::testing::Test {
protected:
    void SetUp() override {
        shipped_ = LENVORO_TEST_DATA_DIR;
        environment_.set("LENVORO_DATA_DIR", shipped_.string()).set("LC_ALL", "en_US.UTF-8");
    }
    void TearDown() override {
        Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", "");  // leaves a retired state
        Lenvoro_Close();
    }

    // A data folder with the shipped voices except those of the choice numbers in missing.
    void useVoicesWithout(const std::vector<int>& missing) {
        const fs::path folder = test::makeTemporaryFolder("interface-voices");
        fs::create_directories(folder / "voices");
        for (int voice = 0; voice < 5; ++voice) {
            if (std::find(missing.begin(), missing.end(), voice) != missing.end())
                continue;
            fs::copy_file(shipped_ / "voices" / kShippedTokenFiles[voice],
                          folder / "voices" / kShippedTokenFiles[voice]);
        }
        environment_.set("LENVORO_DATA_DIR", folder.string());
    }

    test::EnvironmentGuard environment_;
    fs::path shipped_;
};

const std::string kParameterError = "Wrong: The parameter is not correct, Can not execute !\n";

// --- Start: argument checks and result codes ---------------------------------

struct StartArguments {
    int32_t voice, rate, volume;
    int32_t expected;
};

int32_t StartAnsi(const StartArguments& a) {
    return Dll_Lenvoro_InitialAuthA(0, a.voice, a.rate, a.volume, "m", "c", "", "");
}
int32_t StartWide(const StartArguments& a) {
    return Dll_Lenvoro_InitialAuthW(0, a.voice, a.rate, a.volume, u"m", u"c", u"", u"");
}
int32_t StartPlain(const StartArguments& a) {
    return Lenvoro_InitialAuth(0, a.voice, a.rate, a.volume, "m", "c", "", "");
}

TEST_F(LibraryInterface, StartChecksVoiceRateAndVolumeInEveryForm) {
    const StartArguments cases[] = {
        {-1, -1, -1, LENVORO_RESULT_DONE},    {4, 100, 100, LENVORO_RESULT_DONE},
        {0, 0, 0, LENVORO_RESULT_DONE},       {3, 49, 50, LENVORO_RESULT_DONE},
        {5, 50, 50, LENVORO_RESULT_REFUSED},  {-2, 50, 50, LENVORO_RESULT_REFUSED},
        {0, 101, 50, LENVORO_RESULT_REFUSED}, {0, -2, 50, LENVORO_RESULT_REFUSED},
        {0, 50, 101, LENVORO_RESULT_REFUSED}, {0, 50, -2, LENVORO_RESULT_REFUSED},
        {9, -1, -1, LENVORO_RESULT_REFUSED},  {INT32_MIN, -1, -1, LENVORO_RESULT_REFUSED},
    };
    for (auto start : {&StartPlain, &StartAnsi, &StartWide}) {
        for (const StartArguments& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "voice " << c.voice << " rate " << c.rate << " volume " << c.volume);
            testing::internal::CaptureStderr();
            EXPECT_EQ(start(c), c.expected);
            const std::string shown = testing::internal::GetCapturedStderr();
            EXPECT_EQ(shown, c.expected == LENVORO_RESULT_REFUSED ? kParameterError : "");
            EXPECT_TRUE(engineState().usable);
        }
    }
}

TEST_F(LibraryInterface, ParameterErrorIsInTheLanguageOfTheLocaleAtThatCall) {
    environment_.set("LC_ALL", "zh_CN.UTF-8");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Lenvoro_InitialAuth(0, 5, -1, -1, "", "", "", ""), LENVORO_RESULT_REFUSED);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "错误提示: 传入的参数不正确, 不能执行此命令 !\n");
    environment_.set("LC_ALL", "zh_TW.UTF-8");
    testing::internal::CaptureStderr();
    EXPECT_EQ(Dll_Lenvoro_InitialAuthW(0, 0, 101, -1, u"", u"", u"", u""), LENVORO_RESULT_REFUSED);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "錯誤提示: 傳入的參數不正确, 不能執行此命令 !\n");
}

TEST_F(LibraryInterface, MissingChosenVoiceGivesItsCodeAndLeavesTheDefaultVoiceReady) {
    const int32_t expected[] = {LENVORO_RESULT_NO_SIMPLIFIED_CHINESE, LENVORO_RESULT_NO_SAM,
                                LENVORO_RESULT_NO_MARY, LENVORO_RESULT_NO_MIKE,
                                LENVORO_RESULT_NO_CHINESE_FEMALE};
    for (int voice = 0; voice < 5; ++voice) {
        SCOPED_TRACE(voice);
        useVoicesWithout({voice});
        testing::internal::CaptureStderr();
        EXPECT_EQ(Lenvoro_InitialAuth(0, voice, 0, 0, "m", "c", "", ""), expected[voice]);
        // Silently: neither the caller's message nor a prompt.
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        ASSERT_NE(engineState().voice, nullptr);
        int32_t rate = 99;
        engineState().voice->getRate(&rate);
        EXPECT_NE(rate, -10) << "rate is not applied when the voice is missing";
        EXPECT_FALSE(engineState().startSelection.held());
        // The default voice never counts as missing.
        EXPECT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "m", "c", "", ""), LENVORO_RESULT_DONE);
    }
}

TEST_F(LibraryInterface, ChosenVoiceIsTakenAndRateAndVolumeApplied) {
    EXPECT_EQ(Lenvoro_InitialAuth(0, 2, 49, 30, "", "", "", ""), LENVORO_RESULT_DONE);
    ASSERT_NE(engineState().voice, nullptr);
    std::shared_ptr<const engine::ObjectToken> token;
    engineState().voice->getVoice(&token);
    ASSERT_NE(token, nullptr);
    EXPECT_EQ(token, engineState().startSelection.token);
    int32_t rate = 0, volume = 0;
    engineState().voice->getRate(&rate);
    engineState().voice->getVolume(&volume);
    EXPECT_EQ(rate, -1);
    EXPECT_EQ(volume, 30);
}

TEST_F(LibraryInterface, NoVoiceInstalledFailsWithTheCallersMessageOnlyWhenBothTextsAreGiven) {
    useVoicesWithout({0, 1, 2, 3, 4});
    struct Case {
        const char* message;
        const char* caption;
        std::string shown;
    };
    const Case cases[] = {
        {"Speech cannot start", "My program", "My program: Speech cannot start\n"},
        {"Speech cannot start", "", ""},
        {"", "My program", ""},
        {nullptr, "My program", ""},
        {"Speech cannot start", nullptr, ""},
    };
    for (int32_t voice : {-1, 0, 4}) {
        for (const Case& c : cases) {
            testing::internal::CaptureStderr();
            EXPECT_EQ(Lenvoro_InitialAuth(0, voice, -1, -1, c.message, c.caption, nullptr, nullptr),
                      LENVORO_RESULT_ENGINE_FAILED);
            EXPECT_EQ(testing::internal::GetCapturedStderr(), c.shown);
            EXPECT_EQ(engineState().voice, nullptr) << "a failed start leaves no voice";
            EXPECT_FALSE(engineState().startSelection.held());
            EXPECT_TRUE(engineState().comReady) << "close still releases the runtime";
        }
    }
}

TEST_F(LibraryInterface, MissingSpeechDataIsAnEngineThatCannotStartWithTheCallersMessage) {
    // The engine's runtime starts once per process, so a fresh one is needed.
    EXPECT_EXIT(
        {
            setenv("LENVORO_ESPEAK_DATA", "/nonexistent/espeak-ng-data", 1);
            const int32_t first =
                Lenvoro_InitialAuth(0, -1, -1, -1, "Speech cannot start", "My program", "", "");
            const int32_t again = Dll_Lenvoro_InitialAuthW(0, 1, -1, -1, u"", u"", u"", u"");
            std::exit(first == LENVORO_RESULT_ENGINE_FAILED && again == LENVORO_RESULT_ENGINE_FAILED
                          ? 7
                          : 1);
        },
        testing::ExitedWithCode(7), "My program: Speech cannot start");
}

// --- Start again, close, close again ---------------------------------------------

TEST_F(LibraryInterface, SecondStartReleasesTheEarlierVoiceAndKeepsOneRuntimeReference) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, 0, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    // Held here as well, as an engine thread might still hold it.
    std::shared_ptr<engine::Voice> first = engineState().voice;
    std::weak_ptr<const engine::ObjectToken> firstToken = engineState().startSelection.token;
    ASSERT_EQ(first->speak(u"一二三四五六七八九十", engine::kSpeakAsync), engine::kOk);

    ASSERT_EQ(Dll_Lenvoro_InitialAuthW(0, 1, -1, -1, u"", u"", u"", u""), LENVORO_RESULT_DONE);
    EXPECT_NE(engineState().voice, first);
    EXPECT_EQ(first->status().runningState, engine::kRunningStateDone)
        << "the earlier voice was stopped, not left reading beside the new one";
    EXPECT_EQ(first.use_count(), 1) << "the library holds it no more";
    EXPECT_EQ(engine::runtimeReferences(), 1);
    first.reset();
    EXPECT_TRUE(firstToken.expired()) << "nor its voice token";

    EXPECT_EQ(Lenvoro_Close(), LENVORO_RESULT_OK);
    EXPECT_EQ(engineState().voice, nullptr);
    EXPECT_FALSE(engineState().startSelection.held());
    EXPECT_FALSE(engineState().comReady);
    EXPECT_EQ(engine::runtimeReferences(), 0);
    EXPECT_EQ(engineState().lastResult, engine::kFail);

    // A second close finds nothing to release and gives no runtime back twice.
    EXPECT_EQ(Dll_Lenvoro_Close(), LENVORO_RESULT_OK);
    EXPECT_EQ(engine::runtimeReferences(), 0);
}

TEST_F(LibraryInterface, CloseStopsAReadingAndFreesTheText) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    std::shared_ptr<engine::Voice> voice = engineState().voice;
    voice->speak(u"a long text that would take a while to read aloud", engine::kSpeakAsync);
    engineState().spokenText = u"a long text";
    engineState().progress = 42;
    EXPECT_EQ(Lenvoro_Close(), LENVORO_RESULT_OK);
    EXPECT_EQ(voice->status().runningState, engine::kRunningStateDone);
    EXPECT_EQ(voice.use_count(), 1);
    voice.reset();
    EXPECT_FALSE(engineState().spokenText.has_value());
    EXPECT_EQ(Lenvoro_GetLocationInfo(), 42) << "close leaves the reading position";
}

// --- The retired state -------------------------------------------------------------

TEST_F(LibraryInterface, RetiredEntryShowsInformationAndBlocksTheEngineEntriesUntilStart) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Dll_Lenvoro_InitialW(0, 1, 2, 3, 4, 5), LENVORO_RESULT_DONE);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Lenvoro_InitialAuth"),
              std::string::npos);
    EXPECT_FALSE(engineState().usable);

    using Entry = int32_t (*)();
    const std::pair<const char*, Entry> refused[] = {
        {"Close", [] { return Lenvoro_Close(); }},
        {"Stop", [] { return Dll_Lenvoro_Stop(); }},
        {"Speak", [] { return Lenvoro_Speak("text", 10, -1, -1, -1, 1, nullptr); }},
        {"SpeakW", [] { return Dll_Lenvoro_SpeakW(u"text", 10, -1, -1, -1, 1, nullptr); }},
        {"SpeakToWave",
         [] { return Lenvoro_SpeakToWave("t", "/tmp/x.wav", 10, -1, -1, -1, 0, 1, nullptr); }},
        {"SetDialogW", [] { return Dll_Lenvoro_SetDialogW(0, nullptr); }},
    };
    for (const auto& [name, entry] : refused) {
        SCOPED_TRACE(name);
        testing::internal::CaptureStderr();
        EXPECT_EQ(entry(), LENVORO_RESULT_REFUSED);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("Lenvoro_InitialAuth"),
                  std::string::npos)
            << "the information dialog's text";
    }
    EXPECT_NE(engineState().voice, nullptr) << "the refused close released nothing";

    // The controls and the version do not look at the retired state.
    testing::internal::CaptureStderr();
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_EQ(Lenvoro_SetVolume(20), LENVORO_RESULT_OK);
    EXPECT_EQ(Dll_Lenvoro_SetSpeed(50), LENVORO_RESULT_OK);
    EXPECT_EQ(Lenvoro_GetLocationInfo(), engineState().progress);
    LenvoroVersionRecord record{};
    EXPECT_EQ(Dll_Lenvoro_Version(&record), LENVORO_RESULT_OK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    EXPECT_TRUE(engineState().usable);
    EXPECT_EQ(Lenvoro_Stop(), LENVORO_RESULT_OK);
}

// --- Version ------------------------------------------------------------------------

TEST(LibraryVersion, FillsTheSixteenBytesOfTheRecord) {
    unsigned char bytes[16];
    std::memset(bytes, 0xAA, sizeof bytes);
    auto* record = reinterpret_cast<LenvoroVersionRecord*>(bytes);
    EXPECT_EQ(Lenvoro_Version(record), record);
    const unsigned char expected[16] = {2, 8, 0, 0, 29, 0, 0, 0, 2, 0, 0, 0, 0xD4, 0x07, 0, 0};
    for (size_t i = 0; i < sizeof bytes; ++i) {
        if (i == 2 || i == 3)
            continue;  // no meaning
        EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
    }

    std::memset(bytes, 0xAA, sizeof bytes);
    EXPECT_EQ(Dll_Lenvoro_Version(record), LENVORO_RESULT_OK);
    EXPECT_EQ(record->major, 2);
    EXPECT_EQ(record->minor, 8);
    EXPECT_EQ(record->day, 29);
    EXPECT_EQ(record->month, 2);
    EXPECT_EQ(record->year, 2004);

    EXPECT_EQ(Lenvoro_Version(nullptr), nullptr);
    EXPECT_EQ(Dll_Lenvoro_Version(nullptr), LENVORO_RESULT_REFUSED);
}

// --- Texts: NULL, over-long, ANSI --------------------------------------------------------

TEST_F(LibraryInterface, CallersMessageIsCutAt255CharactersNeverInsideASurrogatePair) {
    useVoicesWithout({0, 1, 2, 3, 4});
    // ANSI: 300 Chinese characters of three bytes each in UTF-8.
    std::string longMessage;
    for (int i = 0; i < 300; ++i)
        longMessage += "中";
    testing::internal::CaptureStderr();
    EXPECT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, longMessage.c_str(), "T", "", ""),
              LENVORO_RESULT_ENGINE_FAILED);
    std::string expected = "T: ";
    for (int i = 0; i < 255; ++i)
        expected += "中";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected + "\n");

    // UTF-16: a pair at units 254 and 255 would be cut in half; it goes whole.
    std::u16string wide(254, u'a');
    wide += u"\U0001F600tail";
    testing::internal::CaptureStderr();
    EXPECT_EQ(Dll_Lenvoro_InitialAuthW(0, -1, -1, -1, wide.c_str(), u"T", nullptr, nullptr),
              LENVORO_RESULT_ENGINE_FAILED);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "T: " + std::string(254, 'a') + "\n");
}

TEST_F(LibraryInterface, AnsiTextsAreReadInTheLocalesCodeSet) {
    useVoicesWithout({0, 1, 2, 3, 4});
    environment_.set("LC_ALL", "zh_CN.GBK");
    // "你好" in GBK, then a byte that is no GBK character.
    testing::internal::CaptureStderr();
    EXPECT_EQ(Dll_Lenvoro_InitialAuthA(0, -1, -1, -1, "\xC4\xE3\xBA\xC3\xFF!", "\xB4\xED", "", ""),
              LENVORO_RESULT_ENGINE_FAILED);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "错: 你好\xEF\xBF\xBD!\n");
}

TEST_F(LibraryInterface, NullTextsAreEmptyEverywhere) {
    EXPECT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, nullptr, nullptr, nullptr, nullptr),
              LENVORO_RESULT_DONE);
    EXPECT_EQ(Dll_Lenvoro_InitialAuthW(0, -1, -1, -1, nullptr, nullptr, nullptr, nullptr),
              LENVORO_RESULT_DONE);
    const std::u16string page(engineState().voicePage.view());
    EXPECT_EQ(Lenvoro_Speak(nullptr, 10, -1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    EXPECT_EQ(Dll_Lenvoro_SpeakW(nullptr, 11, -1, -1, -1, 1, nullptr), LENVORO_RESULT_DONE);
    // No file name: no file can be written.
    EXPECT_EQ(Dll_Lenvoro_SpeakToWaveA(nullptr, nullptr, 10, -1, -1, -1, 0, 1, nullptr),
              LENVORO_RESULT_ENGINE_FAILED);
    EXPECT_EQ(Dll_Lenvoro_SpeakToWaveW(nullptr, nullptr, 20, 1, -1, -1, 35, 0, nullptr),
              LENVORO_RESULT_ENGINE_FAILED);
    EXPECT_EQ(Lenvoro_SetDialog(0, nullptr), LENVORO_RESULT_REFUSED);
    EXPECT_EQ(engineState().voicePage.view(), page) << "no page given, none taken";
}

// --- Speaking, wave and dialog entries: their checks -------------------------------------

TEST_F(LibraryInterface, SpeakingEntriesRefuseArgumentsOutOfRangeWithTheParameterError) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    // Empty texts: a call that passes its checks returns 10 without reading.
    // The one-voice modes take any voice number; the mixed modes need a pair.
    struct Case {
        int32_t mode, voice, rate, volume, punctuation;
        bool valid;
    };
    const Case cases[] = {
        {10, 99, -1, -1, 0, true},  {11, -5, 100, 0, 1, true},  {21, 7, 100, 0, 1, true},
        {20, 1, -1, -1, 0, true},   {12, -1, -1, -1, 1, false}, {10, -1, -1, -1, 2, false},
        {11, 0, 101, -1, 1, false}, {20, 1, -1, -2, 0, false},  {21, 4, -1, -1, 1, false},
        {20, 0, -1, -1, 1, false},  {20, 8, -1, -1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " voice " << c.voice
                                        << " punctuation " << c.punctuation);
        const int32_t expected = c.valid ? LENVORO_RESULT_DONE : LENVORO_RESULT_REFUSED;
        testing::internal::CaptureStderr();
        EXPECT_EQ(Lenvoro_Speak("", c.mode, c.voice, c.rate, c.volume, c.punctuation, nullptr),
                  expected);
        EXPECT_EQ(
            Dll_Lenvoro_SpeakW(u"", c.mode, c.voice, c.rate, c.volume, c.punctuation, nullptr),
            expected);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  c.valid ? "" : kParameterError + kParameterError);
    }
}

TEST_F(LibraryInterface, WaveEntryRefusesFormatAndModeOutOfRangeAndCreatesNoFile) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    const fs::path file = test::makeTemporaryFolder("interface-wave") / "out.wav";
    struct Case {
        int32_t mode, format, punctuation;
        bool valid;
    };
    const Case cases[] = {{10, 0, 1, true},   {20, 35, 0, true},  {10, 36, 1, false},
                          {10, -1, 1, false}, {11, 31, 1, false}, {21, 31, 1, false},
                          {10, 31, 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " format " << c.format);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Lenvoro_SpeakToWave("text", file.c_str(), c.mode, 1, -1, -1, c.format,
                                      c.punctuation, nullptr),
                  c.valid ? LENVORO_RESULT_DONE : LENVORO_RESULT_REFUSED);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.valid ? "" : kParameterError);
        EXPECT_EQ(fs::exists(file), c.valid);
        fs::remove(file);
    }
}

TEST_F(LibraryInterface, PageOfASpeakCallIsKeptCutAt255UntilTheNextStart) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    const std::u16string defaultPage(engineState().voicePage.view());
    ASSERT_FALSE(defaultPage.empty());

    Lenvoro_Speak("text", 10, 0, -1, -1, 1, "http://example.org/voices");
    EXPECT_EQ(engineState().voicePage.view(), u"http://example.org/voices");
    Dll_Lenvoro_SpeakW(u"text", 10, 0, -1, -1, 1, nullptr);
    EXPECT_EQ(engineState().voicePage.view(), u"http://example.org/voices");
    const std::u16string longPage = u"http://example.org/" + std::u16string(300, u'x');
    Dll_Lenvoro_SpeakW(u"text", 11, 0, -1, -1, 1, longPage.c_str());
    EXPECT_EQ(engineState().voicePage.view(), std::u16string_view(longPage).substr(0, 255));

    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    EXPECT_EQ(engineState().voicePage.view(), defaultPage);
}

// --- Controls ---------------------------------------------------------------------

TEST_F(LibraryInterface, VolumeAndSpeedActOnTheCurrentVoiceAndIgnoreNegativeValues) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, 50, 50, "", "", "", ""), LENVORO_RESULT_DONE);
    engine::Voice& voice = *engineState().voice;
    struct Case {
        int32_t (*call)(int32_t);
        int32_t value;
        int32_t expectedRate, expectedVolume;
    };
    const Case cases[] = {
        {&Lenvoro_SetSpeed, 0, -10, 50},      {&Dll_Lenvoro_SetSpeed, 49, -1, 50},
        {&Lenvoro_SetSpeed, -1, -1, 50},      {&Lenvoro_SetSpeed, 100, 10, 50},
        {&Lenvoro_SetSpeed, 200, 10, 50},     {&Lenvoro_SetVolume, 30, 10, 30},
        {&Dll_Lenvoro_SetVolume, -1, 10, 30}, {&Lenvoro_SetVolume, 101, 10, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.call(c.value), LENVORO_RESULT_OK);
        int32_t rate = 0, volume = 0;
        voice.getRate(&rate);
        voice.getVolume(&volume);
        EXPECT_EQ(rate, c.expectedRate);
        EXPECT_EQ(volume, c.expectedVolume);
    }
    Lenvoro_Close();
    EXPECT_EQ(Lenvoro_SetSpeed(50), LENVORO_RESULT_OK)
        << "without a voice there is nothing to change";
    EXPECT_EQ(Lenvoro_SetVolume(50), LENVORO_RESULT_OK);
}

TEST_F(LibraryInterface, PauseOrContinueTogglesOnlyWhileReading) {
    ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
    EngineState& state = engineState();
    state.idle = true;
    state.paused = false;
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_FALSE(state.paused) << "idle: nothing to pause";

    state.idle = false;
    EXPECT_EQ(Dll_Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_FALSE(state.paused);
    state.idle = true;
}

TEST_F(LibraryInterface, CallsFromSeveralThreadsAreTakenOneAtATime) {
    // Each thread starts, speaks, changes settings, writes a wave file and
    // closes, over and over, while the others do the same: every call must
    // find the engine as the previous call left it, never half changed.
    const fs::path folder = test::makeTemporaryFolder("threads");
    constexpr int kRounds = 40;
    auto caller = [&](int id) {
        const std::string wave = (folder / ("t" + std::to_string(id) + ".wav")).string();
        for (int round = 0; round < kRounds; ++round) {
            const int32_t start = Lenvoro_InitialAuth(0, id % 5, -1, -1, "", "", "", "");
            EXPECT_TRUE(start == LENVORO_RESULT_DONE || start == LENVORO_RESULT_ENGINE_FAILED)
                << start;
            Lenvoro_Speak("Hello, 你好。", LENVORO_MODE_ASYNC, -1, -1, -1, 1, nullptr);
            Lenvoro_SetSpeed(round % 100);
            Lenvoro_SetVolume(round % 100);
            Lenvoro_PauseORContinue();
            EXPECT_LE(Lenvoro_GetLocationInfo(), 100);
            if (round % 8 == id)
                Lenvoro_SpeakToWave("One.", wave.c_str(), LENVORO_MODE_SYNC, -1, -1, -1, 18, 1,
                                    nullptr);
            Lenvoro_Stop();
            if (round % 3 == 0)
                Lenvoro_Close();
        }
    };
    std::vector<std::thread> threads;
    for (int id = 0; id < 3; ++id)
        threads.emplace_back(caller, id);
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(Lenvoro_Close(), LENVORO_RESULT_OK);
}

}  // namespace
}  // namespace lenvoro
