// The product a framework program stands for. A program built on VornLib
// stands for itself. The framework's removal program stands for a product
// that is not built on VornLib: its description (the product's identity)
// names the product's executable ("Executable", relative to the removal
// program's folder, the install folder). File types, protocols and the App
// Paths entry are registered for that executable, and since such a product
// holds no named mutex, its removal looks for its running processes instead.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/String.h"

namespace vorn {

// `ownPath` when the description names no executable, else that executable
// beside `ownPath`.
String ProductExecutablePath(const ApplicationDescription& description, const String& ownPath);

} // namespace vorn

#ifdef _WIN32
namespace vorn {

// The first program found running from `folder` or below (other than this
// process's executable, `uncounted`, when given, and the processes of
// `services`, which the installation stops itself), as a message names it:
// `productName` for the product's executable, else the program's file name.
// Empty when none runs.
String RunningProductProgram(const String& productName, const String& productExecutable,
                             const String& uncounted, const String& folder,
                             const std::vector<uint32_t>& services);

} // namespace vorn
#endif
