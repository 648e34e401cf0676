// Start-up cost of the pinyin table: loading its thirteen parts from the
// program's resources (GBK decoding included), joining them, and building
// the lookup map, which the explanation window does when it first opens.
#include <benchmark/benchmark.h>

#include <QString>

#include "pinyin_line.h"
#include "pinyin_table.h"

namespace {

QString joinedTable() {
    QString joined;
    for (const QString& part : tukomi::PinyinTable::LoadPinyinParts())
        joined += part;
    return joined;
}

void LoadPinyinParts(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(tukomi::PinyinTable::LoadPinyinParts());
}
BENCHMARK(LoadPinyinParts)->Unit(benchmark::kMillisecond);

void LoadAndJoinPinyinParts(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(joinedTable());
}
BENCHMARK(LoadAndJoinPinyinParts)->Unit(benchmark::kMillisecond);

void BuildPinyinMap(benchmark::State& state) {
    const QString table = joinedTable();
    for (auto _ : state) {
        tukomi::PinyinTable built(table);
        benchmark::DoNotOptimize(built.size());
    }
}
BENCHMARK(BuildPinyinMap)->Unit(benchmark::kMillisecond);

// One picture text through the map, as the explanation window does it.
void BuildPinyinLineOfAPictureText(benchmark::State& state) {
    const tukomi::PinyinTable table(joinedTable());
    const QString text = QString::fromUtf8("池塘里的青蛙");
    for (auto _ : state)
        benchmark::DoNotOptimize(tukomi::BuildPinyinLine(text, table));
}
BENCHMARK(BuildPinyinLineOfAPictureText)->Unit(benchmark::kMicrosecond);

// The same lookups as plain searches from the start of the text, for
// comparison; 瑳 stands on the last line, the worst case.
void PlainSearchOfTheLastLine(benchmark::State& state) {
    const QString table = joinedTable();
    const QString needle = QString::fromUtf8("瑳");
    for (auto _ : state)
        benchmark::DoNotOptimize(table.indexOf(needle));
}
BENCHMARK(PlainSearchOfTheLastLine)->Unit(benchmark::kMicrosecond);

}  // namespace
