// VornPack manifest: the winget manifest of a setup, in the three files of a
// multi-file manifest of version 1.10.0 ("<id>.yaml", "<id>.installer.yaml",
// "<id>.locale.en-US.yaml"). What it says comes from the setup itself: the
// product's identity, texts and links from the definitions in its payload
// (the description in English), the architecture from its executable's
// header, and the SHA-256 of its bytes as they are, signed or not, so the
// setup must be signed before. The exit codes with a package-manager
// response are the setup's table of exit codes (ExitCodes.h), the switches
// those the setup accepts. A setup that lets the user choose for whom it
// installs is listed twice, the definitions' default first: once per machine
// ("Scope: machine", "Custom: /AllUsers", the setup elevating itself) and
// once per user ("Scope: user", "Custom: /CurrentUser"); a setup of one
// scope once, with that scope. Every value is checked against the rules of the
// published schemas before anything is written: a manifest that winget
// would refuse is never made.
//
//   VornPack manifest <setup.exe> --url <download URL> [--out <folder>]
//                     [--identifier <Publisher.Name>] [--license <text>]
//
// The identifier is the company and the product's name, each of its letters,
// digits, "-" and "_" alone ("Vorn Software", "VornDemo" give
// "VornSoftware.VornDemo"); the licence defaults to "Proprietary". The files
// go into the current folder, or into --out (made when missing).
#pragma once

#include <vector>

#include "Tools/VornPack/CommandLine.h"
#include "VornLib/app/InstallScope.h"
#include "VornLib/core/Uuid.h"

namespace vornpack {

// What a manifest says of a setup.
struct SetupFacts {
    vorn::UUID uuid;
    vorn::String name;
    vorn::String version;
    vorn::String tag;
    vorn::String company;
    vorn::String description; // in English
    vorn::String webSite;
    vorn::String technicalSupport;
    bool is64 = false;
    vorn::String sha256; // 64 upper-case hexadecimal digits
    vorn::InstallScopeRule scopeRule;
    // A delta setup's: the version it updates (UpdateDelta.h); empty for a full setup.
    vorn::String updateOf;
};

struct ManifestOptions {
    vorn::String url;
    vorn::String identifier; // empty: from the company and the name
    vorn::String license = u"Proprietary";
};

struct ManifestFile {
    vorn::String name;
    vorn::String text;
};

// The switches winget gives the setup, "<INSTALLPATH>" and "<LOGPATH>" to be
// replaced by paths.
struct WingetSwitch {
    const char16_t* key;
    const char16_t* value;
};
extern const WingetSwitch kWingetSwitches[];
extern const uint32_t kWingetSwitchCount;

// 0 and the setup's facts; else the reason, with `message` naming the file:
// 33 for a file that is not a setup executable, 29 for one without its
// payload or definitions, 6 for a definition the manifest needs that is
// missing.
vorn::Result ReadSetupFacts(const vorn::String& setup, SetupFacts* facts, vorn::String* message);

// 0 and the three files; 5 with `message` naming the value that the
// schemas would refuse.
vorn::Result WingetManifests(const SetupFacts& facts, const ManifestOptions& options,
                             std::vector<ManifestFile>* files, vorn::String* message);

// The identifier made of a company and a name; empty when they leave none.
vorn::String PackageIdentifierOf(const vorn::String& company, const vorn::String& name);

int Manifest(const Arguments& arguments);

} // namespace vornpack
