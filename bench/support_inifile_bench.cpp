// Reading and writing INI text with many keys in one section, as a filter
// file with a long symbol list has.
#include "support/IniFile.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

std::string ManyItems(int count) {
    std::string text = "[General]\r\nVersion=1\r\n\r\n[SYMBOL]\r\nFilterType=3\r\n";
    for (int n = 1; n <= count; ++n)
        text += "Item" + std::to_string(n) + "=US:S" + std::to_string(n) + "\r\n";
    return text;
}

void ReadItems(benchmark::State& state) {
    const std::string text = ManyItems(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        qb::TIniFile ini(text);
        int n = 1;
        while (!ini.ReadString("SYMBOL", "Item" + std::to_string(n)).empty())
            ++n;
        benchmark::DoNotOptimize(n);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ReadItems)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

void WriteItems(benchmark::State& state) {
    for (auto _ : state) {
        qb::TIniFile ini;
        for (int n = 1; n <= state.range(0); ++n)
            ini.WriteString("SYMBOL", "Item" + std::to_string(n), "US:MSFT");
        benchmark::DoNotOptimize(ini.ToText());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(WriteItems)->RangeMultiplier(10)->Range(100, 100000)->Complexity();

} // namespace

BENCHMARK_MAIN();
