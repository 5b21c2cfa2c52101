#include "VornLib/core/platform/NamedMutex.h"

namespace vorn {

Result NamedMutex::create(const char16_t* name) {
    handle_.reset();
    alreadyExisted_ = false;
    if (!name)
        return kResultNullInput;
    const String fullName = String(u"Local\\") + name;
    handle_.reset(CreateMutexW(nullptr, FALSE, Wide(fullName.data())));
    const DWORD error = GetLastError();
    if (!handle_)
        return ResultFromSystemError(error);
    alreadyExisted_ = error == ERROR_ALREADY_EXISTS;
    return kResultOk;
}

String SingleInstanceName(const UUID& uuid) {
    return String(u"VornLib.{") + uuid.toText() + u'}';
}

} // namespace vorn
