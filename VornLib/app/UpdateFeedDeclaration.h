// The definitions' UpdateFeed element: where an installation looks for its
// updates and the key that signs them,
//   <UpdateFeed Url="https://…/feed.json" PublicKey="<base64>" CheckEveryDays="1"/>
// Url is where "VornPack feed" published feed.json (https, or this computer
// for a test: IsUpdateAddress); PublicKey the vendor's Ed25519 public key as
// "VornPack keygen" wrote it; CheckEveryDays how often a program looks for a
// new version (1 to 365, 1 when not given). Without the element a product
// has no updates of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

constexpr char16_t kUpdateFeedElement[] = u"UpdateFeed";
// The update program every installation of a product with a feed carries at
// the top of its install folder.
constexpr char16_t kUpdateProgramFileName[] = u"VornUpdate.exe";
constexpr uint32_t kUpdatePublicKeySize = 32;

struct UpdateFeedDeclaration {
    bool declared = false;
    String url;
    std::vector<uint8_t> publicKey;
    uint32_t checkEveryDays = 1;
};

// 0, with `declared` false when `settings` has no UpdateFeed; else 5 and the
// line that says which attribute is wrong.
Result ReadUpdateFeed(const XmlNode& settings, UpdateFeedDeclaration* out, String* problem);

} // namespace vorn
