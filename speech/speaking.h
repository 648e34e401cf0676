// Reading a text aloud and controlling the reading: the speaking call in its
// four modes, stop, pause and continue, volume and rate, and the notification
// handler that follows the engine's events on the caller's text box, keeps the
// reading state and marks the word being heard.
//
// The clean-up of the text, the progress and the word selection are pure
// functions, so that their rules are tested without an engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "speech_engine.h"

class QWidget;

namespace lenvoro {

// --- The text's clean-up ------------------------------------------------------

// True for the 56 punctuation units that a reading without punctuation hears
// as spaces (ASCII and full-width marks, CJK brackets and quotation marks).
bool IsSpokenAsSpace(char16_t unit);

// The character the engine mispronounces and the one read in its place.
constexpr char16_t kToadCharacter = 0x86E4;  // 蛤
constexpr char16_t kHaCharacter = 0x54C8;    // 哈

// Prepares a text for the engine in place: with keepPunctuation false every
// unit of the punctuation list becomes a space; 蛤 always becomes 哈. The
// length never changes, so positions in the result are positions in the
// caller's text.
void CleanSpokenText(std::u16string& text, bool keepPunctuation);

// --- Progress and word marking ------------------------------------------------

// The reading position in percent after the word at position with length
// units: (position + length) * 100 / textLength, never above 100; 0 for an
// empty text.
int32_t ReadingProgress(uint32_t position, uint32_t length, size_t textLength);

struct TextSelection {
    int32_t start = 0;
    int32_t end = 0;
    bool operator==(const TextSelection&) const = default;
};

// The selection that marks the word at position with length UTF-16 units of
// spoken, both clamped to the text. With unicodePositions the selection is in
// UTF-16 units (as the library's text boxes count); otherwise in bytes of the
// text in codeSet: the start is the byte length of the units before the word,
// the end adds the byte length of the whole word, however long it is.
TextSelection WordSelection(std::u16string_view spoken, uint32_t position, uint32_t length,
                            bool unicodePositions, const std::string& codeSet);

// --- The calls ------------------------------------------------------------------

// The text argument of a speaking call as the caller gave it: bytes in the
// locale's code set (ANSI forms) or UTF-16 (wide form). It is converted only
// once the arguments have been checked and the current reading stopped.
using SpeakingText = std::variant<std::string_view, std::u16string_view>;

// A speaking call with its arguments checked in the order of the interface;
// page is std::nullopt when the caller gave none. Returns 0, 10, 20, 40 or
// 50..90 (see lenvoro.h).
int32_t Speak(const SpeakingText& text, int32_t mode, int32_t voice, int32_t rate, int32_t volume,
              int32_t punctuation, std::optional<std::u16string_view> page);

int32_t StopReading();
int32_t PauseOrContinue();
int32_t SetVolume(int32_t volume);
int32_t SetSpeed(int32_t rate);
int32_t LocationInfo();

// Fetches the current voice's events one at a time and follows them: the
// reading state, the progress and, while highlighting is on, the word marked
// in window. Word events that come after the text was freed are ignored.
void FollowEngineEvents(QWidget* window);

// How a speaking call creates its fresh voice object; CreateVoice unless
// replaced (tests give voices with a faster output, or a failing engine).
// nullptr restores CreateVoice. Returns the factory installed before.
using VoiceFactory = std::function<Result(std::shared_ptr<engine::Voice>*)>;
VoiceFactory SetSpeakingVoiceFactory(VoiceFactory factory);

}  // namespace lenvoro
