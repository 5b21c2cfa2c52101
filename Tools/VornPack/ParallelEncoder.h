// Compresses the files of one container on several threads and writes them in
// their order, so that the container's bytes are the same for any number of
// threads. With a PackPlan, files go into solid groups (each group encoded
// whole as one task, written before its first member) or name an earlier
// file's entry; other files are encoded alone: a file of up to kPieceSize
// bytes read and encoded whole, a larger one piece by piece (see
// EncodePiece), its pieces encoded on any thread and written one after
// another, so that no file is ever held whole. Workers take the next task
// only while the tasks encoded ahead of the one the writer waits for stay
// within a byte budget and a count; the task the writer waits for is always
// taken. What packing holds is thus bounded whatever the file sizes: the
// budget (kBytesAhead), plus for each thread one task (a piece or a group)
// read, its packed bytes and its coder's state (for a group's LZMA2 some
// eleven times the group's size).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "Tools/VornPack/PackPlan.h"
#include "Tools/VornPack/PackingMethod.h"

namespace vornpack {

// "--jobs N": from 1 to kMaxJobs threads; the default is the number of cores.
constexpr uint32_t kMaxJobs = 256;
uint32_t DefaultJobs();
// Reads the option's value; false (and `jobs` untouched) for anything but a
// whole number from 1 to kMaxJobs.
bool ParseJobs(const vorn::String& text, uint32_t* jobs);
// The one-line error for a refused value.
vorn::String JobsError(const vorn::String& text);

// Reads `length` bytes from `offset` of the file at `path`, which must still
// have `expectedSize` bytes; on failure `message` names the file and says
// what failed (unreadable, or changed since it was listed: 27).
vorn::Result LoadFileRange(const vorn::String& path, uint64_t expectedSize, uint64_t offset,
                           uint32_t length, std::vector<uint8_t>* data, vorn::String* message);

// What writing one file gave.
struct WrittenFile {
    vorn::Result result = vorn::kResultOk;
    // What failed when reading or compressing failed; empty when writing did.
    vorn::String message;
    // The entry whose name has the same hash, when result is 14.
    vorn::String collidingName;
    uint64_t unpackedSize = 0;
};

class ParallelEncoder {
public:
    // Reads `length` bytes of file `index` from `offset`; on failure `message`
    // says what failed.
    using Load = std::function<vorn::Result(uint32_t index, uint64_t offset, uint32_t length,
                                            std::vector<uint8_t>* data, vorn::String* message)>;
    // Names file `index` in the message of a failed compression.
    using Name = std::function<vorn::String(uint32_t index)>;
    // Called about four times a second while a file is written, with the bytes
    // of the files not yet written that are encoded, and of this one written.
    using Waiting = std::function<void(uint64_t bytesAhead)>;

    static constexpr uint64_t kBytesAhead = 64u << 20;
    static constexpr uint32_t kPieceSize = 4u << 20;

    // `pieceSize` other than kPieceSize is for tests.
    ParallelEncoder(const MethodName& method, uint32_t jobs, uint64_t bytesAhead = kBytesAhead,
                    uint32_t pieceSize = kPieceSize);
    ~ParallelEncoder();
    ParallelEncoder(const ParallelEncoder&) = delete;
    ParallelEncoder& operator=(const ParallelEncoder&) = delete;

    // `sizes` are the files' sizes; they must not change while packing.
    // `plan`, when given, must outlive the encoder.
    vorn::Result start(std::vector<uint64_t> sizes, Load load, Name name,
                       const PackPlan* plan = nullptr);
    // Writes the next file into `writer` as `entryName`.
    void writeNext(ContainerWriter* writer, const char16_t* entryName, WrittenFile* out,
                   const Waiting& waiting = Waiting());

private:
    static constexpr uint32_t kNoGroup = ~0u;
    struct Task {
        uint32_t file;
        uint64_t offset;
        uint32_t length;
        bool whole;
        bool last;
        uint32_t group = kNoGroup;
        // Why the file could not be planned: its turn reports it.
        vorn::Result failure = vorn::kResultOk;
        vorn::String message;
    };
    struct Encoded {
        vorn::Result result = vorn::kResultOk;
        vorn::String message;
        EncodedEntry whole; // a file alone, or a group
        EncodedPiece piece;
    };
    struct BlockReport {
        ParallelEncoder* owner;
        uint64_t reported;
    };
    static void OnBlock(void* context, uint64_t bytesOfTask);

    vorn::Result planPieces(uint32_t file);
    void work();
    void encode(const Task& task, const EncoderSettings& settings, Encoded* out);
    void encodeGroup(const PlannedGroup& group, EncoderSettings settings, Encoded* out);
    void writeMember(ContainerWriter* writer, uint32_t file, const char16_t* entryName,
                     WrittenFile* out, const Waiting& waiting);
    void writeAlone(ContainerWriter* writer, uint32_t file, const char16_t* entryName,
                    WrittenFile* out, const Waiting& waiting);
    bool mayTake(uint32_t task) const;
    // The next task's result in order, once encoded.
    void take(Encoded* out, const Waiting& waiting);
    void stop();

    const MethodName& method_;
    uint32_t jobs_;
    uint64_t budget_;
    uint32_t pieceSize_;
    Load load_;
    Name name_;
    std::vector<uint64_t> sizes_;
    std::vector<Task> tasks_;
    std::vector<uint32_t> firstTask_;               // of each file, and one past the last
    std::vector<vorn::CompressionKind> pieceKinds_; // of files encoded piece by piece
    const PackPlan* plan_ = nullptr;
    std::vector<uint32_t> entryOffsets_; // of each file written
    std::vector<uint64_t> groupOffsets_; // of each group written; 0 before
    std::vector<std::thread> workers_;
    uint32_t nextFile_ = 0;
    uint64_t writtenOfFile_ = 0; // bytes of the file being written
    double lastShown_ = 0;

    std::mutex lock_;
    std::condition_variable changed_;
    bool stopping_ = false;
    uint32_t nextToTake_ = 0;
    uint32_t nextToHand_ = 0;
    uint64_t bytesTaken_ = 0; // lengths of the tasks taken and not yet handed back
    std::map<uint32_t, Encoded> finished_;
    std::atomic<uint64_t> encodedAhead_{0};
};

} // namespace vornpack
