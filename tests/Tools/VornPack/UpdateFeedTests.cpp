// The vendor's side of updates: a key pair that is never overwritten nor
// readable by others, signatures that fail on one changed byte or another
// key, and a feed of real setups, signed, newest first, refusing what an
// installation must never be offered.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <regex>
#include <string>

#include "../../VornLib/data/DataTestSupport.h"
#include "PeImageBuilder.h"
#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/Delta.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Setup.h"
#include "Tools/VornPack/UpdateFeed.h"
#include "Tools/VornPack/UpdateSigning.h"
#include "VornLib/app/UpdateFeedDocument.h"
#include "VornLib/core/Base64.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/data/BinaryDelta.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/MemoryStream.h"

namespace vornpack {
namespace {

namespace fs = std::filesystem;
using vorn::String;

String Ascii(const std::string& text) {
    String out;
    for (const char byte : text)
        out += char16_t(uint8_t(byte));
    return out;
}

std::string Contents(const fs::path& path) {
    const std::vector<uint8_t> bytes = vorn::ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(UpdateSigning, AKeyPairIsTheOwnersAndNeverReplaced) {
    vorn::ScratchFolder scratch;
    const String name = TextOf(scratch.path() / "vendor");
    String message;
    ASSERT_EQ(0u, WriteKeyPair(name, &message)) << vorn::ToUtf8(message);
    const fs::path privatePath = scratch.path() / "vendor.private";
#ifndef _WIN32
    struct stat status = {};
    ASSERT_EQ(0, stat(privatePath.c_str(), &status));
    EXPECT_EQ(0600u, status.st_mode & 0777u) << "readable by its owner alone";
#endif
    const std::string secret = Contents(privatePath);
    EXPECT_EQ(14u, WriteKeyPair(name, &message));
    EXPECT_EQ(secret, Contents(privatePath)) << "an existing private key is kept";

    PrivateKey key;
    ASSERT_EQ(0u, ReadPrivateKey(TextOf(privatePath), &key, &message));
    const PublicKey publicKey = PublicKeyOf(key);
    EXPECT_EQ(vorn::ToUtf8(vorn::Base64Of(publicKey.data(), publicKey.size())) + "\n",
              Contents(scratch.path() / "vendor.public"));
    EXPECT_EQ(33u, ReadPrivateKey(TextOf(scratch.path() / "vendor.public"), &key, &message));
    EXPECT_EQ(29u, ReadPrivateKey(TextOf(scratch.path() / "none.private"), &key, &message));
}

TEST(UpdateSigning, ASignatureHoldsForItsBytesAndItsKeyAlone) {
    vorn::ScratchFolder scratch;
    String message;
    ASSERT_EQ(0u, WriteKeyPair(TextOf(scratch.path() / "a"), &message));
    ASSERT_EQ(0u, WriteKeyPair(TextOf(scratch.path() / "b"), &message));
    PrivateKey a;
    PrivateKey b;
    ASSERT_EQ(0u, ReadPrivateKey(TextOf(scratch.path() / "a.private"), &a, &message));
    ASSERT_EQ(0u, ReadPrivateKey(TextOf(scratch.path() / "b.private"), &b, &message));
    // More than one piece of the stream.
    std::vector<uint8_t> bytes = vorn::SampleMixed(3u << 20);
    const fs::path file = scratch.path() / "Setup.exe";
    vorn::WriteWholeFile(file, bytes);
    String signature;
    ASSERT_EQ(0u, SignFile(TextOf(file), a, &signature));
    EXPECT_TRUE(FileSignatureHolds(TextOf(file), PublicKeyOf(a), signature));
    EXPECT_FALSE(FileSignatureHolds(TextOf(file), PublicKeyOf(b), signature));
    bytes[2u << 20] ^= 1;
    vorn::WriteWholeFile(file, bytes);
    EXPECT_FALSE(FileSignatureHolds(TextOf(file), PublicKeyOf(a), signature)) << "one bit changed";
    EXPECT_FALSE(FileSignatureHolds(TextOf(file), PublicKeyOf(a), u"not base64"));

    const std::vector<uint8_t> document = {'{', '}'};
    const String documentSignature = SignBytes(document, a);
    EXPECT_TRUE(BytesSignatureHolds(document, PublicKeyOf(a), documentSignature));
    EXPECT_FALSE(BytesSignatureHolds({'{', ' ', '}'}, PublicKeyOf(a), documentSignature));
    EXPECT_FALSE(BytesSignatureHolds(document, PublicKeyOf(b), documentSignature));
}

class UpdateFeedTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(scratch_.path() / "app");
        vorn::WriteWholeFile(scratch_.path() / "app" / "VornDemo.exe", vorn::SampleMixed(5000));
        ImageSpec spec;
        spec.resources = ProgramResources(true);
        for (TestResource& resource : spec.resources) {
            if (resource.type == ResourceKey::Id(kResourceVersion))
                resource.data = TestVersionBlock(u"VornSetup.exe");
        }
        vorn::WriteWholeFile(stub(), BuildTestImage(spec).bytes);
        String message;
        ASSERT_EQ(0u, WriteKeyPair(TextOf(scratch_.path() / "vendor"), &message));
    }
    fs::path stub() const { return scratch_.path() / "VornSetup.exe"; }

