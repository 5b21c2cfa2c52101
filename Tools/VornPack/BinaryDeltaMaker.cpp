#include "Tools/VornPack/BinaryDeltaMaker.h"

#include <algorithm>
#include <cstring>

#include "VornLib/data/BinaryDelta.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {
namespace {

using Index = SuffixIndex;

// A match switches the scan to its alignment when the current alignment gets
// more than this many of its bytes wrong: fewer cost less as non-zero add
// bytes than a new triple does.
constexpr size_t kMismatchesToSwitch = 8;

// How many bytes from a and b agree, up to `limit`.
size_t CommonLength(const uint8_t* a, const uint8_t* b, size_t limit) {
    size_t length = 0;
    // Eight at a time while they agree; the byte loop finds where they part.
    for (uint64_t x, y; length + 8 <= limit; length += 8) {
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y)
            break;
    }
    while (length < limit && a[length] == b[length])
        ++length;
    return length;
}

struct Match {
    size_t basePosition = 0;
    size_t length = 0;
};

// The base's strings of kGramLength bytes, by a hash that sets two bits of
// one word each: wherever the target's next bytes are none of them, no match
// from there is long enough to switch for, and the search is spared (most
// of the time where the target has bytes of its own). The hash only decides
// where to look, never what is found: there are no false negatives.
class GramFilter {
public:
    static constexpr size_t kGramLength = kMismatchesToSwitch + 1;

    GramFilter(const uint8_t* base, size_t size) {
        if (size < kGramLength || size > kMaxIndexedBase)
            return;
        // Eight bits per gram: a few percent of absent grams pass.
        words_.assign(size / 8 + 1, 0);
        for (size_t i = 0; i + kGramLength <= size; ++i) {
            if (i + kGramLength + kPrefetchBytes <= size)
                prefetch(base + i + kPrefetchBytes);
            const uint64_t hash = Hash(base + i);
            words_[wordOf(hash)] |= Bits(hash);
        }
    }

    // Whether the kGramLength bytes at `bytes` may occur in the base.
    bool mayOccur(const uint8_t* bytes) const {
        if (words_.empty())
            return false;
        const uint64_t hash = Hash(bytes);
        const uint64_t bits = Bits(hash);
        return (words_[wordOf(hash)] & bits) == bits;
    }

    // Asks for the word of the gram at `bytes` ahead of its use.
    void prefetch(const uint8_t* bytes) const {
        if (!words_.empty())
            __builtin_prefetch(words_.data() + wordOf(Hash(bytes)));
    }
    // How far ahead of a scan moving a byte at a time prefetch() pays.
    static constexpr size_t kPrefetchBytes = 16;

private:
    static uint64_t Hash(const uint8_t* bytes) {
        uint64_t head;
        std::memcpy(&head, bytes, 8);
        uint64_t hash = head * 0x9E3779B97F4A7C15u + bytes[8];
        hash ^= hash >> 29;
        hash *= 0xBF58476D1CE4E5B9u;
        return hash ^ hash >> 32;
    }
    // The word comes from the low half, scaled to the count of words (below
    // 2^32 for any base indexed), the two bits from the top twelve bits.
    size_t wordOf(uint64_t hash) const {
        return size_t((hash & 0xFFFFFFFFu) * words_.size() >> 32);
    }
    static uint64_t Bits(uint64_t hash) {
        return uint64_t(1) << (hash >> 58) | uint64_t(1) << (hash >> 52 & 63);
    }

    std::vector<uint64_t> words_;
};
static_assert(GramFilter::kGramLength == 9, "the hash reads nine bytes");

// The base's suffixes in order, to find the longest exact match of any bytes.
class BaseIndex {
public:
    BaseIndex(const uint8_t* base, size_t size) : base_(base), size_(size) {
        if (size == 0 || size > kMaxIndexedBase)
            return;
        suffixes_ = SortedSuffixes(base, size);
        // The last byte alone sorts first among the suffixes it begins, as if
        // a zero followed it.
        pairStarts_.assign(kPairs + 1, 0);
        for (size_t i = 0; i < size; ++i)
            ++pairStarts_[PairAt(base + i, size - i) + 1];
        for (size_t pair = 0; pair < kPairs; ++pair)
            pairStarts_[pair + 1] += pairStarts_[pair];
    }

