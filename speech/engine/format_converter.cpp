#include "format_converter.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "synthesizer.h"

namespace lenvoro::engine {

namespace {

constexpr int32_t kUnityGainQ16 = 1 << 16;
constexpr int kWeightBits = 15;

int32_t applyGain(int32_t sample, int32_t gainQ16) {
    return gainQ16 >= kUnityGainQ16 ? sample : (sample * gainQ16 + (1 << 15)) >> 16;
}

// The two frames that a sample yields when the rate is doubled: the sample
// before it, then the midpoint (rounded down, as raise() rounds).
template <size_t Channels>
void writeDoubled(int32_t previous, int32_t next, int16_t* out) {
    const auto middle = static_cast<int16_t>(previous + ((next - previous) >> 1));
    for (size_t c = 0; c < Channels; ++c) {
        out[c] = static_cast<int16_t>(previous);
        out[Channels + c] = middle;
    }
}

// writeDoubled() for each neighbouring pair of in[0..count), into out. Runs
// of a fixed length without aliasing let the compiler vectorise at -O2.
template <size_t Channels>
void writeDoubledPairs(const int16_t* __restrict in, size_t count, int16_t* __restrict out) {
    constexpr size_t kRun = 16;
    size_t k = 1;
    for (; k + kRun <= count; k += kRun) {
        const int16_t* __restrict previous = in + k - 1;
        const int16_t* __restrict next = in + k;
        int16_t* __restrict frames = out + 2 * (k - 1) * Channels;
        for (size_t j = 0; j < kRun; ++j) {
            const int32_t before = previous[j];
            const auto middle = static_cast<int16_t>(before + ((next[j] - before) >> 1));
            for (size_t c = 0; c < Channels; ++c) {
                frames[2 * j * Channels + c] = static_cast<int16_t>(before);
                frames[(2 * j + 1) * Channels + c] = middle;
            }
        }
    }
    for (; k < count; ++k)
        writeDoubled<Channels>(in[k - 1], in[k], out + 2 * (k - 1) * Channels);
}

}  // namespace

FormatConverter::FormatConverter(const StreamFormat& target)
    : target_(target), channels_(static_cast<size_t>(std::max(target.channels, 1))) {
    const int sourceRate = Synthesizer::kSampleRate;
    ratio_ = static_cast<double>(target.sampleRate) / sourceRate;
    if (target.sampleRate > sourceRate) {
        const int common = std::gcd(sourceRate, target.sampleRate);
        phaseStep_ = static_cast<uint32_t>(sourceRate / common);
        phasePeriod_ = static_cast<uint32_t>(target.sampleRate / common);
        weightsQ15_.resize(phasePeriod_);
        for (uint32_t p = 0; p < phasePeriod_; ++p) {
            weightsQ15_[p] =
                static_cast<int32_t>((static_cast<uint64_t>(p) << kWeightBits) / phasePeriod_);
        }
    } else if (target.sampleRate < sourceRate) {
        int error = 0;
        resampler_ = src_new(SRC_SINC_FASTEST, 1, &error);
    }
}

FormatConverter::~FormatConverter() {
    if (resampler_ != nullptr)
        src_delete(resampler_);
}

int16_t* FormatConverter::room(size_t used, size_t count) {
    if (frames_.size() < used + count)
        frames_.resize(used + count);
    return frames_.data() + used;
}

std::span<int16_t> FormatConverter::convert(const int16_t* samples, size_t count, float gain) {
    if (count == 0)
        return {};
    const auto gainQ16 =
        static_cast<int32_t>(std::lround(std::clamp(gain, 0.0f, 1.0f) * kUnityGainQ16));
    if (phasePeriod_ != 0) {
        size_t frames = 0;
        if (phasePeriod_ == 2 && phaseStep_ == 1) {
            frames = channels_ == 2 ? doubleRate<2>(samples, count, gainQ16)
                                    : doubleRate<1>(samples, count, gainQ16);
        } else {
            frames = channels_ == 2 ? raise<2>(samples, count, gainQ16)
                                    : raise<1>(samples, count, gainQ16);
        }
        return {frames_.data(), frames * channels_};
    }
    if (resampler_ == nullptr) {
        int16_t* frame = room(0, count * channels_);
        for (size_t i = 0; i < count; ++i, frame += channels_) {
            const auto value = static_cast<int16_t>(applyGain(samples[i], gainQ16));
            for (size_t c = 0; c < channels_; ++c)
                frame[c] = value;
        }
        return {frames_.data(), count * channels_};
    }
    input_.resize(count);
    const float scale = static_cast<float>(gainQ16) / kUnityGainQ16 / 32768.0f;
    for (size_t i = 0; i < count; ++i)
        input_[i] = samples[i] * scale;
    const size_t used = lower(count, false);  // may move frames_
    return {frames_.data(), used};
}

template <size_t Channels>
size_t FormatConverter::raise(const int16_t* samples, size_t count, int32_t gainQ16) {
    size_t i = 0;
    if (!havePrevious_) {
        previous_ = applyGain(samples[i++], gainQ16);
        havePrevious_ = true;
    }
    // At most period/step frames per sample, and one more for where the last block stopped.
    int16_t* const first = room(0, ((count * phasePeriod_) / phaseStep_ + 2) * Channels);
    int16_t* frame = first;
    const int32_t* weights = weightsQ15_.data();
    uint32_t phase = phase_;
    int32_t previous = previous_;
    // Each input sample ends the span from previous and yields the frames inside it.
    for (; i < count; ++i) {
        const int32_t next = applyGain(samples[i], gainQ16);
        const int32_t rise = next - previous;
        for (; phase < phasePeriod_; phase += phaseStep_, frame += Channels) {
            const auto value =
                static_cast<int16_t>(previous + ((rise * weights[phase]) >> kWeightBits));
            frame[0] = value;
            if constexpr (Channels == 2)
                frame[1] = value;
        }
        phase -= phasePeriod_;
        previous = next;
    }
    phase_ = phase;
    previous_ = previous;
    return static_cast<size_t>(frame - first) / Channels;
}

template <size_t Channels>
size_t FormatConverter::doubleRate(const int16_t* samples, size_t count, int32_t gainQ16) {
    // raise() with one step in a period of two, without its phase table.
    size_t i = 0;
    if (!havePrevious_) {
        previous_ = applyGain(samples[i++], gainQ16);
        havePrevious_ = true;
    }
    const size_t frames = 2 * (count - i);
    int16_t* out = room(0, frames * Channels);
    if (i == count)
        return 0;
    const int32_t first = applyGain(samples[i], gainQ16);
    writeDoubled<Channels>(previous_, first, out);
    previous_ = first;
    out += 2 * Channels;
    if (gainQ16 >= kUnityGainQ16) {
        writeDoubledPairs<Channels>(samples + i, count - i, out);
        previous_ = samples[count - 1];
        return frames;
    }
    for (++i; i < count; ++i, out += 2 * Channels) {
        const int32_t next = applyGain(samples[i], gainQ16);
        writeDoubled<Channels>(previous_, next, out);
        previous_ = next;
    }
    return frames;
}

std::span<int16_t> FormatConverter::flush() {
    if (phasePeriod_ != 0) {
        // The frames after the last sample hold its value, so the output
        // lasts exactly as long as the input.
        size_t used = 0;
        if (havePrevious_) {
            for (; phase_ < phasePeriod_; phase_ += phaseStep_) {
                int16_t* frame = room(used, channels_);
                for (size_t c = 0; c < channels_; ++c)
                    frame[c] = static_cast<int16_t>(previous_);
                used += channels_;
            }
        }
        phase_ = 0;
        havePrevious_ = false;
        return {frames_.data(), used};
    }
    if (resampler_ == nullptr)
        return {};
    input_.clear();
    const size_t used = lower(0, true);
    src_reset(resampler_);
    return {frames_.data(), used};
}

size_t FormatConverter::lower(size_t count, bool endOfInput) {
    output_.resize(static_cast<size_t>(std::ceil((count + 64) * ratio_)) + 64);
    SRC_DATA data{};
    data.data_in = input_.data();
    data.input_frames = static_cast<long>(count);
    data.src_ratio = ratio_;
    data.end_of_input = endOfInput ? 1 : 0;
    size_t used = 0;
    for (;;) {
        data.data_out = output_.data();
        data.output_frames = static_cast<long>(output_.size());
        if (src_process(resampler_, &data) != 0)
            break;
        const size_t produced = static_cast<size_t>(data.output_frames_gen);
        int16_t* frame = room(used, produced * channels_);
        for (size_t i = 0; i < produced; ++i, frame += channels_) {
            const float v = std::clamp(output_[i] * 32768.0f, -32768.0f, 32767.0f);
            const auto value = static_cast<int16_t>(std::lrint(v));
            for (size_t c = 0; c < channels_; ++c)
                frame[c] = value;
        }
        used += produced * channels_;
        data.data_in += data.input_frames_used;
        data.input_frames -= data.input_frames_used;
        if (data.input_frames <= 0 && (produced == 0 || !endOfInput))
            break;
        if (produced == 0 && data.input_frames_used == 0)
            break;
    }
    return used;
}

void FormatConverter::quantizeTo8Bits(std::span<int16_t> samples) {
    for (int16_t& sample : samples)
        sample = static_cast<int16_t>(sample & ~0xFF);
}

}  // namespace lenvoro::engine
