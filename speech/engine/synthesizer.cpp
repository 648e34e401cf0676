#include "synthesizer.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <sonic.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "mandarin_text.h"
#include "speakable_text.h"
#include "text.h"

namespace lenvoro::engine {

namespace {

// Samples per callback: small, so the first audio reaches the output soon.
constexpr int kCallbackBufferMs = 20;

// espeak-ng refuses to speak slower than this; below it we slow its output
// down ourselves with sonic. Above its maximum espeak-ng uses sonic itself.
constexpr int kEspeakSlowestWordsPerMinute = espeakRATE_MINIMUM;

// The state of the synthesize() call in progress; only touched under the lock.
// One call may hand espeak-ng several pieces (the segments of a Mandarin
// voice's text); their audio and word positions run on as one.
struct SonicStreamDeleter {
    void operator()(sonicStream stream) const { sonicDestroyStream(stream); }
};

struct Synthesis {
    SynthesisSink* sink = nullptr;
    size_t textLength = 0;
    std::unique_ptr<std::remove_pointer_t<sonicStream>, SonicStreamDeleter> slowDown;
    double sampleScale = 1.0;  // output samples per espeak-ng sample
    uint64_t samplesIn = 0;    // espeak-ng samples before the current callback
    uint64_t samplesOut = 0;
    bool stopped = false;
    bool outOfMemory = false;  // the audio could not be passed on
    std::vector<int16_t> buffer;
    // The piece espeak-ng is reading: its events count samples from its own
    // start and characters of its own text, which source and sourceEnd (when
    // set) lead back to characters of the text given to synthesize().
    uint64_t pieceStart = 0;
    size_t pieceLength = 0;
    const std::vector<uint32_t>* source = nullptr;
    const std::vector<uint32_t>* sourceEnd = nullptr;
    // The last word reported, in characters of the text.
    size_t wordStart = 0;
    size_t wordsEnd = 0;
};
Synthesis* current = nullptr;

// One espeak_Synth call's worth of a synthesize() call.
struct Piece {
    std::wstring text;  // wchar_t holds UTF-32 on Linux
    std::vector<uint32_t> source;
    std::vector<uint32_t> sourceEnd;
    EspeakVoice voice;
    bool endPause = false;
};

bool endsClause(std::u32string_view text) {
    const size_t last = text.find_last_not_of(U" \n");
    if (last == std::u32string_view::npos)
        return false;
    const char32_t c = text[last];
    return c == U'.' || c == U'!' || c == U'?' || c == U';' || c == U':' || c == U',';
}

// What espeak-ng reads for text in voice: the text itself, or for a Mandarin
// voice its segments, each with the espeak-ng voice that reads it. Only the
// last piece adds the pause that ends a sentence; the others pause where
// their own punctuation asks for it.
std::vector<Piece> piecesFor(std::u32string_view text, const EspeakVoice& voice, bool endPause) {
    std::vector<Piece> pieces;
    if (!isMandarinVoice(voice.name)) {
        pieces.push_back({std::wstring(text.begin(), text.end()), {}, {}, voice, endPause});
        blankUnreadable(pieces.back().text);
        return pieces;
    }
    for (TextSegment& segment : mandarinSegments(text)) {
        if (segment.text.empty())
            continue;
        Piece piece;
        piece.text.assign(segment.text.begin(), segment.text.end());
        blankUnreadable(piece.text);
        piece.source = std::move(segment.source);
        piece.sourceEnd = std::move(segment.sourceEnd);
        piece.voice = voice;
        piece.voice.name =
            segment.language == SegmentLanguage::Pinyin ? kPinyinEspeakVoice : kEnglishEspeakVoice;
        piece.endPause = endsClause(segment.text);
        pieces.push_back(std::move(piece));
    }
    if (!pieces.empty())
        pieces.back().endPause = endPause;
    return pieces;
}

// espeak-ng's phoneme trace of one espeak_Synth call, written to a memory
// stream. Phoneme events would be simpler, but they carry no tones.
class PhonemeTrace {
public:
    explicit PhonemeTrace(bool wanted) {
        if (wanted)
            stream_ = open_memstream(&buffer_, &size_);
        if (stream_ != nullptr)
            espeak_SetPhonemeTrace(1, stream_);
    }
    ~PhonemeTrace() { finish(); }
    PhonemeTrace(const PhonemeTrace&) = delete;
    PhonemeTrace& operator=(const PhonemeTrace&) = delete;

