#include "synthesizer.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <sonic.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "text.h"

namespace lenvoro::engine {

namespace {

// Samples per callback: small, so the first audio reaches the output soon.
constexpr int kCallbackBufferMs = 20;

// espeak-ng refuses to speak slower than this; below it we slow its output
// down ourselves with sonic. Above its maximum espeak-ng uses sonic itself.
constexpr int kEspeakSlowestWordsPerMinute = espeakRATE_MINIMUM;

// The state of the synthesize() call in progress; only touched under the lock.
struct Synthesis {
    SynthesisSink* sink = nullptr;
    size_t textLength = 0;
    sonicStream slowDown = nullptr;
    double sampleScale = 1.0;  // output samples per espeak-ng sample
    uint64_t samplesIn = 0;    // espeak-ng samples before the current callback
    uint64_t samplesOut = 0;
    bool stopped = false;
    std::vector<int16_t> buffer;
};
Synthesis* current = nullptr;

bool deliver(Synthesis& s, const int16_t* samples, size_t count) {
    if (count == 0 || s.stopped) return !s.stopped;
    s.samplesOut += count;
    if (!s.sink->onAudio(samples, count)) s.stopped = true;
    return !s.stopped;
}

bool deliverSlowed(Synthesis& s) {
    for (;;) {
        s.buffer.resize(4096);
        const int read = sonicReadShortFromStream(s.slowDown, s.buffer.data(), 4096);
        if (read <= 0) return !s.stopped;
        if (!deliver(s, s.buffer.data(), static_cast<size_t>(read))) return false;
    }
}

int onEspeakOutput(short* samples, int count, espeak_EVENT* events) {
    Synthesis* s = current;
    if (s == nullptr || s->stopped) return 1;
    const uint64_t bufferStart = s->samplesIn;
    const uint64_t bufferEnd = bufferStart + static_cast<uint64_t>(std::max(count, 0));
    s->samplesIn = bufferEnd;
    for (espeak_EVENT* e = events; e != nullptr && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type != espeakEVENT_WORD) continue;
        if (e->text_position < 1) continue;
        const size_t index = std::min(static_cast<size_t>(e->text_position - 1), s->textLength);
        const size_t length = std::clamp<size_t>(static_cast<size_t>(std::max(e->length, 1)), 1,
                                                 s->textLength - std::min(index, s->textLength));
        if (index >= s->textLength) continue;
        // An event belongs to the buffer it comes with. Above its own speed
        // range espeak-ng speeds its audio up after placing the events, so
        // their positions can lie past the buffer's end, even past the end of
        // the whole text; such a word is heard at the end of its buffer.
        const uint64_t espeakSample =
            std::clamp(static_cast<uint64_t>(std::max(e->sample, 0)), bufferStart, bufferEnd);
        const auto sample = static_cast<uint64_t>(std::llround(espeakSample * s->sampleScale));
        s->sink->onWord(sample, index, length);
    }
    if (samples == nullptr || count <= 0) return s->stopped ? 1 : 0;
    if (s->slowDown != nullptr) {
        sonicWriteShortToStream(s->slowDown, samples, count);
        return deliverSlowed(*s) ? 0 : 1;
    }
    return deliver(*s, samples, static_cast<size_t>(count)) ? 0 : 1;
}

bool hasEspeakData(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::filesystem::path(path) / "phontab", error);
}

}  // namespace

Synthesizer& Synthesizer::instance() {
    static Synthesizer synthesizer;
    return synthesizer;
}

int Synthesizer::wordsPerMinute(int rate) {
    rate = std::clamp(rate, -10, 10);
    return static_cast<int>(std::lround(kNormalWordsPerMinute * std::pow(3.0, rate / 10.0)));
}

Result Synthesizer::initialize() {
    std::lock_guard lock(mutex_);
    if (initialized_) return initializeResult_;
    initialized_ = true;
    const char* override = std::getenv("LENVORO_ESPEAK_DATA");
    if (override != nullptr && *override != '\0') {
        // espeak-ng would quietly fall back to its own data; we want a clear failure.
        std::string path = override;
        if (!hasEspeakData(path) && hasEspeakData(path + "/espeak-ng-data")) path += "/espeak-ng-data";
        if (!hasEspeakData(path)) return initializeResult_ = kEngineDataMissing;
        espeak_ng_InitializePath(path.c_str());
    } else {
        espeak_ng_InitializePath(nullptr);
    }
    const char* dataPath = nullptr;
    espeak_Info(&dataPath);
    dataPath_ = dataPath != nullptr ? dataPath : "";
    if (!hasEspeakData(dataPath_)) return initializeResult_ = kEngineDataMissing;

    espeak_ng_ERROR_CONTEXT context = nullptr;
    if (espeak_ng_Initialize(&context) != ENS_OK) {
        espeak_ng_ClearErrorContext(&context);
        return initializeResult_ = kEngineDataMissing;
    }
    if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kCallbackBufferMs, nullptr) != ENS_OK) {
        return initializeResult_ = kFail;
    }
    espeak_SetSynthCallback(onEspeakOutput);
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v != nullptr && *v != nullptr; ++v) {
        const espeak_VOICE* voice = *v;
        const std::string identifier = voice->identifier != nullptr ? voice->identifier : "";
        if (identifier.rfind("mb/", 0) == 0) continue;  // MBROLA voices need programs we do not ship
        if (voice->name != nullptr) voiceNames_.insert(asciiLower(voice->name));
        voiceNames_.insert(asciiLower(identifier.substr(identifier.find('/') + 1)));
        // languages: (priority byte, name, NUL) repeated, ended by a zero byte
        for (const char* l = voice->languages; l != nullptr && *l != 0;) {
            const std::string language = l + 1;
            voiceNames_.insert(asciiLower(language));
            l += language.size() + 2;
        }
    }
    if (voiceNames_.empty()) return initializeResult_ = kEngineDataMissing;
    return initializeResult_ = kOk;
}

