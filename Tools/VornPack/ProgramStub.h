// The prebuilt programs that `setup` completes with a payload: the installer
// stub (VornSetup.exe), the framework's removal program (VornUninstall.exe)
// for products not built on VornLib, and the update program (VornUpdate.exe)
// for products that declare an update feed. Each is recognised by the original file
// name in its version block, so that another program, a VornLib application
// say, is refused before the long packing instead of carrying a payload it
// would never read.
#pragma once

#include <vector>

#include <filesystem>

#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/PeResources.h"
#include "VornLib/core/DateTime.h"

namespace vornpack {

// What a stub is and how the user names it.
struct StubKind {
    const char16_t* fileName; // the original file name of its version block
    const char16_t* role;     // "setup program"
    const char16_t* option;   // "--stub"
};

constexpr StubKind kSetupStub = {u"VornSetup.exe", u"setup program", u"--stub"};
constexpr StubKind kRemovalStub = {u"VornUninstall.exe", u"removal program", u"--uninstaller"};
constexpr StubKind kUpdateStub = {u"VornUpdate.exe", u"update program", u"--updater"};

struct ProgramStub {
    std::vector<uint8_t> bytes;
    PeImage image;
    vorn::DateTime date = vorn::kInvalidDateTime;
};

// Reads and parses the stub at `path` and checks what it is: 0, or the
// result with `message` naming the path (39 for another program).
vorn::Result LoadStub(const StubKind& kind, const vorn::String& path, ProgramStub* stub,
                      vorn::String* message);

// Writes the stub with the container file `container` as its payload
// (resource 4096) onto `output`, and closes it; `payloadSize` is the
// container's. 0, or the result with `message` naming `outputName` (or the
// stub at `stubName` that has no room for it).
vorn::Result WriteStubWithPayload(const ProgramStub& stub, const std::filesystem::path& container,
                                  const vorn::String& stubName, const vorn::String& outputName,
                                  OutputFile* output, uint64_t* payloadSize, vorn::String* message);

} // namespace vornpack
