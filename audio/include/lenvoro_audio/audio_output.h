// Audio outputs: where 16-bit interleaved frames go to be heard.
//
// Writers queue frames and never block; each output consumes its queue at its
// own pace (the sound card, or a clock for the null and capture outputs) and
// reports how far it has played. Callers time what they show against that
// position, so word highlighting follows the sound rather than the synthesis.
//
// The audio layer is a shared library of its own (liblenvoro-audio.so.2) that
// the game and the speech library both link: one process has one copy of its
// state, such as the capture files that several outputs share. It exports
// what is marked LENVORO_AUDIO_API and nothing else.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#if defined(__GNUC__) || defined(__clang__)
#define LENVORO_AUDIO_API __attribute__((visibility("default")))
#else
#define LENVORO_AUDIO_API
#endif

namespace lenvoro::audio {

struct AudioFormat {
    int sampleRate = 22050;
    int channels = 1;

    bool operator==(const AudioFormat&) const = default;
};

class LENVORO_AUDIO_API AudioOutput {
public:
    explicit AudioOutput(const AudioFormat& format);
    virtual ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    const AudioFormat& format() const { return format_; }

    // Queues frames (interleaved, format().channels samples each). Never blocks.
    void write(const int16_t* samples, size_t frameCount);

    // Frames written since the output was opened, and frames that have been
    // played or discarded. The played count only grows; the written one too,
    // except that discardAfter() takes back what it drops. Their difference
    // is what is queued.
    uint64_t framesWritten() const;
    uint64_t framesPlayed() const;
    uint64_t framesQueued() const { return framesWritten() - framesPlayed(); }

    // A paused output holds its queue and its position.
    void setPaused(bool paused);
    bool paused() const;

    // Drops everything queued; the played position jumps to the written one.
    void discard();
    // Drops what is queued after the frame position (counted as written()
    // counts) and writes on from there; what plays before it is kept.
    void discardAfter(uint64_t frame);

    // Linear gain 0..1 applied as frames are played, so a change is heard at once.
    void setGain(float gain);
    float gain() const;

    // A short description for messages, such as "null" or "capture:/tmp/a.wav".
    virtual std::string describe() const = 0;

protected:
    // Called from the consuming side: copies up to frameCount frames into out
    // with the gain applied and returns how many were copied (0 while paused).
    size_t pull(int16_t* out, size_t frameCount);

private:
    AudioFormat format_;
    mutable std::mutex mutex_;
    std::deque<int16_t> queue_;
    uint64_t written_ = 0;
    uint64_t played_ = 0;
    bool paused_ = false;
    std::atomic<float> gain_{1.0f};
};

// Null output: consumes its queue at real-time pace (times paceFactor) without
// making a sound, so reading, pausing and progress behave as with a device.
LENVORO_AUDIO_API std::unique_ptr<AudioOutput> openNullOutput(const AudioFormat& format,
                                                              double paceFactor = 1.0);

// Capture output: a null output that also appends what it plays to a wave
// file. All capture outputs of the process that name one file share it; the
// file takes the format of the first one and the others are converted. The
// header is kept up to date after every write, so the file is valid at any time.
// Returns nullptr with a message in error when the file cannot be written.
LENVORO_AUDIO_API std::unique_ptr<AudioOutput> openCaptureOutput(const AudioFormat& format,
                                                                 const std::string& path,
                                                                 std::string* error = nullptr,
                                                                 double paceFactor = 1.0);

// The system's default device through PortAudio; nullptr (with a message)
// when there is no usable device.
LENVORO_AUDIO_API std::unique_ptr<AudioOutput> openDeviceOutput(const AudioFormat& format,
                                                                std::string* error = nullptr);

// The output chosen by the environment: LENVORO_AUDIO=null, capture:FILE.wav,
// or unset/"device" for the system device, falling back to the null output
// when there is no device. Never returns nullptr.
LENVORO_AUDIO_API std::unique_ptr<AudioOutput> openDefaultOutput(const AudioFormat& format);

}  // namespace lenvoro::audio
