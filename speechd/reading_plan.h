// What a message comes to: a list of steps the reader carries out in order.
//
// Text is cut into language runs. A Chinese run opens at a Chinese
// character or CJK punctuation, an English run at a Latin letter; digits,
// spaces and other punctuation never open a run but belong to the one that
// is open (text before the first run joins it), so "你好,世界" stays one
// Chinese run although the server turns its full-width comma into ",", and
// "2024年" is read as a Chinese number. Each run is spoken by the voice the
// selection gives its language; index marks and pauses stand between them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ssml.h"
#include "voice_catalog.h"

namespace lenvoro::speechd {

struct ReadingStep {
    enum class Kind { Speech, Mark, Silence, Sound };
    Kind kind = Kind::Speech;
    std::u32string text;           // Speech
    engine::EspeakVoice voice;     // Speech
    bool endPause = false;         // Speech: a sentence's closing pause follows
    std::string mark;              // Mark
    uint32_t silenceMs = 0;        // Silence
    std::vector<int16_t> samples;  // Sound: 22.05 kHz mono
};

// True when text ends a sentence (spaces after the mark aside): the
// sentence's closing pause belongs after it.
bool endsSentence(std::u32string_view text);

// The script a character opens a run of, or Other for one that opens none.
Script scriptOf(char32_t c);

// namePunctuation: every punctuation mark is read by its name (Speech
// Dispatcher's punctuation mode "all"); otherwise the voice pauses at it.
std::vector<ReadingStep> planText(const std::vector<SsmlItem>& items, const VoiceSelection& voices,
                                  bool namePunctuation = false);

// A character on its own: a Chinese character in its reading alone (一 as
// yī), a letter by its name, punctuation and spaces by their names in the
// primary voice's language.
std::vector<ReadingStep> planCharacter(std::u32string_view character, const VoiceSelection& voices);

// A key name, as keyWords() says it.
std::vector<ReadingStep> planKey(std::string_view key, const VoiceSelection& voices);

}  // namespace lenvoro::speechd
