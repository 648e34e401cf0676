// Helpers shared by the engine tests.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "engine/voice.h"
#include "lenvoro_audio/wave_file.h"

namespace lenvoro::test {

// A fresh empty folder under the test run's temporary folder.
std::filesystem::path makeTemporaryFolder(const std::string& name);

// A voice whose default output is a null output playing paceFactor times
// faster than real time (1 = real time).
std::shared_ptr<engine::Voice> makeVoice(double paceFactor = 1.0);

// The voice token whose Name attribute is name; fails the test when missing.
std::shared_ptr<const engine::ObjectToken> voiceNamed(const std::u16string& name);

// Root-mean-square level of 16-bit samples, 0..32768.
double rmsLevel(const std::vector<int16_t>& samples, size_t from = 0, size_t to = SIZE_MAX);

}  // namespace lenvoro::test
