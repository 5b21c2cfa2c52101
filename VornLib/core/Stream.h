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
    // Whether a stream that can do both was opened to read or to write.
    enum Mode : uint32_t { kRead = 1, kWrite = 2 };

    Stream() = default;
    // A stream stands for a position in something it may own: never copied.
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
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

// Declares every Stream operation in a class that implements them all itself.
#define VORN_STREAM_OPERATIONS                                                                     \
    Result close() override;                                                                       \
    Result read(void* destination, uint32_t count) override;                                       \
    Result write(const void* source, uint32_t count) override;                                     \
    Result flush(bool toDisk) override;                                                            \
    uint64_t position() override;                                                                  \
    Result seek(uint64_t offset) override;                                                         \
    uint64_t size() override;                                                                      \
    String description() override
