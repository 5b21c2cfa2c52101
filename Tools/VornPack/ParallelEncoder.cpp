#include "Tools/VornPack/ParallelEncoder.h"

#include <algorithm>
#include <chrono>

#include "Tools/VornPack/Progress.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/data/BranchFilter.h"
#include "VornLib/data/FileStream.h"

namespace vornpack {

namespace {

// Files a worker may encode ahead of the writer, per thread: enough that a
// run of small files never leaves a core idle.
constexpr uint32_t kFilesAheadPerJob = 4;
constexpr double kWaitingInterval = 0.25; // seconds

} // namespace

uint32_t DefaultJobs() {
    const uint32_t cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : std::min(cores, kMaxJobs);
}

bool ParseJobs(const String& text, uint32_t* jobs) {
    if (text.isEmpty() || text.length() > 3)
        return false;
    uint32_t value = 0;
    for (uint32_t i = 0; i < text.length(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        value = value * 10 + uint32_t(text[i] - u'0');
    }
    if (value < 1 || value > kMaxJobs)
        return false;
    *jobs = value;
    return true;
}

String JobsError(const String& text) {
    return vorn::Format(u"--jobs wants a number of threads from 1 to {0}, not \"{1}\"",
                        {kMaxJobs, text});
}

Result LoadFileRange(const String& path, uint64_t expectedSize, uint64_t offset, uint32_t length,
                     std::vector<uint8_t>* data, String* message) {
    data->clear();
    vorn::FileStream file;
    Result result = file.openRead(path.data());
    if (result == vorn::kResultOk && file.size() != expectedSize) {
        *message = vorn::Format(u"\"{0}\" changed while it was packed", {path});
        return vorn::kResultSharingViolation;
    }
    if (result == vorn::kResultOk && offset + length > expectedSize)
        result = vorn::kResultEndOfData;
    if (result == vorn::kResultOk)
        result = file.seek(offset);
    if (result == vorn::kResultOk) {
        data->resize(length);
        result = length ? file.read(data->data(), length) : vorn::kResultOk;
    }
    if (result != vorn::kResultOk) {
        data->clear();
        *message = vorn::Format(u"cannot read \"{0}\"", {path});
    }
    return result;
}

ParallelEncoder::ParallelEncoder(const MethodName& method, uint32_t jobs, uint64_t bytesAhead,
                                 uint32_t pieceSize)
    : method_(method), jobs_(jobs ? jobs : 1), budget_(bytesAhead),
      pieceSize_(pieceSize ? pieceSize : kPieceSize) {}

ParallelEncoder::~ParallelEncoder() {
    stop();
}

Result ParallelEncoder::planPieces(uint32_t file) {
    const uint64_t size = sizes_[file];
    if (size <= pieceSize_) {
        tasks_.push_back(
            {file, 0, uint32_t(size), true, true, kNoGroup, vorn::kResultOk, String()});
        return vorn::kResultOk;
    }
    // The kind is chosen before any piece is encoded, from the first bytes.
    std::vector<uint8_t> first;
    String message;
    const Result result = load_(file, 0, kSignatureLength, &first, &message);
    if (result != vorn::kResultOk) {
        tasks_.push_back({file, 0, 0, true, true, kNoGroup, result, message});
        return result;
    }
    pieceKinds_[file] = PieceKind(method_, first.data(), first.size());
    for (uint64_t offset = 0; offset < size; offset += pieceSize_) {
        const uint32_t length = uint32_t(std::min<uint64_t>(pieceSize_, size - offset));
        tasks_.push_back({file, offset, length, false, offset + length == size, kNoGroup,
                          vorn::kResultOk, String()});
    }
    return vorn::kResultOk;
}

Result ParallelEncoder::start(std::vector<uint64_t> sizes, Load load, Name name,
                              const PackPlan* plan) {
    if (!workers_.empty() || !tasks_.empty())
        return vorn::kResultWrongState;
    if (plan && plan->files().size() != sizes.size())
        return vorn::kResultInvalidArgument;
    sizes_ = std::move(sizes);
    load_ = std::move(load);
    name_ = std::move(name);
    plan_ = plan;
    pieceKinds_.assign(sizes_.size(), vorn::CompressionKind::Stored);
    entryOffsets_.assign(sizes_.size(), 0);
    groupOffsets_.assign(plan ? plan->groups().size() : 0, 0);
    for (uint32_t file = 0; file < sizes_.size(); ++file) {
        firstTask_.push_back(uint32_t(tasks_.size()));
        const FilePlan* planned = plan ? &plan->files()[file] : nullptr;
        if (planned && planned->how == FilePlan::How::Copy)
            continue;
        if (planned && planned->how == FilePlan::How::Member) {
            // The group's task, at its first member.
            const PlannedGroup& group = plan->groups()[planned->group];
            if (group.members.front() == file) {
                tasks_.push_back({file, 0, uint32_t(group.size), true, true, planned->group,
                                  vorn::kResultOk, String()});
            }
            continue;
        }
        (void)planPieces(file); // a file that cannot be read fails in its turn
    }
    lastShown_ = MonotonicSeconds();
    firstTask_.push_back(uint32_t(tasks_.size()));
    const uint32_t threads = std::min<uint32_t>(jobs_, std::max<size_t>(tasks_.size(), 1));
    for (uint32_t i = 0; i < threads; ++i)
        workers_.emplace_back([this] { work(); });
    return vorn::kResultOk;
}

void ParallelEncoder::stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
    workers_.clear();
}

bool ParallelEncoder::mayTake(uint32_t task) const {
    if (task == nextToHand_)
        return true; // the writer waits for it
    // The budget is for the tasks ahead of the one the writer waits for, so
    // that a very large file does not leave the other threads idle.
    const uint64_t ahead = bytesTaken_ - tasks_[nextToHand_].length;
    return task - nextToHand_ < jobs_ * kFilesAheadPerJob && ahead + tasks_[task].length <= budget_;
}

void ParallelEncoder::OnBlock(void* context, uint64_t bytesOfTask) {
    BlockReport* report = static_cast<BlockReport*>(context);
    report->owner->encodedAhead_ += bytesOfTask - report->reported;
    report->reported = bytesOfTask;
}

void ParallelEncoder::encode(const Task& task, const EncoderSettings& settings, Encoded* out) {
    std::vector<uint8_t> data; // freed at once: only the packed bytes wait for the writer
    if (task.failure != vorn::kResultOk) {
        out->result = task.failure;
        out->message = task.message;
    } else if (task.group != kNoGroup) {
        encodeGroup(plan_->groups()[task.group], settings, out);
    } else if (task.whole) {
        // Read whole, so that a file that grew or shrank is noticed.
        out->result = load_(task.file, 0, uint32_t(sizes_[task.file]), &data, &out->message);
        if (out->result == vorn::kResultOk)
            out->result = EncodeFile(method_, data, settings, &out->whole);
    } else {
        out->result = load_(task.file, task.offset, task.length, &data, &out->message);
        if (out->result == vorn::kResultOk)
            out->result = EncodePiece(pieceKinds_[task.file], data.data(), task.length, task.last,
                                      settings, &out->piece);
    }
    if (out->result != vorn::kResultOk && out->message.isEmpty())
        out->message = vorn::Format(u"cannot compress \"{0}\"", {name_(task.file)});
}

void ParallelEncoder::encodeGroup(const PlannedGroup& group, EncoderSettings settings,
                                  Encoded* out) {
    std::vector<uint8_t> bytes(size_t(group.size));
    std::vector<uint8_t> data;
    for (const uint32_t member : group.members) {
        const FilePlan& planned = plan_->files()[member];
        out->result = load_(member, 0, uint32_t(sizes_[member]), &data, &out->message);
        if (out->result != vorn::kResultOk)
            return;
        if (ChecksumOf(data.data(), data.size()) != planned.checksum) {
            out->result = vorn::kResultSharingViolation;
            out->message = vorn::Format(u"\"{0}\" changed while it was packed", {name_(member)});
            return;
        }
        std::copy(data.begin(), data.end(), bytes.begin() + long(planned.start));
    }
    data = std::vector<uint8_t>();
    // The group's checksum is that of what its members read: before the filter.
    const uint32_t checksum = ChecksumOf(bytes.data(), bytes.size());
    vorn::ApplyBranchFilter(group.filter, bytes.data(), bytes.size(), true);
    // One block, its dictionary as large as the group: all of it is one stream.
    settings.blockSize = std::max<uint32_t>(uint32_t(group.size), 1);
    settings.lzmaDictionary = settings.lzma2Dictionary = settings.blockSize;
    // A group is one stream: the largest task, and often the last one running.
    settings.matchFinderThreads = 2;
    const vorn::CompressionKind kind =
        method_.automatic ? vorn::CompressionKind::Lzma2 : method_.kind;
    out->result = EncodeEntry(kind, bytes.data(), bytes.size(), settings, &out->whole);
    if (out->result == vorn::kResultOk && out->whole.packed.size() >= bytes.size())
        out->result = EncodeEntry(vorn::CompressionKind::Stored, bytes.data(), bytes.size(),
                                  settings, &out->whole);
    out->whole.checksum = checksum;
}

void ParallelEncoder::work() {
    BlockReport report{this, 0};
    EncoderSettings settings;
    settings.blockEncoded = OnBlock;
    settings.blockContext = &report;
    for (;;) {
        uint32_t index = 0;
        {
            std::unique_lock<std::mutex> guard(lock_);
            changed_.wait(guard, [this] {
                return stopping_ || (nextToTake_ < tasks_.size() && mayTake(nextToTake_));
            });
            if (stopping_)
                return;
            index = nextToTake_++;
            bytesTaken_ += tasks_[index].length;
        }
        const Task& task = tasks_[index];
        Encoded encoded;
        report.reported = 0;
        encode(task, settings, &encoded);
        encodedAhead_ += task.length - std::min<uint64_t>(report.reported, task.length);
        {
            std::lock_guard<std::mutex> guard(lock_);
            // After a failure the writer stops there: nothing further is needed.
            if (encoded.result != vorn::kResultOk)
                nextToTake_ = uint32_t(tasks_.size());
            finished_.emplace(index, std::move(encoded));
        }
        changed_.notify_all();
    }
}

void ParallelEncoder::take(Encoded* out, const Waiting& waiting) {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        const double now = MonotonicSeconds();
        if (waiting && now >= lastShown_ + kWaitingInterval) {
            lastShown_ = now;
            guard.unlock();
            waiting(writtenOfFile_ + encodedAhead_);
            guard.lock();
        }
        const auto found = finished_.find(nextToHand_);
        if (found != finished_.end()) {
            *out = std::move(found->second);
            finished_.erase(found);
            break;
        }
        changed_.wait_for(guard, std::chrono::duration<double>(kWaitingInterval));
    }
    const uint32_t length = tasks_[nextToHand_].length;
    bytesTaken_ -= length;
    ++nextToHand_;
    encodedAhead_ -= length;
    guard.unlock();
    changed_.notify_all();
}

