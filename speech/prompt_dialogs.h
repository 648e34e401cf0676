// The library's own small dialogs: the missing-voice prompt, which names the
// voices a reading needs and links to the page that explains how to get them,
// and the initialisation information dialog of the retired start entry; plus
// the parameter-error message box. All in the current interface language,
// modal and owned by the caller's window.
#pragma once

#include <cstdint>
#include <memory>

#include "window_host.h"

class QDialog;

namespace lenvoro {

// Object names of the prompt's messages; the number is the message's id.
constexpr int kMessageSimplifiedChineseMissing = 1017;     // code 10
constexpr int kMessageEnglishMissing = 1018;               // codes 1..3
constexpr int kMessageSimplifiedAndEnglishMissing = 1019;  // codes 11..13
constexpr int kMessageChineseFemaleMissing = 1004;         // code 20
constexpr int kMessageFemaleAndEnglishMissing = 1005;      // codes 21..23

// The message a missing-voice code shows: 1..3 -> 1018, 10 -> 1017,
// 11..13 -> 1019, 20 -> 1004, 21..23 -> 1005. Both Chinese voices missing has
// no message of its own: 30 shows 1017 and 31..33 show 1019, which name the
// simplified-Chinese voice (the help page lists every voice). Any other code
// names no missing voice and gives 0.
int VoicePromptMessageId(int32_t missingVoiceCode);

// The address the prompt's link shows and opens: voicePage when it is set,
// else the interface language's default download page.
QString VoicePromptAddress();

// The prompt for a code, ready to run: the template of the interface
// language, the link set, exactly one message visible. nullptr when the
// template cannot be created or the code shows no message.
std::unique_ptr<QDialog> CreateVoicePrompt(int32_t missingVoiceCode);

// Runs the prompt modally, owned by owner; the caller goes on when it is
// closed, or at once when it was not shown. Without a QApplication the line
// of WriteMissingVoiceLine (voices.h) goes to stderr instead.
DialogOutcome RunVoicePrompt(intptr_t owner, int32_t missingVoiceCode);

// The same, in the shape of the voice inventory's prompt handler
// (VoicePromptHandler of voices.h).
void ShowVoicePrompt(intptr_t owner, int32_t missingVoiceCode);

// The initialisation information dialog of the interface language.
std::unique_ptr<QDialog> CreateInitialInfo();
DialogOutcome ShowInitialInfo(intptr_t owner);

// The parameter-error message box of the interface language, with the
// exclamation icon.
void ShowParameterError(intptr_t owner);

}  // namespace lenvoro
