// The system's audio device through PortAudio.
//
// PortAudio is initialised lazily, once, on the first device output: at
// library load it would cost time and, on a machine without sound, print
// dozens of lines of ALSA and JACK complaints. Those are silenced first.
#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <portaudio.h>

#include <mutex>

#include "lenvoro_audio/audio_output.h"

namespace lenvoro::audio {

namespace {

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
void ignoreJackMessage(const char*) {}

// JACK is looked up, not linked: it is present only when PortAudio pulls it in.
void silenceJack() {
    using SetFunction = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (auto set = reinterpret_cast<SetFunction>(dlsym(RTLD_DEFAULT, name))) {
            set(ignoreJackMessage);
        }
    }
}

PaError initializePortAudio() {
    static std::once_flag once;
    static PaError result = paNotInitialized;
    std::call_once(once, [] {
        snd_lib_error_set_handler(ignoreAlsaError);
        silenceJack();
        result = Pa_Initialize();
        silenceJack();  // PortAudio may have loaded JACK just now
    });
    return result;
}

class DeviceOutput final : public AudioOutput {
public:
    explicit DeviceOutput(const AudioFormat& format) : AudioOutput(format) {}

    ~DeviceOutput() override {
        if (stream_ != nullptr) {
            Pa_StopStream(stream_);
            Pa_CloseStream(stream_);
        }
    }

    bool open(std::string* error) {
        PaError result = initializePortAudio();
        if (result == paNoError) {
            result =
                Pa_OpenDefaultStream(&stream_, 0, format().channels, paInt16, format().sampleRate,
                                     paFramesPerBufferUnspecified, &DeviceOutput::callback, this);
        }
        if (result == paNoError)
            result = Pa_StartStream(stream_);
        if (result != paNoError) {
            if (error)
                *error = std::string("audio device unavailable: ") + Pa_GetErrorText(result);
            if (stream_ != nullptr)
                Pa_CloseStream(stream_);
            stream_ = nullptr;
            return false;
        }
        return true;
    }

    std::string describe() const override { return "device"; }

private:
    static int callback(const void*, void* output, unsigned long frameCount,
                        const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void* self) {
        auto* out = static_cast<int16_t*>(output);
        auto* device = static_cast<DeviceOutput*>(self);
        const size_t channels = static_cast<size_t>(device->format().channels);
        const size_t played = device->pull(out, frameCount);
        std::fill(out + played * channels, out + frameCount * channels, int16_t{0});
        return paContinue;
    }

    PaStream* stream_ = nullptr;
};

}  // namespace

std::unique_ptr<AudioOutput> openDeviceOutput(const AudioFormat& format, std::string* error) {
    auto device = std::make_unique<DeviceOutput>(format);
    if (!device->open(error))
        return nullptr;
    return device;
}

}  // namespace lenvoro::audio
