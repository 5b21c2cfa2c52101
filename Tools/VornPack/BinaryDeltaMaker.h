// Makes the binary deltas that VornLib/data/BinaryDelta.h describes and
// applies. The base's suffixes are sorted once (SuffixSort.h); then the
// target is scanned from its start. Where the scan stands, the longest exact
// match anywhere in the base is looked up; when the current pairing of target
// and base (the alignment) gets more than eight of its bytes wrong, the scan
// switches to the match's alignment. Each alignment's run is widened forwards
// and the next one's backwards for as long as most of their bytes agree, so
// that code whose addresses changed stays one run with a few non-zero add
// bytes; what no run covers goes to the extra section.
//
// The result depends on the inputs alone. Besides them, making takes about
// five bytes per base byte (the suffix order and a filter that spares
// searches where the target has bytes of its own) and the delta's size. A
// base of 2 GiB or more is not searched: its delta carries the target as
// extra bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Tools/VornPack/SuffixSort.h"

namespace vornpack {

std::vector<uint8_t> MakeBinaryDelta(const uint8_t* base, size_t baseSize, const uint8_t* target,
                                     size_t targetSize);

} // namespace vornpack
