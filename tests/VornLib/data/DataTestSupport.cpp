#include "DataTestSupport.h"

#include <atomic>
#include <fstream>
#include <memory>

#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/NameHash.h"

namespace vorn {

ScratchFolder::ScratchFolder()
    : ScratchFolder([] {
          std::error_code error;
          return std::filesystem::temp_directory_path(error);
      }()) {}

ScratchFolder::ScratchFolder(const std::filesystem::path& base) {
    static std::atomic<int> counter{0};
    std::error_code error;
    for (;;) {
        path_ = base / ("vorn-data-test-" + std::to_string(unsigned(std::time(nullptr))) + "-" +
                        std::to_string(counter++));
        if (std::filesystem::create_directories(path_, error))
            break;
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

Result ReadWholeEntry(ArchiveMount* mount, const char16_t* name, std::vector<uint8_t>* out) {
    std::unique_ptr<EntryHandle> handle;
    Result result = EntryHandle::open(mount, name, &handle);
    if (result != kResultOk)
        return result;
    out->assign(size_t(handle->size()), 0);
    return out->empty() ? kResultOk : handle->read(out->data(), uint32_t(out->size()));
}

uint64_t EntryHeaderOffset(const std::vector<uint8_t>& bytes, const char16_t* name) {
    GrowableStream container(bytes);
    ArchiveMount mount;
    if (mount.open(&container) != kResultOk)
        return 0;
    for (uint32_t i = 0; i < mount.recordCount(); ++i) {
        if (mount.records()[i].nameHash == NameHash(name))
            return mount.records()[i].offset;
    }
    return 0;
}

void WriteWholeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> SampleText(size_t length) {
    static const char* const kWords[] = {"<Window", "Name=",  "\"Install\"", "folder", "the",
                                         "setup",   "copies", "files",       "\n",     "  "};
    std::vector<uint8_t> out;
    uint32_t state = 12345;
    while (out.size() < length) {
        state = state * 1103515245 + 12345;
        const char* word = kWords[(state >> 16) % 10];
        out.insert(out.end(), word, word + std::strlen(word));
        out.push_back(' ');
    }
    out.resize(length);
    return out;
}

std::vector<uint8_t> SampleNoise(size_t length, uint32_t seed) {
    std::vector<uint8_t> out(length);
    uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    for (uint8_t& byte : out) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        byte = uint8_t(state);
    }
    return out;
}

std::vector<uint8_t> SampleMixed(size_t length) {
    std::vector<uint8_t> out = SampleText(length / 3);
    const std::vector<uint8_t> noise = SampleNoise(length / 3);
    out.insert(out.end(), noise.begin(), noise.end());
    out.resize(length, 0);
    return out;
}

} // namespace vorn
