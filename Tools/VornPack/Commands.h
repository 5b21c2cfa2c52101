// The container commands of VornPack: pack a folder, list, extract and verify
// a container (or the payload of a setup executable). Each command takes the
// arguments after its name and returns the exit code (CommandLine.h).
#pragma once

#include <vector>

#include "Tools/VornPack/CommandLine.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/PackingMethod.h"

namespace vornpack {

int Pack(const Arguments& arguments);
int List(const Arguments& arguments);
int Extract(const Arguments& arguments);
int Verify(const Arguments& arguments);

} // namespace vornpack
