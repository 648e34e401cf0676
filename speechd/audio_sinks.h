// Where a reading's audio goes, and when its events are told.
//
// Speech Dispatcher 0.11 plays audio for modules that hand it back: the
// server sink sends each block as a 705 AUDIO event and the index marks
// between them, in order; the server plays them and passes the marks on as
// it reaches them. The sink keeps no more than a second ahead of real time:
// audio the server has no room for waits in our pipe, and a 703 STOP would
// wait behind it. Otherwise the device sink plays through our own audio
// layer (the sound card, or LENVORO_AUDIO's null or capture output) and
// tells each mark when the output has played the audio before it, so a
// screen reader follows what is heard.
//
// Both send 701 BEGIN just before the first audio or mark of a reading.
// cancel() may come from another thread: the device sink drops its
// unplayed audio at once, and every later write() returns false.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lenvoro_audio/audio_output.h"

namespace lenvoro::speechd {

constexpr int kSampleRate = 22050;  // what the synthesizer makes: mono, 16 bit

using Send = std::function<void(std::string_view)>;

class AudioSink {
public:
    explicit AudioSink(Send send) : send_(std::move(send)) {}
    virtual ~AudioSink() = default;

    // Readies the sink for a new reading at the given gain (0..1).
    virtual void open(float gain) = 0;
    // Mono samples at kSampleRate. false once the reading is cancelled.
    virtual bool write(const int16_t* samples, size_t count) = 0;
    virtual void mark(std::string_view name) = 0;
    // Returns when everything written has been played (true) or the reading
    // was cancelled (false).
    virtual bool finish() = 0;
    virtual void cancel() = 0;
    virtual bool cancelled() const = 0;

    // Sends 701 BEGIN unless this reading already has.
    void ensureBegun();

protected:
    void sendMark(std::string_view name);
    void resetBegun() { begun_ = false; }
    Send send_;

private:
    bool begun_ = false;
};

class ServerAudioSink final : public AudioSink {
public:
    using AudioSink::AudioSink;
    void open(float gain) override;
    bool write(const int16_t* samples, size_t count) override;
    void mark(std::string_view name) override;
    bool finish() override;
    void cancel() override { cancelled_ = true; }
    bool cancelled() const override { return cancelled_; }

private:
    void sendAudio();
    void keepPace();

    float gain_ = 1.0f;
    std::vector<int16_t> buffer_;
    std::atomic<bool> cancelled_ = false;
    std::chrono::steady_clock::time_point firstSent_;
    uint64_t framesSent_ = 0;
};

class DeviceAudioSink final : public AudioSink {
public:
    using OutputOpener =
        std::function<std::unique_ptr<audio::AudioOutput>(const audio::AudioFormat&)>;
    // opener makes the output on first use; by default the one LENVORO_AUDIO chooses.
    explicit DeviceAudioSink(Send send, OutputOpener opener = {});
    void open(float gain) override;
    bool write(const int16_t* samples, size_t count) override;
    void mark(std::string_view name) override;
    bool finish() override;
    void cancel() override;
    bool cancelled() const override;

private:
    void sendPlayedMarks();

    OutputOpener opener_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<audio::AudioOutput> output_;
    std::deque<std::pair<uint64_t, std::string>> marks_;  // frame, name
    bool cancelled_ = false;
};

// The 705 AUDIO event of 16-bit little-endian samples: parameter lines, then
// the bytes after a NUL with each line feed and 0x7D escaped as 0x7D and the
// byte with its bit 5 inverted, then the closing line.
std::string audioEvent(const int16_t* samples, size_t frames, int sampleRate, int channels);

}  // namespace lenvoro::speechd
