// VornPack keygen and feed: what a vendor publishes so that installations
// update themselves.
//
//   VornPack keygen --out <name>
//   VornPack feed <setup.exe>... --base-url <https://…/> --key <name.private>
//                 --out <folder> [--notes-url <https://…/{version}.html>]
//
// keygen writes a key pair (UpdateSigning.h). feed reads each setup (all of
// one product, each of another version), signs it, copies it into the folder
// and writes "feed.json" there, its releases newest first:
//
//   {
//     "format": 1,
//     "product": "{<UUID>}",
//     "name": "<the product's name>",
//     "releases": [
//       {"version": "2.0.0", "setup": "<base URL><file name>", "size": <bytes>,
//        "sha256": "<64 hexadecimal digits>", "signature": "<base64>",
//        "notes": "<address>" or null},
//       ...
//     ]
//   }
//
// and "feed.json.sig", the base64 signature of feed.json's bytes as they are:
// an installation reads the feed only once that signature holds with the
// public key it carries. The folder is then published as static files.
#pragma once

#include <vector>

#include "Tools/VornPack/CommandLine.h"
#include "VornLib/core/Uuid.h"

namespace vornpack {

struct FeedRelease {
    vorn::String version; // as the list of installed programs shows it
    vorn::String setupUrl;
    uint64_t size = 0;
    vorn::String sha256;
    vorn::String signature;
    vorn::String notesUrl; // empty: null
};

struct Feed {
    vorn::UUID product;
    vorn::String name;
    std::vector<FeedRelease> releases; // newest first
};

// The feed's JSON text, as above.
vorn::String FeedDocument(const Feed& feed);

int Keygen(const Arguments& arguments);
int FeedCommand(const Arguments& arguments);

} // namespace vornpack
