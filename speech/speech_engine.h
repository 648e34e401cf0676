// The speech engine as the library sees it: the handful of calls the entry
// points make on the engine in engine/, under the names the library uses.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/file_stream.h"
#include "engine/result.h"
#include "engine/runtime.h"
#include "engine/stream_format.h"
#include "engine/voice.h"
#include "engine/voice_tokens.h"

namespace lenvoro {

using engine::Result;

// A fresh voice object: the user's default voice and rate, the default audio output.
Result CreateVoice(std::shared_ptr<engine::Voice>* voice);

// Stops what voice reads: drops its queue and what is playing, and waits
// until it is quiet.
void PurgeAndWait(engine::Voice& voice);

// Opens the voices or the audio-output category by identifier.
Result OpenTokenCategory(std::string_view categoryId, bool createIfMissing,
                         std::shared_ptr<engine::TokenCategory>* category);

// Binds a file stream to path (UTF-16) in the engine's stream format 4..39.
Result BindFileStream(std::u16string_view path, int32_t formatNumber,
                      std::shared_ptr<engine::FileStream>* stream);

// The default token of the audio-output category, as an audio object.
Result CreateDefaultAudioOutput(std::shared_ptr<engine::AudioDevice>* device);

// The per-thread runtime initialisation that comReady tracks.
Result InitializeEngineRuntime();
Result UninitializeEngineRuntime();

// The interface's rate 0..100 as the engine's -10..10 (integer division: 49 -> -1).
constexpr int32_t EngineRateFromInterface(int32_t value) {
    return value / 5 - 10;
}

}  // namespace lenvoro
