// Reading an installation's feed: feed.json and its signature downloaded
// from the declared address, the signature checked with the product's key
// before a byte of the feed is read, and the feed refused when it is
// another product's (a feed the same key signed for another product must
// not update this one).
#pragma once

#include "Applications/VornUpdate/UpdateInstallation.h"
#include "VornLib/app/UpdateFeedDocument.h"

namespace vornupdate {

// 0 with the feed; kExitFeedUnavailable when it cannot be downloaded,
// kExitNotTrusted when it is not signed with the key or not this product's;
// `message` says why for the console and the log.
int32_t FetchFeed(const Installation& installation, vorn::Feed* feed, vorn::String* message);

} // namespace vornupdate
