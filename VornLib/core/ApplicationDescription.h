// ApplicationDescription: who the program is, read from the "Application"
// element of its definitions: identity, version, company, instance and frame
// rate settings, and the addresses it reports to.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/Uuid.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

enum class Distribution : uint32_t { Public = 0, OpenBeta = 1, ClosedBeta = 2 };

// The distribution a word names ("Public", "OpenBeta", "ClosedBeta"); false,
// and `out` untouched, for any other word.
bool DistributionFromName(const String& name, Distribution* out);

struct ApplicationDescription {
    UUID uuid;
    String name;
    String version;
    String tag;
    Distribution distribution = Distribution::Public;
    String company;
    bool multipleInstancesAllowed = false;
    bool activate = true;
    uint32_t maxFrameRate = 200;
    uint16_t trackIRProfileId = 0;
    String trackingId;
    bool openCommandLineFiles = false;
    // Where crash reports ask users to write ("SupportEmail"); empty when not given.
    String supportEmail;
    // The analytics collection endpoint ("AnalyticsURL"); empty sends nothing.
    String analyticsUrl;
    // The "ID" of the "Window" description the runtime shows as the main
    // window ("MainWindow"); empty when the program makes its own.
    String mainWindow;
    // The program this description stands for, relative to the running
    // program's folder ("Executable"); empty: the running program itself. The
    // framework's removal program carries the description of a product that
    // is not built on VornLib and registers and removes that program.
    String executable;

    // Reads every attribute in order; a missing required one (UUID, Name,
    // Version, Company, MultipleInstancesAllowed) gives 6.
    static Result Read(const XmlNode& element, ApplicationDescription* out);
};

} // namespace vorn
