// The few platform calls that the streams need: plain file handles and the
// executable's own payload resource. One implementation per platform
// (DataPlatformWin32.cpp, DataPlatformPosix.cpp), chosen by the build, so the
// stream logic above stays the same on every target.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"

namespace vorn {
namespace platform {

using FileHandle = intptr_t;
constexpr FileHandle kInvalidFile = -1;

Result OpenFile(const char16_t* path, bool forWriting, FileHandle* out);
Result CloseFile(FileHandle file);
Result ReadFile(FileHandle file, void* destination, uint32_t count);
Result WriteFile(FileHandle file, const void* source, uint32_t count);
Result SeekFile(FileHandle file, uint64_t offset);
Result FileSize(FileHandle file, uint64_t* out);
Result FlushFile(FileHandle file);
// fileTime: 100 ns units since 1601-01-01 (Windows FILETIME).
Result SetFileLastWriteTime(FileHandle file, uint64_t fileTime);

// The RT_RCDATA resource 4096 of the running executable, in place.
Result FindPayload(const void** bytes, uint32_t* length);

} // namespace platform
} // namespace vorn