void Synthesizer::restoreAfterDirectUse() {
    if (succeeded(initializeResult_)) espeak_SetSynthCallback(onEspeakOutput);
    selected_.clear();
}

bool Synthesizer::canSpeak(const EspeakVoice& voice) {
    if (failed(initialize())) return false;
    std::lock_guard lock(mutex_);
    return canSpeakLocked(voice);
}

bool Synthesizer::canSpeakLocked(const EspeakVoice& voice) {
    if (voice.name.empty() || !voiceNames_.contains(asciiLower(voice.name))) return false;
    if (voice.variant.empty()) return true;
    if (voice.variant.find_first_of("/\\+") != std::string::npos || voice.variant[0] == '.') {
        return false;
    }
    std::error_code error;
    return std::filesystem::is_regular_file(
        std::filesystem::path(dataPath_) / "voices" / "!v" / voice.variant, error);
}

Result Synthesizer::selectVoice(const EspeakVoice& voice) {
    if (!canSpeakLocked(voice)) return kNotFound;
    const std::string name = voice.variant.empty() ? voice.name : voice.name + "+" + voice.variant;
    if (name != selected_) {
        if (espeak_SetVoiceByName(name.c_str()) != EE_OK) {
            // A failed selection leaves espeak-ng unable to speak: go back to
            // the last voice that worked, or to a plain one.
            const std::string fallback = selected_.empty() ? "en-us" : selected_;
            selected_.clear();
            if (espeak_SetVoiceByName(fallback.c_str()) == EE_OK) selected_ = fallback;
            return kNotFound;
        }
        selected_ = name;
    }
    espeak_SetParameter(espeakPITCH, std::clamp(voice.pitch, 0, 100), 0);
    espeak_SetParameter(espeakRANGE, std::clamp(voice.range, 0, 100), 0);
    return kOk;
}

Result Synthesizer::synthesize(std::u32string_view text, const EspeakVoice& voice, int rate,
                               bool endPause, SynthesisSink& sink) {
    if (Result result = initialize(); failed(result)) return result;
    if (text.empty()) return kOk;
    std::wstring wide(text.begin(), text.end());  // wchar_t holds UTF-32 on Linux
    std::lock_guard lock(mutex_);
    if (Result result = selectVoice(voice); failed(result)) return result;

    Synthesis synthesis;
    synthesis.sink = &sink;
    synthesis.textLength = text.size();
    const int wordsPerMinute = Synthesizer::wordsPerMinute(rate);
    if (wordsPerMinute < kEspeakSlowestWordsPerMinute) {
        synthesis.slowDown = sonicCreateStream(kSampleRate, 1);
        if (synthesis.slowDown == nullptr) return kOutOfMemory;
        const float speed = static_cast<float>(wordsPerMinute) / kEspeakSlowestWordsPerMinute;
        sonicSetSpeed(synthesis.slowDown, speed);
        synthesis.sampleScale = 1.0 / speed;
        espeak_SetParameter(espeakRATE, kEspeakSlowestWordsPerMinute, 0);
    } else {
        espeak_SetParameter(espeakRATE, wordsPerMinute, 0);
    }
    current = &synthesis;
    const espeak_ERROR status =
        espeak_Synth(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t), 0, POS_CHARACTER, 0,
                     espeakCHARS_WCHAR | (endPause ? espeakENDPAUSE : 0), nullptr, nullptr);
    if (synthesis.slowDown != nullptr) {
        if (!synthesis.stopped) {
            sonicFlushStream(synthesis.slowDown);
            deliverSlowed(synthesis);
        }
        sonicDestroyStream(synthesis.slowDown);
    }
    current = nullptr;
    if (synthesis.stopped) return kFalse;
    return status == EE_OK ? kOk : kFail;
}

}  // namespace lenvoro::engine
