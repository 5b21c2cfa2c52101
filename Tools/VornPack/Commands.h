// The container commands of VornPack: pack a folder, list, extract and verify
// a container. Each takes its arguments as framework texts (so that Unicode
// paths survive on Windows) and returns the exit code: 0, or the result code
// of the failure, which it has reported in one line on standard error.
#pragma once

#include <filesystem>
#include <vector>

#include "Tools/VornPack/PackingMethod.h"
#include "VornLib/core/DateTime.h"
#include "VornLib/core/String.h"

namespace vornpack {

using Arguments = std::vector<vorn::String>;

// The arguments after the command's name, from main's: the platform's own
// UTF-16 command line on Windows, UTF-8 decoded elsewhere.
Arguments CommandArguments(int argc, char** argv);

vorn::Result ReadWholeFile(const vorn::String& path, std::vector<uint8_t>* out);
// The last write time in whole seconds, UTC.
vorn::Result LastWriteTime(const std::filesystem::path& path, vorn::DateTime* out);
// Removes the switch `name` from the arguments; whether it was there.
bool TakeFlag(Arguments* arguments, const char16_t* name);

int Pack(const Arguments& arguments);
int List(const Arguments& arguments);
int Extract(const Arguments& arguments);
int Verify(const Arguments& arguments);

int RunPack(int argc, char** argv);
int RunList(int argc, char** argv);
int RunExtract(int argc, char** argv);
int RunVerify(int argc, char** argv);

} // namespace vornpack
