// The speech engine measured side by side with espeak-ng's own C API, on the
// same texts, in one run, in English ("Microsoft Sam") and in Chinese
// ("Microsoft Simplified Chinese", which hands espeak-ng the pinyin of the
// readings; espeak-ng alone gets that pinyin ready-made, so the Chinese
// figures include the readings' own time):
//   first audio   asynchronous speak -> first samples handed to the output,
//                 against espeak_Synth -> first callback with samples
//   purge         purge during a long reading -> voice idle
//   rate change   setRate during a reading -> first word heard at the new rate
//   file          speaking to a 44.1 kHz 16-bit stereo file, against espeak-ng
//                 synthesis alone (audio seconds produced per second)
//   file/espeak   the same as a ratio of pairs: each pair times espeak-ng and
//                 the engine back to back (in alternating order), so a load
//                 from other programs that comes and goes hits both alike;
//                 the median and range of the pairs' ratios
//   memory        a 1 MB text read to a file: growth of the resident set
// Run: LENVORO_AUDIO=null build/bin/lenvoro_speech_bench
#include <benchmark/benchmark.h>
#include <espeak-ng/speak_lib.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "engine/file_stream.h"
#include "engine/mandarin_text.h"
#include "engine/synthesizer.h"
#include "engine/voice.h"

using namespace lenvoro;
using namespace lenvoro::engine;
using Clock = std::chrono::steady_clock;

namespace {

const std::u16string kSentence =
    u"The quick brown fox jumps over the lazy dog, and everyone was happy. ";
const std::wstring kWideSentence =
    L"The quick brown fox jumps over the lazy dog, and everyone was happy. ";
const std::u16string kChineseSentence = u"小白兔爱吃胡萝卜，它每天早上都去菜园里看一看。";

// A voice token with the text it reads and what espeak-ng alone reads for it.
struct BenchLanguage {
    std::u16string voiceName;
    std::u16string sentence;
    std::wstring espeakSentence;
    EspeakVoice espeakVoice;  // looked up before taking espeak-ng exclusively
};
BenchLanguage english{u"Microsoft Sam", kSentence, kWideSentence, {}};
BenchLanguage chinese{u"Microsoft Simplified Chinese", kChineseSentence, {}, {}};

std::filesystem::path benchFolder() {
    static const auto folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "lenvoro-bench-XXXXXX").string();
        return std::filesystem::path(mkdtemp(pattern.data()));
    }();
    return folder;
}

std::shared_ptr<const ObjectToken> tokenNamed(const std::u16string& name) {
    std::shared_ptr<TokenCategory> category;
    std::shared_ptr<TokenEnumeration> found;
    std::shared_ptr<const ObjectToken> token;
    TokenCategory::open(kVoicesCategoryId, false, &category);
    category->enumTokens(u"Name=" + name, u"", &found);
    found->next(&token);
    return token;
}

