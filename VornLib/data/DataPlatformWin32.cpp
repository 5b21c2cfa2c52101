// Win32 side of the stream platform calls.
#include "VornLib/core/Win32.h"
#include "VornLib/data/DataPlatform.h"

namespace vorn {
namespace platform {
namespace {

HANDLE Native(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}
Result LastError() {
    return ResultFromSystemError(GetLastError());
}

} // namespace

Result OpenFile(const char16_t* path, bool forWriting, FileHandle* out) {
    *out = kInvalidFile;
    const HANDLE file =
        forWriting ? CreateFileW(Wide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr)
                   : CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastError();
    *out = reinterpret_cast<FileHandle>(file);
    return kResultOk;
}

Result CloseFile(FileHandle file) {
    return CloseHandle(Native(file)) ? kResultOk : LastError();
}

Result ReadFile(FileHandle file, void* destination, uint32_t count) {
    DWORD done = 0;
    if (!::ReadFile(Native(file), destination, count, &done, nullptr))
        return LastError();
    return done == count ? kResultOk : kResultEndOfData;
}

Result WriteFile(FileHandle file, const void* source, uint32_t count) {
    DWORD done = 0;
    if (!::WriteFile(Native(file), source, count, &done, nullptr))
        return LastError();
    return done == count ? kResultOk : kResultFull;
}

Result SeekFile(FileHandle file, uint64_t offset) {
    LARGE_INTEGER distance;
    distance.QuadPart = LONGLONG(offset);
    return SetFilePointerEx(Native(file), distance, nullptr, FILE_BEGIN) ? kResultOk : LastError();
}

Result FileSize(FileHandle file, uint64_t* out) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Native(file), &size)) {
        *out = 0;
        return LastError();
    }
    *out = uint64_t(size.QuadPart);
    return kResultOk;
}

Result FlushFile(FileHandle file) {
    return FlushFileBuffers(Native(file)) ? kResultOk : LastError();
}

Result SetFileLastWriteTime(FileHandle file, uint64_t fileTime) {
    FILETIME time;
    time.dwLowDateTime = DWORD(fileTime);
    time.dwHighDateTime = DWORD(fileTime >> 32);
    return SetFileTime(Native(file), nullptr, nullptr, &time) ? kResultOk : LastError();
}

Result FindPayload(const void** bytes, uint32_t* length) {
    *bytes = nullptr;
    *length = 0;
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(4096), MAKEINTRESOURCEW(10));
    if (!resource)
        return kResultNotFound;
    const HGLOBAL loaded = LoadResource(module, resource);
    const DWORD size = SizeofResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data || !size)
        return kResultNotFound;
    *bytes = data;
    *length = size;
    return kResultOk;
}

} // namespace platform
} // namespace vorn
