// Speaking to a wave file through the C interface: every format read back
// with libsndfile, lengths that follow the text and the rate, the voices and
// their prompts, and the paths that cannot be written, which must leave
// nothing behind and an existing file untouched.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "engine/audio_device.h"
#include "engine_state.h"
#include "lenvoro.h"
#include "voice_support.h"
#include "voices.h"
#include "wave_output.h"

namespace lenvoro {
namespace {

namespace fs = std::filesystem;

struct WaveRead {
    bool opened = false;
    SF_INFO info{};
    std::vector<int16_t> samples;  // interleaved

    double seconds() const {
        return info.samplerate > 0 ? static_cast<double>(info.frames) / info.samplerate : 0.0;
    }
    int bits() const {
        const int subtype = info.format & SF_FORMAT_SUBMASK;
        return subtype == SF_FORMAT_PCM_U8 ? 8 : subtype == SF_FORMAT_PCM_16 ? 16 : 0;
    }
};

WaveRead ReadWave(const fs::path& path) {
    WaveRead read;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &read.info);
    if (file == nullptr)
        return read;
    read.opened = true;
    read.samples.resize(static_cast<size_t>(read.info.frames * read.info.channels));
    sf_readf_short(file, read.samples.data(), read.info.frames);
    sf_close(file);
    return read;
}

std::string FileContent(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<int32_t>& RecordedPrompts() {
    static std::vector<int32_t> prompts;
    return prompts;
}

class WaveOutput : public ::testing::Test {
protected:
    void SetUp() override {
        environment_.set("LENVORO_DATA_DIR", LENVORO_TEST_DATA_DIR).set("LC_ALL", "en_US.UTF-8");
        previousPrompt_ = SetVoicePromptHandler(
            [](intptr_t, int32_t code) { RecordedPrompts().push_back(code); });
        RecordedPrompts().clear();
        ASSERT_EQ(Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", ""), LENVORO_RESULT_DONE);
        folder_ = test::makeTemporaryFolder("wave");
    }
    void TearDown() override {
        Lenvoro_Close();
        SetVoicePromptHandler(previousPrompt_);
    }

    // A data folder with only the named voice token files of the shipped ones.
    void useOnlyVoices(const std::vector<std::string>& tokenFiles) {
        const fs::path data = test::makeTemporaryFolder("wave-voices");
        fs::create_directories(data / "voices");
        for (const std::string& name : tokenFiles)
            fs::copy_file(fs::path(LENVORO_TEST_DATA_DIR) / "voices" / name,
                          data / "voices" / name);
        environment_.set("LENVORO_DATA_DIR", data.string());
    }

    test::EnvironmentGuard environment_;
    fs::path folder_;
    VoicePromptHandler previousPrompt_ = nullptr;
};

constexpr const char* kShortText = "Hello world, this is a test.";

TEST_F(WaveOutput, EveryFormatIsWrittenAsItsRateChannelsAndBitsForTheSameLength) {
    const fs::path reference = folder_ / "reference.wav";
    ASSERT_EQ(Lenvoro_SpeakToWave(kShortText, reference.c_str(), 10, -1, -1, -1, 18, 1, nullptr),
              LENVORO_RESULT_DONE);
    const double expectedSeconds = ReadWave(reference).seconds();
    ASSERT_GT(expectedSeconds, 0.5);

    for (int32_t format = 0; format < 36; ++format) {
        SCOPED_TRACE(testing::Message() << "format " << format);
        const fs::path path = folder_ / ("format" + std::to_string(format) + ".wav");
        ASSERT_EQ(
            Dll_Lenvoro_SpeakToWaveA(kShortText, path.c_str(), 10, -1, -1, -1, format, 1, nullptr),
            LENVORO_RESULT_DONE);
        const WaveFormatInfo expected = *WaveFormatFor(format);
        const WaveRead read = ReadWave(path);
        ASSERT_TRUE(read.opened);
        EXPECT_EQ(read.info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
        EXPECT_EQ(read.info.samplerate, expected.sampleRate);
        EXPECT_EQ(read.info.channels, expected.channels);
        EXPECT_EQ(read.bits(), expected.bitsPerSample);
        // The same speech at any rate; the engine's timing varies a little between calls.
        EXPECT_NEAR(read.seconds(), expectedSeconds, 0.03 * expectedSeconds);
        // The header's own figures, as a player reads them.
        const std::string header = FileContent(path).substr(0, 36);
        ASSERT_EQ(header.size(), 36u);
        uint32_t bytesPerSecond = 0;
        uint16_t blockAlign = 0;
        std::memcpy(&bytesPerSecond, header.data() + 28, 4);
        std::memcpy(&blockAlign, header.data() + 32, 2);
        EXPECT_EQ(static_cast<int32_t>(bytesPerSecond), expected.bytesPerSecond());
        EXPECT_EQ(blockAlign, expected.blockAlign());
    }
    EXPECT_EQ(WaveFormatFor(31)->bytesPerSecond(), 176400);
    EXPECT_EQ(WaveFormatFor(31)->name, u"44kHz 16 Bit Stereo");
    EXPECT_EQ(WaveFormatFor(4)->name, u"11kHz 8 Bit Mono");
    EXPECT_EQ(WaveFormatFor(4)->sampleRate, 11025);
    EXPECT_FALSE(WaveFormatFor(36));
    EXPECT_FALSE(WaveFormatFor(-1));
}

TEST_F(WaveOutput, LengthFollowsTheTextAndTheRateAndVolumeReachTheFile) {
    const std::string sentence = "The quick brown fox jumps over the lazy dog. ";
    std::string fourTimes;
    for (int i = 0; i < 4; ++i)
        fourTimes += sentence;
    struct Case {
        const char* name;
        const std::string* text;
        int32_t rate, volume;
    };
    const Case cases[] = {
        {"once", &sentence, 50, 100},  {"four", &fourTimes, 50, 100}, {"slow", &sentence, 0, 100},
        {"fast", &sentence, 100, 100}, {"silent", &sentence, 50, 0},
    };
    std::map<std::string, WaveRead> written;
    for (const Case& c : cases) {
        const fs::path path = folder_ / (std::string(c.name) + ".wav");
        ASSERT_EQ(Lenvoro_SpeakToWave(c.text->c_str(), path.c_str(), 10, 1, c.rate, c.volume, 18, 1,
                                      nullptr),
                  LENVORO_RESULT_DONE)
            << c.name;
        written[c.name] = ReadWave(path);
    }
    const double once = written["once"].seconds();
    EXPECT_NEAR(written["four"].seconds() / once, 4.0, 0.6);
    EXPECT_GT(written["slow"].seconds(), 2.0 * once) << "rate 0 reads at a third of the speed";
    EXPECT_LT(written["fast"].seconds(), 0.5 * once) << "rate 100 reads three times as fast";
    EXPECT_GT(test::rmsLevel(written["once"].samples), 500.0);
    EXPECT_LT(test::rmsLevel(written["silent"].samples), 1.0);
}

TEST_F(WaveOutput, WideAndAnsiFormsWriteTheSameSpeech) {
    environment_.set("LC_ALL", "zh_CN.GBK");
    const fs::path wide = folder_ / u"宽.wav";
    const fs::path ansi = folder_ / u"窄.wav";
    ASSERT_EQ(Dll_Lenvoro_SpeakToWaveW(u"你好，世界。Hello.", wide.u16string().c_str(), 20, 1, -1,
                                       -1, 18, 1, nullptr),
              LENVORO_RESULT_DONE);
    // "你好，世界。Hello." and the file name 窄.wav, in GBK.
    const std::string gbkText = "\xC4\xE3\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7\xA1\xA3Hello.";
    const std::string gbkPath = (folder_ / "").string() + "\xD5\xAD.wav";
    ASSERT_EQ(Lenvoro_SpeakToWave(gbkText.c_str(), gbkPath.c_str(), 20, 1, -1, -1, 18, 1, nullptr),
              LENVORO_RESULT_DONE);
    const WaveRead fromWide = ReadWave(wide);
    const WaveRead fromAnsi = ReadWave(ansi);
    ASSERT_TRUE(fromWide.opened);
    ASSERT_TRUE(fromAnsi.opened) << "the ANSI file name is converted from the locale's code set";
    EXPECT_GT(fromWide.info.frames, 22050 / 2);
    EXPECT_NEAR(static_cast<double>(fromAnsi.info.frames),
                static_cast<double>(fromWide.info.frames),
                0.03 * static_cast<double>(fromWide.info.frames));
}

TEST_F(WaveOutput, PathsThatCannotBeWrittenLeaveNothingAndReturnTwenty) {
    const std::string longName = std::string(260, 'a') + ".wav";
    fs::create_directories(folder_ / "a-folder");
    const fs::path cases[] = {
        folder_ / "missing" / "out.wav",    // no such folder
        folder_ / "a-folder",               // a folder, not a file
        folder_ / "a-folder" / "",          // no file name
        fs::path("/proc/lenvoro-out.wav"),  // a folder nobody may write in
        folder_ / longName,                 // over 255 characters
        fs::path(""),
    };
    for (const fs::path& path : cases) {
        SCOPED_TRACE(path.string().substr(0, 120));
        testing::internal::CaptureStderr();
        EXPECT_EQ(Lenvoro_SpeakToWave(kShortText, path.c_str(), 10, -1, -1, -1, 18, 1, nullptr),
                  LENVORO_RESULT_ENGINE_FAILED);
        EXPECT_EQ(Dll_Lenvoro_SpeakToWaveW(u"text", path.u16string().c_str(), 20, 1, -1, -1, 31, 1,
                                           nullptr),
                  LENVORO_RESULT_ENGINE_FAILED);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "no message, only the result";
    }
    EXPECT_EQ(Dll_Lenvoro_SpeakToWaveA("text", nullptr, 10, -1, -1, -1, 0, 1, nullptr),
              LENVORO_RESULT_ENGINE_FAILED);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"a-folder"});
    EXPECT_TRUE(fs::is_empty(folder_ / "a-folder"));
}

TEST_F(WaveOutput, ACallThatWritesNoSpeechLeavesTheExistingFileAsItWas) {
    useOnlyVoices({"01-simplified-chinese.ini", "03-sam.ini"});
    const fs::path path = folder_ / "kept.wav";
    const std::string before = "not a wave file, but the user's";
    std::ofstream(path, std::ios::binary) << before;
    struct Case {
        const char* what;
        const char* text;
        int32_t mode, voice;
        int32_t result, prompt;
    };
    const Case cases[] = {
        {"empty text", "", 10, -1, LENVORO_RESULT_DONE, -1},
        {"one voice missing", "Hello", 10, 2, LENVORO_RESULT_NO_MARY, 1},
        {"Chinese female voice missing", "你好", 10, 7, LENVORO_RESULT_NO_CHINESE_FEMALE, 20},
        {"mixed, English voice missing", "你好 Mary", 20, 2, LENVORO_RESULT_ENGINE_FAILED, 1},
        {"mixed, both missing", "你好 Mary", 20, 6, LENVORO_RESULT_ENGINE_FAILED, 21},
        {"mixed, no such pair", "你好", 20, 4, LENVORO_RESULT_REFUSED, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordedPrompts().clear();
        testing::internal::CaptureStderr();
        EXPECT_EQ(
            Lenvoro_SpeakToWave(c.text, path.c_str(), c.mode, c.voice, -1, -1, 31, 1, nullptr),
            c.result);
        const std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(RecordedPrompts(),
                  c.prompt < 0 ? std::vector<int32_t>{} : std::vector<int32_t>{c.prompt});
        EXPECT_EQ(shown.find("parameter") != std::string::npos, c.result == LENVORO_RESULT_REFUSED);
        EXPECT_EQ(FileContent(path), before);
        EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"kept.wav"});
    }
    // With the voices there, the same name is replaced by the speech.
    EXPECT_EQ(Lenvoro_SpeakToWave("你好 Sam", path.c_str(), 20, 1, -1, -1, 31, 1, nullptr),
              LENVORO_RESULT_DONE);
    EXPECT_TRUE(ReadWave(path).opened);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"kept.wav"});
}

