// The game's situation: a program that links the audio layer and loads the
// speech library, which links the audio layer too. With
// LENVORO_AUDIO=capture:FILE the program's output and the library's reading
// must end up in one file, one after the other. That holds only when the
// process has one copy of the audio layer: a second copy would keep its own
// list of capture files, open the file afresh and write over what the first
// had written.
//
//     one_audio_layer /path/to/liblenvoro.so.2 CAPTURE.wav
//
// Exit status 0 when the file holds the program's tone, then the reading.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "lenvoro.h"
#include "lenvoro_audio/audio_output.h"
#include "lenvoro_audio/wave_file.h"

namespace {

using InitialAuth = int32_t (*)(intptr_t, int32_t, int32_t, int32_t, const char*, const char*,
                                const char*, const char*);
using Speak = int32_t (*)(const char*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*);
using Close = int32_t (*)();

constexpr size_t kToneFrames = 2205;  // 0.1 s at 22.05 kHz

int fail(const std::string& message) {
    std::fprintf(stderr, "one_audio_layer: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return fail("usage: one_audio_layer LIBRARY CAPTURE.wav");
    const std::string capture = argv[2];
    std::remove(capture.c_str());
    setenv("LENVORO_AUDIO", ("capture:" + capture).c_str(), 1);

    // The program's own sound, through its own link to the audio layer. The
    // output is closed once it has played: the capture file stays open.
    std::vector<int16_t> tone(kToneFrames);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(i % 50 < 25 ? 8000 : -8000);
    {
        auto output = lenvoro::audio::openDefaultOutput({22050, 1});
        if (output->describe() != "capture:" + capture)
            return fail("the program's output is " + output->describe());
        output->write(tone.data(), tone.size());
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (output->framesQueued() > 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    // The library's reading, through the library's link to the audio layer.
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return fail(std::string("cannot load the library: ") + dlerror());
    const auto initialAuth = reinterpret_cast<InitialAuth>(dlsym(library, "Lenvoro_InitialAuth"));
    const auto speak = reinterpret_cast<Speak>(dlsym(library, "Lenvoro_Speak"));
    const auto close = reinterpret_cast<Close>(dlsym(library, "Lenvoro_Close"));
    if (initialAuth == nullptr || speak == nullptr || close == nullptr)
        return fail("missing exports");
    if (initialAuth(0, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING, LENVORO_KEEP_SETTING, "", "",
                    "", "") != LENVORO_RESULT_DONE)
        return fail("the library did not start");
    if (speak("Hello.", LENVORO_MODE_SYNC, LENVORO_VOICE_DEFAULT, LENVORO_KEEP_SETTING,
              LENVORO_KEEP_SETTING, LENVORO_PUNCTUATION_KEEP, nullptr) != LENVORO_RESULT_DONE)
        return fail("the library did not read");
    close();

    std::string error;
    const auto heard = lenvoro::audio::readWaveFile(capture, &error);
    if (!heard)
        return fail(error);
    if (heard->format.channels != 1 || heard->frameCount() < 2 * kToneFrames)
        return fail("the capture file holds " + std::to_string(heard->frameCount()) + " frames");
    for (size_t i = 0; i < kToneFrames; ++i) {
        if (heard->samples[i] != tone[i])
            return fail("the program's tone was overwritten at frame " + std::to_string(i));
    }
    bool spoken = false;
    for (size_t i = kToneFrames; i < heard->samples.size() && !spoken; ++i)
        spoken = heard->samples[i] != 0;
    if (!spoken)
        return fail("the library's reading is not in the capture file");
    std::printf("one audio layer: the tone and the reading are in one file\n");
    return 0;
}