    // The phonemes on one line: espeak-ng writes a line per clause.
    std::string finish() {
        if (stream_ == nullptr)
            return {};
        espeak_SetPhonemeTrace(0, nullptr);
        std::fclose(stream_);
        stream_ = nullptr;
        std::string line;
        for (size_t i = 0; i < size_; ++i) {
            const bool space = buffer_[i] == ' ' || buffer_[i] == '\n' || buffer_[i] == '\r';
            if (!space) {
                line += buffer_[i];
            } else if (!line.empty() && line.back() != ' ') {
                line += ' ';
            }
        }
        if (!line.empty() && line.back() == ' ')
            line.pop_back();
        std::free(buffer_);
        buffer_ = nullptr;
        return line;
    }

private:
    FILE* stream_ = nullptr;
    char* buffer_ = nullptr;
    size_t size_ = 0;
};

// The listener LENVORO_PHONEMES asks for: a line per piece, added to a file.
Synthesizer::PhonemeListener phonemeFileWriter(std::string path) {
    return [path = std::move(path)](std::string_view voice, std::string_view phonemes) {
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "a"), &std::fclose);
        if (!file)
            return;
        std::string line;
        if (!isMandarinVoice(voice)) {
            const std::string language = asciiLower(voice.substr(0, voice.find('-')));
            line = "(" + language + ") ";
        }
        line.append(phonemes);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), file.get());
    };
}

bool deliver(Synthesis& s, const int16_t* samples, size_t count) {
    if (count == 0 || s.stopped)
        return !s.stopped;
    s.samplesOut += count;
    if (!s.sink->onAudio(samples, count))
        s.stopped = true;
    return !s.stopped;
}

bool deliverSlowed(Synthesis& s) {
    for (;;) {
        s.buffer.resize(4096);
        const int read = sonicReadShortFromStream(s.slowDown.get(), s.buffer.data(), 4096);
        if (read <= 0)
            return !s.stopped;
        if (!deliver(s, s.buffer.data(), static_cast<size_t>(read)))
            return false;
    }
}

int passOnEspeakOutput(short* samples, int count, espeak_EVENT* events) {
    Synthesis* s = current;
    if (s == nullptr || s->stopped)
        return 1;
    const uint64_t bufferStart = s->samplesIn;
    const uint64_t bufferEnd = bufferStart + static_cast<uint64_t>(std::max(count, 0));
    s->samplesIn = bufferEnd;
    for (espeak_EVENT* e = events; e != nullptr && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        // espeak-ng also reports the parts of a number it reads in English
        // ("2024" as "twenty", "twenty-four", from inside the number) and,
        // at times, an empty word after the last one: the word they belong
        // to is already being heard. A word it says twice (an English voice
        // names each Chinese character) is reported again.
        if (e->type != espeakEVENT_WORD || e->text_position < 1 || e->length < 1)
            continue;
        const auto at = static_cast<size_t>(e->text_position - 1);
        if (at >= s->pieceLength)
            continue;
        // espeak-ng reports at most 31 characters of a word; where the word
        // ends in the text is known from the piece.
        const size_t last = std::min(at + static_cast<size_t>(e->length) - 1, s->pieceLength - 1);
        size_t index = at, end = last + 1;
        if (s->source != nullptr) {
            index = (*s->source)[at];
            end = std::max<size_t>((*s->source)[last] + 1, (*s->sourceEnd)[at]);
        }
        if (index >= s->textLength || (index < s->wordsEnd && index != s->wordStart))
            continue;
        const size_t length = std::max(std::min(end, s->textLength), index + 1) - index;
        s->wordStart = index;
        s->wordsEnd = std::max(s->wordsEnd, index + length);
        // An event belongs to the buffer it comes with. Above its own speed
        // range espeak-ng speeds its audio up after placing the events, so
        // their positions can lie past the buffer's end, even past the end of
        // the whole text; such a word is heard at the end of its buffer.
        const uint64_t espeakSample = std::clamp(
            s->pieceStart + static_cast<uint64_t>(std::max(e->sample, 0)), bufferStart, bufferEnd);
        const auto sample = static_cast<uint64_t>(std::llround(espeakSample * s->sampleScale));
        s->sink->onWord(sample, index, length);
    }
    if (samples == nullptr || count <= 0)
        return s->stopped ? 1 : 0;
    if (s->slowDown != nullptr) {
        sonicWriteShortToStream(s->slowDown.get(), samples, count);
        return deliverSlowed(*s) ? 0 : 1;
    }
    return deliver(*s, samples, static_cast<size_t>(count)) ? 0 : 1;
}

