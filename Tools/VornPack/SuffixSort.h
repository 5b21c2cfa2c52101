// The order of all suffixes of a byte string, by induced sorting (each
// suffix's type, S or L, decides where it goes from its neighbour's place;
// the leftmost S-type stretches are named and their own suffixes sorted
// recursively). The index the binary delta's search runs on: linear time,
// four bytes per byte besides the working space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornpack {

// Positions fit signed 32 bits: strings below 2 GiB.
using SuffixIndex = int32_t;
constexpr size_t kMaxIndexedBase = 0x7FFFFFFF;

// The positions of the suffixes of `bytes` in lexicographic order, a suffix
// before the longer ones it begins. Empty for 2 GiB or more.
std::vector<SuffixIndex> SortedSuffixes(const uint8_t* bytes, size_t size);

} // namespace vornpack
