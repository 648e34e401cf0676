// Turns espeak-ng's 22.05 kHz mono samples into a stream format's rate and
// channels (libsamplerate). Eight-bit formats keep 16-bit samples here; the
// file writer or quantize() narrows them.
#pragma once

#include <samplerate.h>

#include <cstdint>
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

    // Appends the converted frames of count input samples, scaled by gain.
    void convert(const int16_t* samples, size_t count, float gain, std::vector<int16_t>& out);
    // Appends what the rate converter still holds, then starts afresh.
    void flush(std::vector<int16_t>& out);

    // Cuts samples to 8-bit precision, as an 8-bit format would play them.
    static void quantizeTo8Bits(std::vector<int16_t>& samples, size_t from);

private:
    void process(size_t count, bool endOfInput, std::vector<int16_t>& out);

    StreamFormat target_;
    double ratio_ = 1.0;
    SRC_STATE* resampler_ = nullptr;
    std::vector<float> input_;
    std::vector<float> output_;
};

}  // namespace lenvoro::engine
