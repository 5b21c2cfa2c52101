// The vendor's sign command of `setup`: run through the system's shell (sh,
// or cmd on Windows) with every "{}" replaced by the quoted path of the setup
// to sign, before the setup takes its name, so that a failed signature leaves
// no unsigned setup behind that could be shipped by mistake.
#pragma once

#include <filesystem>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vornpack {

// Where the sign command's text names the file to sign.
constexpr const char16_t* kFilePlaceholder = u"{}";

// 0 only when the command ended with 0 and left at `file` an executable that
// carries a signature (a certificate table); 1 for a command that failed or
// signed nothing, 33 when it left no executable. `output` is the setup's name
// for the messages.
// 0, or 5 with `message` for a command that does not name the file to sign.
vorn::Result CheckSignCommand(const vorn::String& command, vorn::String* message);

vorn::Result SignSetup(const vorn::String& command, const std::filesystem::path& file,
                       const vorn::String& output, vorn::String* message);

} // namespace vornpack
