// NamedMutex: a session-local named mutex ("Local\" + name) that tells whether
// another process created it first. Used for single-instance control.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Uuid.h"
#include "VornLib/core/Win32Handles.h"

namespace vorn {

class NamedMutex {
public:
    Result create(const char16_t* name);
    bool alreadyExisted() const { return alreadyExisted_; }
    bool isValid() const { return handle_.isValid(); }
    void close() { handle_.reset(); }

private:
    KernelHandle handle_;
    bool alreadyExisted_ = false;
};

// "VornLib.{" + the UUID text + "}".
String SingleInstanceName(const UUID& uuid);

} // namespace vorn