void ParallelEncoder::writeNext(ContainerWriter* writer, const char16_t* entryName,
                                WrittenFile* out, const Waiting& waiting) {
    *out = WrittenFile();
    if (nextFile_ >= sizes_.size() || workers_.empty()) {
        out->result = vorn::kResultWrongState;
        return;
    }
    const uint32_t file = nextFile_++;
    out->unpackedSize = sizes_[file];
    writtenOfFile_ = 0;
    const FilePlan* planned = plan_ ? &plan_->files()[file] : nullptr;
    if (planned && planned->how == FilePlan::How::Copy)
        out->result =
            writer->addAlias(entryName, entryOffsets_[planned->original], &out->collidingName);
    else if (planned && planned->how == FilePlan::How::Member)
        writeMember(writer, file, entryName, out, waiting);
    else
        writeAlone(writer, file, entryName, out, waiting);
    entryOffsets_[file] = writer->lastOffset();
}

void ParallelEncoder::writeMember(ContainerWriter* writer, uint32_t file, const char16_t* entryName,
                                  WrittenFile* out, const Waiting& waiting) {
    const FilePlan& planned = plan_->files()[file];
    const PlannedGroup& group = plan_->groups()[planned.group];
    uint64_t& groupOffset = groupOffsets_[planned.group];
    if (group.members.front() == file) {
        Encoded encoded;
        take(&encoded, waiting);
        out->result = encoded.result;
        out->message = encoded.message;
        if (out->result == vorn::kResultOk)
            out->result = writer->addGroup(encoded.whole, group.filter, group.size,
                                           encoded.whole.checksum, &groupOffset);
    }
    if (out->result == vorn::kResultOk)
        out->result = writer->addMember(entryName, groupOffset, planned.start, sizes_[file],
                                        planned.checksum, &out->collidingName);
}

