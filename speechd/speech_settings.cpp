#include "speech_settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "engine/text.h"

namespace lenvoro::speechd {

namespace {

constexpr int kScaleLimit = 100;

bool parseScale(std::string_view text, int* value) {
    int parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    if (parsed < -kScaleLimit || parsed > kScaleLimit)
        return false;
    *value = parsed;
    return true;
}

template <size_t N>
bool oneOf(std::string_view value, const std::array<std::string_view, N>& allowed) {
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

constexpr std::array<std::string_view, 4> kPunctuationModes = {"none", "some", "most", "all"};
constexpr std::array<std::string_view, 2> kSpellingModes = {"on", "off"};
constexpr std::array<std::string_view, 3> kCapitalModes = {"none", "spell", "icon"};
constexpr std::array<std::string_view, 8> kVoiceTypes = {
    "male1", "male2", "male3", "female1", "female2", "female3", "child_male", "child_female"};

}  // namespace

SpeechSettings::Change SpeechSettings::set(std::string_view name, std::string_view value) {
    int* scale = name == "rate"          ? &rate
                 : name == "pitch"       ? &pitch
                 : name == "pitch_range" ? &pitchRange
                 : name == "volume"      ? &volume
                                         : nullptr;
    if (scale != nullptr)
        return parseScale(value, scale) ? Change::Applied : Change::Invalid;

    const bool null = value == "NULL";
    const std::string text = engine::asciiLower(value);
    if (name == "language") {
        language = null ? "" : text;
    } else if (name == "synthesis_voice") {
        synthesisVoice = null ? "" : std::string(value);
    } else if (name == "voice") {
        if (!null && !oneOf(text, kVoiceTypes))
            return Change::Invalid;
        voiceType = null ? "" : text;
    } else if (name == "punctuation_mode") {
        if (!null && !oneOf(text, kPunctuationModes))
            return Change::Invalid;
        punctuationMode = null ? "none" : text;
    } else if (name == "spelling_mode") {
        if (!null && !oneOf(text, kSpellingModes))
            return Change::Invalid;
        spellingMode = null ? "off" : text;
    } else if (name == "cap_let_recogn") {
        if (!null && !oneOf(text, kCapitalModes))
            return Change::Invalid;
        capitalLetters = null ? "none" : text;
    } else if (name == "punctuation_some" || name == "punctuation_most") {
        // Newer servers name the characters of each punctuation level; we
        // read punctuation as espeak-ng does and accept them unused.
    } else {
        return Change::Unknown;
    }
    return Change::Applied;
}

int engineRate(int rate) {
    return std::clamp(static_cast<int>(std::lround(rate / 10.0)), -10, 10);
}

int espeakLevel(int value, int baseline) {
    value = std::clamp(value, -kScaleLimit, kScaleLimit);
    baseline = std::clamp(baseline, 0, 100);
    if (value < 0)
        return baseline * (kScaleLimit + value) / kScaleLimit;
    return baseline + (100 - baseline) * value / kScaleLimit;
}

float outputGain(int volume) {
    return std::clamp(static_cast<float>(volume + kScaleLimit) / kScaleLimit, 0.0f, 1.0f);
}

}  // namespace lenvoro::speechd
