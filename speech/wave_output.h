// Speaking to a wave file: a text read by a voice of its own into a file in
// one of 36 PCM formats, instead of to the loudspeaker.
//
// The file is written only by the engine's file stream, which writes beside
// the path and puts the file in place when it is closed. A call that cannot
// finish therefore leaves the path as it was: no file, or the old one whole.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace lenvoro {

// The library numbers its formats 0..35; the engine numbers the same formats
// 4..39 (8 kHz 8-bit mono .. 48 kHz 16-bit stereo).
constexpr int32_t kEngineFormatOffset = 4;
constexpr int32_t kWaveFormatCount = 36;

// One of the 36 formats, by the rule that orders them: nine sample rates,
// each as 8-bit mono, 8-bit stereo, 16-bit mono and 16-bit stereo.
struct WaveFormatInfo {
    int32_t engineFormat;  // format + 4
    int32_t sampleRate;    // Hz
    int32_t bitsPerSample;
    int32_t channels;
    std::u16string_view name;  // "22kHz 16 Bit Mono", as the voice-setting dialog lists it

    int32_t blockAlign() const { return channels * bitsPerSample / 8; }
    int32_t bytesPerSecond() const { return blockAlign() * sampleRate; }
};

// Nothing outside 0..35.
std::optional<WaveFormatInfo> WaveFormatFor(int32_t format);

// What a wave call is asked, its texts already UTF-16 (the ANSI exports
// convert first). The text is read only once the arguments have passed their
// checks, so a refused call never converts a long text.
struct WaveRequest {
    std::function<std::u16string()> text;
    std::u16string_view file;
    int32_t mode = 10;
    int32_t voice = -1;
    int32_t rate = -1;
    int32_t volume = -1;
    int32_t format = 0;
    int32_t punctuation = 1;
    std::optional<std::u16string_view> page;  // nothing: keep the current page
};

// Lenvoro_SpeakToWave in every form. Results:
//   0   retired state (information dialog), or an argument out of range,
//       including a mixed-mode voice that names no voice pair (parameter error);
//   10  the file is written, or the text was empty (nothing written);
//   20  mode 20: a voice of the markup is missing (prompt shown); or the file
//       cannot be written (missing folder, no permission, a path over 255
//       characters, a disk that fills up) or the engine cannot speak;
//   40  out of memory;
//   50..90 mode 10: the chosen voice is missing (prompt shown).
// Whatever it returns other than 10 after a non-empty text, the path is left
// as it was. Like a reading, it leaves the reader not idle (and not paused)
// until the end of some later reading is heard, and it plays the reading
// voice's output in the chosen format until the next speaking call replaces
// that voice.
int32_t SpeakToWave(const WaveRequest& request);

}  // namespace lenvoro
