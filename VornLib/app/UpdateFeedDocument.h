// feed.json: the releases of a product that "VornPack feed" publishes and an
// installation reads to find its updates, written and read here alone:
//
//   {
//     "format": 1,
//     "product": "{<UUID>}",
//     "name": "<the product's name>",
//     "releases": [
//       {"version": "2.0.0", "setup": "<base URL><file name>", "size": <bytes>,
//        "sha256": "<64 hexadecimal digits>", "signature": "<base64>",
//        "notes": "<address>" or null,
//        "deltas": [{"from": "1.0.0", "setup": "<base URL><file name>",
//                    "size": <bytes>, "sha256": "…", "signature": "…"}, ...]},
//       ...
//     ]
//   }
//
// A release's "deltas" (none when the member is missing) are delta setups
// (UpdateDelta.h) that update the version "from" to the release's; its full
// setup is what an installation runs when none fits or one does not apply.
// Releases are listed newest first; a version is written as the list of
// installed programs shows it ("1.5 Beta 2"). Beside it lies
// "feed.json.sig", the base64 signature of feed.json's bytes as they are:
// nothing of a feed is read before that signature holds (UpdateSignature.h).
// A reader ignores members it does not know, so that later formats can add
// some; another "format" is refused.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/Uuid.h"

namespace vorn {

constexpr char16_t kFeedFileName[] = u"feed.json";
constexpr char16_t kFeedSignatureFileName[] = u"feed.json.sig";

// A setup the feed names: where it is and what its bytes must be.
struct FeedSetup {
    String url;
    uint64_t size = 0;
    String sha256;
    String signature;
};

struct FeedDelta {
    String from; // the version it updates, as the entry shows it
    FeedSetup setup;
};

struct FeedRelease {
    String version;
    FeedSetup setup;
    String notesUrl; // empty: null
    std::vector<FeedDelta> deltas;
};

struct Feed {
    UUID product;
    String name;
    std::vector<FeedRelease> releases; // newest first
};

String FeedDocument(const Feed& feed);

// 0, or 33 and the problem (in English, for a log) for a document that is
// not such a feed: no JSON, another format, a member missing or of another
// kind, a setup address that is not an update address (WebAddress.h).
Result ReadFeedDocument(const uint8_t* bytes, size_t size, Feed* feed, String* problem);

// The newest release when its version is newer than `installed` (by their
// numbers, CompareVersions); else null.
const FeedRelease* NewerRelease(const Feed& feed, const String& installed);

// The release's delta setup from `installed`; null when it has none.
const FeedDelta* DeltaFrom(const FeedRelease& release, const String& installed);

} // namespace vorn
