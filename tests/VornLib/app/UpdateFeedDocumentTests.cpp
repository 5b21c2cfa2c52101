// What an installation reads of a feed: exactly what the vendor published,
// and nothing of a feed that is not whole, of another format or that points
// a setup at an address an update must not come from. The signatures fail on
// one changed byte and on another key.
#include <gtest/gtest.h>

#include <sodium.h>

#include <string>

#include "VornLib/app/UpdateFeedDocument.h"
#include "VornLib/app/UpdateSignature.h"
#include "VornLib/core/Base64.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

const char kRelease[] = "{\"version\": \"2.0\", \"setup\": \"https://vorn.example/Setup-2.0.exe\", "
                        "\"size\": 5, \"sha256\": \"AB\", \"signature\": \"c2ln\", "
                        "\"notes\": null}";

std::string FeedWith(const std::string& release, const std::string& format = "1") {
    return "{\"format\": " + format +
           ", \"product\": \"{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}\", \"name\": \"Demo\", "
           "\"later\": [1], \"releases\": [" +
           release + "]}";
}

Result Read(const std::string& text, Feed* feed) {
    String problem;
    return ReadFeedDocument(reinterpret_cast<const uint8_t*>(text.data()), text.size(), feed,
                            &problem);
}

TEST(UpdateFeedDocument, WhatIsNotAFeedOfThisFormatIsRefusedWhole) {
    Feed feed;
    ASSERT_EQ(0u, Read(FeedWith(kRelease), &feed)) << "members it does not know are left";
    ASSERT_EQ(1u, feed.releases.size());
    EXPECT_EQ(5u, feed.releases[0].setup.size);
    std::string httpSetup = kRelease;
    httpSetup.replace(httpSetup.find("https"), 5, "http");
    std::string noSize = kRelease;
    noSize.replace(noSize.find("\"size\": 5"), 9, "\"size\": \"5\"");
    for (const std::string& text : {FeedWith(kRelease, "2"), FeedWith(httpSetup), FeedWith(noSize),
                                    FeedWith(std::string(kRelease) + ", 3"),
                                    FeedWith(kRelease).substr(1), std::string("{}")}) {
        EXPECT_EQ(33u, Read(text, &feed)) << text;
        EXPECT_TRUE(feed.releases.empty()) << text;
    }
}

TEST(UpdateFeedDocument, OnlyTheKeysSignatureOfTheVeryBytesHolds) {
    ASSERT_GE(sodium_init(), 0);
    uint8_t publicKey[32], privateKey[64], otherPublic[32], otherPrivate[64];
    crypto_sign_keypair(publicKey, privateKey);
    crypto_sign_keypair(otherPublic, otherPrivate);
    std::string bytes(300000, 'x');
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());

    uint8_t raw[64];
    crypto_sign_detached(raw, nullptr, data, bytes.size(), privateKey);
    const String documentSignature = Base64Of(raw, sizeof raw);
    EXPECT_TRUE(BytesSignatureHolds(data, bytes.size(), publicKey, documentSignature));
    EXPECT_FALSE(BytesSignatureHolds(data, bytes.size(), otherPublic, documentSignature));
    EXPECT_FALSE(BytesSignatureHolds(data, bytes.size() - 1, publicKey, documentSignature));
    EXPECT_FALSE(BytesSignatureHolds(data, bytes.size(), publicKey, u"c2ln"));

    // A setup, signed as a stream and checked in pieces of any size.
    crypto_sign_state state;
    crypto_sign_init(&state);
    crypto_sign_update(&state, data, bytes.size());
    crypto_sign_final_create(&state, raw, nullptr, privateKey);
    const String setupSignature = Base64Of(raw, sizeof raw);
    for (const size_t changed : {size_t(0), bytes.size()}) {
        std::string read = bytes;
        if (changed < read.size())
            read[changed] = 'y';
        StreamVerifier verifier;
        verifier.update(reinterpret_cast<const uint8_t*>(read.data()), 1000);
        verifier.update(reinterpret_cast<const uint8_t*>(read.data()) + 1000, read.size() - 1000);
        EXPECT_EQ(bytes.size(), verifier.size());
        EXPECT_EQ(changed == bytes.size(), verifier.signatureHolds(publicKey, setupSignature));
    }
    StreamVerifier empty;
    EXPECT_EQ(String(u"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"),
              empty.sha256());
    EXPECT_FALSE(empty.signatureHolds(otherPublic, setupSignature));
}

} // namespace
} // namespace vorn
