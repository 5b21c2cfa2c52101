// Compresses the files of one container on several threads and hands them back
// in their order, so that the container's bytes are the same for any number of
// threads. Workers take the next file only while the files encoded ahead of
// the one the writer waits for stay within a byte budget and a count, so
// memory stays bounded however large the application is; the file the writer
// waits for is always taken, even when it alone is larger than the budget.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "Tools/VornPack/Commands.h"
#include "Tools/VornPack/EntryEncoder.h"

namespace vornpack {

// "--jobs N": from 1 to kMaxJobs threads; the default is the number of cores.
constexpr uint32_t kMaxJobs = 256;
uint32_t DefaultJobs();
// Reads the option's value; false (and `jobs` untouched) for anything but a
// whole number from 1 to kMaxJobs.
bool ParseJobs(const vorn::String& text, uint32_t* jobs);
// The one-line error for a refused value.
vorn::String JobsError(const vorn::String& text);

struct EncodedFile {
    vorn::Result result = vorn::kResultOk;
    // What failed, when result is not 0.
    vorn::String message;
    uint64_t unpackedSize = 0;
    EncodedEntry encoded;
};

class ParallelEncoder {
public:
    // Reads file `index` whole into `data`; on failure `message` says what failed.
    using Load = std::function<vorn::Result(uint32_t index, std::vector<uint8_t>* data,
                                            vorn::String* message)>;
    // Names file `index` in the message of a failed compression.
    using Name = std::function<vorn::String(uint32_t index)>;
    // Called about four times a second while the writer waits, with the bytes
    // encoded so far of the files not yet handed back.
    using Waiting = std::function<void(uint64_t bytesAhead)>;

    static constexpr uint64_t kBytesAhead = 64u << 20;

    ParallelEncoder(const MethodName& method, uint32_t jobs, uint64_t bytesAhead = kBytesAhead);
    ~ParallelEncoder();
    ParallelEncoder(const ParallelEncoder&) = delete;
    ParallelEncoder& operator=(const ParallelEncoder&) = delete;

    // `sizes` are the files' expected sizes, for the budget.
    vorn::Result start(std::vector<uint64_t> sizes, Load load, Name name);
    // The next file in order, once encoded; its result says whether it was.
    void next(EncodedFile* out, const Waiting& waiting = Waiting());

private:
    struct BlockReport {
        ParallelEncoder* owner;
        uint64_t reported;
    };
    static void OnBlock(void* context, uint64_t bytesOfEntry);

    void work();
    bool mayTake(uint32_t index) const;
    void stop();

    const MethodName& method_;
    uint32_t jobs_;
    uint64_t budget_;
    Load load_;
    Name name_;
    std::vector<uint64_t> sizes_;
    std::vector<std::thread> workers_;

    std::mutex lock_;
    std::condition_variable changed_;
    bool stopping_ = false;
    uint32_t nextToTake_ = 0;
    uint32_t nextToHand_ = 0;
    uint64_t bytesTaken_ = 0; // expected sizes of the files taken and not yet handed back
    std::map<uint32_t, EncodedFile> finished_;
    std::atomic<uint64_t> encodedAhead_{0};
};

} // namespace vornpack
