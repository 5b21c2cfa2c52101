// The product's addresses: what init writes, manifest takes and the setup
// shows must be read the same way (an address init accepted was refused by
// manifest when each tool had its own rule).
#include <gtest/gtest.h>

#include "VornLib/core/Utf8.h"
#include "VornLib/core/WebAddress.h"

namespace vorn {
namespace {

TEST(WebAddress, TakesHttpAndHttpsInAnyCaseWithSomethingAfter) {
    EXPECT_TRUE(IsWebAddress(u"https://acme.example/help"));
    EXPECT_TRUE(IsWebAddress(u"HTTP://acme.example"));
    EXPECT_FALSE(IsWebAddress(u"https://"));
    EXPECT_FALSE(IsWebAddress(u"ftp://acme.example"));
    EXPECT_FALSE(IsWebAddress(u"acme.example"));
}

TEST(WebAddress, RefusesWhatWouldEndAnAttributeOrACommandLine) {
    for (const char16_t* text :
         {u"https://acme.example/a b", u"https://acme.example/\"", u"https://acme.example/<",
          u"https://acme.example\\x", u"https://acme.example/'", u"https://acme.example/\t"})
        EXPECT_FALSE(IsWebAddress(text)) << ToUtf8(String(text));
    String longest = u"https://";
    while (longest.length() < 2048)
        longest += u'a';
    EXPECT_TRUE(IsWebAddress(longest));
    EXPECT_FALSE(IsWebAddress(longest + u"a")) << "at most 2048 characters";
}

// Updates come over https, or from this computer alone for a test.
TEST(WebAddress, PlainHttpOnlyToThisComputer) {
    for (const char16_t* loopback : {u"127.0.0.1", u"LocalHost", u"::1", u"[::1]"})
        EXPECT_TRUE(IsLoopbackHost(loopback)) << ToUtf8(String(loopback));
    for (const char16_t* remote :
         {u"", u"127.0.0.2", u"localhost.example", u"collect.example", u"10.0.0.1"})
        EXPECT_FALSE(IsLoopbackHost(remote)) << ToUtf8(String(remote));
}

TEST(WebAddress, UpdatesComeOverHttpsOrFromThisComputer) {
    for (const char16_t* text : {u"https://vorn.example/feed.json", u"HTTPS://vorn.example/",
                                 u"http://127.0.0.1:8080/feed.json", u"http://localhost/feed.json",
                                 u"http://[::1]:8080/feed.json", u"http://LOCALHOST"})
        EXPECT_TRUE(IsUpdateAddress(text)) << ToUtf8(String(text));
    for (const char16_t* text :
         {u"http://vorn.example/feed.json", u"http://127.0.0.1.vorn.example/feed.json",
          u"http://localhost.vorn.example/", u"ftp://127.0.0.1/", u"https://vorn.example/a b",
          u"http://127.0.0.1@vorn.example/", u"http://::1/"})
        EXPECT_FALSE(IsUpdateAddress(text)) << ToUtf8(String(text));
}

TEST(WebAddress, MailAddressesNeedANameAndADomainWithADot) {
    EXPECT_TRUE(IsMailAddress(u"help@acme.example"));
    for (const char16_t* text : {u"help@acme", u"@acme.example", u"help@acme.", u"a@b@c.example",
                                 u"https://help@acme.example", u"help me@acme.example"})
        EXPECT_FALSE(IsMailAddress(text)) << ToUtf8(String(text));
}

} // namespace
} // namespace vorn
