// Turns espeak-ng's 22.05 kHz mono samples into a stream format's rate and
// channels. Eight-bit formats keep 16-bit samples here; the file writer or
// quantizeTo8Bits() narrows them.
//
// Raising the rate is linear interpolation done here in integers: speech
// from espeak-ng has next to no energy near 11 kHz, so nothing better is
// heard, and at a few instructions per frame it keeps a 44.1 kHz file about
// as cheap to write as a 22.05 kHz one (libsamplerate's linear converter
// cost over a third of the synthesis itself). Lowering the rate needs a real
// low-pass filter, or the upper voice bands fold back as noise: that is
// libsamplerate's sinc converter.
#pragma once

#include <samplerate.h>

#include <cstdint>
#include <span>
#include <vector>

#include "stream_format.h"

namespace lenvoro::engine {

class FormatConverter {
public:
    explicit FormatConverter(const StreamFormat& target);
    ~FormatConverter();
    FormatConverter(const FormatConverter&) = delete;
    FormatConverter& operator=(const FormatConverter&) = delete;

    const StreamFormat& target() const { return target_; }

    // The interleaved frames of count input samples scaled by gain (at most
    // 1). Consecutive calls form one continuous signal. The frames live in
    // the converter and stay valid until its next call.
    std::span<int16_t> convert(const int16_t* samples, size_t count, float gain);
    // What the rate converter still holds; the next call starts afresh.
    std::span<int16_t> flush();

    // Cuts samples to 8-bit precision, as an 8-bit format would play them.
    static void quantizeTo8Bits(std::span<int16_t> samples);

private:
    // Room for count more samples after used, in a buffer that only grows
    // (so it is not cleared again for every block).
    int16_t* room(size_t used, size_t count);
    template <size_t Channels>
    size_t raise(const int16_t* samples, size_t count, int32_t gainQ16);
    template <size_t Channels>
    size_t doubleRate(const int16_t* samples, size_t count, int32_t gainQ16);
    size_t lower(size_t count, bool endOfInput);

    StreamFormat target_;
    size_t channels_ = 1;

    // Raising: output frame n lies at input position n * step / period.
    // phase_ counts in 1/period steps between previous_ and the next sample.
    std::vector<int32_t> weightsQ15_;  // weight of the next sample at each phase
    uint32_t phaseStep_ = 0;
    uint32_t phasePeriod_ = 0;
    uint32_t phase_ = 0;
    int32_t previous_ = 0;
    bool havePrevious_ = false;

    // Lowering
    double ratio_ = 1.0;
    SRC_STATE* resampler_ = nullptr;
    std::vector<float> input_;
    std::vector<float> output_;

    std::vector<int16_t> frames_;
};

}  // namespace lenvoro::engine
