// A file on disk read or written straight through the platform, without any
// buffering: the bottom layer of FileStream. Reads are all-or-nothing and
// bounded by the size learnt at open (plus what this stream wrote since).
#pragma once

#include "VornLib/core/DateTime.h"
#include "VornLib/core/Stream.h"
#include "VornLib/data/DataPlatform.h"

namespace vorn {

class RawFileStream : public Stream {
public:
    RawFileStream() = default;
    ~RawFileStream() override;

    Result openRead(const char16_t* path);
    Result openWrite(const char16_t* path);
    bool isOpen() const { return file_ != platform::kInvalidFile; }
    Mode mode() const { return mode_; }
    Result setLastWriteTime(DateTime time);

    VORN_STREAM_OPERATIONS;

private:
    Result open(const char16_t* path, Mode mode);

    String path_;
    platform::FileHandle file_ = platform::kInvalidFile;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    Mode mode_ = kRead;
};

} // namespace vorn
