#include "VornLib/app/UpdateFeedDocument.h"

#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/JsonReader.h"
#include "VornLib/core/JsonText.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/WebAddress.h"

namespace vorn {

namespace {

constexpr uint64_t kFeedFormat = 1;

Result Refuse(String* problem, const String& why) {
    *problem = why;
    return kResultMalformed;
}

Result ReadRelease(const JsonValue& value, FeedRelease* release, String* problem) {
    const char16_t* const texts[] = {u"version", u"setup", u"sha256", u"signature"};
    String* const fields[] = {&release->version, &release->setupUrl, &release->sha256,
                              &release->signature};
    for (size_t i = 0; i < 4; ++i) {
        if (!value.memberText(texts[i], fields[i]) || fields[i]->isEmpty())
            return Refuse(problem, Format(u"a release has no \"{0}\" text", {texts[i]}));
    }
    const JsonValue* size = value.member(u"size");
    if (!size || !size->unsignedNumber(&release->size))
        return Refuse(problem, Format(u"release {0} has no \"size\"", {release->version}));
    if (!IsUpdateAddress(release->setupUrl))
        return Refuse(problem, Format(u"the setup of release {0} is not at an https:// address",
                                      {release->version}));
    const JsonValue* notes = value.member(u"notes");
    if (notes && !notes->isNull() && !value.memberText(u"notes", &release->notesUrl))
        return Refuse(problem,
                      Format(u"release {0} has \"notes\" that are no text", {release->version}));
    return kResultOk;
}

} // namespace

String FeedDocument(const Feed& feed) {
    String text = u"{\n  \"format\": 1,\n  \"product\": " + JsonString(EntryKeyName(feed.product)) +
                  u",\n  \"name\": " + JsonString(feed.name) + u",\n  \"releases\": [";
    for (size_t i = 0; i < feed.releases.size(); ++i) {
        const FeedRelease& release = feed.releases[i];
        text +=
            String(i ? u"," : u"") + u"\n    {\n      \"version\": " + JsonString(release.version) +
            u",\n      \"setup\": " + JsonString(release.setupUrl) + u",\n      \"size\": " +
            Format(u"{0}", {release.size}) + u",\n      \"sha256\": " + JsonString(release.sha256) +
            u",\n      \"signature\": " + JsonString(release.signature) + u",\n      \"notes\": " +
            (release.notesUrl.isEmpty() ? String(u"null") : JsonString(release.notesUrl)) +
            u"\n    }";
    }
    return text + u"\n  ]\n}\n";
}

Result ReadFeedDocument(const uint8_t* bytes, size_t size, Feed* feed, String* problem) {
    *feed = Feed();
    JsonValue root;
    if (ParseJson(bytes, size, &root) != kResultOk)
        return Refuse(problem, u"the feed is not JSON");
    uint64_t format = 0;
    const JsonValue* formatValue = root.member(u"format");
    if (!formatValue || !formatValue->unsignedNumber(&format) || format != kFeedFormat)
        return Refuse(problem, u"the feed is not of format 1");
    String product;
    if (!root.memberText(u"product", &product) || product.length() != 38 ||
        UUID::Parse(product.mid(1, 36).data(), &feed->product) != kResultOk ||
        EntryKeyName(feed->product) != product)
        return Refuse(problem, u"the feed names no product");
    (void)root.memberText(u"name", &feed->name);
    const JsonValue* releases = root.member(u"releases");
    if (!releases || releases->kind() != JsonValue::Kind::List)
        return Refuse(problem, u"the feed has no list of releases");
    for (const JsonValue& value : releases->items()) {
        FeedRelease release;
        const Result result = ReadRelease(value, &release, problem);
        if (result != kResultOk) {
            *feed = Feed();
            return result;
        }
        feed->releases.push_back(release);
    }
    return kResultOk;
}

const FeedRelease* NewerRelease(const Feed& feed, const String& installed) {
    const FeedRelease* newest = nullptr;
    for (const FeedRelease& release : feed.releases) {
        if (!newest || CompareVersions(release.version.data(), newest->version.data()) > 0)
            newest = &release;
    }
    return newest && CompareVersions(newest->version.data(), installed.data()) > 0 ? newest
                                                                                   : nullptr;
}

} // namespace vorn