    // A setup of VornDemo at `version`, of the application folder `app`.
    fs::path SetupOf(const std::string& version, const std::string& app = "app") {
        const fs::path definitions = scratch_.path() / ("definitions-" + version);
        fs::copy(fs::path(VORN_SETUP_DEFINITIONS), definitions, fs::copy_options::recursive);
        const fs::path configuration = definitions / "Configuration.xml";
        const std::string text = std::regex_replace(
            Contents(configuration), std::regex("Name=\"VornDemo\" Version=\"1\\.0\\.0"),
            "Name=\"VornDemo\" Version=\"" + version);
        vorn::WriteWholeFile(configuration, std::vector<uint8_t>(text.begin(), text.end()));
        const fs::path setup = scratch_.path() / ("Setup-" + version + ".exe");
        EXPECT_EQ(0, vornpack::Setup({u"--app", TextOf(scratch_.path() / app), u"--definitions",
                                      TextOf(definitions), u"-o", TextOf(setup), u"--stub",
                                      TextOf(stub()), u"--quiet"}));
        return setup;
    }
    int Feed(std::vector<String> arguments) {
        arguments.push_back(u"--key");
        arguments.push_back(TextOf(scratch_.path() / "vendor.private"));
        arguments.push_back(u"--out");
        arguments.push_back(TextOf(out()));
        return FeedCommand(arguments);
    }
    fs::path out() const { return scratch_.path() / "published"; }

