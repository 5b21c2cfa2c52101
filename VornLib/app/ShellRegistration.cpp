#include "VornLib/app/ShellRegistration.h"

#include "VornLib/app/AppRuntime.h"
#include "VornLib/app/InstallLog.h"
#include "VornLib/app/Preferences.h"
#include "VornLib/app/ProductProgram.h"
#include "VornLib/app/ShellLaunch.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/data/ResourceCache.h"

namespace vorn {
namespace {

constexpr char16_t kAppPathsKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char16_t kDefaultValue[] = u"";

// One value of the table of keys that a registration writes.
struct ClassesValue {
    String key;
    const char16_t* name;
    String value;
};

bool HasSeparator(const char16_t* text) {
    for (; *text; ++text)
        if (*text == u'\\' || *text == u'/')
            return true;
    return false;
}

// A key of the scope's classes: below the classes root, or the user's own.
Result OpenClassesKey(InstallScope scope, const String& name, RegistryKey* key) {
    const InstallScopePlaces& places = PlacesOf(scope);
    const String parent(places.classesKey);
    const String path =
        parent.isEmpty() || name.isEmpty() ? String(parent + name) : String(parent + u'\\' + name);
    return key->open(places.classesRoot, path.data());
}

// "<key> <name> = <data>", "(default)" naming the unnamed value.
void LogRegistration(const String& key, const char16_t* name, const String& value) {
    Log(LogEvent::Registration, u"{0} {1} = {2}", {key, *name ? name : u"(default)", value});
}

Result WriteValues(InstallScope scope, const ClassesValue* values, uint32_t count) {
    const String classes = scope == InstallScope::User ? u"HKCU\\Software\\Classes\\" : u"HKCR\\";
    for (uint32_t index = 0; index < count; ++index) {
        LogRegistration(classes + values[index].key, values[index].name, values[index].value);
        RegistryKey key;
        Result result = OpenClassesKey(scope, values[index].key, &key);
        if (result == kResultOk)
            result = key.writeText(values[index].name, values[index].value.data());
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

// Deletes a key directly below the classes root; a missing key is no failure.
Result DeleteClassesKey(InstallScope scope, const String& name) {
    RegistryKey root;
    Result result = OpenClassesKey(scope, String(), &root);
    if (result == kResultOk)
        result = root.deleteSubkeyTree(name.data());
    return result == kResultNotFound ? kResultOk : result;
}

String IconText(const String& executable, int32_t iconIndex) {
    return Format(u"\"{0}\",{1}", {executable, int(iconIndex)});
}

} // namespace

ShellRegistration::ShellRegistration(const String& applicationName, const String& executablePath,
                                     LocalizedElementSource* declarations)
    : applicationName_(applicationName), executablePath_(executablePath),
      elevatedProgram_(executablePath), declarations_(declarations) {
    elevation_.isElevated = IsProcessElevated;
    elevation_.launchElevated = ShellLaunchElevated;
}

ShellRegistration ShellRegistration::ForProcess() {
    const ApplicationDescription& description = AppRuntime::instance().description();
    ShellRegistration registration(description.name,
                                   ProductExecutablePath(description, ExecutablePath()),
                                   &ResourceCache::Instance());
    registration.elevatedProgram_ = ExecutablePath();
    ShellElevation elevation;
    elevation.isElevated = IsProcessElevated;
    elevation.launchElevated = ShellLaunchElevated;
    elevation.beforeLaunch = FlushPreferences;
    registration.setElevation(elevation);
    InstallScope scope = InstallScope::Machine;
    (void)FindUninstallEntry(description.uuid, ExecutablePath(), &scope);
    registration.setScope(scope);
    return registration;
}

String ShellRegistration::programIdentifier(const char16_t* extension) const {
    return applicationName_ + extension;
}

Result ShellRegistration::registerShellTypes(bool registering, bool allowElevation) {
    // The user's own keys need no rights.
    const bool elevated = elevation_.isElevated ? elevation_.isElevated() : false;
    if (!elevated && scope_ == InstallScope::Machine) {
        if (!allowElevation || !elevation_.launchElevated)
            return kResultAccessDenied;
        if (elevation_.beforeLaunch)
            elevation_.beforeLaunch();
        return elevation_.launchElevated(
            elevatedProgram_.data(), registering ? u"/RegisterFileTypes" : u"/UnregisterFileTypes");
    }
    std::vector<ShellDeclaration> fileTypes;
    std::vector<ShellDeclaration> protocols;
    Result result = readDeclarations(false, &fileTypes);
    if (result == kResultOk)
        result = readDeclarations(true, &protocols);
    if (result != kResultOk)
        return result;

    // The App Paths entry is a convenience: its failure stops nothing.
    if (registering)
        (void)registerAppPath(executablePath_.data(), scope_);
    else
        unregisterAppPath(executablePath_.data(), scope_);
    for (const ShellDeclaration& type : fileTypes) {
        result = registering
                     ? registerFileType(type.name.data(), type.description.data(), type.iconIndex)
                     : unregisterFileType(type.name.data());
        if (result != kResultOk)
            return result;
    }
    for (const ShellDeclaration& protocol : protocols) {
        result = registering ? registerProtocol(protocol.name.data(), protocol.command.data(),
                                                protocol.description.data(), protocol.iconIndex)
                             : unregisterProtocol(protocol.name.data());
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

Result ShellRegistration::readDeclarations(bool protocols, std::vector<ShellDeclaration>* out) {
    if (!out)
        return kResultNullOutput;
    out->clear();
    if (!declarations_)
        return kResultNullOutput;
    const XmlNode* list = nullptr;
    Result result = declarations_->getLocalizedElement(
        protocols ? kCustomProtocolsElement : kFileTypesElement, nullptr, &list);
    if (result == kResultNotFound)
        return kResultOk;
    if (result != kResultOk)
        return result;
    result = ReadShellDeclarations(*list, protocols, out);
    (void)declarations_->release(list);
    // A key missing from the tables still names the type visibly.
    for (ShellDeclaration& declaration : *out) {
        const String declared = declaration.description;
        (void)ResolveLocalizedText(*declarations_, declared.data(), &declaration.description);
    }
    return result;
}

Result ShellRegistration::registerFileType(const char16_t* extension, const char16_t* description,
                                           int32_t iconIndex) {
    if (!IsSafeExtension(extension) || !description || applicationName_.isEmpty())
        return kResultInvalidArgument;
    // The shell's own association would win over ours.
    (void)DeleteClassesKey(scope_, String(extension + 1) + u"_auto_file");
    const String identifier = programIdentifier(extension);
    const ClassesValue values[] = {
        {extension, kDefaultValue, identifier},
        {identifier, kDefaultValue, description},
        {identifier + u"\\DefaultIcon", kDefaultValue, IconText(executablePath_, iconIndex)},
        {identifier + u"\\shell\\open\\command", kDefaultValue,
         u"\"" + executablePath_ + u"\" \"%1\""},
    };
    return WriteValues(scope_, values, sizeof values / sizeof values[0]);
}

Result ShellRegistration::unregisterFileType(const char16_t* extension) {
    if (!IsSafeExtension(extension) || applicationName_.isEmpty())
        return kResultInvalidArgument;
    const String identifier = programIdentifier(extension);
    String current;
    {
        RegistryKey key;
        if (OpenClassesKey(scope_, extension, &key) == kResultOk &&
            key.readText(kDefaultValue, &current) != kResultOk)
            current.clear();
    }
    // Another program took the extension over since: its key stays.
    if (current == identifier) {
        const Result result = DeleteClassesKey(scope_, extension);
        if (result != kResultOk)
            return result;
    }
    return DeleteClassesKey(scope_, identifier);
}

Result ShellRegistration::registerProtocol(const char16_t* scheme, const char16_t* command,
                                           const char16_t* description, int32_t iconIndex) {
    if (!IsSafeScheme(scheme) || !command || !description)
        return kResultInvalidArgument;
    const String key(scheme);
    // The command text supplies any blank before the quoted URL.
    const ClassesValue values[] = {
        {key, u"URL Protocol", u""},
        {key, kDefaultValue, u"URL:" + String(description)},
        {key + u"\\DefaultIcon", kDefaultValue, IconText(executablePath_, iconIndex)},
        {key + u"\\shell\\open\\command", kDefaultValue,
         u"\"" + executablePath_ + u"\" " + command + u"\"%1\""},
    };
    return WriteValues(scope_, values, sizeof values / sizeof values[0]);
}

Result ShellRegistration::unregisterProtocol(const char16_t* scheme) {
    if (!IsSafeScheme(scheme))
        return kResultInvalidArgument;
    return DeleteClassesKey(scope_, scheme);
}

Result ShellRegistration::registerAppPath(const char16_t* executablePath, InstallScope scope) {
    if (!executablePath)
        return kResultNullInput;
    const String path(executablePath);
    const int32_t separator = path.findLast(u'\\');
    if (separator <= 0 || uint32_t(separator) + 1 == path.length())
        return kResultBadPath;
    const String fileName = path.mid(uint32_t(separator) + 1);
    // A drive root keeps its separator ("C:\"); other folders end without one.
    const String folder = path.left(uint32_t(separator) + (path[separator - 1] == u':' ? 1 : 0));
    const uint32_t root = PlacesOf(scope).appPathsRoot;
    {
        RegistryKey parent;
        if (parent.open(root, kAppPathsKey) == kResultOk)
            (void)parent.deleteSubkeyTree(fileName.data());
    }
    RegistryKey key;
    const String keyPath = String(kAppPathsKey) + u'\\' + fileName;
    const String logged = (scope == InstallScope::User ? u"HKCU\\" : u"HKLM\\") + keyPath;
    LogRegistration(logged, kDefaultValue, path);
    LogRegistration(logged, u"Path", folder);
    Result result = key.open(root, keyPath.data());
    if (result == kResultOk)
        result = key.writeText(kDefaultValue, path.data());
    if (result == kResultOk)
        result = key.writeText(u"Path", folder.data());
    return result;
}

void ShellRegistration::unregisterAppPath(const char16_t* executablePath, InstallScope scope) {
    if (!executablePath)
        return;
    const String path(executablePath);
    const int32_t separator = path.findLast(u'\\');
    const String fileName = separator < 0 ? path : path.mid(uint32_t(separator) + 1);
    if (fileName.isEmpty() || HasSeparator(fileName.data()))
        return;
    RegistryKey parent;
    if (parent.open(PlacesOf(scope).appPathsRoot, kAppPathsKey) == kResultOk)
        (void)parent.deleteSubkeyTree(fileName.data());
}

} // namespace vorn
