#include "Tools/VornPack/Manifest.h"

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/app/ExitCodes.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Utf8.h"
#include "VornLib/core/WebAddress.h"

namespace vornpack {

using vorn::IsWebAddress;

const WingetSwitch kWingetSwitches[] = {
    {u"Silent", u"/Quiet"},
    {u"SilentWithProgress", u"/Passive"},
    {u"InstallLocation", u"/InstallFolder:\"<INSTALLPATH>\""},
    {u"Log", u"/Log:\"<LOGPATH>\""},
    {u"Repair", u"/Repair"},
};
const uint32_t kWingetSwitchCount = uint32_t(sizeof kWingetSwitches / sizeof *kWingetSwitches);

namespace {

constexpr const char16_t* kManifestVersion = u"1.10.0";
constexpr const char16_t* kLocale = u"en-US";
bool IsForbiddenInName(char16_t unit) {
    return unit < 0x20 || unit == u'\\' || unit == u'/' || unit == u':' || unit == u'*' ||
           unit == u'?' || unit == u'"' || unit == u'<' || unit == u'>' || unit == u'|';
}

bool IsSpace(char16_t unit) {
    return unit == u' ' || unit == u'\t' || unit == u'\u00A0' || unit == u'\u3000' ||
           (unit >= u'\u2000' && unit <= u'\u200A');
}

// One part of an identifier: 1 to 32 characters, none of them a dot, a
// blank or a character a file name may not hold.
bool IsIdentifierPart(const String& part) {
    if (part.isEmpty() || part.length() > 32)
        return false;
    for (uint32_t i = 0; i < part.length(); ++i) {
        if (part[i] == u'.' || IsSpace(part[i]) || IsForbiddenInName(part[i]))
            return false;
    }
    return true;
}

bool IsPackageIdentifier(const String& identifier) {
    if (identifier.length() > 128)
        return false;
    uint32_t parts = 0;
    uint32_t start = 0;
    for (uint32_t i = 0; i <= identifier.length(); ++i) {
        if (i < identifier.length() && identifier[i] != u'.')
            continue;
        if (!IsIdentifierPart(identifier.mid(start, i - start)))
            return false;
        ++parts;
        start = i + 1;
    }
    return parts >= 2 && parts <= 8;
}

bool IsPackageVersion(const String& version) {
    if (version.isEmpty() || version.length() > 128)
        return false;
    for (uint32_t i = 0; i < version.length(); ++i) {
        if (IsForbiddenInName(version[i]))
            return false;
    }
    return true;
}

// A YAML scalar in single quotes: nothing in it is read as YAML's own
// syntax, and a version such as 1.10 stays text.
String Quoted(const String& text) {
    String quoted = u"'";
    for (uint32_t i = 0; i < text.length(); ++i) {
        const char16_t unit = text[i];
        if (unit == u'\r' || unit == u'\n')
            quoted += u' ';
        else if (unit == u'\'')
            quoted += u"''";
        else
            quoted += unit;
    }
    return quoted + u'\'';
}

String Header(const char16_t* type) {
    return Format(u"# Made by VornPack manifest.\n"
                  u"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{0}.{1}."
                  u"schema.json\n\n",
                  {type, kManifestVersion});
}

String Footer(const char16_t* type) {
    return Format(u"ManifestType: {0}\nManifestVersion: {1}\n", {type, kManifestVersion});
}

// The rule of the schemas that a value breaks, if any.
struct Limit {
    const char16_t* field;
    const String& value;
    uint32_t minimum;
    uint32_t maximum;
};

Result CheckLimits(std::initializer_list<Limit> limits, String* message) {
    for (const Limit& limit : limits) {
        if (limit.value.length() < limit.minimum || limit.value.length() > limit.maximum) {
            *message = Format(u"{0} \"{1}\" must have {2} to {3} characters",
                              {limit.field, limit.value, limit.minimum, limit.maximum});
            return vorn::kResultInvalidArgument;
        }
    }
    return vorn::kResultOk;
}

// The setup asks for administrator rights itself (it starts an elevated copy).
String ElevationRequirement(const char16_t* indent = u"") {
    return String(indent) + u"ElevationRequirement: elevatesSelf\n";
}

// One entry of "Installers"; with `scope`, the entry of that scope alone,
// chosen by its switch.
String InstallerEntry(const SetupFacts& facts, const ManifestOptions& options,
                      const vorn::InstallScope* scope) {
    String text = Format(u"- Architecture: {0}\n  InstallerUrl: {1}\n  InstallerSha256: {2}\n",
                         {facts.is64 ? u"x64" : u"x86", Quoted(options.url), facts.sha256});
    if (!scope)
        return text;
    text += Format(
        u"  Scope: {0}\n  InstallerSwitches:\n    Custom: {1}\n",
        {vorn::InstallScopeName(*scope), Quoted(u'/' + String(vorn::InstallScopeWord(*scope)))});
    if (*scope == vorn::InstallScope::Machine)
        text += ElevationRequirement(u"  ");
    return text;
}

String InstallerManifest(const SetupFacts& facts, const String& identifier,
                         const ManifestOptions& options) {
    const String productCode = vorn::EntryKeyName(facts.uuid);
    String text = Header(u"installer");
    text += Format(u"PackageIdentifier: {0}\nPackageVersion: {1}\n",
                   {Quoted(identifier), Quoted(facts.version)});
    text += u"InstallerType: exe\n";
    const bool bothScopes = facts.scopeRule.userMayChoose;
    if (!bothScopes)
        text += Format(u"Scope: {0}\n", {vorn::InstallScopeName(facts.scopeRule.proposed)});
    text += u"InstallModes:\n- interactive\n- silent\n- silentWithProgress\n";
    text += u"InstallerSwitches:\n";
    for (const WingetSwitch& entry : kWingetSwitches)
        text += Format(u"  {0}: {1}\n", {entry.key, Quoted(entry.value)});
    text += u"ExpectedReturnCodes:\n";
    for (uint32_t i = 0; i < vorn::kExitCodeCount; ++i) {
        const vorn::ExitCode& row = vorn::kExitCodes[i];
        if (row.program != vorn::ExitCodeProgram::Setup || row.code == vorn::kOtherExitCodes ||
            !row.wingetResponse)
            continue;
        text += Format(u"- InstallerReturnCode: {0}\n  ReturnResponse: {1}\n",
                       {row.code, row.wingetResponse});
    }
    // The setup removes the installation it replaces itself.
    text += u"UpgradeBehavior: install\n";
    // A repair runs the setup of the installed version with its switch.
    text += u"RepairBehavior: installer\n";
    if (!bothScopes && facts.scopeRule.proposed == vorn::InstallScope::Machine)
        text += ElevationRequirement();
    text += Format(u"ProductCode: {0}\n", {Quoted(productCode)});
    text +=
        Format(u"AppsAndFeaturesEntries:\n- DisplayName: {0}\n  Publisher: {1}\n"
               u"  DisplayVersion: {2}\n  ProductCode: {3}\n",
               {Quoted(vorn::EntryDisplayName(facts.name, facts.tag)), Quoted(facts.company),
                Quoted(vorn::EntryDisplayVersion(facts.version, facts.tag)), Quoted(productCode)});
    text += u"Installers:\n";
    if (!bothScopes)
        return text + InstallerEntry(facts, options, nullptr) + Footer(u"installer");
    const vorn::InstallScope first = facts.scopeRule.proposed;
    const vorn::InstallScope second = first == vorn::InstallScope::Machine
                                          ? vorn::InstallScope::User
                                          : vorn::InstallScope::Machine;
    return text + InstallerEntry(facts, options, &first) + InstallerEntry(facts, options, &second) +
           Footer(u"installer");
}

String LocaleManifest(const SetupFacts& facts, const String& identifier,
                      const ManifestOptions& options, const String& shortDescription) {
    String text = Header(u"defaultLocale");
    text += Format(u"PackageIdentifier: {0}\nPackageVersion: {1}\nPackageLocale: {2}\n",
                   {Quoted(identifier), Quoted(facts.version), kLocale});
    text += Format(u"Publisher: {0}\n", {Quoted(facts.company)});
    // Support may be an address to write to, which is no web page.
    if (IsWebAddress(facts.technicalSupport))
        text += Format(u"PublisherSupportUrl: {0}\n", {Quoted(facts.technicalSupport)});
    text += Format(u"PackageName: {0}\n", {Quoted(facts.name)});
    if (IsWebAddress(facts.webSite))
        text += Format(u"PackageUrl: {0}\n", {Quoted(facts.webSite)});
    text += Format(u"License: {0}\nShortDescription: {1}\n",
                   {Quoted(options.license), Quoted(shortDescription)});
    return text + Footer(u"defaultLocale");
}

String VersionManifest(const SetupFacts& facts, const String& identifier) {
    String text = Header(u"version");
    text += Format(u"PackageIdentifier: {0}\nPackageVersion: {1}\nDefaultLocale: {2}\n",
                   {Quoted(identifier), Quoted(facts.version), kLocale});
    return text + Footer(u"version");
}

} // namespace

String PackageIdentifierOf(const String& company, const String& name) {
    String parts[2];
    const String* sources[2] = {&company, &name};
    for (uint32_t part = 0; part < 2; ++part) {
        for (uint32_t i = 0; i < sources[part]->length(); ++i) {
            // Letters, digits, "-" and "_": what identifiers are made of
            // (the schemas allow more, but punctuation makes poor names).
            const char16_t unit = (*sources[part])[i];
            const bool ascii = (unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z') ||
                               (unit >= u'0' && unit <= u'9') || unit == u'-' || unit == u'_';
            if (ascii || (unit >= 0x80 && !IsSpace(unit)))
                parts[part] += unit;
        }
        if (parts[part].length() > 32)
            parts[part] = parts[part].left(32);
    }
    const String identifier = parts[0] + u'.' + parts[1];
    return IsPackageIdentifier(identifier) ? identifier : String();
}

Result WingetManifests(const SetupFacts& facts, const ManifestOptions& options,
                       std::vector<ManifestFile>* files, String* message) {
    files->clear();
    const String identifier = options.identifier.isEmpty()
                                  ? PackageIdentifierOf(facts.company, facts.name)
                                  : options.identifier;
    if (!IsPackageIdentifier(identifier)) {
        *message = options.identifier.isEmpty()
                       ? Format(u"the company \"{0}\" and the name \"{1}\" make no package "
                                u"identifier: give one with --identifier <Publisher.Name>",
                                {facts.company, facts.name})
                       : Format(u"the identifier \"{0}\" is not two to eight parts of 1 to 32 "
                                u"characters between dots, without blanks or \\ / : * ? \" < > |",
                                {identifier});
        return vorn::kResultInvalidArgument;
    }
    if (!IsPackageVersion(facts.version)) {
        *message = Format(u"the version \"{0}\" is no package version", {facts.version});
        return vorn::kResultInvalidArgument;
    }
    if (!IsWebAddress(options.url)) {
        *message = Format(u"the download address \"{0}\" is not an http or https URL of at most "
                          u"2048 characters",
                          {options.url});
        return vorn::kResultInvalidArgument;
    }
    // The short description is one line of at most 256 characters.
    String shortDescription;
    for (uint32_t i = 0; i < facts.description.length() && shortDescription.length() < 256; ++i)
        shortDescription += IsSpace(facts.description[i]) || facts.description[i] < 0x20
                                ? u' '
                                : facts.description[i];
    const String displayName = vorn::EntryDisplayName(facts.name, facts.tag);
    const String displayVersion = vorn::EntryDisplayVersion(facts.version, facts.tag);
    const Result limits = CheckLimits({{u"the company", facts.company, 2, 256},
                                       {u"the name", facts.name, 2, 256},
                                       {u"the display name", displayName, 1, 256},
                                       {u"the display version", displayVersion, 1, 128},
                                       {u"the licence", options.license, 3, 512},
                                       {u"the description", shortDescription, 3, 256}},
                                      message);
    if (limits != vorn::kResultOk)
        return limits;
    files->push_back({identifier + u".yaml", VersionManifest(facts, identifier)});
    files->push_back(
        {identifier + u".installer.yaml", InstallerManifest(facts, identifier, options)});
    files->push_back({identifier + u".locale." + kLocale + u".yaml",
                      LocaleManifest(facts, identifier, options, shortDescription)});
    return vorn::kResultOk;
}

int Manifest(const Arguments& arguments) {
    const char16_t* kCommand = u"manifest";
    OptionReader options(arguments);
    ManifestOptions chosen;
    String out = u".";
    options.value(u"--url", &chosen.url);
    options.value(u"--out", &out);
    options.value(u"--identifier", &chosen.identifier);
    options.value(u"--license", &chosen.license);
    if (!options.complete() || options.rest().size() != 1 || chosen.url.isEmpty())
        return Usage(kCommand);
    const String& setup = options.rest()[0];
    SetupFacts facts;
    String message;
    Result result = ReadSetupFacts(setup, &facts, &message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);
    std::vector<ManifestFile> files;
    if ((result = WingetManifests(facts, chosen, &files, &message)) != vorn::kResultOk)
        return Fail(kCommand, message, result);
    const fs::path folder = PathOf(out);
    std::error_code error;
    fs::create_directories(folder, error);
    for (const ManifestFile& manifest : files) {
        OutputFile output(folder / PathOf(manifest.name));
        const std::string bytes = vorn::ToUtf8(manifest.text);
        if ((result = output.open(&message)) != vorn::kResultOk ||
            (result = output.stream().write(bytes.data(), uint32_t(bytes.size()))) !=
                vorn::kResultOk ||
            (result = output.close(&message)) != vorn::kResultOk ||
            (result = output.commit(&message)) != vorn::kResultOk)
            return Fail(kCommand,
                        message.isEmpty() ? Format(u"cannot write \"{0}\"", {manifest.name})
                                          : message,
                        result);
        PrintLine(Format(u"wrote \"{0}\"", {TextOf(folder / PathOf(manifest.name))}));
    }
    return 0;
}

} // namespace vornpack
