// libFuzzer target: mounts the input as a container and reads every entry of
// its directory through the real decoders. Any outcome but a result code
// (crash, hang, out-of-bounds access, runaway allocation) is a finding.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/MemoryStream.h"

namespace {

// Decompression can legitimately multiply the input; stop reading an input
// after this much so that one case stays fast.
constexpr uint64_t kReadBudget = 32u << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0xFFFFFFFFu)
        return 0;
    vorn::MemoryStream container(data, uint32_t(size), u"fuzz");
    vorn::ArchiveMount mount;
    if (mount.open(&container) != vorn::kResultOk)
        return 0;
    static std::vector<uint8_t> buffer(1 << 16);
    uint64_t budget = kReadBudget;
    for (uint32_t i = 0; i < mount.recordCount() && budget; ++i) {
        vorn::SubStream* entry = nullptr;
        if (mount.openRecord(i, &entry) != vorn::kResultOk)
            continue;
        for (uint64_t left = entry->size(); left && budget;) {
            const uint32_t piece =
                uint32_t(std::min<uint64_t>({left, uint64_t(buffer.size()), budget}));
            if (entry->read(buffer.data(), piece) != vorn::kResultOk)
                break;
            left -= piece;
            budget -= piece;
        }
        if (mount.releaseEntry(entry) != vorn::kResultOk)
            std::abort();
    }
    return 0;
}
