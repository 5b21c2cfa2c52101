// Figures for the resource cache: a hit (hash lookup and reference count)
// against the first read of a file, and PNG decoding per megapixel.
#include <benchmark/benchmark.h>

#include <png.h>

#include <vector>

#include "Tools/VornPack/ContainerWriter.h"
#include "VornLib/data/MemoryStream.h"
#include "VornLib/data/ResourceCache.h"

namespace {

std::vector<uint8_t> Png(uint32_t side) {
    std::vector<uint8_t> rgba(size_t(side) * side * 4);
    for (size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = uint8_t((i * 7) ^ (i >> 9));
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = side;
    image.height = side;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr);
    out.resize(size);
    return out;
}

// A container in memory with one file of `size` bytes, stored.
struct Payload {
    explicit Payload(uint32_t size) {
        std::vector<uint8_t> data(size, 'x');
        container.resize(size + 4096);
        vorn::MemoryStream out(container.data(), uint32_t(container.size()));
        vornpack::ContainerWriter writer;
        (void)writer.begin(&out, 0x20261207, 0x12000000);
        (void)writer.addEntry(u"Data/File.bin", vorn::CompressionKind::Stored, data.data(), size,
                              size);
        (void)writer.finish();
        (void)stream.attach(container.data(), uint32_t(out.size()), u"payload",
                            vorn::MemoryStream::kRead);
        (void)files.mount(&stream);
    }
    std::vector<uint8_t> container;
    vorn::MemoryStream stream;
    vorn::ResourceFileSystem files;
};

void CachedFile(benchmark::State& state) {
    Payload payload(64 << 10);
    vorn::ResourceCache cache(&payload.files);
    const uint8_t* held = nullptr;
    uint32_t size = 0;
    if (cache.getFile(u"Data/File.bin", &held, &size) != vorn::kResultOk)
        state.SkipWithError("no file in the payload");
    for (auto _ : state) {
        const uint8_t* bytes = nullptr;
        (void)cache.getFile(u"Data/File.bin", &bytes, &size);
        (void)cache.release(bytes);
    }
    (void)cache.release(held);
}
BENCHMARK(CachedFile);

void UncachedFile(benchmark::State& state) {
    Payload payload(64 << 10);
    vorn::ResourceCache cache(&payload.files);
    for (auto _ : state) {
        const uint8_t* bytes = nullptr;
        uint32_t size = 0;
        if (cache.getFile(u"Data/File.bin", &bytes, &size) != vorn::kResultOk || size != 64 << 10) {
            state.SkipWithError("cannot read the file");
            break;
        }
        (void)cache.release(bytes); // the last release: the next get reads again
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * (64 << 10));
}
BENCHMARK(UncachedFile);

void DecodePng(benchmark::State& state) {
    const uint32_t side = uint32_t(state.range(0));
    const std::vector<uint8_t> png = Png(side);
    for (auto _ : state) {
        vorn::Picture picture;
        benchmark::DoNotOptimize(picture.decode(png.data(), uint32_t(png.size())));
    }
    state.counters["Mpixel/s"] = benchmark::Counter(double(side) * side / 1e6 * state.iterations(),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(DecodePng)->Arg(64)->Arg(512);

} // namespace
