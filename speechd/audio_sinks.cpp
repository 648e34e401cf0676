#include "audio_sinks.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace lenvoro::speechd {

namespace {

// Blocks of about 90 ms: few enough events for the server to parse, small
// enough that the first one leaves within a millisecond of synthesis.
constexpr size_t kServerBlockSamples = 2048;

// Synthesis stays this far ahead of what is heard, so a long text takes
// little memory and a stop finds little in the way; it makes audio hundreds
// of times faster than it plays.
constexpr double kAheadSeconds = 1.0;
constexpr auto kServerPacePoll = std::chrono::milliseconds(5);
// How often a waiting reader looks whether the device has passed a mark.
// The null and capture outputs play in 4 ms steps.
constexpr auto kDevicePollInterval = std::chrono::milliseconds(2);

}  // namespace

void AudioSink::ensureBegun() {
    if (!begun_) {
        begun_ = true;
        send_("701 BEGIN\n");
    }
}

void AudioSink::sendMark(std::string_view name) {
    std::string event = "700-";
    event += name;
    event += "\n700 INDEX MARK\n";
    send_(event);
}

void ServerAudioSink::open(float gain) {
    gain_ = gain;
    buffer_.clear();
    cancelled_ = false;
    framesSent_ = 0;
    resetBegun();
}

bool ServerAudioSink::write(const int16_t* samples, size_t count) {
    if (cancelled_)
        return false;
    ensureBegun();
    for (size_t i = 0; i < count; ++i) {
        buffer_.push_back(static_cast<int16_t>(std::lround(samples[i] * gain_)));
        if (buffer_.size() >= kServerBlockSamples)
            sendAudio();
    }
    keepPace();
    return !cancelled_;
}

void ServerAudioSink::keepPace() {
    for (;;) {
        if (cancelled_ || framesSent_ == 0)
            return;
        const double sent = static_cast<double>(framesSent_) / kSampleRate;
        const std::chrono::duration<double> played = std::chrono::steady_clock::now() - firstSent_;
        if (sent - played.count() < kAheadSeconds)
            return;
        std::this_thread::sleep_for(kServerPacePoll);
    }
}

void ServerAudioSink::mark(std::string_view name) {
    if (cancelled_)
        return;
    ensureBegun();
    sendAudio();
    sendMark(name);
}

bool ServerAudioSink::finish() {
    sendAudio();
    return !cancelled_;
}

void ServerAudioSink::sendAudio() {
    if (!buffer_.empty() && !cancelled_) {
        if (framesSent_ == 0)
            firstSent_ = std::chrono::steady_clock::now();
        send_(audioEvent(buffer_.data(), buffer_.size(), kSampleRate, 1));
        framesSent_ += buffer_.size();
    }
    buffer_.clear();
}

DeviceAudioSink::DeviceAudioSink(Send send, OutputOpener opener)
    : AudioSink(std::move(send)), opener_(std::move(opener)) {
    if (!opener_)
        opener_ = [](const audio::AudioFormat& format) { return audio::openDefaultOutput(format); };
}

void DeviceAudioSink::open(float gain) {
    std::lock_guard lock(mutex_);
    // The output stays open from one reading to the next: opening a sound
    // card takes longer than a screen reader may wait for its first word.
    if (!output_)
        output_ = opener_({kSampleRate, 1});
    output_->setGain(gain);
    marks_.clear();
    cancelled_ = false;
    resetBegun();
}

bool DeviceAudioSink::write(const int16_t* samples, size_t count) {
    std::unique_lock lock(mutex_);
    if (cancelled_)
        return false;
    ensureBegun();
    output_->write(samples, count);
    const double ahead = kAheadSeconds * kSampleRate;
    for (;;) {
        sendPlayedMarks();
        if (cancelled_)
            return false;
        if (static_cast<double>(output_->framesQueued()) < ahead)
            return true;
        changed_.wait_for(lock, kDevicePollInterval);
    }
}

void DeviceAudioSink::mark(std::string_view name) {
    std::lock_guard lock(mutex_);
    if (cancelled_)
        return;
    ensureBegun();
    marks_.emplace_back(output_->framesWritten(), name);
    sendPlayedMarks();
}

bool DeviceAudioSink::finish() {
    std::unique_lock lock(mutex_);
    for (;;) {
        sendPlayedMarks();
        if (cancelled_)
            return false;
        if (marks_.empty() && output_->framesQueued() == 0)
            return true;
        changed_.wait_for(lock, kDevicePollInterval);
    }
}

void DeviceAudioSink::cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (output_)
        output_->discard();
    marks_.clear();
    changed_.notify_all();
}

bool DeviceAudioSink::cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

void DeviceAudioSink::sendPlayedMarks() {
    const uint64_t played = output_->framesPlayed();
    while (!marks_.empty() && marks_.front().first <= played) {
        sendMark(marks_.front().second);
        marks_.pop_front();
    }
}

std::string audioEvent(const int16_t* samples, size_t frames, int sampleRate, int channels) {
    std::string event = "705-bits=16\n705-num_channels=" + std::to_string(channels) +
                        "\n705-sample_rate=" + std::to_string(sampleRate) +
                        "\n705-num_samples=" + std::to_string(frames) +
                        "\n705-big_endian=0\n705-AUDIO";
    event += '\0';
    constexpr char kEscape = 0x7D;
    constexpr char kInvertBit = 0x20;
    const size_t count = frames * static_cast<size_t>(channels);
    event.reserve(event.size() + count * 2 + count / 8 + 16);
    for (size_t i = 0; i < count; ++i) {
        const auto value = static_cast<uint16_t>(samples[i]);
        for (const char byte : {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)}) {
            if (byte == '\n' || byte == kEscape) {
                event += kEscape;
                event += static_cast<char>(byte ^ kInvertBit);
            } else {
                event += byte;
            }
        }
    }
    event += "\n705 AUDIO\n";
    return event;
}

}  // namespace lenvoro::speechd
