// What a caller waits for in the speaking calls: how long Lenvoro_Speak in
// the asynchronous mode takes to return with a 10 000-character text (idle,
// and over a reading it must stop first), how long Lenvoro_Stop takes in the
// middle of a long reading, and how fast the mixed-language markup is built.
// Audio goes to the null output; no window is given.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "lenvoro.h"
#include "markup.h"

namespace {

using Clock = std::chrono::steady_clock;

std::u16string MixedText(size_t units) {
    const std::u16string pieces[] = {u"小猫在花园里玩球。", u"The kitten plays with a ball. ",
                                     u"它跑得很快，", u"then it sleeps in the sun, ", u"\r\n"};
    std::mt19937 random(7);
    std::u16string text;
    while (text.size() < units)
        text += pieces[random() % std::size(pieces)];
    text.resize(units);
    return text;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// A 10 000-character text handed over while nothing is being read: the
// reading before has ended by itself.
void BM_SpeakAsyncReturn_Idle(benchmark::State& state) {
    const std::u16string text = MixedText(10000);
    for (auto _ : state) {
        Dll_Lenvoro_SpeakW(u"a", 10, 0, -1, -1, 1, nullptr);
        const auto start = Clock::now();
        const int32_t result = Dll_Lenvoro_SpeakW(text.c_str(), 11, 0, -1, -1, 1, nullptr);
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (result != 10)
            state.SkipWithError("Lenvoro_Speak did not return 10");
    }
    Dll_Lenvoro_Stop();
}
BENCHMARK(BM_SpeakAsyncReturn_Idle)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

// The same while the previous text is being heard: the call stops it first
// and releases its voice, which waits for the engine's thread to leave the
// piece it is synthesising.
void BM_SpeakAsyncReturn_OverAReading(benchmark::State& state) {
    const std::u16string text = MixedText(10000);
    Dll_Lenvoro_SpeakW(text.c_str(), 11, 0, -1, -1, 1, nullptr);
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const auto start = Clock::now();
        const int32_t result = Dll_Lenvoro_SpeakW(text.c_str(), 11, 0, -1, -1, 1, nullptr);
        state.SetIterationTime(Seconds(Clock::now() - start));
        if (result != 10)
            state.SkipWithError("Lenvoro_Speak did not return 10");
    }
    Dll_Lenvoro_Stop();
}
BENCHMARK(BM_SpeakAsyncReturn_OverAReading)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(30);

// Stop in the middle of a long reading, until the voice is quiet.
void BM_StopDuringReading(benchmark::State& state) {
    const std::u16string text = MixedText(10000);
    for (auto _ : state) {
        Dll_Lenvoro_SpeakW(text.c_str(), 11, 0, -1, -1, 1, nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const auto start = Clock::now();
        Dll_Lenvoro_Stop();
        state.SetIterationTime(Seconds(Clock::now() - start));
    }
}
BENCHMARK(BM_StopDuringReading)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// Markup of a 1 MB (UTF-16) mixed text; bytes/s counts the input text.
void BM_BuildVoiceMarkup_1MB(benchmark::State& state) {
    const std::u16string text = MixedText(512 * 1024);
    for (auto _ : state) {
        std::u16string work = text;
        const auto built = lenvoro::BuildVoiceMarkup(work, 3);
        benchmark::DoNotOptimize(work.data());
        if (built != lenvoro::MarkupBuild::Built)
            state.SkipWithError("markup not built");
    }
    state.SetBytesProcessed(
        static_cast<int64_t>(state.iterations() * text.size() * sizeof(char16_t)));
}
BENCHMARK(BM_BuildVoiceMarkup_1MB)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("LENVORO_AUDIO", "null", 1);
    setenv("LENVORO_DATA_DIR", LENVORO_BENCH_DATA_DIR, 0);
    benchmark::Initialize(&argc, argv);
    if (Lenvoro_InitialAuth(0, -1, -1, -1, "", "", "", "") != 10)
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    Lenvoro_Close();
    benchmark::Shutdown();
    return 0;
}
