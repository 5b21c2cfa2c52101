#include "Tools/VornPack/ParallelEncoder.h"

#include <chrono>

#include "VornLib/core/Format.h"

namespace vornpack {

using vorn::Result;
using vorn::String;

namespace {

// Files a worker may encode ahead of the writer, per thread: enough that a
// run of small files never leaves a core idle.
constexpr uint32_t kFilesAheadPerJob = 4;
constexpr auto kWaitingInterval = std::chrono::milliseconds(250);

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

ParallelEncoder::ParallelEncoder(const MethodName& method, uint32_t jobs, uint64_t bytesAhead)
    : method_(method), jobs_(jobs ? jobs : 1), budget_(bytesAhead) {}

ParallelEncoder::~ParallelEncoder() {
    stop();
}

Result ParallelEncoder::start(std::vector<uint64_t> sizes, Load load, Name name) {
    if (!workers_.empty())
        return vorn::kResultWrongState;
    sizes_ = std::move(sizes);
    load_ = std::move(load);
    name_ = std::move(name);
    const uint32_t threads = std::min<uint32_t>(jobs_, std::max<size_t>(sizes_.size(), 1));
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

bool ParallelEncoder::mayTake(uint32_t index) const {
    if (index == nextToHand_)
        return true; // the writer waits for it
    // The budget is for the files ahead of the one the writer waits for, so
    // that a very large file does not leave the other threads idle.
    const uint64_t ahead = bytesTaken_ - sizes_[nextToHand_];
    return index - nextToHand_ < jobs_ * kFilesAheadPerJob && ahead + sizes_[index] <= budget_;
}

void ParallelEncoder::OnBlock(void* context, uint64_t bytesOfEntry) {
    BlockReport* report = static_cast<BlockReport*>(context);
    report->owner->encodedAhead_ += bytesOfEntry - report->reported;
    report->reported = bytesOfEntry;
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
                return stopping_ || (nextToTake_ < sizes_.size() && mayTake(nextToTake_));
            });
            if (stopping_)
                return;
            index = nextToTake_++;
            bytesTaken_ += sizes_[index];
        }
        EncodedFile file;
        std::vector<uint8_t> data; // freed at once: only the packed bytes wait for the writer
        report.reported = 0;
        file.result = load_(index, &data, &file.message);
        if (file.result == vorn::kResultOk) {
            file.unpackedSize = data.size();
            file.result = EncodeFile(method_, data, settings, &file.encoded);
            if (file.result != vorn::kResultOk)
                file.message = vorn::Format(u"cannot compress \"{0}\"", {name_(index)});
        }
        encodedAhead_ += file.unpackedSize - std::min(report.reported, file.unpackedSize);
        {
            std::lock_guard<std::mutex> guard(lock_);
            // After a failure the writer stops there: nothing further is needed.
            if (file.result != vorn::kResultOk)
                nextToTake_ = uint32_t(sizes_.size());
            finished_.emplace(index, std::move(file));
        }
        changed_.notify_all();
    }
}

void ParallelEncoder::next(EncodedFile* out, const Waiting& waiting) {
    std::unique_lock<std::mutex> guard(lock_);
    if (nextToHand_ >= sizes_.size() || workers_.empty()) {
        *out = EncodedFile();
        out->result = vorn::kResultWrongState;
        return;
    }
    auto shown = std::chrono::steady_clock::now();
    for (;;) {
        const auto found = finished_.find(nextToHand_);
        if (found != finished_.end()) {
            *out = std::move(found->second);
            finished_.erase(found);
            break;
        }
        changed_.wait_until(guard, shown + kWaitingInterval);
        const auto now = std::chrono::steady_clock::now();
        if (waiting && now >= shown + kWaitingInterval) {
            shown = now;
            guard.unlock();
            waiting(encodedAhead_);
            guard.lock();
        }
    }
    bytesTaken_ -= sizes_[nextToHand_];
    ++nextToHand_;
    encodedAhead_ -= out->unpackedSize;
    guard.unlock();
    changed_.notify_all();
}

} // namespace vornpack
