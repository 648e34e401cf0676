// The voices the library knows by name, how it finds them among the engine's
// installed voices, and how a missing one is reported.
//
// Every lookup opens the voice category and enumerates its tokens afresh:
// nothing is cached between calls, so a voice token dropped in while a
// program runs is found by the next call.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine_state.h"
#include "interface_language.h"
#include "speech_engine.h"

namespace lenvoro {

// A voice the library asks for by its "Name" attribute.
struct KnownVoice {
    std::u16string_view name;            // value of the token's "Name" attribute
    std::u16string_view attributeQuery;  // "Name=..." as handed to the engine
    bool chinese;                        // serves Chinese text (else English)
    int32_t missingVoiceCode;            // its share of voicePromptCase: 10, 20, or 1
    int32_t missingResult;               // one-voice calls' result when it is missing
};

// Missing-voice codes: a Chinese part plus one for each missing English voice.
constexpr int32_t kMissingSimplifiedChinese = 10;
constexpr int32_t kMissingChineseFemale = 20;
constexpr int32_t kMissingEnglishVoice = 1;

// The five known voices, in choice-number order (0 .. 4).
extern const KnownVoice kSimplifiedChineseVoice;  // "Microsoft Simplified Chinese", missing: 50
extern const KnownVoice kSamVoice;                // "Microsoft Sam", missing: 60
extern const KnownVoice kMaryVoice;               // "Microsoft Mary", missing: 70
extern const KnownVoice kMikeVoice;               // "Microsoft Mike", missing: 80
extern const KnownVoice kChineseFemaleVoice;      // "Chinese Female Voice", missing: 90

// The voice of a one-voice choice number: nullptr for -1 and below (the
// engine's default voice, nothing to look up); 0 .. 3 as numbered; 4 and
// above "Chinese Female Voice", as the speaking calls read them. The start
// call, which accepts only -1 .. 4, checks its range before asking.
const KnownVoice* VoiceForChoice(int32_t voice);

// Opens the voice category by its identifier without creating it and
// enumerates the tokens that match requiredAttributes (no optional
// attributes); std::nullopt enumerates every installed voice. count (may be
// nullptr) gets the number of tokens found, 0 when the lookup failed.
Result FindVoices(std::optional<std::u16string_view> requiredAttributes,
                  std::shared_ptr<engine::TokenEnumeration>* enumeration, uint32_t* count);

// Takes the first token of the enumeration and makes it the voice of voice;
// token (may be nullptr) gets it. An empty enumeration is kNotFound and leaves
// the voice as it was: it never falls back to the default voice unnoticed.
Result TakeFirstVoice(engine::TokenEnumeration& enumeration, engine::Voice& voice,
                      std::shared_ptr<const engine::ObjectToken>* token);

// What choosing a one-voice choice for a voice object came to.
struct VoiceChoice {
    enum class Status {
        DefaultVoice,  // choice -1 or below: nothing was looked up
        Taken,         // the voice object now speaks with the chosen voice
        Missing,       // no installed voice carries the chosen name
        Failed,        // an engine step failed (engineResult is negative)
    };
    Status status = Status::DefaultVoice;
    Result engineResult = engine::kOk;
    const KnownVoice* known = nullptr;  // the chosen voice; nullptr for DefaultVoice
};

// Looks up the chosen voice and, when it is installed, makes its first token
// the voice of voiceObject. selection is released first and then holds the
// lookup's enumeration and token (nothing unless Taken). Shows nothing.
VoiceChoice ChooseOneVoice(int32_t voice, engine::Voice& voiceObject,
                           SelectionReferences& selection);

// The speaking calls' voice choice: ChooseOneVoice, then the selection is
// released again. Returns 0 when the voice object may speak, or the chosen
// voice's one-voice result (50 .. 90) after raising the missing-voice prompt
// with its missing-voice code. A lookup that fails counts as missing, as in
// the markup check: either way the chosen voice cannot be heard.
int32_t ChooseSpeakingVoice(int32_t voice, engine::Voice& voiceObject,
                            SelectionReferences& selection);

// The mixed modes start from the first installed voice in the engine's order;
// the voice tags of their markup switch voices from there. kNotFound when no
// voice is installed. Enumeration and token are not kept.
Result TakeFirstInstalledVoice(engine::Voice& voiceObject);

// True when at least one voice with the known voice's name is installed; a
// failing lookup counts as not installed.
bool IsVoiceInstalled(const KnownVoice& known);

// Shows the missing-voice prompt for a missing-voice code, owned by a window;
// returns when the user has closed it.
using VoicePromptHandler = void (*)(intptr_t ownerWindow, int32_t missingVoiceCode);

// Installs what RaiseVoicePrompt shows; nullptr restores the default, which
// writes WriteMissingVoiceLine's line (a program without a user interface).
// Returns the handler installed before.
VoicePromptHandler SetVoicePromptHandler(VoicePromptHandler handler);

// Stores the code in the engine state's voicePromptCase and shows the
// missing-voice prompt, owned by the engine state's window.
void RaiseVoicePrompt(int32_t missingVoiceCode);

// What a program without a user interface reads instead of the prompt: one
// line (no line break) in the interface language that names the missing
// voices and the page to get them from. The code names the Chinese voices;
// of the English ones it tells only how many are missing, so askedFor, the
// voice a one-voice call asked for, names it when given. A code that names no
// voice is shown as it is. No page: the line only says to install them.
std::string MissingVoiceLine(int32_t missingVoiceCode, InterfaceLanguage language,
                             const KnownVoice* askedFor, std::u16string_view page);

// Writes MissingVoiceLine to stderr for the current interface language and
// the prompt's page (voicePage, else the default download page), naming the
// voice of the one-voice call that is raising the prompt, if one is.
void WriteMissingVoiceLine(int32_t missingVoiceCode);

}  // namespace lenvoro
