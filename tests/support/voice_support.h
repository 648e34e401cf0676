// The engine's helpers for tests: voices on a fast null output, and voice
// tokens by name.
#pragma once

#include <memory>
#include <string>

#include "engine/voice.h"
#include "lenvoro_audio/wave_file.h"
#include "test_support.h"

namespace lenvoro::test {

// A voice whose default output is a null output playing paceFactor times
// faster than real time (1 = real time).
std::shared_ptr<engine::Voice> makeVoice(double paceFactor = 1.0);

// The voice token whose Name attribute is name; fails the test when missing.
std::shared_ptr<const engine::ObjectToken> voiceNamed(const std::u16string& name);

}  // namespace lenvoro::test
