#include "Tools/VornPack/SuffixSort.h"

#include <algorithm>

namespace vornpack {
namespace {

using Index = SuffixIndex;
// The mark of a place not filled yet.
constexpr Index kEmpty = -1;

// Which suffixes are S-type (smaller than the suffix one position later), a
// bit each. The text's end acts as a sentinel smaller than every symbol.
class SuffixTypes {
public:
    explicit SuffixTypes(Index count) : words_((size_t(count) + 63) / 64) {}
    void setSmaller(Index i) { words_[size_t(i) >> 6] |= uint64_t(1) << (i & 63); }
    bool smaller(Index i) const { return words_[size_t(i) >> 6] >> (i & 63) & 1; }
    // An S-type suffix right after an L-type one: the suffixes sorted first.
    bool leftmostSmaller(Index i) const { return i > 0 && smaller(i) && !smaller(i - 1); }

private:
    std::vector<uint64_t> words_;
};

// Where each symbol's bucket of suffixes begins, or ends, in the array.
template <typename Symbol>
void FindBuckets(const Symbol* text, Index n, std::vector<Index>& buckets, bool ends) {
    std::fill(buckets.begin(), buckets.end(), 0);
    for (Index i = 0; i < n; ++i)
        ++buckets[size_t(text[i])];
    Index sum = 0;
    for (Index& bucket : buckets) {
        sum += bucket;
        bucket = ends ? sum : sum - bucket;
    }
}

// The passes below read the text in the suffixes' order, nearly at random:
// asking for the symbols a few entries ahead hides much of the memory's delay.
constexpr Index kPrefetchDistance = 24;
template <typename Symbol> void PrefetchSymbol(const Symbol* text, Index position) {
    if (position > 0)
        __builtin_prefetch(text + position - 1);
}

// From the leftmost S-type suffixes placed in order at their buckets' ends,
// places every other suffix: L-types from the left, each after the suffix one
// position later, then S-types from the right, each before it.
template <typename Symbol>
void InduceOrder(const Symbol* text, Index n, const SuffixTypes& types, Index* suffixes,
                 std::vector<Index>& buckets) {
    FindBuckets(text, n, buckets, false);
    // The empty suffix would come first, and the last suffix (L-type) right after it.
    suffixes[buckets[size_t(text[n - 1])]++] = n - 1;
    for (Index i = 0; i < n; ++i) {
        if (i + kPrefetchDistance < n)
            PrefetchSymbol(text, suffixes[i + kPrefetchDistance]);
        const Index j = suffixes[i];
        if (j > 0 && !types.smaller(j - 1))
            suffixes[buckets[size_t(text[j - 1])]++] = j - 1;
    }
    FindBuckets(text, n, buckets, true);
    for (Index i = n; i-- > 0;) {
        if (i >= kPrefetchDistance)
            PrefetchSymbol(text, suffixes[i - kPrefetchDistance]);
        const Index j = suffixes[i];
        if (j > 0 && types.smaller(j - 1))
            suffixes[--buckets[size_t(text[j - 1])]] = j - 1;
    }
}

// Whether the stretches from two leftmost S-type positions up to the next one
// are equal in symbols and types. One that reaches the text's end is unique.
template <typename Symbol>
bool SameStretch(const Symbol* text, Index n, const SuffixTypes& types, Index a, Index b) {
    for (Index k = 0;; ++k) {
        if (a + k == n || b + k == n)
            return false;
        if (text[a + k] != text[b + k] || types.smaller(a + k) != types.smaller(b + k))
            return false;
        if (k > 0 && types.leftmostSmaller(a + k))
            return true;
    }
}

// Sorts the suffixes of text[0, n) over symbols below `alphabet` into
// suffixes[0, n) by induced sorting: the leftmost S-type stretches are sorted
// by one induction, named, and their order settled by sorting the suffixes of
// the string of names (at most half as long, kept in the array's upper half
// while the recursion fills its lower half); a second induction from them
// places the rest.
template <typename Symbol>
void SortSuffixes(const Symbol* text, Index n, Index alphabet, Index* suffixes) {
    if (n == 0)
        return;
    SuffixTypes types(n);
    for (Index i = n - 1; i-- > 0;)
        if (text[i] < text[i + 1] || (text[i] == text[i + 1] && types.smaller(i + 1)))
            types.setSmaller(i);
    {
        std::vector<Index> buckets(static_cast<size_t>(alphabet));
        FindBuckets(text, n, buckets, true);
        std::fill(suffixes, suffixes + n, kEmpty);
        for (Index i = 1; i < n; ++i)
            if (types.leftmostSmaller(i))
                suffixes[--buckets[size_t(text[i])]] = i;
        InduceOrder(text, n, types, suffixes, buckets);
    }
    Index stretches = 0;
    for (Index i = 0; i < n; ++i)
        if (types.leftmostSmaller(suffixes[i]))
            suffixes[stretches++] = suffixes[i];
    // No two leftmost S-type positions are neighbours: position / 2 keeps the
    // names apart, above the sorted stretches.
    std::fill(suffixes + stretches, suffixes + n, kEmpty);
    Index names = 0;
    for (Index i = 0; i < stretches; ++i) {
        const Index position = suffixes[i];
        if (i == 0 || !SameStretch(text, n, types, suffixes[i - 1], position))
            ++names;
        suffixes[stretches + position / 2] = names - 1;
    }
    Index* reduced = suffixes + n - stretches;
    for (Index i = n, j = n; i-- > stretches;)
        if (suffixes[i] != kEmpty)
            suffixes[--j] = suffixes[i];
    if (names < stretches)
        SortSuffixes(reduced, stretches, names, suffixes);
    else
        for (Index i = 0; i < stretches; ++i)
            suffixes[reduced[i]] = i;
    // From ranks among the stretches back to positions in the text.
    for (Index i = 1, j = 0; i < n; ++i)
        if (types.leftmostSmaller(i))
            reduced[j++] = i;
    for (Index i = 0; i < stretches; ++i)
        suffixes[i] = reduced[suffixes[i]];
    std::vector<Index> buckets(static_cast<size_t>(alphabet));
    FindBuckets(text, n, buckets, true);
    std::fill(suffixes + stretches, suffixes + n, kEmpty);
    for (Index i = stretches; i-- > 0;) {
        const Index position = suffixes[i];
        suffixes[i] = kEmpty;
        suffixes[--buckets[size_t(text[position])]] = position;
    }
    InduceOrder(text, n, types, suffixes, buckets);
}

} // namespace

std::vector<SuffixIndex> SortedSuffixes(const uint8_t* bytes, size_t size) {
    std::vector<Index> suffixes;
    if (size > kMaxIndexedBase)
        return suffixes;
    suffixes.resize(size);
    SortSuffixes(bytes, Index(size), 256, suffixes.data());
    return suffixes;
}

} // namespace vornpack
