// Capture output: plays like the null output and appends what is heard to a
// wave file, so tests and headless runs can check what was said.
#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "paced_output.h"

namespace lenvoro::audio {

namespace {

// One wave file shared by every capture output of the process that names it.
// It stays open until the process ends, so everything said is kept in order.
class CaptureFile {
public:
    static std::shared_ptr<CaptureFile> open(const std::string& path, const AudioFormat& format,
                                             std::string* error) {
        static std::mutex registryMutex;
        static std::map<std::string, std::shared_ptr<CaptureFile>> registry;
        std::lock_guard lock(registryMutex);
        if (auto it = registry.find(path); it != registry.end())
            return it->second;
        SF_INFO info{};
        info.samplerate = format.sampleRate;
        info.channels = format.channels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        if (file == nullptr) {
            if (error)
                *error = "cannot write the capture file " + path + ": " + sf_strerror(nullptr);
            return nullptr;
        }
        // Rewrite the header after every write: the process may end at any time.
        sf_command(file, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
        auto capture = std::shared_ptr<CaptureFile>(new CaptureFile(file, format));
        registry.emplace(path, capture);
        return capture;
    }

    ~CaptureFile() { sf_close(file_); }

    const AudioFormat& format() const { return format_; }

    void append(const int16_t* samples, size_t frameCount) {
        std::lock_guard lock(mutex_);
        sf_writef_short(file_, samples, static_cast<sf_count_t>(frameCount));
    }

private:
    CaptureFile(SNDFILE* file, const AudioFormat& format) : file_(file), format_(format) {}

    std::mutex mutex_;
    SNDFILE* file_;
    AudioFormat format_;
};

class CaptureOutput final : public PacedOutput {
public:
    CaptureOutput(const AudioFormat& format, std::shared_ptr<CaptureFile> file, double pace,
                  std::string path)
        : PacedOutput(format, pace), file_(std::move(file)), path_(std::move(path)) {
        if (file_->format().sampleRate != format.sampleRate) {
            int error = 0;
            resampler_ = src_new(SRC_LINEAR, file_->format().channels, &error);
        }
    }

    ~CaptureOutput() override {
        stopPacing();
        if (resampler_ != nullptr)
            src_delete(resampler_);
    }

    std::string describe() const override { return "capture:" + path_; }

protected:
    void consume(const int16_t* samples, size_t frameCount) override {
        const AudioFormat& in = format();
        const AudioFormat& out = file_->format();
        if (in == out) {
            file_->append(samples, frameCount);
            return;
        }
        // Map channels first (average down, repeat up), then the rate.
        mapped_.resize(frameCount * static_cast<size_t>(out.channels));
        for (size_t f = 0; f < frameCount; ++f) {
            const int16_t* frame = samples + f * static_cast<size_t>(in.channels);
            float mono = 0.0f;
            for (int c = 0; c < in.channels; ++c)
                mono += frame[c];
            mono /= static_cast<float>(in.channels);
            for (int c = 0; c < out.channels; ++c) {
                const float value = in.channels == out.channels ? frame[c] : mono;
                mapped_[f * static_cast<size_t>(out.channels) + static_cast<size_t>(c)] =
                    value / 32768.0f;
            }
        }
        if (resampler_ == nullptr) {
            converted_.resize(mapped_.size());
            src_float_to_short_array(mapped_.data(), converted_.data(),
                                     static_cast<int>(mapped_.size()));
            file_->append(converted_.data(), frameCount);
            return;
        }
        const double ratio = static_cast<double>(out.sampleRate) / in.sampleRate;
        resampled_.resize(static_cast<size_t>(std::ceil(frameCount * ratio) + 16) *
                          static_cast<size_t>(out.channels));
        SRC_DATA data{};
        data.data_in = mapped_.data();
        data.input_frames = static_cast<long>(frameCount);
        data.data_out = resampled_.data();
        data.output_frames = static_cast<long>(resampled_.size() / out.channels);
        data.src_ratio = ratio;
        if (src_process(resampler_, &data) != 0)
            return;
        const size_t produced = static_cast<size_t>(data.output_frames_gen);
        converted_.resize(produced * static_cast<size_t>(out.channels));
        src_float_to_short_array(resampled_.data(), converted_.data(),
                                 static_cast<int>(converted_.size()));
        file_->append(converted_.data(), produced);
    }

private:
    std::shared_ptr<CaptureFile> file_;
    std::string path_;
    SRC_STATE* resampler_ = nullptr;
    std::vector<float> mapped_, resampled_;
    std::vector<int16_t> converted_;
};

}  // namespace

std::unique_ptr<AudioOutput> openCaptureOutput(const AudioFormat& format, const std::string& path,
                                               std::string* error, double paceFactor) {
    if (path.empty()) {
        if (error)
            *error = "no capture file named";
        return nullptr;
    }
    auto file = CaptureFile::open(path, format, error);
    if (!file)
        return nullptr;
    return std::make_unique<CaptureOutput>(format, std::move(file), paceFactor, path);
}

}  // namespace lenvoro::audio
