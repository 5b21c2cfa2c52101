// POSIX side of the stream platform calls, for the host build and its tools.
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "VornLib/data/DataPlatform.h"

#include "VornLib/core/Utf8.h"

namespace vorn {
namespace platform {
namespace {

struct ErrnoMapping {
    int error;
    Result result;
};

constexpr ErrnoMapping kErrnoMappings[] = {
    {ENOENT, kResultNotFound},      {ENOTDIR, kResultBadPath},
    {EACCES, kResultAccessDenied},  {EPERM, kResultAccessDenied},
    {EISDIR, kResultAccessDenied},  {ENOMEM, kResultOutOfMemory},
    {ENOSPC, kResultFull},          {EEXIST, kResultAlreadyExists},
    {ENAMETOOLONG, kResultBadPath}, {EINVAL, kResultInvalidArgument},
    {EBADF, kResultInvalidHandle},
};

Result LastError() {
    for (const ErrnoMapping& mapping : kErrnoMappings) {
        if (mapping.error == errno)
            return mapping.result;
    }
    return kResultFailed;
}

std::string Utf8Path(const char16_t* path) {
    return ToUtf8(path, TextLength(path));
}

} // namespace

Result OpenFile(const char16_t* path, bool forWriting, FileHandle* out) {
    *out = kInvalidFile;
    const int flags = forWriting ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
    const int file = ::open(Utf8Path(path).c_str(), flags | O_CLOEXEC, 0644);
    if (file < 0)
        return LastError();
    struct stat info;
    if (fstat(file, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(file);
        return kResultAccessDenied; // as Windows refuses to open a folder as a file
    }
    *out = file;
    return kResultOk;
}

Result CloseFile(FileHandle file) {
    return ::close(int(file)) == 0 ? kResultOk : LastError();
}

Result ReadFile(FileHandle file, void* destination, uint32_t count) {
    auto* bytes = static_cast<uint8_t*>(destination);
    while (count) {
        const ssize_t done = ::read(int(file), bytes, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            return LastError();
        if (done == 0)
            return kResultEndOfData;
        bytes += done;
        count -= uint32_t(done);
    }
    return kResultOk;
}

Result WriteFile(FileHandle file, const void* source, uint32_t count) {
    auto* bytes = static_cast<const uint8_t*>(source);
    while (count) {
        const ssize_t done = ::write(int(file), bytes, count);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return done == 0 ? kResultFull : LastError();
        bytes += done;
        count -= uint32_t(done);
    }
    return kResultOk;
}

Result SeekFile(FileHandle file, uint64_t offset) {
    return ::lseek(int(file), off_t(offset), SEEK_SET) < 0 ? LastError() : kResultOk;
}

Result FileSize(FileHandle file, uint64_t* out) {
    struct stat info;
    if (fstat(int(file), &info) != 0) {
        *out = 0;
        return LastError();
    }
    *out = uint64_t(info.st_size);
    return kResultOk;
}

Result FlushFile(FileHandle file) {
    return ::fsync(int(file)) == 0 ? kResultOk : LastError();
}

Result SetFileLastWriteTime(FileHandle file, uint64_t fileTime) {
    // FILETIME counts from 1601; the Unix epoch is 11644473600 seconds later.
    constexpr uint64_t kEpochDifference = 116444736000000000ull;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    const int64_t sinceEpoch = int64_t(fileTime - kEpochDifference);
    times[1].tv_sec = time_t(sinceEpoch / 10000000);
    times[1].tv_nsec = long(sinceEpoch % 10000000) * 100;
    if (times[1].tv_nsec < 0) {
        times[1].tv_sec -= 1;
        times[1].tv_nsec += 1000000000;
    }
    return futimens(int(file), times) == 0 ? kResultOk : LastError();
}

Result FindPayload(const void** bytes, uint32_t* length) {
    *bytes = nullptr;
    *length = 0;
    return kResultNotFound; // only Windows executables carry resources
}

} // namespace platform
} // namespace vorn
