// Parsing speed and memory of the XML reader on generated definition files:
// a string table of about 1 MB and a file list of 50,000 entries (about
// 10 MB). Figures: MB/s (bytes_per_second) and the heap the parsed tree holds
// (tree_MiB, glibc's mallinfo2 before and after).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
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

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Heap held by a parsed document, measured while it is alive: the reader's
// own buffers add a fixed 80 KiB while it runs, so this is close to the peak.
double DocumentMiB(const std::string& text) {
    const size_t before = HeapInUse();
    vorn::XmlDocument document;
    (void)document.parse(text.data(), uint32_t(text.size()), u"benchmark");
    return (HeapInUse() - before) / 1048576.0;
}

void Parse(benchmark::State& state, const std::string& text) {
    const double peak = DocumentMiB(text);
    for (auto _ : state) {
        vorn::XmlDocument document;
        if (document.parse(text.data(), uint32_t(text.size()), u"benchmark") != vorn::kResultOk)
            state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(document.root());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.counters["document_MiB"] = text.size() / 1048576.0;
    state.counters["tree_MiB"] = peak;
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
