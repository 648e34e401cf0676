#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "engine/file_stream.h"
#include "engine/voice.h"
#include "voice_support.h"

namespace lenvoro::engine {
namespace {

uint32_t readLittleEndian(const std::vector<unsigned char>& bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

std::vector<unsigned char> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t filesIn(const std::filesystem::path& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++count;
    }
    return count;
}

TEST(FileStream, EveryPcmFormatWritesItsHeaderAndTheSameDuration) {
    const auto folder = test::makeTemporaryFolder("formats");
    auto voice = test::makeVoice();
    double referenceSeconds = 0;
    for (int32_t id = kFirstPcmFormat; id <= kLastPcmFormat; ++id) {
        SCOPED_TRACE("format " + std::to_string(id));
        const StreamFormat format = *streamFormatFromId(id);
        const auto path = folder / ("format" + std::to_string(id) + ".wav");
        std::shared_ptr<FileStream> stream;
        ASSERT_EQ(FileStream::create(path, format, &stream), kOk);
        voice->setOutput(stream, false);
        ASSERT_EQ(voice->speak(u"Hello world, this is a test.", kSpeakSync), kOk);
        ASSERT_EQ(stream->close(), kOk);

        const auto bytes = readBytes(path);
        ASSERT_GE(bytes.size(), 44u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
        EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "fmt ");
        EXPECT_EQ(readLittleEndian(bytes, 20, 2), 1u);  // PCM
        EXPECT_EQ(readLittleEndian(bytes, 22, 2), static_cast<uint32_t>(format.channels));
        EXPECT_EQ(readLittleEndian(bytes, 24, 4), static_cast<uint32_t>(format.sampleRate));
        EXPECT_EQ(readLittleEndian(bytes, 28, 4), static_cast<uint32_t>(format.bytesPerSecond()));
        EXPECT_EQ(readLittleEndian(bytes, 32, 2), static_cast<uint32_t>(format.blockAlign()));
        EXPECT_EQ(readLittleEndian(bytes, 34, 2), static_cast<uint32_t>(format.bitsPerSample));

        const auto audio = audio::readWaveFile(path.string());
        ASSERT_TRUE(audio);
        if (id == kFirstPcmFormat)
            referenceSeconds = audio->durationSeconds();
        EXPECT_GT(audio->durationSeconds(), 1.0);
        EXPECT_NEAR(audio->durationSeconds(), referenceSeconds, referenceSeconds * 0.08);
        EXPECT_GT(test::rmsLevel(audio->samples), 300.0);
    }
}

TEST(FileStream, UnfinishedStreamLeavesTheOldFileAndNoTemporary) {
    const auto folder = test::makeTemporaryFolder("atomic");
    const auto path = folder / "keep.wav";
    std::ofstream(path) << "the old file";
    {
        std::shared_ptr<FileStream> stream;
        ASSERT_EQ(FileStream::create(path, *streamFormatFromId(35), &stream), kOk);
        const std::vector<int16_t> samples(22050, 1000);
        EXPECT_EQ(stream->write(samples.data(), samples.size(), 1.0f), kOk);
        EXPECT_EQ(filesIn(folder), 1u);  // the file being written has no name yet
    }                                    // dropped without close
    EXPECT_EQ(filesIn(folder), 1u);
    std::ifstream in(path);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "the old file");
}

TEST(FileStream, ClosedStreamReplacesTheFileAndRefusesMoreAudio) {
    const auto folder = test::makeTemporaryFolder("replace");
    const auto path = folder / "out.wav";
    std::ofstream(path) << "old";
    std::shared_ptr<FileStream> stream;
    ASSERT_EQ(FileStream::create(path, *streamFormatFromId(22), &stream), kOk);
    const std::vector<int16_t> samples(22050, 1000);
    stream->write(samples.data(), samples.size(), 1.0f);
    EXPECT_EQ(stream->close(), kOk);
    EXPECT_EQ(stream->close(), kOk);
    EXPECT_EQ(stream->write(samples.data(), samples.size(), 1.0f), kStreamClosed);
    EXPECT_EQ(filesIn(folder), 1u);
    EXPECT_NEAR(audio::readWaveFile(path.string())->durationSeconds(), 1.0, 0.01);
}

TEST(FileStream, ManySmallWritesWithChangingGainArriveWholeAndInOrder) {
    // espeak-ng's callbacks are small: the stream gathers them into blocks,
    // and a gain change must still start exactly where it was asked for.
    const auto path = test::makeTemporaryFolder("small-writes") / "out.wav";
    std::shared_ptr<FileStream> stream;
    ASSERT_EQ(FileStream::create(path, *streamFormatFromId(kEngineNativeFormat), &stream), kOk);
    constexpr size_t kWriteSamples = 441;
    constexpr size_t kWrites = 150;  // several blocks and a part-filled one at the end
    const std::vector<int16_t> samples(kWriteSamples, 8000);
    for (size_t i = 0; i < kWrites; ++i) {
        ASSERT_EQ(stream->write(samples.data(), samples.size(), (i / 10) % 2 == 0 ? 1.0f : 0.25f),
                  kOk);
    }
    ASSERT_EQ(stream->close(), kOk);
    const auto audio = audio::readWaveFile(path.string());
    ASSERT_TRUE(audio);
    ASSERT_EQ(audio->samples.size(), kWriteSamples * kWrites);
    for (size_t i = 0; i < audio->samples.size(); ++i) {
        const int16_t expected = (i / kWriteSamples / 10) % 2 == 0 ? 8000 : 2000;
        ASSERT_EQ(audio->samples[i], expected) << "sample " << i;
    }
}

TEST(FileStream, BadPathsAndFormatsAreRefused) {
    const auto folder = test::makeTemporaryFolder("bad");
    std::shared_ptr<FileStream> stream;
    const StreamFormat format = *streamFormatFromId(4);
    EXPECT_EQ(FileStream::create(folder / "missing/out.wav", format, &stream), kPathNotFound);
    EXPECT_EQ(FileStream::create(folder, format, &stream), kAccessDenied);
    EXPECT_EQ(FileStream::create("", format, &stream), kInvalidArg);
    StreamFormat odd = format;
    odd.sampleRate = 12345;
    EXPECT_EQ(FileStream::create(folder / "odd.wav", odd, &stream), kUnsupportedFormat);
    EXPECT_EQ(FileStream::create(folder / "x.wav", format, nullptr), kPointer);
    if (geteuid() != 0) {  // root may write anywhere
        std::filesystem::permissions(
            folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_EQ(FileStream::create(folder / "locked.wav", format, &stream), kAccessDenied);
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    }
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(filesIn(folder), 0u);
}

TEST(FileStream, OnlyRegularFilesAreReplacedThroughLinksKeepingTheirMode) {
    namespace fs = std::filesystem;
    const auto folder = test::makeTemporaryFolder("kinds");
    const StreamFormat format = *streamFormatFromId(kEngineNativeFormat);
    const std::vector<int16_t> samples(2205, 1000);
    const auto speakInto = [&](const fs::path& path) {
        std::shared_ptr<FileStream> stream;
        Result result = FileStream::create(path, format, &stream);
        if (succeeded(result)) {
            stream->write(samples.data(), samples.size(), 1.0f);
            result = stream->close();
        }
        return result;
    };

    // Things that are not regular files stay what they are.
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_symlink(folder / "pipe", folder / "to-pipe");
    fs::create_symlink("/dev/null", folder / "to-null");
    fs::create_symlink("loop-b", folder / "loop-a");
    fs::create_symlink("loop-a", folder / "loop-b");
    for (const char* name : {"pipe", "to-pipe", "to-null"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(speakInto(folder / name), kAccessDenied);
    }
    EXPECT_TRUE(failed(speakInto(folder / "loop-a")));
    EXPECT_TRUE(fs::is_fifo(folder / "pipe"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // An existing file keeps its mode; a link keeps pointing at its target,
    // relative or dangling, and the target receives the audio.
    std::ofstream(folder / "private.wav") << "old";
    fs::permissions(folder / "private.wav", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("private.wav", folder / "link.wav");
    fs::create_symlink("new.wav", folder / "dangling.wav");
    for (const char* name : {"private.wav", "link.wav", "dangling.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(speakInto(folder / name), kOk);
    }
    EXPECT_EQ(fs::status(folder / "private.wav").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "link.wav")));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(folder / "dangling.wav")));
    for (const char* name : {"private.wav", "new.wav"}) {
        const auto audio = audio::readWaveFile((folder / name).string());
        ASSERT_TRUE(audio) << name;
        EXPECT_EQ(audio->samples.size(), samples.size()) << name;
    }
    // A new file gets the usual mode of new files: 0666 less the umask.
    const mode_t mask = umask(027);
    EXPECT_EQ(speakInto(folder / "fresh.wav"), kOk);
    umask(mask);
    EXPECT_EQ(fs::status(folder / "fresh.wav").permissions(), fs::perms(0640));
}

TEST(FileStream, AProcessKilledWhileWritingLeavesNoTemporaryFile) {
    // Both ways of writing: unnamed files vanish with the process; named
    // ones are removed by the next stream for the same file.
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named ? "named temporary" : "unnamed temporary");
        const auto folder = test::makeTemporaryFolder(named ? "killed-named" : "killed");
        const auto path = folder / "out.wav";
        std::ofstream(path) << "the old file";
        FileStream::useNamedTemporariesOnly(named);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::shared_ptr<FileStream> stream;
            if (FileStream::create(path, *streamFormatFromId(35), &stream) != kOk)
                _exit(3);
            const std::vector<int16_t> samples(22050 * 4, 1000);
            stream->write(samples.data(), samples.size(), 1.0f);
            raise(SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(filesIn(folder), named ? 2u : 1u);

        std::shared_ptr<FileStream> stream;
        ASSERT_EQ(FileStream::create(path, *streamFormatFromId(35), &stream), kOk);
        ASSERT_EQ(stream->close(), kOk);
        FileStream::useNamedTemporariesOnly(false);
        EXPECT_EQ(filesIn(folder), 1u);
    }
}

}  // namespace
}  // namespace lenvoro::engine
