// How fast the Mandarin readings are: the first call (setting up the
// dictionary) and reading Chinese text, in megabytes of UTF-8 per second.
//
//   build/bench/mandarin_readings_bench            reading speed
//   build/bench/mandarin_readings_bench --setup    set-up time and resident memory
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "mandarin/readings.h"

namespace {

// The picture texts and children's sentences, repeated to about 1 MB.
const std::string& chineseText() {
    static const std::string text = [] {
        std::string sample;
        std::ifstream table(MANDARIN_SOURCE_DIR "/tests/unit/mandarin/sentences.tsv");
        std::string line;
        while (std::getline(table, line))
            if (!line.empty() && line[0] != '#')
                sample += line.substr(0, line.find('\t'));
        if (sample.empty())
            sample = "小白兔，白又白，两只耳朵竖起来。爱吃萝卜爱吃菜，蹦蹦跳跳真可爱。";
        std::string text;
        while (text.size() < (1u << 20))
            text += sample;
        return text;
    }();
    return text;
}

void BM_ReadChineseText(benchmark::State& state) {
    const std::u32string text = mandarin::utf8ToUtf32(chineseText());
    const mandarin::Readings& readings = mandarin::Readings::instance();
    for (auto _ : state)
        benchmark::DoNotOptimize(readings.read(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * chineseText().size()));
}
BENCHMARK(BM_ReadChineseText)->Unit(benchmark::kMillisecond);

void BM_CharacterReadings(benchmark::State& state) {
    const std::u32string text = mandarin::utf8ToUtf32(chineseText());
    const mandarin::Readings& readings = mandarin::Readings::instance();
    for (auto _ : state)
        benchmark::DoNotOptimize(readings.characterReadings(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * chineseText().size()));
}
BENCHMARK(BM_CharacterReadings)->Unit(benchmark::kMillisecond);

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--setup") == 0) {
        // Run once per process: the set-up happens at the first call only.
        const long before = residentKilobytes();
        const auto start = std::chrono::steady_clock::now();
        const size_t words = mandarin::Readings::instance().wordCount();
        const auto elapsed = std::chrono::steady_clock::now() - start;
        std::printf("set-up %.2f ms, %zu words, resident memory +%ld kB\n",
                    std::chrono::duration<double, std::milli>(elapsed).count(), words,
                    residentKilobytes() - before);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
