// An output driven by a clock instead of a sound card: a thread plays the
// queue at real-time pace (scaled by a pace factor) and hands every played
// block to consume(), which the capture output uses to write its file.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "lenvoro_audio/audio_output.h"

namespace lenvoro::audio {

class PacedOutput : public AudioOutput {
public:
    PacedOutput(const AudioFormat& format, double paceFactor);
    ~PacedOutput() override;

protected:
    // Receives each played block (gain applied). Runs on the pacing thread.
    virtual void consume(const int16_t* samples, size_t frameCount);
    // Subclasses call this first in their destructor so consume() is never
    // called on a half-destroyed object.
    void stopPacing();

private:
    void run();

    double paceFactor_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace lenvoro::audio
