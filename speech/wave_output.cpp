#include "wave_output.h"

#include <algorithm>
#include <memory>

#include "engine_state.h"
#include "fixed_text.h"
#include "lenvoro.h"
#include "library_interface.h"
#include "markup.h"
#include "prompt_dialogs.h"
#include "speaking.h"
#include "speech_engine.h"
#include "voices.h"

namespace lenvoro {

static_assert(kEngineFormatOffset == engine::kFirstPcmFormat);
static_assert(kWaveFormatCount == engine::kLastPcmFormat - engine::kFirstPcmFormat + 1);
static_assert(kWaveFormatCount == LENVORO_FORMAT_LAST + 1);

namespace {

// The objects one call creates and releases again; none is kept in the
// engine state. The stream is never closed unless the reading succeeded, so
// releasing it removes what was written so far and leaves the path alone.
struct WaveCall {
    std::shared_ptr<engine::Voice> voice;
    std::shared_ptr<engine::AudioDevice> audioOutput;
    std::shared_ptr<engine::FileStream> stream;
    SelectionReferences selection;
};

bool ArgumentsInRange(const WaveRequest& request) {
    if (request.punctuation != 0 && request.punctuation != 1)
        return false;
    if (!InSettingRange(request.rate) || !InSettingRange(request.volume))
        return false;
    if (!WaveFormatFor(request.format))
        return false;
    if (request.mode == LENVORO_MODE_SYNC)
        return true;
    // Only the six voice pairs have tags to mark a mixed text up with.
    return request.mode == LENVORO_MODE_MIXED_SYNC && VoicePairTagsFor(request.voice).has_value();
}

// The voice that reads aloud plays through an audio output in the wave
// format from now on, until the next speaking call replaces that voice.
// Without an audio output there is nothing to redirect; the file does not
// need one, so it is written all the same.
void RedirectReadingVoice(EngineState& state, WaveCall& call, const WaveFormatInfo& format) {
    if (engine::failed(CreateDefaultAudioOutput(&call.audioOutput)) || !call.audioOutput)
        return;
    const auto streamFormat = engine::streamFormatFromId(format.engineFormat);
    if (!streamFormat ||
        engine::failed(state.lastResult = call.audioOutput->setFormat(streamFormat->waveFormat())))
        return;
    if (state.voice)
        state.lastResult = state.voice->setOutput(call.audioOutput, false);
}

}  // namespace

std::optional<WaveFormatInfo> WaveFormatFor(int32_t format) {
    if (format < 0 || format >= kWaveFormatCount)
        return std::nullopt;
    // The engine orders its formats by the same rule.
    const engine::StreamFormat stream = *engine::streamFormatFromId(format + kEngineFormatOffset);
    return WaveFormatInfo{
        stream.id, stream.sampleRate, stream.bitsPerSample, stream.channels, stream.name(),
    };
}

int32_t SpeakToWave(const WaveRequest& request) {
    EngineState& state = engineState();
    if (RefuseWhenRetired(state.window))
        return kResultRefused;
    if (request.page)
        state.voicePage.assign(*request.page);
    if (!ArgumentsInRange(request)) {
        ShowParameterError(state.window);
        return kResultRefused;
    }
    const WaveFormatInfo format = *WaveFormatFor(request.format);

    WaveCall call;
    state.lastResult = CreateVoice(&call.voice);
    if (engine::failed(state.lastResult) || !call.voice)
        return kResultEngineFailed;
    if (request.mode == LENVORO_MODE_SYNC && request.voice >= 0) {
        const int32_t missing = ChooseSpeakingVoice(request.voice, *call.voice, call.selection);
        if (missing != 0)
            return missing;
    }
    if (request.rate >= 0)
        state.lastResult = call.voice->setRate(EngineRateFromInterface(request.rate));
    if (request.volume >= 0)
        state.lastResult = call.voice->setVolume(request.volume);

    RedirectReadingVoice(state, call, format);

    // A file name is a short text of the library: one that does not fit its
    // 255 units would name another file once cut, so it is not written at all.
    FixedText file;
    if (!file.assign(request.file))
        return kResultEngineFailed;
    state.lastResult = BindFileStream(file.view(), format.engineFormat, &call.stream);
    if (engine::failed(state.lastResult) || !call.stream)
        return kResultEngineFailed;
    state.lastResult = call.voice->setOutput(call.stream, true);
    if (engine::failed(state.lastResult))
        return kResultEngineFailed;

    std::u16string text = request.text ? request.text() : std::u16string();
    if (text.empty())
        return kResultDone;  // nothing read, nothing written
    CleanSpokenText(text, request.punctuation == 1);

    state.highlight = false;
    state.paused = false;
    state.idle = false;  // set again only by the end of a later reading

    if (request.mode == LENVORO_MODE_MIXED_SYNC) {
        if (BuildVoiceMarkup(text, request.voice) == MarkupBuild::OutOfMemory)
            return kResultNoMemory;
        if (!CheckMarkupVoices(text))
            return kResultEngineFailed;
    }
    state.lastResult = call.voice->speak(text, engine::kSpeakSync);
    if (engine::failed(state.lastResult))
        return kResultEngineFailed;
    state.lastResult = call.stream->close();
    if (engine::failed(state.lastResult))
        return kResultEngineFailed;
    return kResultDone;
}

}  // namespace lenvoro
