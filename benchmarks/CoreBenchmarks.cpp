#include <benchmark/benchmark.h>

#include "VornLib/core/Format.h"

namespace {

void FormatProgressMessage(benchmark::State& state) {
    uint32_t done = 0;
    for (auto _ : state) {
        vorn::String text =
            vorn::Format(u"{0} of {1} files, {2,.1}%", {done, 12345u, done * 100.0 / 12345});
        benchmark::DoNotOptimize(text.data());
        done = (done + 1) % 12345;
    }
}
BENCHMARK(FormatProgressMessage);

void FormatRegistryValues(benchmark::State& state) {
    for (auto _ : state) {
        vorn::String text = vorn::Format(u"{0,04}{1,02}{2,02} {3:g} 0x{4,08:X}",
                                         {2026, uint8_t(12), uint8_t(7), 1.5, 0xBEEFu});
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(FormatRegistryValues);

void AppendUnits(benchmark::State& state) {
    const int64_t count = state.range(0);
    for (auto _ : state) {
        vorn::String text;
        for (int64_t i = 0; i < count; ++i)
            text += u'x';
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(AppendUnits)->Arg(16)->Arg(1000)->Arg(100000);

void AppendWords(benchmark::State& state) {
    const vorn::String word(u"Program Files");
    for (auto _ : state) {
        vorn::String text;
        for (int i = 0; i < 1000; ++i)
            text += word;
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(AppendWords);

void ChainedConcatenation(benchmark::State& state) {
    const vorn::String folder(u"C:\\Program Files (x86)\\Vorn Company");
    const vorn::String name(u"VornDemo");
    for (auto _ : state) {
        vorn::String path = folder + u'\\' + name + u'\\' + name + u".exe";
        benchmark::DoNotOptimize(path.data());
    }
}
BENCHMARK(ChainedConcatenation);

} // namespace
