// Reads one message at a time on a thread of its own.
//
// The protocol thread starts a reading and goes back to the server's
// commands at once, so a STOP or PAUSE is acted on while the reading runs:
// the sink is cancelled on the protocol thread itself (the device goes
// silent within milliseconds) and the reader, whose next block of audio is
// refused, ends the reading with 703 STOP or 704 PAUSE. A reading that runs
// to its end is closed with 702 END once its last audio has been played.
//
// Pausing stops at once rather than at the next "__spd_" mark, which may be
// a sentence away: the server resumes from the last mark it was told of, so
// the sentence under way is heard again from its start and nothing is lost.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio_sinks.h"
#include "reading_plan.h"

namespace lenvoro::speechd {

struct Reading {
    std::vector<ReadingStep> steps;
    int rate = 0;       // the engine's -10 .. 10
    float gain = 1.0f;  // 0 .. 1
};

class Reader {
public:
    using Log = std::function<void(const std::string&)>;

    Reader(Send send, Log log, DeviceAudioSink::OutputOpener opener = {});
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Audio to the server (705 events) or through our own output. Applies
    // from the next reading.
    void useServerAudio(bool server);

    // From start() until its closing event has been sent.
    bool busy() const;
    // false when a reading is under way.
    bool start(Reading reading);
    void stop();
    void pause();
    // Stops any reading and ends the thread; nothing is sent afterwards.
    void shutdown();

private:
    enum class Request { None, Stop, Pause };

    void run();
    bool perform(const Reading& reading, AudioSink& sink);

    Send send_;
    Log log_;
    ServerAudioSink serverSink_;
    DeviceAudioSink deviceSink_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    AudioSink* sink_ = nullptr;  // the reading's, chosen when it starts
    bool serverAudio_ = false;
    std::optional<Reading> next_;
    bool active_ = false;
    Request request_ = Request::None;
    bool quitting_ = false;
    std::thread thread_;
};

}  // namespace lenvoro::speechd
