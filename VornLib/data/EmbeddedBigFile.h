// The payload carried by the running executable (its RT_RCDATA resource 4096)
// as a read-only memory stream over the mapped image: nothing is copied, the
// pages come in as they are read.
#pragma once

#include "VornLib/data/MemoryStream.h"

namespace vorn {

class EmbeddedBigFile : public MemoryStream {
public:
    // 29 when the executable carries no payload.
    Result open();
};

} // namespace vorn
