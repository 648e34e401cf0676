#include "format_converter.h"

#include <algorithm>
#include <cmath>

#include "synthesizer.h"

namespace lenvoro::engine {

FormatConverter::FormatConverter(const StreamFormat& target) : target_(target) {
    ratio_ = static_cast<double>(target.sampleRate) / Synthesizer::kSampleRate;
    if (target.sampleRate != Synthesizer::kSampleRate) {
        // Linear interpolation is plenty for raising the rate of speech whose
        // energy lies far below 11 kHz, and it keeps writing a 44.1 kHz file
        // cheaper than synthesising it. Lowering the rate needs a real
        // low-pass filter, or the upper voice bands fold back as noise.
        int error = 0;
        resampler_ = src_new(ratio_ > 1.0 ? SRC_LINEAR : SRC_SINC_FASTEST, 1, &error);
    }
}

FormatConverter::~FormatConverter() {
    if (resampler_ != nullptr) src_delete(resampler_);
}

void FormatConverter::convert(const int16_t* samples, size_t count, float gain,
                              std::vector<int16_t>& out) {
    if (count == 0) return;
    const size_t channels = static_cast<size_t>(target_.channels);
    if (resampler_ == nullptr) {
        const size_t start = out.size();
        out.resize(start + count * channels);
        for (size_t i = 0; i < count; ++i) {
            const auto value = gain >= 1.0f ? samples[i]
                                            : static_cast<int16_t>(std::lround(samples[i] * gain));
            for (size_t c = 0; c < channels; ++c) out[start + i * channels + c] = value;
        }
        return;
    }
    input_.resize(count);
    const float scale = gain / 32768.0f;
    for (size_t i = 0; i < count; ++i) input_[i] = samples[i] * scale;
    process(count, false, out);
}

void FormatConverter::flush(std::vector<int16_t>& out) {
    if (resampler_ == nullptr) return;
    input_.clear();
    process(0, true, out);
    src_reset(resampler_);
}

void FormatConverter::process(size_t count, bool endOfInput, std::vector<int16_t>& out) {
    const size_t channels = static_cast<size_t>(target_.channels);
    output_.resize(static_cast<size_t>(std::ceil((count + 64) * ratio_)) + 64);
    SRC_DATA data{};
    data.data_in = input_.data();
    data.input_frames = static_cast<long>(count);
    data.src_ratio = ratio_;
    data.end_of_input = endOfInput ? 1 : 0;
    for (;;) {
        data.data_out = output_.data();
        data.output_frames = static_cast<long>(output_.size());
        if (src_process(resampler_, &data) != 0) return;
        const size_t produced = static_cast<size_t>(data.output_frames_gen);
        const size_t start = out.size();
        out.resize(start + produced * channels);
        for (size_t i = 0; i < produced; ++i) {
            const float v = std::clamp(output_[i] * 32768.0f, -32768.0f, 32767.0f);
            const auto value = static_cast<int16_t>(std::lrint(v));
            for (size_t c = 0; c < channels; ++c) out[start + i * channels + c] = value;
        }
        data.data_in += data.input_frames_used;
        data.input_frames -= data.input_frames_used;
        if (data.input_frames <= 0 && (produced == 0 || !endOfInput)) break;
        if (produced == 0 && data.input_frames_used == 0) break;
    }
}

void FormatConverter::quantizeTo8Bits(std::vector<int16_t>& samples, size_t from) {
    for (size_t i = from; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(samples[i] & ~0xFF);
    }
}

}  // namespace lenvoro::engine
