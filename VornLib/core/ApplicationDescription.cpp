#include "VornLib/core/ApplicationDescription.h"

#include "VornLib/core/DescriptionWords.h"

namespace vorn {
namespace {

constexpr DescriptionWord<Distribution> kDistributions[] = {
    {u"Public", Distribution::Public},
    {u"OpenBeta", Distribution::OpenBeta},
    {u"ClosedBeta", Distribution::ClosedBeta},
};

bool Required(Result result, Result* first) {
    if (result != kResultOk && *first == kResultOk)
        *first = kResultMissingDefinition;
    return result == kResultOk;
}

} // namespace

bool DistributionFromName(const String& name, Distribution* out) {
    const Distribution* found = FindWord(kDistributions, name);
    if (found)
        *out = *found;
    return found != nullptr;
}

Result ApplicationDescription::Read(const XmlNode& element, ApplicationDescription* out) {
    if (!out)
        return kResultNullOutput;
    *out = ApplicationDescription();
    ApplicationDescription d;
    Result failure = kResultOk;

    String uuidText;
    if (Required(element.getAttribute(u"UUID", &uuidText), &failure))
        (void)UUID::Parse(uuidText.data(), &d.uuid); // a malformed value leaves the nil UUID
    Required(element.getAttribute(u"Name", &d.name), &failure);
    Required(element.getAttribute(u"Version", &d.version), &failure);
    (void)element.getAttribute(u"Tag", &d.tag, u"");
    if (!d.tag.isEmpty())
        d.distribution = Distribution::OpenBeta;
    String distribution;
    if (element.getAttribute(u"Distribution", &distribution) == kResultOk) {
        DistributionFromName(distribution, &d.distribution);
    }
    Required(element.getAttribute(u"Company", &d.company), &failure);
    Required(element.getAttributeBoolean(u"MultipleInstancesAllowed", &d.multipleInstancesAllowed),
             &failure);
    (void)element.getAttributeBoolean(u"Activate", &d.activate, true);
    int32_t frameRate = 200;
    if (element.getAttributeInt32(u"MaxFrameRate", &frameRate) == kResultOk && frameRate >= 0)
        d.maxFrameRate = uint32_t(frameRate);
    (void)element.getAttributeUInt16(u"TrackIRProfileID", &d.trackIRProfileId);
    (void)element.getAttribute(u"TrackingID", &d.trackingId, u"");
    (void)element.getAttributeBoolean(u"OpenCommandLineFiles", &d.openCommandLineFiles, false);
    (void)element.getAttribute(u"SupportEmail", &d.supportEmail, u"");
    (void)element.getAttribute(u"AnalyticsURL", &d.analyticsUrl, u"");
    (void)element.getAttribute(u"MainWindow", &d.mainWindow, u"");
    (void)element.getAttribute(u"Executable", &d.executable, u"");

    if (failure == kResultOk)
        *out = d;
    return failure;
}

} // namespace vorn
