// A file's bytes as the tests read them back, shared for writing: the log is
// read while its writer may still hold it.
#pragma once

#ifdef _WIN32

#include <string>

#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

inline std::string FileContents(const String& path) {
    std::string bytes;
    FileHandle file(CreateFileW(Wide(path.data()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD read = 0;
    while (file.isValid() && ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read)
        bytes.append(buffer, read);
    return bytes;
}

} // namespace vorn

#endif
