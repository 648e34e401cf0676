// The library's C entry points with hostile texts and arguments, on a started
// engine without a sound card (LENVORO_AUDIO=null).
//
// The first byte picks the entry point, the second the voice, rate, volume,
// format and punctuation; the rest is the text: bytes in the locale's code
// set (GBK) for the A forms, UTF-16 units for the W forms. Reading into a
// wave file synthesises the whole text, so those texts are kept short; an
// asynchronous reading is stopped at once.
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "lenvoro.h"
#include "lenvoro_audio/wave_file.h"
#include "voices.h"

namespace {

// Longer inputs are not read: a long text only takes long, it reads no
// differently from the splitter's point of view.
constexpr size_t kMaximumInputBytes = 2000;
// What is read into a wave file: enough for several espeak-ng pieces of Chinese.
constexpr size_t kMaximumWaveTextBytes = 300;

constexpr std::array<int, 9> kFormatRatesHz = {8000,  11025, 12000, 16000, 22050,
                                               24000, 32000, 44100, 48000};

std::string& waveFile() {
    static std::string path;
    return path;
}

// Where file names made from texts are tried; emptied after each.
std::string& namesFolder() {
    static std::string path;
    return path;
}

bool isSpeakingResult(int32_t result) {
    switch (result) {
        case LENVORO_RESULT_REFUSED:
        case LENVORO_RESULT_DONE:
        case LENVORO_RESULT_ENGINE_FAILED:
        case LENVORO_RESULT_NO_MEMORY:
            return true;
        default:
            return false;
    }
}

// The arguments a byte asks for: mostly within range so that the text is
// read, now and then out of range so that it is refused.
struct Arguments {
    int32_t voice, rate, volume, format, punctuation;

