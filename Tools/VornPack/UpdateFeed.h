// VornPack keygen and feed: what a vendor publishes so that installations
// update themselves.
//
//   VornPack keygen --out <name>
//   VornPack feed <setup.exe>... --base-url <https://…/> --key <name.private>
//                 --out <folder> [--notes-url <https://…/{version}.html>]
//
// keygen writes a key pair (UpdateSigning.h). feed reads each setup (all of
// one product, each of another version), signs it, copies it into the folder
// and writes "feed.json" and its signature "feed.json.sig" there
// (VornLib/app/UpdateFeedDocument.h). The folder is then published as static
// files.
#pragma once

#include "Tools/VornPack/CommandLine.h"

namespace vornpack {

int Keygen(const Arguments& arguments);
int FeedCommand(const Arguments& arguments);

} // namespace vornpack
