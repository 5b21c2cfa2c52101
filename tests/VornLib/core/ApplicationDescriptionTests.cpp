#include <string>

#include <gtest/gtest.h>

#include "TestText.h"
#include "VornLib/core/ApplicationDescription.h"
#include "VornLib/core/XmlDocument.h"

namespace vorn {
namespace {

Result ReadFrom(const std::string& attributes, ApplicationDescription* description) {
    const std::string xml = "<Definitions><Application " + attributes + "/></Definitions>";
    XmlDocument document;
    EXPECT_EQ(0u, document.parse(xml.data(), uint32_t(xml.size()), u"test"));
    const XmlNode* element = document.root() ? document.root()->find(u"/Application") : nullptr;
    EXPECT_NE(nullptr, element);
    return element ? ApplicationDescription::Read(*element, description) : kResultNotFound;
}

const std::string kRequired = R"(UUID="{0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}" Name="VornDemo" )"
                              R"(Version="1.2.3" Company="Vorn" MultipleInstancesAllowed="false" )";

TEST(ApplicationDescriptionTest, DefaultsForOptionalAttributes) {
    ApplicationDescription d;
    ASSERT_EQ(0u, ReadFrom(kRequired, &d));
    EXPECT_EQ(d.uuid.toText(), u"0A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9");
    EXPECT_EQ(d.name, u"VornDemo");
    EXPECT_EQ(d.version, u"1.2.3");
    EXPECT_EQ(d.company, u"Vorn");
    EXPECT_FALSE(d.multipleInstancesAllowed);
    EXPECT_TRUE(d.activate);
    EXPECT_EQ(200u, d.maxFrameRate);
    EXPECT_EQ(0u, d.trackIRProfileId);
    EXPECT_TRUE(d.trackingId.isEmpty());
    EXPECT_FALSE(d.openCommandLineFiles);
    EXPECT_EQ(Distribution::Public, d.distribution);
    EXPECT_TRUE(d.supportEmail.isEmpty());
    EXPECT_TRUE(d.executable.isEmpty());
}

TEST(ApplicationDescriptionTest, EveryAttributeRead) {
    ApplicationDescription d;
    ASSERT_EQ(0u,
              ReadFrom(kRequired + R"(Activate="0" MaxFrameRate="30" TrackIRProfileID="12" )"
                                   R"(TrackingID="UA-1-2" OpenCommandLineFiles="true" )"
                                   R"(SupportEmail="help@vorn.example" AnalyticsURL="https://x/" )"
                                   R"(Executable="Bin/Paint.exe")",
                       &d));
    EXPECT_FALSE(d.activate);
    EXPECT_EQ(30u, d.maxFrameRate);
    EXPECT_EQ(12u, d.trackIRProfileId);
    EXPECT_EQ(d.trackingId, u"UA-1-2");
    EXPECT_TRUE(d.openCommandLineFiles);
    EXPECT_EQ(d.supportEmail, u"help@vorn.example");
    EXPECT_EQ(d.analyticsUrl, u"https://x/");
    EXPECT_EQ(d.executable, u"Bin/Paint.exe");
}

TEST(ApplicationDescriptionTest, TagAndDistribution) {
    const struct {
        const char* extra;
        Distribution expected;
    } cases[] = {
        {R"(Tag="Beta 2")", Distribution::OpenBeta},
        {R"(Tag="Beta 2" Distribution="ClosedBeta")", Distribution::ClosedBeta},
        {R"(Tag="Beta 2" Distribution="Nightly")", Distribution::OpenBeta},
        {R"(Distribution="Public")", Distribution::Public},
        {R"(Distribution="openbeta")", Distribution::Public},
    };
    for (const auto& c : cases) {
        ApplicationDescription d;
        ASSERT_EQ(0u, ReadFrom(kRequired + c.extra, &d)) << c.extra;
        EXPECT_EQ(c.expected, d.distribution) << c.extra;
    }
}

TEST(ApplicationDescriptionTest, MissingRequiredAttributesAreFormatErrors) {
    for (const char* name : {"UUID", "Name", "Version", "Company", "MultipleInstancesAllowed"}) {
        std::string attributes = kRequired;
        const size_t at = attributes.find(std::string(name) + "=");
        ASSERT_NE(std::string::npos, at);
        attributes.erase(at, attributes.find('"', attributes.find('"', at) + 1) + 1 - at);
        ApplicationDescription d;
        d.name = u"stale";
        EXPECT_EQ(6u, ReadFrom(attributes, &d)) << name;
        EXPECT_TRUE(d.name.isEmpty()) << "the output is cleared";
    }
    ApplicationDescription d;
    ASSERT_EQ(0u, ReadFrom(R"(UUID="not-a-uuid" Name="A" Version="1" Company="C" )"
                           R"(MultipleInstancesAllowed="1")",
                           &d));
    EXPECT_TRUE(d.uuid.isNull()) << "a malformed UUID reads as the nil UUID";
    EXPECT_TRUE(d.multipleInstancesAllowed);
}

} // namespace
} // namespace vorn