    vorn::ScratchFolder scratch_;
};

TEST_F(UpdateFeedTest, TheFeedListsSignedSetupsNewestFirst) {
    const fs::path one = SetupOf("1.0.0");
    const fs::path two = SetupOf("1.10.0");
    const fs::path nine = SetupOf("1.9.0");
    ASSERT_EQ(0, Feed({TextOf(one), TextOf(two), TextOf(nine), u"--base-url",
                       u"https://vorn.example/demo/", u"--notes-url",
                       u"https://vorn.example/notes/{version}.html"}));
    const std::string feed = Contents(out() / "feed.json");
    const std::vector<uint8_t> feedBytes(feed.begin(), feed.end());
    PrivateKey key;
    String message;
    ASSERT_EQ(0u, ReadPrivateKey(TextOf(scratch_.path() / "vendor.private"), &key, &message));
    std::string signature = Contents(out() / "feed.json.sig");
    ASSERT_EQ('\n', signature.back());
    signature.pop_back();
    EXPECT_TRUE(BytesSignatureHolds(feedBytes, PublicKeyOf(key), Ascii(signature)));

    const std::regex release(
        "\"version\": \"([0-9.]+)\",\n      \"setup\": \"([^\"]+)\",\n      \"size\": ([0-9]+),\n"
        "      \"sha256\": \"[0-9A-F]{64}\",\n      \"signature\": \"([^\"]+)\",\n      "
        "\"notes\": \"([^\"]+)\"");
    std::vector<std::string> versions;
    for (auto match = std::sregex_iterator(feed.begin(), feed.end(), release);
         match != std::sregex_iterator(); ++match) {
        const std::string version = (*match)[1];
        versions.push_back(version);
        const fs::path copied = out() / ("Setup-" + version + ".exe");
        EXPECT_EQ("https://vorn.example/demo/Setup-" + version + ".exe", (*match)[2]);
        EXPECT_EQ(std::to_string(fs::file_size(copied)), (*match)[3]);
        EXPECT_TRUE(FileSignatureHolds(TextOf(copied), PublicKeyOf(key), Ascii((*match)[4])));
        EXPECT_EQ("https://vorn.example/notes/" + version + ".html", (*match)[5]);
    }
    EXPECT_EQ((std::vector<std::string>{"1.10.0", "1.9.0", "1.0.0"}), versions)
        << "by their numbers, not as texts";
    EXPECT_NE(std::string::npos,
              feed.find("\"product\": \"{7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70}\""));

    // What an installation reads of it.
    vorn::Feed read;
    ASSERT_EQ(0u, vorn::ReadFeedDocument(feedBytes.data(), feedBytes.size(), &read, &message))
        << vorn::ToUtf8(message);
    EXPECT_EQ(String(u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70"), read.product.toText());
    ASSERT_EQ(3u, read.releases.size());
    EXPECT_EQ(String(u"https://vorn.example/demo/Setup-1.10.0.exe"), read.releases[0].setup.url);
    EXPECT_EQ(fs::file_size(out() / "Setup-1.10.0.exe"), read.releases[0].setup.size);
    EXPECT_EQ(String(u"https://vorn.example/notes/1.0.0.html"), read.releases[2].notesUrl);
    ASSERT_NE(nullptr, vorn::NewerRelease(read, u"1.9.0"));
    EXPECT_EQ(String(u"1.10.0"), vorn::NewerRelease(read, u"1.9.0")->version);
    EXPECT_EQ(nullptr, vorn::NewerRelease(read, u"1.10.0"));
    EXPECT_EQ(nullptr, vorn::NewerRelease(read, u"2.0"));
}

TEST_F(UpdateFeedTest, WhatAnInstallationMustNeverBeOfferedIsRefused) {
    const fs::path one = SetupOf("1.0.0");
    const String base = u"https://vorn.example/";
    EXPECT_EQ(5, Feed({TextOf(one), u"--base-url", u"http://vorn.example/"})) << "not https";
    EXPECT_EQ(5, Feed({TextOf(one), u"--base-url", u"https://vorn.example/demo"})) << "no /";
    EXPECT_EQ(5, Feed({TextOf(one), TextOf(one), u"--base-url", base})) << "one version twice";
    EXPECT_EQ(33, Feed({TextOf(scratch_.path() / "app" / "VornDemo.exe"), u"--base-url", base}))
        << "not a setup";
    EXPECT_FALSE(fs::exists(out() / "feed.json"));
    EXPECT_EQ(0, Feed({TextOf(one), u"--base-url", u"http://127.0.0.1:8080/"}))
        << "this computer, for tests";
}

std::vector<uint8_t> EntryOf(const fs::path& setup, const char16_t* name) {
    ContainerFile container;
    std::unique_ptr<vorn::EntryHandle> entry;
    if (container.open(TextOf(setup)) != 0 ||
        vorn::EntryHandle::open(&container.mount(), name, &entry) != 0)
        return {};
    std::vector<uint8_t> bytes(size_t(entry->size()));
    if (!bytes.empty() && entry->read(bytes.data(), uint32_t(bytes.size())) != 0)
        return {};
    return bytes;
}

TEST_F(UpdateFeedTest, ADeltaCarriesWhatChangedAndTheFeedNamesIt) {
    // Version 2: the program changed in its middle, the help kept, a file
    // dropped and one added.
    const fs::path app1 = scratch_.path() / "app";
    const fs::path app2 = scratch_.path() / "app2";
    vorn::WriteWholeFile(app1 / "Help.txt", vorn::SampleText(3000));
    vorn::WriteWholeFile(app1 / "Dropped.txt", vorn::SampleText(100));
    fs::create_directories(app2);
    std::vector<uint8_t> program = vorn::ReadWholeFile(app1 / "VornDemo.exe");
    const std::vector<uint8_t> oldProgram = program;
    program.insert(program.begin() + 2500, {'v', '2'});
    vorn::WriteWholeFile(app2 / "VornDemo.exe", program);
    fs::copy_file(app1 / "Help.txt", app2 / "Help.txt");
    vorn::WriteWholeFile(app2 / "Added.bin", vorn::SampleMixed(2000));
    const fs::path one = SetupOf("1.0.0");
    const fs::path two = SetupOf("2.0.0", "app2");
    const fs::path delta = scratch_.path() / "Delta.exe";
    ASSERT_EQ(0, Delta({u"--from", TextOf(one), u"--to", TextOf(two), u"-o", TextOf(delta),
                        u"--stub", TextOf(stub()), u"--quiet"}));

    const std::vector<uint8_t> listBytes = EntryOf(delta, u"Data/Xml/FileList.xml");
    const std::string list(listBytes.begin(), listBytes.end());
    EXPECT_NE(std::string::npos, list.find("<UpdateOf Version=\"1.0.0\"/>")) << list;
    EXPECT_NE(std::string::npos, list.find("Source=\"Installed\" BaseSize=\"3000\"")) << list;
    EXPECT_NE(std::string::npos, list.find("Source=\"Patch\" BaseSize=\"5000\"")) << list;
    EXPECT_EQ(std::string::npos, list.find("Dropped.txt")) << list;
    EXPECT_TRUE(EntryOf(delta, u"Application/Help.txt").empty()) << "taken as installed";
    EXPECT_EQ(vorn::ReadWholeFile(app2 / "Added.bin"), EntryOf(delta, u"Application/Added.bin"));
    EXPECT_FALSE(EntryOf(delta, u"Data/Xml/Configuration.xml").empty());
    // The patch makes version 2's program out of version 1's.
    const std::vector<uint8_t> patch = EntryOf(delta, u"Application/VornDemo.exe");
    ASSERT_FALSE(patch.empty());
    EXPECT_GT(size_t(std::count(patch.begin(), patch.end(), 0)), patch.size() * 9 / 10)
        << "mostly zeros: the container packs it small";
    vorn::MemoryStream base(oldProgram.data(), uint32_t(oldProgram.size()), u"base");
    std::vector<uint8_t> made(program.size());
    vorn::MemoryStream target(made.data(), uint32_t(made.size()));
    ASSERT_EQ(0u, vorn::ApplyBinaryDelta(base, patch.data(), patch.size(), target));
    EXPECT_EQ(program, made);

    EXPECT_EQ(5, Delta({u"--from", TextOf(two), u"--to", TextOf(one), u"-o", TextOf(delta),
                        u"--stub", TextOf(stub()), u"--quiet"}))
        << "to an older version";
    EXPECT_EQ(39,
              Delta({u"--from", TextOf(delta), u"--to", TextOf(two), u"-o",
                     TextOf(scratch_.path() / "Twice.exe"), u"--stub", TextOf(stub()), u"--quiet"}))
        << "from a delta";
    const String address = u"https://vorn.example/";
    EXPECT_EQ(5, Feed({TextOf(one), TextOf(delta), u"--base-url", address}))
        << "without 2.0's setup";
    ASSERT_EQ(0, Feed({TextOf(one), TextOf(two), TextOf(delta), u"--base-url", address}));
    const std::string feed = Contents(out() / "feed.json");
    vorn::Feed read;
    String message;
    ASSERT_EQ(0u, vorn::ReadFeedDocument(reinterpret_cast<const uint8_t*>(feed.data()), feed.size(),
                                         &read, &message));
    ASSERT_EQ(2u, read.releases.size());
    const vorn::FeedDelta* found = vorn::DeltaFrom(read.releases[0], u"1.0.0");
    ASSERT_NE(nullptr, found) << feed;
    EXPECT_EQ(String(u"https://vorn.example/Delta.exe"), found->setup.url);
    EXPECT_EQ(fs::file_size(delta), found->setup.size);
    EXPECT_EQ(nullptr, vorn::DeltaFrom(read.releases[0], u"0.9"));
    EXPECT_TRUE(read.releases[1].deltas.empty());
}

} // namespace
} // namespace vornpack