    // A binary search over the suffixes that begin with the pattern's first
    // two bytes (or over all, when none does), which skips the bytes both of
    // its bounds share with the pattern, as every suffix between them does.
    Match longestMatch(const uint8_t* pattern, size_t length) const {
        if (suffixes_.empty() || length == 0)
            return {};
        size_t left = 0;
        size_t right = suffixes_.size() - 1;
        if (length >= 2) {
            const size_t pair = PairAt(pattern, length);
            if (pairStarts_[pair + 1] > pairStarts_[pair]) {
                left = size_t(pairStarts_[pair]);
                right = size_t(pairStarts_[pair + 1]) - 1;
            }
        }
        size_t leftCommon = commonWith(pattern, length, left, 0);
        size_t rightCommon = commonWith(pattern, length, right, 0);
        while (right - left > 1) {
            const size_t middle = left + (right - left) / 2;
            const size_t common =
                commonWith(pattern, length, middle, std::min(leftCommon, rightCommon));
            const size_t suffix = size_t(suffixes_[middle]);
            if (common == length)
                return {suffix, common};
            if (suffix + common == size_ || base_[suffix + common] < pattern[common]) {
                left = middle;
                leftCommon = common;
            } else {
                right = middle;
                rightCommon = common;
            }
        }
        if (leftCommon >= rightCommon)
            return {size_t(suffixes_[left]), leftCommon};
        return {size_t(suffixes_[right]), rightCommon};
    }

private:
    static constexpr size_t kPairs = 1 << 16;
    static size_t PairAt(const uint8_t* bytes, size_t length) {
        return size_t(bytes[0]) << 8 | (length > 1 ? bytes[1] : 0);
    }

    size_t commonWith(const uint8_t* pattern, size_t length, size_t rank, size_t known) const {
        const size_t suffix = size_t(suffixes_[rank]);
        const size_t limit = std::min(length, size_ - suffix);
        return known + CommonLength(pattern + known, base_ + suffix + known, limit - known);
    }

    const uint8_t* base_;
    size_t size_;
    std::vector<Index> suffixes_;
    // Where the suffixes that begin with each two bytes start in suffixes_.
    std::vector<Index> pairStarts_;
};

// Scans the target and writes the triples and their sections. A run is the
// stretch of target being paired with base bytes at one fixed distance (the
// current alignment), from runTarget_ and runBase_ on.
class DeltaMaker {
public:
    DeltaMaker(const uint8_t* base, size_t baseSize, const uint8_t* target, size_t targetSize)
        : base_(base), baseSize_(baseSize), target_(target), targetSize_(targetSize) {}

    std::vector<uint8_t> make();

private:
    struct Mismatches {
        size_t count = 0;
        size_t first = 0;
    };
    // The current alignment's mismatches in target[from, from + length),
    // counted up to one past the switching limit.
    Mismatches mismatches(size_t from, size_t length) const;
    // How many bytes from `scan` on the current alignment gets right.
    size_t currentRun(size_t scan) const;
    void switchTo(size_t scan, size_t basePosition);
    size_t forwardLength(size_t end) const;
    size_t backwardLength(size_t scan, size_t basePosition) const;
    size_t bestSplit(size_t from, size_t to, size_t scan, size_t basePosition) const;
    // Ends the current run after `addLength` bytes, the extra bytes up to
    // `extraEnd`, and starts the next one at `nextBase`.
    void emit(size_t addLength, size_t extraEnd, size_t nextBase);
    std::vector<uint8_t> assemble() const;

    const uint8_t* base_;
    const size_t baseSize_;
    const uint8_t* target_;
    const size_t targetSize_;
    size_t runTarget_ = 0;
    size_t runBase_ = 0;
    uint64_t controlCount_ = 0;
    std::vector<uint8_t> controls_;
    std::vector<uint8_t> adds_;
    std::vector<uint8_t> extras_;
};

std::vector<uint8_t> DeltaMaker::make() {
    // Untouched capacity costs no memory; it spares copies as the sections grow.
    adds_.reserve(targetSize_);
    extras_.reserve(targetSize_);
    {
        const BaseIndex index(base_, baseSize_);
        const GramFilter grams(base_, baseSize_);
        for (size_t scan = 0; scan < targetSize_;) {
            if (scan + GramFilter::kGramLength + GramFilter::kPrefetchBytes <= targetSize_)
                grams.prefetch(target_ + scan + GramFilter::kPrefetchBytes);
            if (scan + GramFilter::kGramLength > targetSize_ || !grams.mayOccur(target_ + scan)) {
                // What the search would find is too short to switch for; the
                // current alignment's run (no longer) is passed as it would be.
                scan += std::max<size_t>(1, currentRun(scan));
                continue;
            }
            const Match match = index.longestMatch(target_ + scan, targetSize_ - scan);
            const Mismatches wrong = mismatches(scan, match.length);
            if (wrong.count > kMismatchesToSwitch) {
                switchTo(scan, match.basePosition);
                scan += match.length;
            } else {
                // Up to the first mismatch the current alignment does as
                // well as any match from there, which reappears further on.
                scan = std::max(scan + 1, wrong.first);
            }
        }
    }
    if (runTarget_ < targetSize_) {
        const size_t forward = forwardLength(targetSize_);
        emit(forward, targetSize_, runBase_ + forward);
    }
    return assemble();
}

