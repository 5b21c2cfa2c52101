// Helpers of the data tests: scratch files in the temporary folder and sample
// contents (the in-memory stream is the shared GrowableStream).
#pragma once

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "GrowableStream.h"
#include "VornLib/data/ArchiveMount.h"

namespace vorn {

// A fresh folder under the temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    // A fresh folder below `base` instead of the temporary folder.
    explicit ScratchFolder(const std::filesystem::path& base);
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }
    std::u16string file(const char* name) const { return (path_ / name).u16string(); }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& path);
// Opens the entry `name` of `mount` and reads it whole in one read.
Result ReadWholeEntry(ArchiveMount* mount, const char16_t* name, std::vector<uint8_t>* out);
// The header offset of the entry the directory of `container` names `name`; 0
// when none does.
uint64_t EntryHeaderOffset(const std::vector<uint8_t>& container, const char16_t* name);
void WriteWholeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Contents with the character of real payload files.
std::vector<uint8_t> SampleText(size_t length);
std::vector<uint8_t> SampleNoise(size_t length, uint32_t seed = 1);
std::vector<uint8_t> SampleMixed(size_t length);

} // namespace vorn
