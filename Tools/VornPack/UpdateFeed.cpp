#include "Tools/VornPack/UpdateFeed.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Manifest.h"
#include "Tools/VornPack/UpdateSigning.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/app/UpdateFeedDocument.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/WebAddress.h"

namespace vornpack {

using vorn::Feed;
using vorn::FeedRelease;
using vorn::Format;
using vorn::Result;
using vorn::String;

namespace fs = std::filesystem;

namespace {

Result WriteText(const fs::path& path, const std::string& bytes, String* message) {
    OutputFile output(path);
    Result result;
    if ((result = output.open(message)) != vorn::kResultOk ||
        (result = output.stream().write(bytes.data(), uint32_t(bytes.size()))) != vorn::kResultOk ||
        (result = output.close(message)) != vorn::kResultOk ||
        (result = output.commit(message)) != vorn::kResultOk) {
        if (message->isEmpty())
            *message = Format(u"cannot write \"{0}\"", {TextOf(path)});
        return result ? result : vorn::kResultFailed;
    }
    return vorn::kResultOk;
}

// One release of the feed: the setup read, signed and named by its address.
Result ReleaseOf(const String& setup, const PrivateKey& key, const String& baseUrl,
                 const String& notesUrl, SetupFacts* facts, FeedRelease* release, String* message) {
    Result result = ReadSetupFacts(setup, facts, message);
    if (result != vorn::kResultOk)
        return result;
    std::error_code error;
    release->setup.size = fs::file_size(PathOf(setup), error);
    if (error || (result = SignFile(setup, key, &release->setup.signature)) != vorn::kResultOk) {
        *message = Format(u"cannot read \"{0}\"", {setup});
        return error ? vorn::kResultNotFound : result;
    }
    release->version = vorn::EntryDisplayVersion(facts->version, facts->tag);
    release->setup.url = baseUrl + TextOf(PathOf(setup).filename());
    release->setup.sha256 = facts->sha256;
    release->notesUrl = notesUrl;
    for (int32_t at = release->notesUrl.find(u"{version}"); at >= 0;
         at = release->notesUrl.find(u"{version}"))
        release->notesUrl = release->notesUrl.left(uint32_t(at)) + release->version +
                            release->notesUrl.mid(uint32_t(at) + 9);
    return vorn::kResultOk;
}

// Setups of one product, each of its own version and file name.
Result CheckRelease(const Feed& feed, const SetupFacts& facts, const FeedRelease& release,
                    const String& setup, String* message) {
    if (!feed.releases.empty() && facts.uuid != feed.product) {
        *message = Format(u"\"{0}\" is the setup of another product than {1}", {setup, feed.name});
        return vorn::kResultInvalidArgument;
    }
    const auto nameOf = [](const String& url) { return url.mid(uint32_t(url.findLast(u'/')) + 1); };
    const String name = nameOf(release.setup.url);
    for (const FeedRelease& other : feed.releases) {
        bool sameName = nameOf(other.setup.url).compareIgnoringCase(name.data()) == 0;
        for (const vorn::FeedDelta& delta : other.deltas)
            sameName = sameName || nameOf(delta.setup.url).compareIgnoringCase(name.data()) == 0;
        if ((other.version == release.version && facts.updateOf.isEmpty()) || sameName) {
            *message = Format(u"\"{0}\": two setups of version {1} or of the name \"{2}\"",
                              {setup, release.version, name});
            return vorn::kResultInvalidArgument;
        }
    }
    return vorn::kResultOk;
}

// The releases of `setups`, newest first, each with the delta setups that
// update to it.
Result CollectReleases(const std::vector<String>& setups, const PrivateKey& key,
                       const String& baseUrl, const String& notesUrl, Feed* feed,
                       uint32_t* deltaCount, String* message) {
    struct NamedDelta {
        String setup; // as named on the command line
        String from;
        FeedRelease release;
    };
    std::vector<NamedDelta> deltas;
    Result result = vorn::kResultOk;
    for (const String& setup : setups) {
        SetupFacts facts;
        FeedRelease release;
        if ((result = ReleaseOf(setup, key, baseUrl, notesUrl, &facts, &release, message)) !=
                vorn::kResultOk ||
            (result = CheckRelease(*feed, facts, release, setup, message)) != vorn::kResultOk)
            return result;
        feed->product = facts.uuid;
        feed->name = facts.name;
        if (facts.updateOf.isEmpty()) {
            feed->releases.push_back(release);
            continue;
        }
        deltas.push_back({setup, facts.updateOf, release});
    }
    // A delta only beside the full setup of its version: an installation
    // whose files it does not fit runs that one instead.
    for (const NamedDelta& delta : deltas) {
        auto release = std::find_if(
            feed->releases.begin(), feed->releases.end(),
            [&delta](const FeedRelease& full) { return full.version == delta.release.version; });
        if (release == feed->releases.end()) {
            *message = Format(u"\"{0}\" updates {1} to {2}: name the full setup of {2} too",
                              {delta.setup, delta.from, delta.release.version});
            return vorn::kResultInvalidArgument;
        }
        if (vorn::DeltaFrom(*release, delta.from)) {
            *message = Format(u"\"{0}\": two delta setups from {1} to {2}",
                              {delta.setup, delta.from, delta.release.version});
            return vorn::kResultInvalidArgument;
        }
        release->deltas.push_back({delta.from, delta.release.setup});
    }
    if (feed->releases.empty()) {
        *message = u"name the full setup of each release beside its delta setups";
        return vorn::kResultInvalidArgument;
    }
    std::stable_sort(feed->releases.begin(), feed->releases.end(),
                     [](const FeedRelease& a, const FeedRelease& b) {
                         return vorn::CompareVersions(a.version.data(), b.version.data()) > 0;
                     });
    *deltaCount = uint32_t(deltas.size());
    return vorn::kResultOk;
}

// The setups copied into `folder`, beside the feed and its signature.
Result WriteFeedFolder(const fs::path& folder, const std::vector<String>& setups, const Feed& feed,
                       const PrivateKey& key, String* message) {
    std::error_code error;
    fs::create_directories(folder, error);
    for (const String& setup : setups) {
        const fs::path target = folder / PathOf(setup).filename();
        if (fs::exists(target, error) && fs::equivalent(PathOf(setup), target, error))
            continue;
        if (!fs::copy_file(PathOf(setup), target, fs::copy_options::overwrite_existing, error)) {
            *message = Format(u"cannot copy \"{0}\" into \"{1}\"", {setup, TextOf(folder)});
            return vorn::kResultFailed;
        }
    }
    const std::string document = vorn::ToUtf8(vorn::FeedDocument(feed));
    const std::string signature =
        vorn::ToUtf8(SignBytes(std::vector<uint8_t>(document.begin(), document.end()), key)) + "\n";
    Result result = WriteText(folder / PathOf(vorn::kFeedFileName), document, message);
    if (result == vorn::kResultOk)
        result = WriteText(folder / PathOf(vorn::kFeedSignatureFileName), signature, message);
    return result;
}

} // namespace

int Keygen(const Arguments& arguments) {
    const char16_t* kCommand = u"keygen";
    OptionReader options(arguments);
    String name;
    options.value(u"--out", &name);
    if (!options.complete() || !options.rest().empty() || name.isEmpty())
        return Usage(kCommand);
    String message;
    const Result result = WriteKeyPair(name, &message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);
    PrintLine(Format(u"wrote \"{0}.private\" (keep it secret: it signs your updates) and "
                     u"\"{0}.public\" (the PublicKey of UpdateFeed in Configuration.xml)",
                     {name}));
    return 0;
}

int FeedCommand(const Arguments& arguments) {
    const char16_t* kCommand = u"feed";
    OptionReader options(arguments);
    String baseUrl;
    String keyFile;
    String out;
    String notesUrl;
    options.value(u"--base-url", &baseUrl);
    options.value(u"--key", &keyFile);
    options.value(u"--out", &out);
    options.value(u"--notes-url", &notesUrl);
    if (!options.complete() || options.rest().empty() || baseUrl.isEmpty() || keyFile.isEmpty() ||
        out.isEmpty())
        return Usage(kCommand);
    if (!vorn::IsUpdateAddress(baseUrl) || baseUrl.lastCharacter() != u"/")
        return Fail(
            kCommand,
            Format(u"the base URL \"{0}\" must be an https:// address ending with /", {baseUrl}),
            vorn::kResultInvalidArgument);
    if (!notesUrl.isEmpty() && !vorn::IsWebAddress(notesUrl))
        return Fail(kCommand, Format(u"the notes URL \"{0}\" is not a web address", {notesUrl}),
                    vorn::kResultInvalidArgument);
    PrivateKey key;
    String message;
    Result result = ReadPrivateKey(keyFile, &key, &message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);

    Feed feed;
    uint32_t deltaCount = 0;
    if ((result = CollectReleases(options.rest(), key, baseUrl, notesUrl, &feed, &deltaCount,
                                  &message)) != vorn::kResultOk ||
        (result = WriteFeedFolder(PathOf(out), options.rest(), feed, key, &message)) !=
            vorn::kResultOk)
        return Fail(kCommand, message, result);
    const fs::path folder = PathOf(out);
    PrintLine(Format(u"wrote \"{0}\" and its signature, with {1} releases (newest {2}) and {3} "
                     u"delta setups",
                     {TextOf(folder / PathOf(vorn::kFeedFileName)), uint32_t(feed.releases.size()),
                      feed.releases.front().version, deltaCount}));
    return 0;
}

} // namespace vornpack