// espeak-ng's callback: nothing may be thrown through espeak-ng's C frames,
// so a failure to pass the audio on (out of memory) stops this synthesis.
int onEspeakOutput(short* samples, int count, espeak_EVENT* events) noexcept {
    try {
        return passOnEspeakOutput(samples, count, events);
    } catch (...) {
        if (current != nullptr) {
            current->outOfMemory = true;
            current->stopped = true;
        }
        return 1;
    }
}

// Marks the synthesis that espeak-ng's callback reports to, until the end
// of the scope, however it ends.
class CurrentSynthesis {
public:
    explicit CurrentSynthesis(Synthesis& synthesis) { current = &synthesis; }
    ~CurrentSynthesis() { current = nullptr; }
    CurrentSynthesis(const CurrentSynthesis&) = delete;
    CurrentSynthesis& operator=(const CurrentSynthesis&) = delete;
};

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
    if (initialized_)
        return initializeResult_;
    initialized_ = true;
    const char* override = std::getenv("LENVORO_ESPEAK_DATA");
    if (override != nullptr && *override != '\0') {
        // espeak-ng would quietly fall back to its own data; we want a clear failure.
        std::string path = override;
        if (!hasEspeakData(path) && hasEspeakData(path + "/espeak-ng-data"))
            path += "/espeak-ng-data";
        if (!hasEspeakData(path))
            return initializeResult_ = kEngineDataMissing;
        espeak_ng_InitializePath(path.c_str());
    } else {
        espeak_ng_InitializePath(nullptr);
    }
    const char* dataPath = nullptr;
    espeak_Info(&dataPath);
    dataPath_ = dataPath != nullptr ? dataPath : "";
    if (!hasEspeakData(dataPath_))
        return initializeResult_ = kEngineDataMissing;

    espeak_ng_ERROR_CONTEXT context = nullptr;
    if (espeak_ng_Initialize(&context) != ENS_OK) {
        espeak_ng_ClearErrorContext(&context);
        return initializeResult_ = kEngineDataMissing;
    }
    if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kCallbackBufferMs, nullptr) !=
        ENS_OK) {
        return initializeResult_ = kFail;
    }
    espeak_SetSynthCallback(onEspeakOutput);
    if (const char* phonemes = std::getenv("LENVORO_PHONEMES"); phonemes != nullptr && *phonemes) {
        phonemeListener_ = phonemeFileWriter(phonemes);
    }
    for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v != nullptr && *v != nullptr; ++v) {
        const espeak_VOICE* voice = *v;
        const std::string identifier = voice->identifier != nullptr ? voice->identifier : "";
        if (identifier.rfind("mb/", 0) == 0)
            continue;  // MBROLA voices need programs we do not ship
        if (voice->name != nullptr)
            voiceNames_.insert(asciiLower(voice->name));
        voiceNames_.insert(asciiLower(identifier.substr(identifier.find('/') + 1)));
        // languages: (priority byte, name, NUL) repeated, ended by a zero byte
        for (const char* l = voice->languages; l != nullptr && *l != 0;) {
            const std::string language = l + 1;
            voiceNames_.insert(asciiLower(language));
            l += language.size() + 2;
        }
    }
    if (voiceNames_.empty())
        return initializeResult_ = kEngineDataMissing;
    return initializeResult_ = kOk;
}

void Synthesizer::restoreAfterDirectUse() {
    if (succeeded(initializeResult_))
        espeak_SetSynthCallback(onEspeakOutput);
    selected_.clear();
}

bool Synthesizer::canSpeak(const EspeakVoice& voice) {
    if (failed(initialize()))
        return false;
    std::lock_guard lock(mutex_);
    return canSpeakLocked(voice);
}

void Synthesizer::setPhonemeListener(PhonemeListener listener) {
    initialize();
    std::lock_guard lock(mutex_);
    phonemeListener_ = std::move(listener);
}

