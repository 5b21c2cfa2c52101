#include "VornLib/core/RegistryKey.h"

#include <cwchar>

#include "VornLib/core/Format.h"

namespace vorn {
namespace {

constexpr DWORD kMaxTextBytes = 16384;

} // namespace

Result RegistryKey::open(uint32_t rootKind, const char16_t* keyPath) {
    close();
    if (!keyPath)
        return kResultNullInput;
    HKEY root = nullptr;
    REGSAM view = 0;
    switch (rootKind) {
    case kRegistryClassesRoot:
        root = HKEY_CLASSES_ROOT;
        break;
    case kRegistryCurrentUser:
        // The user's own hive: HKEY_CURRENT_USER may be cached for another user
        // in a process that impersonates.
        if (RegOpenCurrentUser(KEY_ALL_ACCESS, ownedRoot_.receive()) != ERROR_SUCCESS)
            ownedRoot_.release();
        root = ownedRoot_ ? ownedRoot_.get() : HKEY_CURRENT_USER;
        break;
    case kRegistryLocalMachine:
        root = HKEY_LOCAL_MACHINE;
        break;
    case kRegistryLocalMachine32:
        root = HKEY_LOCAL_MACHINE;
        view = KEY_WOW64_32KEY;
        break;
    case kRegistryLocalMachine64:
        root = HKEY_LOCAL_MACHINE;
        view = KEY_WOW64_64KEY;
        break;
    default:
        return kResultInvalidArgument;
    }
    String path(keyPath);
    path.replace(u'/', u'\\');
    if (path.startsWith(u"\\")) {
        ownedRoot_.reset();
        return kResultBadPath;
    }
    root_ = root;
    view_ = view;
    path_ = path;
    return kResultOk;
}

void RegistryKey::close() {
    key_.reset();
    ownedRoot_.reset();
    root_ = nullptr;
    view_ = 0;
    path_.clear();
    writable_ = false;
}

Result RegistryKey::openForReading() {
    if (key_)
        return kResultOk;
    if (!root_)
        return kResultWrongState;
    LONG error =
        RegOpenKeyExW(root_, Wide(path_.data()), 0, KEY_ALL_ACCESS | view_, key_.receive());
    writable_ = error == ERROR_SUCCESS;
    if (error == ERROR_ACCESS_DENIED)
        error = RegOpenKeyExW(root_, Wide(path_.data()), 0, KEY_READ | view_, key_.receive());
    if (error != ERROR_SUCCESS) {
        key_.reset();
        return ResultFromSystemError(uint32_t(error));
    }
    return kResultOk;
}

Result RegistryKey::openForWriting() {
    if (key_ && writable_)
        return kResultOk;
    if (!root_)
        return kResultWrongState;
    const LONG error = RegCreateKeyExW(root_, Wide(path_.data()), 0, nullptr, 0,
                                       KEY_ALL_ACCESS | view_, nullptr, key_.receive(), nullptr);
    if (error != ERROR_SUCCESS) {
        key_.reset();
        return ResultFromSystemError(uint32_t(error));
    }
    writable_ = true;
    return kResultOk;
}

bool RegistryKey::exists() {
    return openForReading() == kResultOk;
}

Result RegistryKey::queryValue(const char16_t* name, DWORD expectedType, void* data, DWORD* size) {
    const Result opened = openForReading();
    if (opened != kResultOk)
        return opened;
    // The kind first: a value of another kind may not fit the buffer at all.
    DWORD type = 0;
    LONG error = RegQueryValueExW(key_.get(), Wide(name), nullptr, &type, nullptr, nullptr);
    if (error != ERROR_SUCCESS)
        return ResultFromSystemError(uint32_t(error));
    if (type != expectedType)
        return kResultKindMismatch;
    error =
        RegQueryValueExW(key_.get(), Wide(name), nullptr, &type, static_cast<BYTE*>(data), size);
    return ResultFromSystemError(uint32_t(error));
}

template <typename T, typename Stored, typename Convert>
Result RegistryKey::readConverted(const char16_t* name, T* value,
                                  Result (RegistryKey::*read)(const char16_t*, Stored*),
                                  Convert convert) {
    if (!name)
        return kResultInvalidName;
    if (!value)
        return kResultNullOutput;
    Stored stored{};
    const Result result = (this->*read)(name, &stored);
    *value = result == kResultOk ? convert(stored) : T();
    return result;
}

Result RegistryKey::readBoolean(const char16_t* name, bool* value) {
    return readConverted(name, value, &RegistryKey::readInt32,
                         [](int32_t number) { return number != 0; });
}

Result RegistryKey::readInt32(const char16_t* name, int32_t* value) {
    if (!name)
        return kResultInvalidName;
    if (!value)
        return kResultNullOutput;
    DWORD data = 0;
    DWORD size = sizeof data;
    const Result result = queryValue(name, REG_DWORD, &data, &size);
    *value = result == kResultOk ? int32_t(data) : 0;
    return result;
}

Result RegistryKey::readText(const char16_t* name, String* value) {
    if (!name)
        return kResultInvalidName;
    if (!value)
        return kResultNullOutput;
    value->clear();
    char16_t buffer[kMaxTextBytes / 2 + 1];
    DWORD size = kMaxTextBytes;
    const Result result = queryValue(name, REG_SZ, buffer, &size);
    if (result != kResultOk)
        return result;
    // Stored texts need not carry their terminator.
    uint32_t length = size / 2;
    buffer[length] = 0;
    value->assign(buffer, TextLength(buffer));
    return kResultOk;
}

Result RegistryKey::readFloat(const char16_t* name, float* value) {
    return readConverted(name, value, &RegistryKey::readText, [](const String& text) {
        return float(std::wcstod(Wide(text.data()), nullptr));
    });
}

Result RegistryKey::readStored(const char16_t* name, uint32_t* kind, std::vector<uint8_t>* bytes) {
    if (!name)
        return kResultInvalidName;
    if (!kind || !bytes)
        return kResultNullOutput;
    bytes->clear();
    const Result opened = openForReading();
    if (opened != kResultOk)
        return opened;
    // Another process may grow the value between the two calls: asked again then.
    for (;;) {
        DWORD type = 0;
        DWORD size = 0;
        LONG error = RegQueryValueExW(key_.get(), Wide(name), nullptr, &type, nullptr, &size);
        if (error != ERROR_SUCCESS)
            return ResultFromSystemError(uint32_t(error));
        bytes->resize(size);
        error = RegQueryValueExW(key_.get(), Wide(name), nullptr, &type, bytes->data(), &size);
        if (error == ERROR_MORE_DATA)
            continue;
        if (error != ERROR_SUCCESS)
            return ResultFromSystemError(uint32_t(error));
        bytes->resize(size);
        *kind = type;
        return kResultOk;
    }
}

Result RegistryKey::writeStored(const char16_t* name, uint32_t kind,
                                const std::vector<uint8_t>& bytes) {
    return setValue(name, DWORD(kind), bytes.data(), DWORD(bytes.size()));
}

Result RegistryKey::setValue(const char16_t* name, DWORD type, const void* data, DWORD size) {
    if (!name)
        return kResultInvalidName;
    const Result opened = openForWriting();
    if (opened != kResultOk)
        return opened;
    const LONG error =
        RegSetValueExW(key_.get(), Wide(name), 0, type, static_cast<const BYTE*>(data), size);
    return ResultFromSystemError(uint32_t(error));
}

Result RegistryKey::writeBoolean(const char16_t* name, bool value) {
    const DWORD data = value ? 1 : 0;
    return setValue(name, REG_DWORD, &data, sizeof data);
}

Result RegistryKey::writeInt32(const char16_t* name, int32_t value) {
    const DWORD data = DWORD(value);
    return setValue(name, REG_DWORD, &data, sizeof data);
}

Result RegistryKey::writeInt64(const char16_t* name, int64_t value) {
    return setValue(name, REG_QWORD, &value, sizeof value);
}

Result RegistryKey::writeText(const char16_t* name, const char16_t* value) {
    if (!value)
        return kResultNullInput;
    return setValue(name, REG_SZ, value, DWORD(TextLength(value) + 1) * 2);
}

Result RegistryKey::writeFloat(const char16_t* name, float value) {
    return writeText(name, Format(u"{0:g}", {value}).data());
}

Result RegistryKey::writeDouble(const char16_t* name, double value) {
    return writeText(name, Format(u"{0:g}", {value}).data());
}

Result RegistryKey::deleteValue(const char16_t* name) {
    if (!name)
        return kResultInvalidName;
    const Result opened = openForWriting();
    if (opened != kResultOk)
        return opened;
    return ResultFromSystemError(uint32_t(RegDeleteValueW(key_.get(), Wide(name))));
}

Result RegistryKey::subkeyName(uint32_t index, String* name) {
    if (!name)
        return kResultNullOutput;
    name->clear();
    const Result opened = openForReading();
    if (opened != kResultOk)
        return opened;
    wchar_t buffer[256] = {}; // the longest key name the registry allows, and its end
    DWORD length = 256;
    const LONG error =
        RegEnumKeyExW(key_.get(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_NO_MORE_ITEMS)
        return kResultNoMoreItems;
    if (error != ERROR_SUCCESS)
        return ResultFromSystemError(uint32_t(error));
    *name = String(Units(buffer));
    return kResultOk;
}

Result RegistryKey::deleteSubkeyTree(const char16_t* name) {
    if (!name)
        return kResultInvalidName;
    const Result opened = openForReading();
    if (opened == kResultNotFound)
        return kResultOk;
    if (opened != kResultOk)
        return opened;
    return ResultFromSystemError(uint32_t(RegDeleteTreeW(key_.get(), Wide(name))));
}

Result RegistryKey::copyTreeTo(RegistryKey& destination) {
    const Result opened = openForReading();
    if (opened != kResultOk)
        return opened;
    const Result created = destination.openForWriting();
    if (created != kResultOk)
        return created;
    return ResultFromSystemError(
        uint32_t(RegCopyTreeW(key_.get(), nullptr, destination.key_.get())));
}

Result RegistryKey::flush() {
    const Result opened = openForReading();
    if (opened != kResultOk)
        return opened;
    return ResultFromSystemError(uint32_t(RegFlushKey(key_.get())));
}

Result RegistryKey::deleteIfEmpty() {
    const Result opened = openForReading();
    if (opened == kResultNotFound)
        return kResultOk;
    if (opened != kResultOk)
        return opened;
    DWORD subkeys = 0;
    DWORD values = 0;
    const LONG error = RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                        nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    if (error != ERROR_SUCCESS)
        return ResultFromSystemError(uint32_t(error));
    if (subkeys || values)
        return kResultDirectoryNotEmpty;
    key_.reset();
    return ResultFromSystemError(uint32_t(RegDeleteKeyExW(root_, Wide(path_.data()), view_, 0)));
}

} // namespace vorn
