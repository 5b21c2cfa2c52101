// A file with its layers: the raw platform file at the bottom and, normally,
// the write-back cache above it. Every operation goes through the top layer;
// setLayers restacks them (a layer list is applied from its last code to its
// first: 1 = raw file, 0 = cache over what is below).
#pragma once

#include "VornLib/data/CacheStream.h"
#include "VornLib/data/RawFileStream.h"

namespace vorn {

class FileStream : public Stream {
public:
    enum Layer : uint32_t { kCacheLayer = 0, kRawLayer = 1 };

    FileStream() = default;
    ~FileStream() override;

    Result openRead(const char16_t* path);
    Result openWrite(const char16_t* path);
    Result setLayers(const uint32_t* codes, uint32_t count);
    Result setLastWriteTime(DateTime time);
    bool isOpen() const { return raw_.isOpen(); }

    VORN_STREAM_OPERATIONS;

private:
    Result stackDefaultLayers();

    RawFileStream raw_;
    CacheStream cache_;
    Stream* top_ = nullptr;
};

} // namespace vorn
