// The speech engine measured side by side with espeak-ng's own C API, on the
// same texts, in one run:
//   first audio   asynchronous speak -> first samples handed to the output,
//                 against espeak_Synth -> first callback with samples
//   purge         purge during a long reading -> voice idle
//   file          speaking to a 44.1 kHz 16-bit stereo file, against espeak-ng
//                 synthesis alone (audio seconds produced per second)
//   memory        a 1 MB text read to a file: growth of the resident set
// Run: LENVORO_AUDIO=null build/bin/lenvoro_speech_bench
#include <benchmark/benchmark.h>
#include <espeak-ng/speak_lib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "engine/file_stream.h"
#include "engine/synthesizer.h"
#include "engine/voice.h"

using namespace lenvoro;
using namespace lenvoro::engine;
using Clock = std::chrono::steady_clock;

namespace {

const std::u16string kSentence = u"The quick brown fox jumps over the lazy dog, and everyone was happy. ";
const std::wstring kWideSentence = L"The quick brown fox jumps over the lazy dog, and everyone was happy. ";

std::filesystem::path benchFolder() {
    static const auto folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "lenvoro-bench-XXXXXX").string();
        return std::filesystem::path(mkdtemp(pattern.data()));
    }();
    return folder;
}

std::shared_ptr<const ObjectToken> samToken() {
    std::shared_ptr<TokenCategory> category;
    std::shared_ptr<TokenEnumeration> found;
    std::shared_ptr<const ObjectToken> token;
    TokenCategory::open(kVoicesCategoryId, false, &category);
    category->enumTokens(u"Name=Microsoft Sam", u"", &found);
    found->next(&token);
    return token;
}

// espeak-ng on its own: time to the first callback that carries samples.
Clock::time_point baselineStart;
std::atomic<bool> baselineFirst{false};
double baselineFirstSeconds = 0;
long baselineSamples = 0;
int baselineCallback(short*, int count, espeak_EVENT*) {
    if (count > 0 && !baselineFirst.exchange(true)) {
        baselineFirstSeconds = std::chrono::duration<double>(Clock::now() - baselineStart).count();
    }
    baselineSamples += count;
    return 0;
}

// Looked up before taking espeak-ng exclusively: token lookups use it too.
EspeakVoice samEspeakVoice;

void selectSamDirectly() {
    const EspeakVoice& v = samEspeakVoice;
    espeak_SetVoiceByName((v.name + "+" + v.variant).c_str());
    espeak_SetParameter(espeakPITCH, v.pitch, 0);
    espeak_SetParameter(espeakRATE, 175, 0);
}