TEST_F(WaveOutput, LeavesTheReaderNotIdleAndTheReadingVoiceInTheFilesFormat) {
    EngineState& state = engineState();
    state.idle = true;
    state.paused = true;
    state.highlight = true;
    const fs::path path = folder_ / "state.wav";
    ASSERT_EQ(Lenvoro_SpeakToWave("Hi", path.c_str(), 10, -1, -1, -1, 5, 1, nullptr),
              LENVORO_RESULT_DONE);
    EXPECT_FALSE(state.idle) << "until the end of a later reading is heard";
    EXPECT_FALSE(state.paused);
    EXPECT_FALSE(state.highlight);
    // So pause and continue act on the reading voice, as after a reading started.
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_TRUE(state.paused);
    EXPECT_EQ(Lenvoro_PauseORContinue(), LENVORO_RESULT_OK);
    EXPECT_FALSE(state.paused);

    ASSERT_NE(state.voice, nullptr);
    std::shared_ptr<engine::OutputTarget> output;
    ASSERT_EQ(state.voice->getOutputStream(&output), engine::kOk);
    ASSERT_NE(std::dynamic_pointer_cast<engine::AudioDevice>(output), nullptr);
    EXPECT_EQ(output->format().id, 5 + 4) << "11 kHz 8-bit stereo, until the voice is replaced";
}

}  // namespace
}  // namespace lenvoro
