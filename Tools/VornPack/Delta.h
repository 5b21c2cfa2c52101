// delta: makes a delta setup, the update from one version of a product to
// the next that carries only what changed (UpdateDelta.h). Both setups are
// read as `setup` wrote them; every file of the new version is compared with
// the old version's file of the same path: the same bytes are taken from the
// installation as they are, changed ones travel as a binary delta
// (BinaryDeltaMaker.h) when that is smaller than the file, the others whole.
// The new setup's definitions go with them unchanged, and the payload goes
// into the setup stub, signed like a full setup.
#pragma once

#include "Tools/VornPack/CommandLine.h"

namespace vornpack {

int Delta(const Arguments& arguments);

} // namespace vornpack