void BM_FirstAudio_Espeak(benchmark::State& state) {
    for (auto _ : state) {
        Synthesizer::instance().runExclusively([] {
            espeak_SetSynthCallback(baselineCallback);
            selectSamDirectly();
            baselineFirst = false;
            baselineStart = Clock::now();
            espeak_Synth(kWideSentence.c_str(), (kWideSentence.size() + 1) * sizeof(wchar_t), 0,
                         POS_CHARACTER, 0, espeakCHARS_WCHAR, nullptr, nullptr);
        });
        state.SetIterationTime(baselineFirstSeconds);
    }
}
BENCHMARK(BM_FirstAudio_Espeak)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_FirstAudio_Voice(benchmark::State& state) {
    std::shared_ptr<Voice> voice;
    Voice::create(&voice);
    voice->setVoice(samToken());
    std::atomic<audio::AudioOutput*> output{nullptr};
    voice->setOutputFactory([&](const audio::AudioFormat& format) {
        auto made = audio::openNullOutput(format, 1000.0);  // plays everything at once
        output = made.get();
        return made;
    });
    voice->speak(u"warm up", kSpeakSync);  // opens the output
    for (auto _ : state) {
        const uint64_t before = output.load()->framesWritten();
        const auto start = Clock::now();
        voice->speak(kSentence, kSpeakAsync);
        while (output.load()->framesWritten() == before) {
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        voice->speak(u"", kSpeakPurgeBeforeSpeak);
        voice->waitUntilDone();
    }
}
BENCHMARK(BM_FirstAudio_Voice)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_PurgeToIdle(benchmark::State& state) {
    std::shared_ptr<Voice> voice;
    Voice::create(&voice);
    voice->setOutputFactory([](const audio::AudioFormat& format) { return audio::openNullOutput(format); });
    std::u16string text;
    for (int i = 0; i < 50; ++i) text += kSentence;
    for (auto _ : state) {
        voice->speak(text, kSpeakAsync);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const auto start = Clock::now();
        voice->speak(u"", kSpeakPurgeBeforeSpeak);
        voice->waitUntilDone();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_PurgeToIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

constexpr int kThroughputSentences = 200;

void BM_Synthesis_Espeak(benchmark::State& state) {
    std::wstring text;
    for (int i = 0; i < kThroughputSentences; ++i) text += kWideSentence;
    double audioSeconds = 0;
    for (auto _ : state) {
        Synthesizer::instance().runExclusively([&] {
            espeak_SetSynthCallback(baselineCallback);
            selectSamDirectly();
            baselineSamples = 0;
            espeak_Synth(text.c_str(), (text.size() + 1) * sizeof(wchar_t), 0, POS_CHARACTER, 0,
                         espeakCHARS_WCHAR, nullptr, nullptr);
        });
        audioSeconds += baselineSamples / 22050.0;
    }
    state.counters["audio_s_per_s"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Synthesis_Espeak)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void speakToFile(benchmark::State& state, int32_t formatId) {
    std::u16string text;
    for (int i = 0; i < kThroughputSentences; ++i) text += kSentence;
    double audioSeconds = 0;
    const auto path = benchFolder() / "throughput.wav";
    for (auto _ : state) {
        std::shared_ptr<FileStream> stream;
        FileStream::create(path, *streamFormatFromId(formatId), &stream);
        std::shared_ptr<Voice> voice;
        Voice::create(&voice);
        voice->setVoice(samToken());
        voice->setOutput(stream, false);
        voice->speak(text, kSpeakSync);
        stream->close();
        const auto format = *streamFormatFromId(formatId);
        audioSeconds += static_cast<double>(std::filesystem::file_size(path) - 44) / format.bytesPerSecond();
    }
    state.counters["audio_s_per_s"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

void BM_SpeakToFile_44kHz16BitStereo(benchmark::State& state) { speakToFile(state, 35); }
BENCHMARK(BM_SpeakToFile_44kHz16BitStereo)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_SpeakToFile_22kHz16BitMono(benchmark::State& state) { speakToFile(state, 22); }
BENCHMARK(BM_SpeakToFile_22kHz16BitMono)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

long residentKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return 0;
}

void BM_MegabyteTextToFile_Memory(benchmark::State& state) {
    std::u16string text;
    while (text.size() < 1024 * 1024) text += kSentence;
    for (auto _ : state) {
        const long before = residentKilobytes("VmRSS:");
        std::atomic<long> peak{before};
        std::atomic<bool> running{true};
        std::thread sampler([&] {
            while (running) {
                peak = std::max(peak.load(), residentKilobytes("VmRSS:"));
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        const auto path = benchFolder() / "megabyte.wav";
        std::shared_ptr<FileStream> stream;
        FileStream::create(path, *streamFormatFromId(4), &stream);  // 8 kHz 8-bit mono keeps the file small
        std::shared_ptr<Voice> voice;
        Voice::create(&voice);
        voice->setOutput(stream, false);
        voice->speak(text, kSpeakSync);
        stream->close();
        running = false;
        sampler.join();
        state.counters["rss_growth_MB"] = static_cast<double>(peak - before) / 1024.0;
        state.counters["audio_hours"] = static_cast<double>(std::filesystem::file_size(path)) / 8000 / 3600;
        state.counters["raw_audio_MB"] =
            static_cast<double>(std::filesystem::file_size(path)) * 2 * 22050 / 8000 / 1e6;
        std::filesystem::remove(path);
    }
}
BENCHMARK(BM_MegabyteTextToFile_Memory)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    setenv("LENVORO_AUDIO", "null", 0);
    setenv("LENVORO_DATA_DIR", LENVORO_BENCH_DATA_DIR, 0);
    std::string config = (benchFolder() / "config").string();
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    samEspeakVoice = samToken()->espeakVoice();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(benchFolder());
    return 0;
}
