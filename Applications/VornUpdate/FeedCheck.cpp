#include "Applications/VornUpdate/FeedCheck.h"

#include <vector>

#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/UpdateSignature.h"
#include "VornLib/core/Format.h"
#include "VornLib/telemetry/WebDownload.h"

namespace vornupdate {

using namespace vorn;

namespace {

// Far more than any feed of a product's releases holds: what a server sends
// beyond it is not read.
constexpr uint64_t kFeedLimit = 4u << 20;
constexpr uint64_t kSignatureLimit = 1024;

Result Fetch(const String& url, uint64_t limit, std::vector<uint8_t>* bytes, String* message) {
    DownloadOutcome outcome;
    const Result result = Download(
        url, limit,
        [bytes](const uint8_t* piece, uint32_t size) {
            bytes->insert(bytes->end(), piece, piece + size);
            return kResultOk;
        },
        &outcome);
    if (result == kResultNotFound)
        *message = Format(u"\"{0}\" answered {1}.", {url, outcome.status});
    else if (result == kResultCapacityExceeded)
        *message = Format(u"\"{0}\" is larger than a feed can be.", {url});
    else if (result != kResultOk)
        *message = Format(u"\"{0}\" cannot be downloaded (result {1}, error {2}).",
                          {url, int32_t(result), outcome.systemError});
    return result;
}

// The signature file's one line of base64, its line break left out.
String SignatureText(const std::vector<uint8_t>& bytes) {
    String text;
    for (const uint8_t byte : bytes) {
        if (byte != '\n' && byte != '\r')
            text += char16_t(byte);
    }
    return text;
}

} // namespace

int32_t FetchFeed(const Installation& installation, Feed* feed, String* message) {
    const String& url = installation.feed.url;
    std::vector<uint8_t> document;
    std::vector<uint8_t> signature;
    if (Fetch(url, kFeedLimit, &document, message) != kResultOk ||
        Fetch(url + u".sig", kSignatureLimit, &signature, message) != kResultOk)
        return kExitFeedUnavailable;
    if (!BytesSignatureHolds(document.data(), document.size(), installation.feed.publicKey.data(),
                             SignatureText(signature))) {
        *message =
            Format(u"The feed \"{0}\" is not signed with {1}'s key.", {url, installation.name});
        return kExitNotTrusted;
    }
    String problem;
    if (ReadFeedDocument(document.data(), document.size(), feed, &problem) != kResultOk) {
        *message = Format(u"The feed \"{0}\" cannot be read: {1}.", {url, problem});
        return kExitNotTrusted;
    }
    if (feed->product != installation.product) {
        *message =
            Format(u"The feed \"{0}\" is of another product ({1}).", {url, feed->product.toText()});
        return kExitNotTrusted;
    }
    Log(LogEvent::Feed, u"{0}: signature holds, {1} releases, newest {2}",
        {url, uint32_t(feed->releases.size()),
         feed->releases.empty() ? String(u"none") : feed->releases.front().version});
    return 0;
}

} // namespace vornupdate
