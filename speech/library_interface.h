// The library's entry points behind the C interface of lenvoro.h: each
// function here is what both forms (ANSI and UTF-16) of an export do once
// their texts are UTF-16. The exports themselves (library_interface.cpp)
// convert the texts, catch every exception and return these results.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "engine_state.h"
#include "lenvoro.h"

class QWidget;

namespace lenvoro {

// Result codes of the interface, as lenvoro.h gives them to callers.
constexpr int32_t kResultRefused = 0;
constexpr int32_t kResultOk = 1;
constexpr int32_t kResultDone = 10;
constexpr int32_t kResultEngineFailed = 20;
constexpr int32_t kResultNoRuntime = 40;
constexpr int32_t kResultNoMemory = 40;
static_assert(kResultRefused == LENVORO_RESULT_REFUSED);
static_assert(kResultOk == LENVORO_RESULT_OK);
static_assert(kResultDone == LENVORO_RESULT_DONE);
static_assert(kResultEngineFailed == LENVORO_RESULT_ENGINE_FAILED);
static_assert(kResultNoRuntime == LENVORO_RESULT_NO_RUNTIME);
static_assert(kResultNoMemory == LENVORO_RESULT_NO_MEMORY);

// Range of the rate and volume arguments; -1 leaves a setting as it is.
constexpr int32_t kKeepSetting = -1;
constexpr int32_t kSettingMax = 100;
static_assert(kKeepSetting == LENVORO_KEEP_SETTING);
static_assert(kSettingMax == LENVORO_SETTING_MAX);

// A rate or volume argument the calls accept: -1 (keep) or 0..100.
constexpr bool InSettingRange(int32_t value) {
    return value >= kKeepSetting && value <= kSettingMax;
}

// The texts a start call is given, as UTF-16 (ANSI forms convert first).
struct StartTexts {
    std::u16string_view message;
    std::u16string_view caption;
    std::u16string_view id1;
    std::u16string_view id2;
};

// Starts the engine; family says which entry points called (their own
// notification handler takes a text box over).
int32_t InitialAuth(intptr_t window, int32_t voice, int32_t rate, int32_t volume,
                    const StartTexts& texts, HandlerFamily family);

// True, after showing the information dialog owned by `owner`, when the
// retired start entry has left the library unusable: the caller then refuses.
bool RefuseWhenRetired(intptr_t owner);

// The retired start entry: information dialog, usable = false, 10.
int32_t RetiredInitial(intptr_t window);

int32_t CloseEngine();

// A page argument: std::nullopt when the caller gave none (NULL).
using PageArgument = std::optional<std::u16string_view>;

// The voice-setting dialog entry. Reading aloud and its controls are in
// speaking.h.
int32_t SetDialogEntry(intptr_t window, PageArgument page);

// The notification handler of a taken-over text box: reads the engine's
// events of the current voice, keeps idle, paused and progress, and marks the
// word being heard in the text box (in its UTF-16 positions) while
// highlighting is on. Events that come after the text was freed are ignored.
void HandleEngineNotification(QWidget* window);

}  // namespace lenvoro