// What espeak-ng reads for the Chinese sentence: the pinyin our Chinese voice
// hands it, with the espeak-ng voice and variant that voice names.
void prepareChinese() {
    const std::u16string& text = chinese.sentence;
    for (const TextSegment& segment : mandarinSegments(std::u32string(text.begin(), text.end()))) {
        chinese.espeakSentence.append(segment.text.begin(), segment.text.end());
        chinese.espeakSentence += L' ';
    }
    chinese.espeakVoice = tokenNamed(chinese.voiceName)->espeakVoice();
    chinese.espeakVoice.name = kPinyinEspeakVoice;
    english.espeakVoice = tokenNamed(english.voiceName)->espeakVoice();
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

void selectDirectly(const EspeakVoice& v) {
    espeak_SetVoiceByName((v.name + "+" + v.variant).c_str());
    espeak_SetParameter(espeakPITCH, v.pitch, 0);
    espeak_SetParameter(espeakRATE, 175, 0);
}

void firstAudioWithEspeak(benchmark::State& state, const BenchLanguage& language) {
    for (auto _ : state) {
        Synthesizer::instance().runExclusively([&] {
            espeak_SetSynthCallback(baselineCallback);
            selectDirectly(language.espeakVoice);
            baselineFirst = false;
            baselineStart = Clock::now();
            const std::wstring& text = language.espeakSentence;
            espeak_Synth(text.c_str(), (text.size() + 1) * sizeof(wchar_t), 0, POS_CHARACTER, 0,
                         espeakCHARS_WCHAR, nullptr, nullptr);
        });
        state.SetIterationTime(baselineFirstSeconds);
    }
}

void BM_FirstAudio_Espeak(benchmark::State& state) {
    firstAudioWithEspeak(state, english);
}
BENCHMARK(BM_FirstAudio_Espeak)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

void firstAudioWithVoice(benchmark::State& state, const BenchLanguage& language) {
    std::shared_ptr<Voice> voice;
    Voice::create(&voice);
    voice->setVoice(tokenNamed(language.voiceName));
    std::atomic<audio::AudioOutput*> output{nullptr};
    voice->setOutputFactory([&](const audio::AudioFormat& format) {
        auto made = audio::openNullOutput(format, 1000.0);  // plays everything at once
        output = made.get();
        return made;
    });
    voice->speak(language.sentence, kSpeakSync);  // opens the output, sets the readings up
    for (auto _ : state) {
        const uint64_t before = output.load()->framesWritten();
        const auto start = Clock::now();
        voice->speak(language.sentence, kSpeakAsync);
        while (output.load()->framesWritten() == before) {
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        voice->speak(u"", kSpeakPurgeBeforeSpeak);
        voice->waitUntilDone();
    }
}

void BM_FirstAudio_Voice(benchmark::State& state) {
    firstAudioWithVoice(state, english);
}
BENCHMARK(BM_FirstAudio_Voice)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_FirstAudio_Espeak_Chinese(benchmark::State& state) {
    firstAudioWithEspeak(state, chinese);
}
BENCHMARK(BM_FirstAudio_Espeak_Chinese)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

void BM_FirstAudio_Voice_Chinese(benchmark::State& state) {
    firstAudioWithVoice(state, chinese);
}
BENCHMARK(BM_FirstAudio_Voice_Chinese)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

void BM_PurgeToIdle(benchmark::State& state) {
    std::shared_ptr<Voice> voice;
    Voice::create(&voice);
    voice->setOutputFactory(
        [](const audio::AudioFormat& format) { return audio::openNullOutput(format); });
    std::u16string text;
    for (int i = 0; i < 50; ++i)
        text += kSentence;
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

// A rate change during a reading, at real-time pace: the time from the call
// until the first word of the audio synthesised at the new rate is heard (the
// word being heard is let finish when little of it is left, else it is read
// again at once), and the words heard per second before and after.
void BM_RateChangeHeard(benchmark::State& state) {
    std::shared_ptr<Voice> voice;
    Voice::create(&voice);
    voice->setOutputFactory(
        [](const audio::AudioFormat& format) { return audio::openNullOutput(format); });
    std::mutex mutex;
    std::vector<Clock::time_point> heard;
    voice->setInterest(eventBit(kEventWordBoundary), eventBit(kEventWordBoundary));
    voice->setNotifyCallback([&] {
        VoiceEvent event;
        std::lock_guard lock(mutex);
        while (voice->getEvent(&event) == kOk)
            heard.push_back(Clock::now());
    });
    std::u16string text;
    for (int i = 0; i < 20; ++i)
        text += kSentence;
    double before = 0, after = 0;
    for (auto _ : state) {
        voice->setRate(0);
        {
            std::lock_guard lock(mutex);
            heard.clear();
        }
        voice->speak(text, kSpeakAsync);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const auto call = Clock::now();
        voice->setRate(10);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        voice->speak(u"", kSpeakPurgeBeforeSpeak);
        voice->waitUntilDone();
        std::lock_guard lock(mutex);
        const auto first =
            std::find_if(heard.begin(), heard.end(), [&](auto t) { return t >= call; });
        if (first == heard.end()) {
            state.SkipWithError("no word heard after the change");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*first - call).count());
        const auto perSecond = [](auto from, auto to) {
            return to - from < 2
                       ? 0.0
                       : (to - from - 1) / std::chrono::duration<double>(*(to - 1) - *from).count();
        };
        before += perSecond(heard.begin(), first);
        after += perSecond(first, heard.end());
    }
    state.counters["words_per_s_before"] =
        benchmark::Counter(before, benchmark::Counter::kAvgIterations);
    state.counters["words_per_s_after"] =
        benchmark::Counter(after, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RateChangeHeard)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

constexpr int kThroughputSentences = 200;

// Audio seconds espeak-ng synthesises from the throughput text in one call.
double synthesizeWithEspeak(const std::wstring& text, const EspeakVoice& voice) {
    Synthesizer::instance().runExclusively([&] {
        espeak_SetSynthCallback(baselineCallback);
        selectDirectly(voice);
        baselineSamples = 0;
        espeak_Synth(text.c_str(), (text.size() + 1) * sizeof(wchar_t), 0, POS_CHARACTER, 0,
                     espeakCHARS_WCHAR, nullptr, nullptr);
    });
    return baselineSamples / 22050.0;
}

template <typename Text>
Text repeated(const Text& sentence) {
    Text text;
    for (int i = 0; i < kThroughputSentences; ++i)
        text += sentence;
    return text;
}

std::wstring throughputWideText() {
    return repeated(kWideSentence);
}
std::u16string throughputText() {
    return repeated(kSentence);
}

std::filesystem::path throughputPath() {
    return benchFolder() / "throughput.wav";
}

// Audio seconds in the file the engine wrote from text, with a fresh voice
// and stream as an application would use them. The file of the previous run
// must be gone: replacing it would add the freeing of its blocks (17 ms for
// the 155 MB of a 44.1 kHz stereo reading) to this run.
double speakWithEngine(const std::u16string& text, int32_t formatId,
                       const std::u16string& voiceName = english.voiceName) {
    const auto path = throughputPath();
    const auto format = *streamFormatFromId(formatId);
    std::shared_ptr<FileStream> stream;
    FileStream::create(path, format, &stream);
    std::shared_ptr<Voice> voice;
    Voice::create(&voice);
    voice->setVoice(tokenNamed(voiceName));
    voice->setOutput(stream, false);
    voice->speak(text, kSpeakSync);
    stream->close();
    return static_cast<double>(std::filesystem::file_size(path) - 44) / format.bytesPerSecond();
}

void BM_Synthesis_Espeak(benchmark::State& state) {
    const std::wstring text = throughputWideText();
    double audioSeconds = 0;
    for (auto _ : state)
        audioSeconds += synthesizeWithEspeak(text, english.espeakVoice);
    state.counters["audio_s_per_s"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Synthesis_Espeak)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void speakToFile(benchmark::State& state, int32_t formatId) {
    const std::u16string text = throughputText();
    double audioSeconds = 0;
    for (auto _ : state) {
        audioSeconds += speakWithEngine(text, formatId);
        state.PauseTiming();
        std::filesystem::remove(throughputPath());
        state.ResumeTiming();
    }
    state.counters["audio_s_per_s"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

void BM_SpeakToFile_44kHz16BitStereo(benchmark::State& state) {
    speakToFile(state, 35);
}
BENCHMARK(BM_SpeakToFile_44kHz16BitStereo)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

void BM_SpeakToFile_22kHz16BitMono(benchmark::State& state) {
    speakToFile(state, 22);
}
BENCHMARK(BM_SpeakToFile_22kHz16BitMono)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Throughput of the engine's file output divided by espeak-ng's, measured in
// pairs; also the same ratio of CPU time (all threads of the process).
void fileAgainstEspeak(benchmark::State& state, int32_t formatId,
                       const BenchLanguage& language = english) {
    const std::wstring wide = repeated(language.espeakSentence);
    const std::u16string text = repeated(language.sentence);
    std::vector<double> ratios, cpuRatios;
    for (auto _ : state) {
        double rate[2] = {0, 0}, cpuRate[2] = {0, 0};  // [0] espeak-ng, [1] engine
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (turn + static_cast<int>(ratios.size())) % 2;
            const auto start = Clock::now();
            const double cpuStart = processCpuSeconds();
            const double audio = which == 0 ? synthesizeWithEspeak(wide, language.espeakVoice)
                                            : speakWithEngine(text, formatId, language.voiceName);
            rate[which] = audio / std::chrono::duration<double>(Clock::now() - start).count();
            cpuRate[which] = audio / (processCpuSeconds() - cpuStart);
            std::filesystem::remove(throughputPath());
        }
        ratios.push_back(rate[1] / rate[0]);
        cpuRatios.push_back(cpuRate[1] / cpuRate[0]);
    }
    state.counters["ratio_median"] = median(ratios);
    state.counters["ratio_min"] = *std::min_element(ratios.begin(), ratios.end());
    state.counters["ratio_max"] = *std::max_element(ratios.begin(), ratios.end());
    state.counters["cpu_ratio_median"] = median(cpuRatios);
}

void BM_FileAgainstEspeak_44kHz16BitStereo(benchmark::State& state) {
    fileAgainstEspeak(state, 35);
}
BENCHMARK(BM_FileAgainstEspeak_44kHz16BitStereo)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(11)
    ->UseRealTime();

void BM_FileAgainstEspeak_22kHz16BitMono(benchmark::State& state) {
    fileAgainstEspeak(state, 22);
}
BENCHMARK(BM_FileAgainstEspeak_22kHz16BitMono)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(11)
    ->UseRealTime();

void BM_FileAgainstEspeak_Chinese_44kHz16BitStereo(benchmark::State& state) {
    fileAgainstEspeak(state, 35, chinese);
}
BENCHMARK(BM_FileAgainstEspeak_Chinese_44kHz16BitStereo)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(11)
    ->UseRealTime();

void BM_FileAgainstEspeak_Chinese_22kHz16BitMono(benchmark::State& state) {
    fileAgainstEspeak(state, 22, chinese);
}
BENCHMARK(BM_FileAgainstEspeak_Chinese_22kHz16BitMono)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(11)
    ->UseRealTime();

long residentKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    }
    return 0;
}

void BM_MegabyteTextToFile_Memory(benchmark::State& state) {
    std::u16string text;
    while (text.size() < 1024 * 1024)
        text += kSentence;
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
        FileStream::create(path, *streamFormatFromId(4),
                           &stream);  // 8 kHz 8-bit mono keeps the file small
        std::shared_ptr<Voice> voice;
        Voice::create(&voice);
        voice->setOutput(stream, false);
        voice->speak(text, kSpeakSync);
        stream->close();
        running = false;
        sampler.join();
        state.counters["rss_growth_MB"] = static_cast<double>(peak - before) / 1024.0;
        state.counters["audio_hours"] =
            static_cast<double>(std::filesystem::file_size(path)) / 8000 / 3600;
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
    prepareChinese();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(benchFolder());
    return 0;
}
