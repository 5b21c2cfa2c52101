// Stream: the one byte-stream interface through which every file, payload
// entry and compressed entry is read or written. 64-bit sizes and positions,
// 32-bit single transfers, and all-or-nothing reads: a read either delivers
// every requested byte or fails with a result code.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

class Stream {
public:
    virtual ~Stream() = default;
    virtual Result close() = 0;
    virtual Result read(void* destination, uint32_t count) = 0;
    virtual Result write(const void* source, uint32_t count) = 0;
    virtual Result flush(bool toDisk) = 0;
    virtual uint64_t position() = 0;
    virtual Result seek(uint64_t offset) = 0;
    virtual uint64_t size() = 0;
    virtual String description() = 0;
    virtual bool atEnd() { return position() >= size(); }
};

} // namespace vorn
