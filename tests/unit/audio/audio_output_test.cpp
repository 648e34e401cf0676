#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "lenvoro_audio/audio_output.h"
#include "lenvoro_audio/wave_file.h"
#include "test_support.h"

namespace lenvoro::audio {
namespace {

using namespace std::chrono_literals;

std::filesystem::path temporaryPath(const std::string& name) {
    static const std::filesystem::path folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lenvoro-audio-XXXXXX").string();
        return std::filesystem::path(mkdtemp(pattern.data()));
    }();
    return folder / name;
}

std::vector<int16_t> tone(size_t frames, int channels, int16_t level) {
    std::vector<int16_t> samples(frames * static_cast<size_t>(channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = (i / channels) % 2 ? level : static_cast<int16_t>(-level);
    return samples;
}

bool waitUntilPlayed(const AudioOutput& output, std::chrono::milliseconds limit = 5s) {
    return test::waitFor([&] { return output.framesQueued() == 0; }, limit);
}

TEST(NullOutput, PlaysAtRealTimePace) {
    auto output = openNullOutput({8000, 1});
    const auto samples = tone(1600, 1, 1000);  // 0.2 s
    const auto start = std::chrono::steady_clock::now();
    output->write(samples.data(), 1600);
    EXPECT_EQ(output->framesWritten(), 1600u);
    ASSERT_TRUE(waitUntilPlayed(*output));
    // A clock cannot play faster than real time.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 195ms);
    EXPECT_EQ(output->framesPlayed(), 1600u);
}

TEST(NullOutput, IdleTimeIsNotBankedForTheNextSound) {
    auto output = openNullOutput({8000, 1});
    std::this_thread::sleep_for(100ms);
    const auto samples = tone(800, 1, 1000);  // 0.1 s
    const auto start = std::chrono::steady_clock::now();
    output->write(samples.data(), 800);
    ASSERT_TRUE(waitUntilPlayed(*output));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 95ms);
}

TEST(NullOutput, PauseHoldsThePositionAndDiscardJumpsToTheEnd) {
    auto output = openNullOutput({22050, 2});
    const auto samples = tone(22050, 2, 1000);
    output->setPaused(true);
    output->write(samples.data(), 22050);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(output->framesPlayed(), 0u);
    EXPECT_TRUE(output->paused());
    output->setPaused(false);
    EXPECT_TRUE(test::waitFor([&] { return output->framesPlayed() > 0; }));
    output->discard();
    EXPECT_EQ(output->framesPlayed(), output->framesWritten());
    EXPECT_EQ(output->framesQueued(), 0u);
}

TEST(CaptureOutput, WritesWhatIsHeardWithTheGainApplied) {
    const auto path = temporaryPath("gain.wav").string();
    {
        auto output = openCaptureOutput({16000, 1}, path, nullptr, 8.0);
        ASSERT_TRUE(output);
        EXPECT_EQ(output->describe(), "capture:" + path);
        const auto loud = tone(1600, 1, 10000);
        output->write(loud.data(), 1600);
        ASSERT_TRUE(waitUntilPlayed(*output));
        output->setGain(0.5f);
        output->write(loud.data(), 1600);
        ASSERT_TRUE(waitUntilPlayed(*output));
        output->setGain(7.0f);  // clamped to 1
        EXPECT_EQ(output->gain(), 1.0f);
    }
    const auto wave = readWaveFile(path);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format, (AudioFormat{16000, 1}));
    ASSERT_EQ(wave->frameCount(), 3200u);
    EXPECT_EQ(std::abs(wave->samples[100]), 10000);
    EXPECT_EQ(std::abs(wave->samples[1700]), 5000);
}

TEST(CaptureOutput, OutputsOfOtherFormatsShareTheFileConverted) {
    const auto path = temporaryPath("shared.wav").string();
    auto first = openCaptureOutput({22050, 1}, path, nullptr, 16.0);
    auto second = openCaptureOutput({44100, 2}, path, nullptr, 16.0);
    ASSERT_TRUE(first && second);
    const auto a = tone(22050, 1, 3000);
    first->write(a.data(), 22050);
    ASSERT_TRUE(waitUntilPlayed(*first));
    const auto b = tone(44100, 2, 3000);
    second->write(b.data(), 44100);
    ASSERT_TRUE(waitUntilPlayed(*second));
    const auto wave = readWaveFile(path);  // valid while still open
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format, (AudioFormat{22050, 1}));
    EXPECT_NEAR(wave->durationSeconds(), 2.0, 0.02);
}

