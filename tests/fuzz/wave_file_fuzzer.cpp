// The wave-file reader behind the game's recordings, for any file content:
// whatever libsndfile makes of it, what comes back keeps to the reader's
// bounds and holds whole frames.
#include "fuzz_support.h"
#include "lenvoro_audio/wave_file.h"

namespace {

fuzz::ScratchFile& waveFile() {
    static fuzz::ScratchFile file;
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lenvoro::audio;
    waveFile().write(fuzz::bytesOf(data, size));
    std::string error;
    const auto wave = readWaveFile(waveFile().path(), &error);
    if (!wave) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(wave->format.channels >= 1 && wave->format.channels <= kMaxWaveChannels);
    FUZZ_CHECK(wave->format.sampleRate > 0);
    FUZZ_CHECK(wave->samples.size() % static_cast<size_t>(wave->format.channels) == 0);
    FUZZ_CHECK(wave->samples.size() <= kMaxWaveSamples);

    // A caller's frame limit refuses a longer file and changes nothing in a
    // shorter one.
    constexpr size_t kFewFrames = 4000;
    const auto limited = readWaveFile(waveFile().path(), &error, kFewFrames);
    if (wave->frameCount() <= kFewFrames && limited) {
        FUZZ_CHECK(limited->samples == wave->samples);
        FUZZ_CHECK(limited->format.sampleRate == wave->format.sampleRate);
    }
    FUZZ_CHECK(!limited || limited->frameCount() <= kFewFrames);
    return 0;
}
