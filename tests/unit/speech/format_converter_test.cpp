#include "engine/format_converter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace lenvoro::engine {
namespace {

std::vector<int16_t> tone(size_t count) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>(
            std::lround(12000.0 * std::sin(i * 0.05) + 3000.0 * std::sin(i * 0.31)));
    }
    return samples;
}

std::vector<int16_t> convertInBlocks(const StreamFormat& format, const std::vector<int16_t>& input,
                                     size_t blockSamples, float gain = 1.0f) {
    FormatConverter converter(format);
    std::vector<int16_t> out;
    for (size_t at = 0; at < input.size(); at += blockSamples) {
        const auto frames =
            converter.convert(input.data() + at, std::min(blockSamples, input.size() - at), gain);
        out.insert(out.end(), frames.begin(), frames.end());
    }
    const auto rest = converter.flush();
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

TEST(FormatConverter, DoublingTheRateInsertsTheMidpointsAndHoldsTheLastSample) {
    const StreamFormat stereo44 = *streamFormatFromId(35);
    const std::vector<int16_t> input = {0, 1000, -1000, 3000};
    const std::vector<int16_t> expected = {0,     0,     500,  500,  1000, 1000, 0,    0,
                                           -1000, -1000, 1000, 1000, 3000, 3000, 3000, 3000};
    EXPECT_EQ(convertInBlocks(stereo44, input, input.size()), expected);
    EXPECT_EQ(convertInBlocks(stereo44, input, 1), expected);
}

TEST(FormatConverter, EveryFormatKeepsTheDurationAndBlockSizesDoNotChangeRaisedOrCopiedAudio) {
    const auto input = tone(22050);
    for (int32_t id = kFirstPcmFormat; id <= kLastPcmFormat; ++id) {
        SCOPED_TRACE("format " + std::to_string(id));
        const StreamFormat format = *streamFormatFromId(id);
        const auto whole = convertInBlocks(format, input, input.size());
        ASSERT_EQ(whole.size() % static_cast<size_t>(format.channels), 0u);
        const double frames = static_cast<double>(whole.size()) / format.channels;
        EXPECT_NEAR(frames, format.sampleRate, format.sampleRate * 0.002);
        for (size_t block : {1u, 7u, 441u, 1060u}) {
            const auto pieces = convertInBlocks(format, input, block);
            if (format.sampleRate >= 22050) {
                EXPECT_EQ(pieces, whole)
                    << "blocks of " << block;  // integer arithmetic, no state lost
            } else {
                EXPECT_NEAR(static_cast<double>(pieces.size()), static_cast<double>(whole.size()),
                            whole.size() * 0.002);
            }
        }
        for (size_t i = 0; format.channels == 2 && i < whole.size(); i += 2) {
            ASSERT_EQ(whole[i], whole[i + 1]) << "frame " << i / 2;
        }
    }
}

TEST(FormatConverter, RaisedAudioFollowsTheSignalWithinInterpolationError) {
    const auto input = tone(4410);
    for (int32_t id : {26, 30, 34, 38}) {  // 24, 32, 44.1, 48 kHz 16-bit mono
        const StreamFormat format = *streamFormatFromId(id);
        SCOPED_TRACE(format.sampleRate);
        const auto out = convertInBlocks(format, input, 333);
        const double step = 22050.0 / format.sampleRate;
        for (size_t n = 0; n + 1 < out.size() && (n + 1) * step < input.size() - 1; ++n) {
            const double at = n * step;
            const auto i = static_cast<size_t>(at);
            const double exact = input[i] + (input[i + 1] - input[i]) * (at - i);
            ASSERT_NEAR(out[n], exact, 2.0) << "frame " << n;
        }
    }
}

TEST(FormatConverter, GainScalesEveryRateAndFlushStartsAFreshSignal) {
    const auto input = tone(2205);
    for (int32_t id : {6, 22, 35}) {  // 8, 22.05 and 44.1 kHz
        SCOPED_TRACE("format " + std::to_string(id));
        const StreamFormat format = *streamFormatFromId(id);
        const auto full = convertInBlocks(format, input, 500);
        const auto half = convertInBlocks(format, input, 500, 0.5f);
        ASSERT_EQ(full.size(), half.size());
        for (size_t i = 0; i < full.size(); ++i)
            ASSERT_NEAR(half[i], full[i] / 2.0, 2.0) << i;
        // Louder than unity is not a gain the engine gives: it is held at 1.
        EXPECT_EQ(convertInBlocks(format, input, 500, 4.0f), full);

        FormatConverter converter(format);
        std::vector<int16_t> first, second;
        for (auto* out : {&first, &second}) {
            const auto frames = converter.convert(input.data(), input.size(), 1.0f);
            out->assign(frames.begin(), frames.end());
            const auto rest = converter.flush();
            out->insert(out->end(), rest.begin(), rest.end());
        }
        EXPECT_EQ(first, second);
    }
}

}  // namespace
}  // namespace lenvoro::engine