TEST(CaptureOutput, UnwritableFileIsReportedNotFatal) {
    std::string error;
    EXPECT_EQ(openCaptureOutput({22050, 1}, "/nonexistent/folder/x.wav", &error), nullptr);
    EXPECT_NE(error.find("/nonexistent/folder/x.wav"), std::string::npos);
    EXPECT_EQ(openCaptureOutput({22050, 1}, "", &error), nullptr);
}

TEST(DefaultOutput, EnvironmentChoosesTheOutput) {
    test::EnvironmentGuard environment("LENVORO_AUDIO", "null");
    EXPECT_EQ(openDefaultOutput({22050, 1})->describe(), "null");
    const auto path = temporaryPath("env.wav").string();
    environment.set("LENVORO_AUDIO", "capture:" + path);
    EXPECT_EQ(openDefaultOutput({22050, 1})->describe(), "capture:" + path);
    environment.set("LENVORO_AUDIO", "capture:/nonexistent/folder/x.wav");
    EXPECT_EQ(openDefaultOutput({22050, 1})->describe(), "null");
    environment.unset("LENVORO_AUDIO");
    // Without a sound card this falls back to the null output; with one it is the device.
    const std::string device = openDefaultOutput({22050, 1})->describe();
    EXPECT_TRUE(device == "null" || device == "device") << device;
}

TEST(WaveFile, MissingAndInvalidFilesGiveAMessage) {
    std::string error;
    EXPECT_FALSE(readWaveFile(temporaryPath("missing.wav").string(), &error));
    EXPECT_FALSE(error.empty());
    const auto junk = temporaryPath("junk.wav");
    std::ofstream(junk) << "RIFF but not really a wave file";
    EXPECT_FALSE(readWaveFile(junk.string(), &error));
    const auto path = temporaryPath("long.wav").string();
    {
        auto output = openCaptureOutput({8000, 1}, path, nullptr, 64.0);
        const auto samples = tone(8000, 1, 100);
        output->write(samples.data(), 8000);
        ASSERT_TRUE(waitUntilPlayed(*output));
    }
    EXPECT_FALSE(readWaveFile(path, &error, 100));  // over the frame limit
    EXPECT_TRUE(readWaveFile(path, &error));
}

// A PCM wave file whose header claims `frames` frames of `channels` channels,
// its data zeros (sparse where the file system allows).
void writeWaveFile(const std::filesystem::path& path, int channels, int bytesPerSample,
                   uint64_t frames) {
    const uint64_t dataBytes = frames * static_cast<uint64_t>(channels * bytesPerSample);
    std::string header;
    auto put = [&](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            header += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const uint32_t rate = 48000;
    header += "RIFF";
    put(36 + dataBytes, 4);
    header += "WAVEfmt ";
    put(16, 4);
    put(1, 2);  // PCM
    put(static_cast<uint64_t>(channels), 2);
    put(rate, 4);
    put(rate * static_cast<uint64_t>(channels * bytesPerSample), 4);
    put(static_cast<uint64_t>(channels * bytesPerSample), 2);
    put(static_cast<uint64_t>(8 * bytesPerSample), 2);
    header += "data";
    put(dataBytes, 4);
    std::ofstream(path, std::ios::binary) << header;
    std::filesystem::resize_file(path, header.size() + dataBytes);
}

TEST(WaveFile, HeadersClaimingTooManyChannelsOrSamplesAreRefusedBeforeReading) {
    struct Case {
        const char* name;
        int channels;
        int bytesPerSample;
        uint64_t frames;
        bool readable;
    };
    const Case cases[] = {
        {"1024-channels", 1024, 2, 16, false},
        {"9-channels", kMaxWaveChannels + 1, 2, 16, false},
        {"8-channels", kMaxWaveChannels, 2, 16, true},
        // Few enough frames for the frame limit, too many samples in all.
        {"too-many-samples", kMaxWaveChannels, 1, kMaxWaveSamples / kMaxWaveChannels + 1, false},
    };
    for (const Case& c : cases) {
        const auto path = temporaryPath(std::string(c.name) + ".wav");
        writeWaveFile(path, c.channels, c.bytesPerSample, c.frames);
        std::string error;
        const auto wave = readWaveFile(path.string(), &error);
        EXPECT_EQ(wave.has_value(), c.readable) << c.name;
        if (wave) {
            EXPECT_EQ(wave->format.channels, c.channels) << c.name;
            EXPECT_EQ(wave->frameCount(), c.frames) << c.name;
        } else {
            EXPECT_NE(error.find(path.string()), std::string::npos) << c.name << ": " << error;
        }
        std::filesystem::remove(path);
    }
}

}  // namespace
}  // namespace lenvoro::audio
