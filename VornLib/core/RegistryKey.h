// RegistryKey: one registry key under one of four roots, opened on first use.
// Reads try full access and fall back to read access; writes create the key and
// its missing parents. Every platform error becomes a framework result code.
#pragma once

#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

enum RegistryRoot : uint32_t {
    kRegistryClassesRoot = 1,
    kRegistryCurrentUser = 2,
    kRegistryLocalMachine = 3,
    kRegistryLocalMachine32 = 4, // the 32-bit view, as a 32-bit program sees it on 64-bit Windows
    kRegistryLocalMachine64 = 5, // the 64-bit view, as a 64-bit program sees it on 64-bit Windows
};

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(RegistryKey&&) = default;
    RegistryKey& operator=(RegistryKey&&) = default;

    // Records the root and the path ("/" or "\" separated); opens nothing yet.
    Result open(uint32_t rootKind, const char16_t* keyPath);
    void close();

    // True when the key exists and can be opened for reading.
    bool exists();

    Result readBoolean(const char16_t* name, bool* value);
    Result readInt32(const char16_t* name, int32_t* value);
    Result readText(const char16_t* name, String* value);
    Result readFloat(const char16_t* name, float* value);
    // A value of any kind as it is stored: its kind (REG_SZ, REG_DWORD, ...)
    // and its bytes. 29 when the value is absent.
    Result readStored(const char16_t* name, uint32_t* kind, std::vector<uint8_t>* bytes);

    Result writeBoolean(const char16_t* name, bool value);
    Result writeInt32(const char16_t* name, int32_t value);
    Result writeInt64(const char16_t* name, int64_t value);
    Result writeText(const char16_t* name, const char16_t* value);
    Result writeFloat(const char16_t* name, float value);
    Result writeDouble(const char16_t* name, double value);
    Result writeStored(const char16_t* name, uint32_t kind, const std::vector<uint8_t>& bytes);

    // The name of the subkey at `index` in the system's order; 20 past the last.
    Result subkeyName(uint32_t index, String* name);

    Result deleteValue(const char16_t* name);
    // Deletes the named subkey with everything below it. Success when this key
    // itself does not exist; 29 when only the subkey is missing.
    Result deleteSubkeyTree(const char16_t* name);
    // Deletes this key when it holds neither values nor subkeys (21 otherwise);
    // a missing key counts as deleted.
    Result deleteIfEmpty();

    // Copies every value and subkey of this key into `destination` (created
    // when missing), as they are: names, types and data. 29 when this key
    // does not exist.
    Result copyTreeTo(RegistryKey& destination);
    // Writes the key's changes to the disk before returning, so that a
    // record kept here outlives a power failure.
    Result flush();

    const String& path() const { return path_; }

private:
    Result openForReading();
    Result openForWriting();
    Result queryValue(const char16_t* name, DWORD expectedType, void* data, DWORD* size);
    // Reads the value as `Stored` with `read` and converts it; T() on failure.
    template <typename T, typename Stored, typename Convert>
    Result readConverted(const char16_t* name, T* value,
                         Result (RegistryKey::*read)(const char16_t*, Stored*), Convert convert);
    Result setValue(const char16_t* name, DWORD type, const void* data, DWORD size);

    RegistryKeyHandle ownedRoot_;
    HKEY root_ = nullptr;
    REGSAM view_ = 0;
    String path_;
    RegistryKeyHandle key_;
    bool writable_ = false;
};

} // namespace vorn
