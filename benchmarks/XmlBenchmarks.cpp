// Parsing speed and memory of the XML reader on generated definition files:
// a string table of about 1 MB and a file list of 50,000 entries (about
// 10 MB). Figures: MB/s (bytes_per_second) and the parse's peak memory above
// the resident size before it (peak_MiB, from VmHWM after resetting it).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "VornLib/core/XmlDocument.h"

namespace {

std::string StringTable(size_t targetBytes) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Strings Language=\"en\">\n";
    char line[512];
    for (int i = 0; text.size() < targetBytes; ++i) {
        std::snprintf(line, sizeof(line),
                      "\t<String Key=\"#Page%d.Label\">Install &amp; configure component %d "
                      "of the application, then press &quot;Next&quot; to continue with the "
                      "remaining steps of the setup wizard.</String>\n",
                      i, i);
        text += line;
    }
    return text + "</Strings>\n";
}

std::string FileList(int entries) {
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FileList>\n";
    char line[512];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(line, sizeof(line),
                      "\t<File Name=\"Data/Textures/Terrain/Region%04d/Tile%05d.dds\" "
                      "Size=\"%d\" Date=\"2026-11-%02dT10:%02d:%02dZ\" "
                      "Attributes=\"ReadOnly Archive\" Component=\"Core\">"
                      "<Checksum>%08X%08X</Checksum></File>\n",
                      i / 100, i, 1000 + i * 37, 1 + i % 28, i % 60, (i * 7) % 60,
                      unsigned(i * 2654435761u), unsigned(i));
        text += line;
    }
    return text + "</FileList>\n";
}

long ReadStatusKiB(const char* field) {
    std::FILE* file = std::fopen("/proc/self/status", "r");
    if (!file)
        return 0;
    char line[256];
    long value = 0;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof(line), file)) {
        if (std::strncmp(line, field, length) == 0)
            value = std::atol(line + length + 1);
    }
    std::fclose(file);
    return value;
}

// Peak resident memory of one parse above what was resident before it.
double PeakParseMiB(const std::string& text) {
    if (std::FILE* reset = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", reset); // resets VmHWM to the current size
        std::fclose(reset);
    }
    const long before = ReadStatusKiB("VmRSS:");
    {
        vorn::XmlDocument document;
        document.parse(text.data(), uint32_t(text.size()), u"benchmark");
    }
    return (ReadStatusKiB("VmHWM:") - before) / 1024.0;
}

void Parse(benchmark::State& state, const std::string& text) {
    const double peak = PeakParseMiB(text);
    for (auto _ : state) {
        vorn::XmlDocument document;
        if (document.parse(text.data(), uint32_t(text.size()), u"benchmark") != vorn::kResultOk)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document.root());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["document_MiB"] = text.size() / 1048576.0;
    state.counters["peak_MiB"] = peak;
}

void ParseStringTable1MB(benchmark::State& state) {
    static const std::string text = StringTable(1 << 20);
    Parse(state, text);
}
BENCHMARK(ParseStringTable1MB)->Unit(benchmark::kMillisecond);

void ParseFileList50000(benchmark::State& state) {
    static const std::string text = FileList(50000);
    Parse(state, text);
}
BENCHMARK(ParseFileList50000)->Unit(benchmark::kMillisecond);

} // namespace