    explicit Arguments(uint8_t bits, bool mixed) {
        static constexpr std::array<int32_t, 4> kSettings = {LENVORO_KEEP_SETTING, 0, 50, 100};
        static constexpr std::array<int32_t, 4> kPairs = {1, 3, 5, 7};
        voice = mixed ? kPairs[bits % 4] : static_cast<int32_t>(bits % 6) - 1;
        rate = kSettings[(bits >> 2) % 4];
        volume = kSettings[(bits >> 4) % 4];
        format = bits % 36;
        punctuation = (bits >> 6) % 2;
        if ((bits & 0xC0) == 0xC0) {  // a hostile caller
            rate = 101 + bits;
            format = -bits;
        }
    }
};

// A wave file is written whole when the text is read, and not at all for an
// empty text or a refusal; it is in the format asked for.
void checkWaveResult(int32_t result, bool emptyText, const Arguments& arguments) {
    FUZZ_CHECK(isSpeakingResult(result));
    struct stat info {};
    const bool written = stat(waveFile().c_str(), &info) == 0;
    if (result != LENVORO_RESULT_DONE || emptyText) {
        FUZZ_CHECK(!written);
        return;
    }
    FUZZ_CHECK(written);
    std::string error;
    const auto wave = lenvoro::audio::readWaveFile(waveFile(), &error);
    FUZZ_CHECK(wave.has_value());
    FUZZ_CHECK(wave->format.sampleRate ==
               kFormatRatesHz[static_cast<size_t>(arguments.format) / 4]);
    FUZZ_CHECK(wave->format.channels == 1 + arguments.format % 2);
    unlink(waveFile().c_str());
}

std::u16string wideText(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                             static_cast<uint8_t>(bytes[i + 1]) << 8));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("LENVORO_AUDIO", "null", 1);
    setenv("LENVORO_DATA_DIR", LENVORO_FUZZ_DATA_DIR, 1);
    setenv("LC_ALL", "zh_CN.GBK", 1);
    static std::string folder =
        (std::filesystem::temp_directory_path() / "lenvoro-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr)
        fuzz::fail("mkdtemp", __FILE__, __LINE__);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
    // The user's settings stay out of it, and nothing is prompted for.
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    lenvoro::SetVoicePromptHandler([](intptr_t, int32_t) {});
    waveFile() = folder + "/speech.wav";
    namesFolder() = folder + "/names";
    std::filesystem::create_directory(namesFolder());
    if (Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", "") != LENVORO_RESULT_DONE)
        fuzz::fail("the engine does not start", __FILE__, __LINE__);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > kMaximumInputBytes)
        return 0;
    const uint8_t entry = data[0];
    const std::string_view bytes = fuzz::bytesOf(data + 2, size - 2);
    // The A forms read a C string: up to the first NUL.
    const std::string text(bytes.substr(0, bytes.find('\0')));
    const std::u16string wide = wideText(bytes).c_str();
    switch (entry % 6) {
        case 0: {  // one voice into a wave file
            const Arguments arguments(data[1], false);
            const std::string shortText = text.substr(0, kMaximumWaveTextBytes);
            checkWaveResult(
                Lenvoro_SpeakToWave(shortText.c_str(), waveFile().c_str(), LENVORO_MODE_SYNC,
                                    arguments.voice, arguments.rate, arguments.volume,
                                    arguments.format, arguments.punctuation, nullptr),
                shortText.empty(), arguments);
            break;
        }
        case 1: {  // a voice pair into a wave file
            const Arguments arguments(data[1], true);
            const std::string shortText = text.substr(0, kMaximumWaveTextBytes);
            checkWaveResult(
                Lenvoro_SpeakToWave(shortText.c_str(), waveFile().c_str(), LENVORO_MODE_MIXED_SYNC,
                                    arguments.voice, arguments.rate, arguments.volume,
                                    arguments.format, arguments.punctuation, nullptr),
                shortText.empty(), arguments);
            break;
        }
        case 2: {  // the W form into a wave file
            const Arguments arguments(data[1], (data[1] & 1) != 0);
            const std::u16string shortText = wide.substr(0, kMaximumWaveTextBytes / 2);
            const std::u16string file(waveFile().begin(), waveFile().end());
            checkWaveResult(Dll_Lenvoro_SpeakToWaveW(
                                shortText.c_str(), file.c_str(),
                                (data[1] & 1) != 0 ? LENVORO_MODE_MIXED_SYNC : LENVORO_MODE_SYNC,
                                arguments.voice, arguments.rate, arguments.volume, arguments.format,
                                arguments.punctuation, nullptr),
                            shortText.empty(), arguments);
            break;
        }
        case 3:
        case 4: {  // reading aloud, one voice or a pair, stopped at once
            const bool mixed = entry % 6 == 4;
            const Arguments arguments(data[1], mixed);
            const int32_t mode = mixed ? LENVORO_MODE_MIXED_ASYNC : LENVORO_MODE_ASYNC;
            const int32_t result =
                (entry & 0x80) != 0
                    ? Dll_Lenvoro_SpeakW(wide.c_str(), mode, arguments.voice, arguments.rate,
                                         arguments.volume, arguments.punctuation, wide.c_str())
                    : Lenvoro_Speak(text.c_str(), mode, arguments.voice, arguments.rate,
                                    arguments.volume, arguments.punctuation, text.c_str());
            FUZZ_CHECK(isSpeakingResult(result));
            Lenvoro_SetVolume(data[1]);
            Lenvoro_SetSpeed(data[1]);
            FUZZ_CHECK(Lenvoro_Stop() == LENVORO_RESULT_OK);
            const int32_t progress = Lenvoro_GetLocationInfo();
            FUZZ_CHECK(progress >= 0 && progress <= 100);
            break;
        }
        case 5: {  // the text as a file name, inside a folder of its own
            std::string name = text.substr(0, 300);
            for (size_t dots; (dots = name.find("..")) != std::string::npos;)
                name.erase(dots, 1);
            const std::string path = namesFolder() + "/" + name;
            const int32_t result =
                Lenvoro_SpeakToWave("\xC4\xE3", path.c_str(), LENVORO_MODE_SYNC, -1, -1, -1,
                                    data[1] % 36, LENVORO_PUNCTUATION_KEEP, path.c_str());
            FUZZ_CHECK(result == LENVORO_RESULT_DONE || result == LENVORO_RESULT_ENGINE_FAILED);
            // A file written is one regular file in the folder; a failure writes none.
            size_t files = 0;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(namesFolder())) {
                FUZZ_CHECK(entry.is_regular_file() || entry.is_directory());
                files += entry.is_regular_file() ? 1 : 0;
            }
            FUZZ_CHECK(files == (result == LENVORO_RESULT_DONE ? 1u : 0u));
            for (const auto& entry : std::filesystem::directory_iterator(namesFolder()))
                std::filesystem::remove_all(entry.path());
            break;
        }
    }
    return 0;
}