DeltaMaker::Mismatches DeltaMaker::mismatches(size_t from, size_t length) const {
    Mismatches found;
    found.first = from + length;
    size_t basePosition = runBase_ + (from - runTarget_);
    for (size_t k = from; k < from + length; ++k, ++basePosition) {
        if (basePosition < baseSize_ && base_[basePosition] == target_[k])
            continue;
        if (found.count++ == 0)
            found.first = k;
        if (found.count > kMismatchesToSwitch)
            break;
    }
    return found;
}

size_t DeltaMaker::currentRun(size_t scan) const {
    const size_t basePosition = runBase_ + (scan - runTarget_);
    if (basePosition >= baseSize_)
        return 0;
    return CommonLength(target_ + scan, base_ + basePosition,
                        std::min(targetSize_ - scan, baseSize_ - basePosition));
}

void DeltaMaker::switchTo(size_t scan, size_t basePosition) {
    size_t forward = forwardLength(scan);
    size_t backward = backwardLength(scan, basePosition);
    if (runTarget_ + forward > scan - backward) {
        const size_t split = bestSplit(scan - backward, runTarget_ + forward, scan, basePosition);
        forward = split - runTarget_;
        backward = scan - split;
    }
    emit(forward, scan - backward, basePosition - backward);
}

// The widening that most outnumbers mismatches with matches: a run keeps
// bytes while at least half of them agree.
size_t DeltaMaker::forwardLength(size_t end) const {
    const size_t limit = std::min(end - runTarget_, baseSize_ - runBase_);
    ptrdiff_t score = 0;
    ptrdiff_t best = 0;
    size_t length = 0;
    for (size_t i = 0; i < limit; ++i) {
        score += target_[runTarget_ + i] == base_[runBase_ + i] ? 1 : -1;
        if (score > best) {
            best = score;
            length = i + 1;
        }
    }
    return length;
}

size_t DeltaMaker::backwardLength(size_t scan, size_t basePosition) const {
    const size_t limit = std::min(scan - runTarget_, basePosition);
    ptrdiff_t score = 0;
    ptrdiff_t best = 0;
    size_t length = 0;
    for (size_t i = 1; i <= limit; ++i) {
        score += target_[scan - i] == base_[basePosition - i] ? 1 : -1;
        if (score > best) {
            best = score;
            length = i;
        }
    }
    return length;
}

// Where, in target[from, to) that both runs claim, the current run should
// hand over to the next one so that the most bytes agree.
size_t DeltaMaker::bestSplit(size_t from, size_t to, size_t scan, size_t basePosition) const {
    ptrdiff_t score = 0;
    ptrdiff_t best = 0;
    size_t split = from;
    for (size_t k = from; k < to; ++k) {
        score += (target_[k] == base_[runBase_ + (k - runTarget_)]) -
                 (target_[k] == base_[basePosition - (scan - k)]);
        if (score > best) {
            best = score;
            split = k + 1;
        }
    }
    return split;
}

void DeltaMaker::emit(size_t addLength, size_t extraEnd, size_t nextBase) {
    const size_t extraStart = runTarget_ + addLength;
    for (size_t i = 0; i < addLength; ++i)
        adds_.push_back(uint8_t(target_[runTarget_ + i] - base_[runBase_ + i]));
    extras_.insert(extras_.end(), target_ + extraStart, target_ + extraEnd);
    vorn::BinaryDeltaControl control;
    control.addLength = addLength;
    control.extraLength = extraEnd - extraStart;
    control.baseSeek = int64_t(nextBase) - int64_t(runBase_ + addLength);
    uint8_t bytes[vorn::BinaryDeltaControl::kMaxSize];
    controls_.insert(controls_.end(), bytes, bytes + control.write(bytes));
    ++controlCount_;
    runTarget_ = extraEnd;
    runBase_ = nextBase;
}

std::vector<uint8_t> DeltaMaker::assemble() const {
    vorn::BinaryDeltaHeader header;
    // zlib takes lengths of 32 bits.
    for (size_t done = 0; done < targetSize_;) {
        const size_t piece = std::min<size_t>(targetSize_ - done, size_t(1) << 30);
        header.targetCrc = vorn::Crc32(header.targetCrc, target_ + done, piece);
        done += piece;
    }
    header.baseSize = baseSize_;
    header.targetSize = targetSize_;
    header.controlCount = controlCount_;
    header.controlLength = controls_.size();
    header.addLength = adds_.size();
    header.extraLength = extras_.size();
    std::vector<uint8_t> delta(vorn::BinaryDeltaHeader::kSize);
    delta.reserve(delta.size() + controls_.size() + adds_.size() + extras_.size());
    header.write(delta.data());
    delta.insert(delta.end(), controls_.begin(), controls_.end());
    delta.insert(delta.end(), adds_.begin(), adds_.end());
    delta.insert(delta.end(), extras_.begin(), extras_.end());
    return delta;
}

} // namespace

std::vector<uint8_t> MakeBinaryDelta(const uint8_t* base, size_t baseSize, const uint8_t* target,
                                     size_t targetSize) {
    return DeltaMaker(base, baseSize, target, targetSize).make();
}

} // namespace vornpack
