// A Windows executable read from a file without holding all of it: only as
// much as its headers and resource tree need, so that a setup of gigabytes
// is inspected in a few megabytes. list, verify and extract find a setup's
// payload this way; setup checks with it that a sign command left a
// signature.
#pragma once

#include <vector>

#include "Tools/VornPack/PeResources.h"
#include "VornLib/core/Stream.h"

namespace vornpack {

// Reads the start of `file` into `bytes` (which `image` then points into)
// until `image` holds the headers and the resource tree. 33 for a file that
// is not a Windows executable; PeImage::read's other results.
vorn::Result ReadImageStart(vorn::Stream* file, std::vector<uint8_t>* bytes, PeImage* image);

// Where a resource of the image lies in the file; 29 when it has none.
vorn::Result FindResource(const PeImage& image, const ResourceKey& type, const ResourceKey& name,
                          uint64_t* offset, uint64_t* size);

// Whether the image read from `file` carries a certificate table (the
// security directory) that lies inside the file and whose first
// certificate's declared length fits it, as signing tools leave it.
bool CarriesSignature(vorn::Stream* file, const PeImage& image);

} // namespace vornpack
