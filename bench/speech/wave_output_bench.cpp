// Speaking to a wave file through the library's interface against the
// espeak-ng command writing the same text to a file (-w), in one run, on the
// same texts, at the same speed, both at 22.05 kHz 16-bit mono.
//
// The library call includes everything a caller waits for: a fresh voice,
// the voice lookup, synthesis, conversion and the file put in place. The
// command includes its own start-up, which is what a script calling it pays.
// Each pair times both back to back, in alternating order, so that load from
// other programs that comes and goes hits both alike; the median and range
// of the pairs' ratios are reported.
//
// Run: LENVORO_AUDIO=null build/bin/lenvoro_wave_bench [PAIRS]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "lenvoro.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct BenchText {
    const char* name;
    std::string text;
    int32_t voice;            // the library's voice choice
    const char* espeakVoice;  // the espeak-ng voice that library voice speaks with
    std::string commandText;  // what the command reads instead of text, if anything
};

std::string Repeated(const std::string& sentence, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += sentence;
    return text;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double TimeLibrary(const BenchText& text, const std::string& path) {
    const auto start = Clock::now();
    const int32_t result =
        Lenvoro_SpeakToWave(text.text.c_str(), path.c_str(), LENVORO_MODE_SYNC, text.voice, 50, 100,
                            LENVORO_FORMAT_22KHZ_16BIT_MONO, 1, nullptr);
    const double seconds = SecondsSince(start);
    if (result != LENVORO_RESULT_DONE) {
        std::fprintf(stderr, "Lenvoro_SpeakToWave returned %d\n", result);
        std::exit(1);
    }
    return seconds;
}

double TimeCommand(const BenchText& text, const std::string& path) {
    const std::string voice = text.espeakVoice;
    const std::string& spoken = text.commandText.empty() ? text.text : text.commandText;
    std::vector<char*> argv = {const_cast<char*>("espeak-ng"),
                               const_cast<char*>("-v"),
                               const_cast<char*>(voice.c_str()),
                               const_cast<char*>("-s"),
                               const_cast<char*>("175"),
                               const_cast<char*>("-w"),
                               const_cast<char*>(path.c_str()),
                               const_cast<char*>(spoken.c_str()),
                               nullptr};
    const auto start = Clock::now();
    pid_t child = 0;
    if (posix_spawnp(&child, "espeak-ng", nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start espeak-ng\n");
        std::exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = SecondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "espeak-ng failed\n");
        std::exit(1);
    }
    return seconds;
}

double AudioSeconds(const std::string& path) {
    // 44-byte header, then 22050 frames of 2 bytes per second.
    const auto bytes = std::filesystem::file_size(path);
    return bytes > 44 ? static_cast<double>(bytes - 44) / 44100.0 : 0.0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::vector<BenchText> texts = {
        {"short English (60 chars)",
         "The quick brown fox jumps over the lazy dog, and all was well.", LENVORO_VOICE_SAM,
         "en-us+m1", ""},
        {"English (6.9 kB)",
         Repeated("The quick brown fox jumps over the lazy dog, and everyone was happy. ", 100),
         LENVORO_VOICE_SAM, "en-us+m1", ""},
        // The Chinese voice hands espeak-ng's pinyin voice the readings; the
        // command gets the same pinyin ready-made.
        {"Chinese (3.6 kB)", Repeated("今天天气很好，我们一起去公园看花。", 70),
         LENVORO_VOICE_SIMPLIFIED_CHINESE, "cmn-latn-pinyin+m3",
         Repeated("jin1tian1 tian1qi4 hen3 hao3, wo3men5 yi4qi3 qu4 gong1yuan2 kan4 hua1. ", 70)},
    };
    if (Lenvoro_InitialAuth(0, LENVORO_VOICE_DEFAULT, -1, -1, "", "", "", "") !=
        LENVORO_RESULT_DONE) {
        std::fprintf(stderr, "the engine cannot start\n");
        return 1;
    }
    char folderPattern[] = "/tmp/lenvoro-wave-bench-XXXXXX";
    const std::string folder = mkdtemp(folderPattern);
    const std::string ours = folder + "/library.wav";
    const std::string theirs = folder + "/command.wav";

    std::printf("%-26s %14s %14s %14s %22s\n", "text", "library ms", "espeak-ng ms", "audio s",
                "throughput ratio");
    for (const BenchText& text : texts) {
        TimeLibrary(text, ours);  // warm both up: voice data, page cache
        TimeCommand(text, theirs);
        std::vector<double> library, command, ratios;
        for (int pair = 0; pair < pairs; ++pair) {
            double a = 0, b = 0;
            if (pair % 2 == 0) {
                a = TimeLibrary(text, ours);
                b = TimeCommand(text, theirs);
            } else {
                b = TimeCommand(text, theirs);
                a = TimeLibrary(text, ours);
            }
            library.push_back(a);
            command.push_back(b);
            ratios.push_back(b / a);  // > 1: the library is faster
        }
        std::printf("%-26s %14.1f %14.1f %6.1f / %5.1f %10.2fx [%.2f..%.2f]\n", text.name,
                    Median(library) * 1000, Median(command) * 1000, AudioSeconds(ours),
                    AudioSeconds(theirs), Median(ratios),
                    *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()));
    }
    std::filesystem::remove_all(folder);
    Lenvoro_Close();
    return 0;
}