bool Synthesizer::canSpeakLocked(const EspeakVoice& voice) {
    if (voice.name.empty() || !voiceNames_.contains(asciiLower(voice.name)))
        return false;
    // A Mandarin voice is read by the pinyin and the English voice.
    if (isMandarinVoice(voice.name) && (!voiceNames_.contains(std::string(kPinyinEspeakVoice)) ||
                                        !voiceNames_.contains(std::string(kEnglishEspeakVoice)))) {
        return false;
    }
    if (voice.variant.empty())
        return true;
    if (voice.variant.find_first_of("/\\+") != std::string::npos || voice.variant[0] == '.') {
        return false;
    }
    std::error_code error;
    return std::filesystem::is_regular_file(
        std::filesystem::path(dataPath_) / "voices" / "!v" / voice.variant, error);
}

Result Synthesizer::selectVoice(const EspeakVoice& voice) {
    if (!canSpeakLocked(voice))
        return kNotFound;
    const std::string name = voice.variant.empty() ? voice.name : voice.name + "+" + voice.variant;
    if (name != selected_) {
        if (espeak_SetVoiceByName(name.c_str()) != EE_OK) {
            // A failed selection leaves espeak-ng unable to speak: go back to
            // the last voice that worked, or to a plain one.
            const std::string fallback = selected_.empty() ? "en-us" : selected_;
            selected_.clear();
            if (espeak_SetVoiceByName(fallback.c_str()) == EE_OK)
                selected_ = fallback;
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
    if (Result result = initialize(); failed(result))
        return result;
    if (text.empty())
        return kOk;
    // The readings are worked out before taking the lock: other voices need
    // not wait for them.
    const std::vector<Piece> pieces = piecesFor(text, voice, endPause);
    std::lock_guard lock(mutex_);
    if (!canSpeakLocked(voice))
        return kNotFound;
    if (pieces.empty())
        return kOk;

    Synthesis synthesis;
    synthesis.sink = &sink;
    synthesis.textLength = text.size();
    const int wordsPerMinute = Synthesizer::wordsPerMinute(rate);
    int espeakWordsPerMinute = wordsPerMinute;
    if (wordsPerMinute < kEspeakSlowestWordsPerMinute) {
        synthesis.slowDown.reset(sonicCreateStream(kSampleRate, 1));
        if (synthesis.slowDown == nullptr)
            return kOutOfMemory;
        const float speed = static_cast<float>(wordsPerMinute) / kEspeakSlowestWordsPerMinute;
        sonicSetSpeed(synthesis.slowDown.get(), speed);
        synthesis.sampleScale = 1.0 / speed;
        espeakWordsPerMinute = kEspeakSlowestWordsPerMinute;
    }
    const CurrentSynthesis marked(synthesis);
    Result result = kOk;
    for (const Piece& piece : pieces) {
        if (failed(result = selectVoice(piece.voice)))
            break;
        espeak_SetParameter(espeakRATE, espeakWordsPerMinute, 0);
        synthesis.pieceStart = synthesis.samplesIn;
        synthesis.pieceLength = piece.text.size();
        synthesis.source = piece.source.empty() ? nullptr : &piece.source;
        synthesis.sourceEnd = piece.source.empty() ? nullptr : &piece.sourceEnd;
        PhonemeTrace trace(static_cast<bool>(phonemeListener_));
        const espeak_ERROR status = espeak_Synth(
            piece.text.c_str(), (piece.text.size() + 1) * sizeof(wchar_t), 0, POS_CHARACTER, 0,
            espeakCHARS_WCHAR | (piece.endPause ? espeakENDPAUSE : 0), nullptr, nullptr);
        if (phonemeListener_) {
            const std::string phonemes = trace.finish();
            if (!phonemes.empty())
                phonemeListener_(piece.voice.name, phonemes);
        }
        if (status != EE_OK)
            result = kFail;
        if (synthesis.stopped || failed(result))
            break;
    }
    if (synthesis.slowDown != nullptr && !synthesis.stopped) {
        sonicFlushStream(synthesis.slowDown.get());
        deliverSlowed(synthesis);
    }
    if (synthesis.outOfMemory)
        return kOutOfMemory;
    if (synthesis.stopped)
        return kFalse;
    return result;
}

}  // namespace lenvoro::engine
