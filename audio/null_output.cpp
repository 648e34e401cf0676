#include <algorithm>
#include <chrono>
#include <vector>

#include "paced_output.h"

namespace lenvoro::audio {

namespace {

// Short enough that positions advance smoothly for event timing, long enough
// that an idle output costs next to nothing.
constexpr auto kPacingTick = std::chrono::milliseconds(4);

class NullOutput final : public PacedOutput {
public:
    using PacedOutput::PacedOutput;
    ~NullOutput() override { stopPacing(); }
    std::string describe() const override { return "null"; }
};

}  // namespace

PacedOutput::PacedOutput(const AudioFormat& format, double paceFactor)
    : AudioOutput(format), paceFactor_(paceFactor > 0.0 ? paceFactor : 1.0) {
    thread_ = std::thread([this] { run(); });
}

PacedOutput::~PacedOutput() {
    stopPacing();
}

void PacedOutput::consume(const int16_t*, size_t) {}

void PacedOutput::stopPacing() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void PacedOutput::run() {
    using Clock = std::chrono::steady_clock;
    const double framesPerSecond = format().sampleRate * paceFactor_;
    std::vector<int16_t> block;
    auto last = Clock::now();
    double credit = 0.0;  // frames the clock allows but that have not been played yet
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        wake_.wait_for(lock, kPacingTick);
        if (stopping_)
            break;
        const auto now = Clock::now();
        credit += std::chrono::duration<double>(now - last).count() * framesPerSecond;
        last = now;
        const size_t allowed = static_cast<size_t>(credit);
        if (allowed == 0)
            continue;
        lock.unlock();
        size_t played = 0;
        try {
            block.resize(allowed * static_cast<size_t>(format().channels));
            played = pull(block.data(), allowed);
            if (played > 0)
                consume(block.data(), played);
        } catch (const std::exception&) {
            // Out of memory: nothing is played this tick; the clock goes on.
        }
        lock.lock();
        // An empty or paused queue must not bank time: the next sentence plays
        // at real-time pace from when it arrives, not in a burst.
        credit = played < allowed ? 0.0 : credit - static_cast<double>(played);
    }
}

std::unique_ptr<AudioOutput> openNullOutput(const AudioFormat& format, double paceFactor) {
    return std::make_unique<NullOutput>(format, paceFactor);
}

}  // namespace lenvoro::audio
