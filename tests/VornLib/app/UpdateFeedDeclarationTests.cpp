// The UpdateFeed element: what the vendor wrote is read exactly, and an
// address, key or number an installation could not use is refused with the
// attribute named.
#include <gtest/gtest.h>

#include <string>

#include "../core/XmlTestSupport.h"
#include "VornLib/app/UpdateFeedDeclaration.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

constexpr char kKey[] = "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=";

Result Read(const std::string& element, UpdateFeedDeclaration* feed, String* problem) {
    XmlDocument document;
    const std::string text = "<InstallationSettings>" + element + "</InstallationSettings>";
    EXPECT_EQ(0u, ParseText(document, text.c_str()));
    return ReadUpdateFeed(*document.root(), feed, problem);
}

TEST(UpdateFeedDeclaration, ReadsTheFeedAndItsKey) {
    UpdateFeedDeclaration feed;
    String problem;
    ASSERT_EQ(0u, Read("<UpdateFeed Url=\"https://vorn.example/feed.json\" PublicKey=\"" +
                           std::string(kKey) + "\" CheckEveryDays=\"7\"/>",
                       &feed, &problem));
    EXPECT_TRUE(feed.declared);
    EXPECT_EQ(String(u"https://vorn.example/feed.json"), feed.url);
    EXPECT_EQ(32u, feed.publicKey.size());
    EXPECT_EQ(0xD7, feed.publicKey[0]);
    EXPECT_EQ(7u, feed.checkEveryDays);
    ASSERT_EQ(0u, Read("<UpdateFeed Url=\"http://127.0.0.1:8000/feed.json\" PublicKey=\"" +
                           std::string(kKey) + "\"/>",
                       &feed, &problem));
    EXPECT_EQ(1u, feed.checkEveryDays) << "daily when not given";
    ASSERT_EQ(0u, Read("", &feed, &problem));
    EXPECT_FALSE(feed.declared);
}

TEST(UpdateFeedDeclaration, RefusesWhatAnInstallationCannotUse) {
    const std::string key = std::string(" PublicKey=\"") + kKey + "\"";
    const struct {
        std::string element;
        const char* named;
    } cases[] = {
        {"<UpdateFeed Url=\"http://vorn.example/feed.json\"" + key + "/>", "Url"},
        {"<UpdateFeed" + key + "/>", "Url"},
        {"<UpdateFeed Url=\"https://vorn.example/f\" PublicKey=\"Zm9v\"/>", "PublicKey"},
        {"<UpdateFeed Url=\"https://vorn.example/f\"/>", "PublicKey"},
        {"<UpdateFeed Url=\"https://vorn.example/f\"" + key + " CheckEveryDays=\"0\"/>",
         "CheckEveryDays"},
        {"<UpdateFeed Url=\"https://vorn.example/f\"" + key + " CheckEveryDays=\"366\"/>",
         "CheckEveryDays"},
        {"<UpdateFeed Url=\"https://vorn.example/f\"" + key + " CheckEveryDays=\"7 days\"/>",
         "CheckEveryDays"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.element);
        UpdateFeedDeclaration feed;
        String problem;
        EXPECT_EQ(5u, Read(test.element, &feed, &problem));
        EXPECT_NE(std::string::npos, ToUtf8(problem).find(test.named)) << ToUtf8(problem);
        EXPECT_FALSE(feed.declared);
    }
}

} // namespace
} // namespace vorn
