#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "lenvoro_audio/audio_output.h"

namespace lenvoro::audio {

namespace {

// Falling back is normal on a machine without sound; say so once, not per sentence.
void reportFallbackOnce(const std::string& why) {
    static std::once_flag once;
    std::call_once(
        once, [&] { std::fprintf(stderr, "lenvoro: %s; using the null output\n", why.c_str()); });
}

}  // namespace

std::unique_ptr<AudioOutput> openDefaultOutput(const AudioFormat& format) {
    const char* choice = std::getenv("LENVORO_AUDIO");
    const std::string setting = choice != nullptr ? choice : "";
    if (setting == "null")
        return openNullOutput(format);
    std::string error;
    if (setting.rfind("capture:", 0) == 0) {
        if (auto capture =
                openCaptureOutput(format, setting.substr(std::strlen("capture:")), &error)) {
            return capture;
        }
        reportFallbackOnce(error);
        return openNullOutput(format);
    }
    if (auto device = openDeviceOutput(format, &error))
        return device;
    // No device is expected on servers and in CI, so only an explicit request
    // for the device deserves a message.
    if (setting == "device")
        reportFallbackOnce(error);
    return openNullOutput(format);
}

}  // namespace lenvoro::audio
