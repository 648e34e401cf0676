// The one door to espeak-ng.
//
// espeak-ng keeps its state in globals and is not reentrant, so every call
// into it goes through this object and one lock: voices take turns, one piece
// of text at a time. The lock is never held while waiting for anything else.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

#include "result.h"

namespace lenvoro::engine {

// What a voice token asks espeak-ng for.
struct EspeakVoice {
    std::string name = "en-us";  // espeak-ng voice name or language
    std::string variant;         // a file of espeak-ng's variant folder, or empty
    int pitch = 50;              // 0..100
    int range = 50;              // 0..100

    bool operator==(const EspeakVoice&) const = default;
};

// Receives what one synthesize() call produces, on the calling thread.
class SynthesisSink {
public:
    virtual ~SynthesisSink() = default;
    // A word starts at sampleOffset (samples from the start of this call); it
    // covers count characters of the text from index.
    virtual void onWord(uint64_t sampleOffset, size_t index, size_t count) = 0;
    // 22.05 kHz mono samples in order. Return false to stop at once.
    virtual bool onAudio(const int16_t* samples, size_t count) = 0;
};

class Synthesizer {
public:
    static constexpr int kSampleRate = 22050;
    static constexpr int kNormalWordsPerMinute = 175;

    static Synthesizer& instance();

    // Starts espeak-ng on first use; later calls return the first result.
    // kEngineDataMissing when the data folder (LENVORO_ESPEAK_DATA, else
    // espeak-ng's own) holds no espeak-ng data.
    Result initialize();

    // True when espeak-ng can speak this voice: a known, non-MBROLA voice and
    // an existing variant. Selecting anything else can break espeak-ng.
    bool canSpeak(const EspeakVoice& voice);

    // Speaks text in one go; blocks while another voice is synthesising.
    // endPause adds the pause that ends a sentence. A Mandarin voice reads
    // the text's readings (see mandarin_text.h), its Latin words in English;
    // words are still reported in characters of text. Returns kOk, kFalse
    // when the sink stopped it, or a failure.
    Result synthesize(std::u32string_view text, const EspeakVoice& voice, int rate, bool endPause,
                      SynthesisSink& sink);

    // Runs work with espeak-ng to itself, for code that calls espeak-ng
    // directly (benchmarks that compare against it). Afterwards our callback
    // is back in place and the next synthesis selects its voice afresh.
    template <typename Work>
    void runExclusively(Work&& work) {
        initialize();
        std::lock_guard lock(mutex_);
        work();
        restoreAfterDirectUse();
    }

    // The engine's rate -10..10 as espeak-ng words per minute: 175 * 3^(rate/10).
    static int wordsPerMinute(int rate);

    // Receives the phonemes espeak-ng spoke for each piece of text handed to
    // it, in the notation of `espeak-ng -x` with tone numbers, and the
    // espeak-ng voice that spoke them. Called under the synthesis lock.
    using PhonemeListener =
        std::function<void(std::string_view espeakVoice, std::string_view phonemes)>;
    // Replaces the listener; an empty one stops the tracing. When
    // LENVORO_PHONEMES names a file at the start, a line per piece is added to
    // that file: the phonemes, after "(en) " (the voice's language) when not
    // read in Mandarin.
    void setPhonemeListener(PhonemeListener listener);

private:
    Synthesizer() = default;
    Result selectVoice(const EspeakVoice& voice);
    void restoreAfterDirectUse();
    bool canSpeakLocked(const EspeakVoice& voice);

    std::mutex mutex_;
    bool initialized_ = false;
    Result initializeResult_ = kUninitialized;
    std::string dataPath_;
    std::set<std::string> voiceNames_;  // lower case names, identifiers and languages
    std::string selected_;              // what espeak-ng has loaded now
    EspeakVoice selectedVoice_;
    PhonemeListener phonemeListener_;
};

}  // namespace lenvoro::engine