void ParallelEncoder::writeAlone(ContainerWriter* writer, uint32_t file, const char16_t* entryName,
                                 WrittenFile* out, const Waiting& waiting) {
    Encoded encoded;
    const uint32_t first = firstTask_[file];
    if (tasks_[first].whole) {
        take(&encoded, waiting);
        out->result = encoded.result;
        out->message = encoded.message;
        if (out->result == vorn::kResultOk)
            out->result =
                writer->addEntry(entryName, encoded.whole, out->unpackedSize, &out->collidingName);
        return;
    }
    const vorn::CompressionKind kind = pieceKinds_[file];
    std::vector<uint8_t> bytes;
    Result result = writer->beginEntry(entryName, kind, out->unpackedSize, &out->collidingName);
    if (result == vorn::kResultOk)
        result = EntryPrefix(kind, EncoderSettings(), &bytes);
    if (result == vorn::kResultOk)
        result = writer->appendData(bytes.data(), bytes.size());
    uint32_t checksum = 0;
    uint32_t adler = 1;
    for (uint32_t task = first; result == vorn::kResultOk && task < firstTask_[file + 1]; ++task) {
        take(&encoded, waiting);
        if (encoded.result != vorn::kResultOk) {
            out->result = encoded.result;
            out->message = encoded.message;
            return;
        }
        const EncodedPiece& piece = encoded.piece;
        checksum = CombineChecksums(checksum, piece.checksum, piece.length);
        adler = CombineAdlers(adler, piece.adler, piece.length);
        result = writer->appendData(piece.packed.data(), piece.packed.size());
        writtenOfFile_ += piece.length;
    }
    EntrySuffix(kind, adler, &bytes);
    if (result == vorn::kResultOk)
        result = writer->appendData(bytes.data(), bytes.size());
    out->result = result == vorn::kResultOk ? writer->endEntry(checksum) : result;
}

} // namespace vornpack
