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

// `what` names the setup in a problem: "release 2.0", "the delta from 1.0 of release 2.0".
Result ReadSetup(const JsonValue& value, const String& what, FeedSetup* setup, String* problem) {
    const char16_t* const texts[] = {u"setup", u"sha256", u"signature"};
    String* const fields[] = {&setup->url, &setup->sha256, &setup->signature};
    for (size_t i = 0; i < 3; ++i) {
        if (!value.memberText(texts[i], fields[i]) || fields[i]->isEmpty())
            return Refuse(problem, Format(u"{0} has no \"{1}\" text", {what, texts[i]}));
    }
    const JsonValue* size = value.member(u"size");
    if (!size || !size->unsignedNumber(&setup->size))
        return Refuse(problem, Format(u"{0} has no \"size\"", {what}));
    if (!IsUpdateAddress(setup->url))
        return Refuse(problem, Format(u"the setup of {0} is not at an https:// address", {what}));
    return kResultOk;
}

Result ReadRelease(const JsonValue& value, FeedRelease* release, String* problem) {
    if (!value.memberText(u"version", &release->version) || release->version.isEmpty())
        return Refuse(problem, u"a release has no \"version\" text");
    const String what = u"release " + release->version;
    Result result = ReadSetup(value, what, &release->setup, problem);
    if (result != kResultOk)
        return result;
    const JsonValue* notes = value.member(u"notes");
    if (notes && !notes->isNull() && !value.memberText(u"notes", &release->notesUrl))
        return Refuse(problem, Format(u"{0} has \"notes\" that are no text", {what}));
    const JsonValue* deltas = value.member(u"deltas");
    if (!deltas)
        return kResultOk;
    if (deltas->kind() != JsonValue::Kind::List)
        return Refuse(problem, Format(u"{0} has \"deltas\" that are no list", {what}));
    for (const JsonValue& item : deltas->items()) {
        FeedDelta delta;
        if (!item.memberText(u"from", &delta.from) || delta.from.isEmpty())
            return Refuse(problem, Format(u"a delta of {0} has no \"from\" text", {what}));
        result = ReadSetup(item, Format(u"the delta from {0} of {1}", {delta.from, what}),
                           &delta.setup, problem);
        if (result != kResultOk)
            return result;
        release->deltas.push_back(delta);
    }
    return kResultOk;
}

String SetupMembers(const FeedSetup& setup, const char16_t* indent) {
    return Format(u"\"setup\": {1},\n{0}\"size\": {2},\n{0}\"sha256\": {3},\n{0}\"signature\": {4}",
                  {indent, JsonString(setup.url), setup.size, JsonString(setup.sha256),
                   JsonString(setup.signature)});
}

} // namespace

String FeedDocument(const Feed& feed) {
    String text = u"{\n  \"format\": 1,\n  \"product\": " + JsonString(EntryKeyName(feed.product)) +
                  u",\n  \"name\": " + JsonString(feed.name) + u",\n  \"releases\": [";
    for (size_t i = 0; i < feed.releases.size(); ++i) {
        const FeedRelease& release = feed.releases[i];
        text += String(i ? u"," : u"") + u"\n    {\n      \"version\": " +
                JsonString(release.version) + u",\n      " +
                SetupMembers(release.setup, u"      ") + u",\n      \"notes\": " +
                (release.notesUrl.isEmpty() ? String(u"null") : JsonString(release.notesUrl));
        if (!release.deltas.empty()) {
            text += u",\n      \"deltas\": [";
            for (size_t d = 0; d < release.deltas.size(); ++d)
                text += String(d ? u"," : u"") + u"\n        {\n          \"from\": " +
                        JsonString(release.deltas[d].from) + u",\n          " +
                        SetupMembers(release.deltas[d].setup, u"          ") + u"\n        }";
            text += u"\n      ]";
        }
        text += u"\n    }";
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

const FeedDelta* DeltaFrom(const FeedRelease& release, const String& installed) {
    for (const FeedDelta& delta : release.deltas) {
        if (delta.from == installed)
            return &delta;
    }
    return nullptr;
}

} // namespace vorn
