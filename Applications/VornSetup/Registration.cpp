#include "Applications/VornSetup/Registration.h"

#include <objbase.h>
#include <shlobj.h>

#include "VornLib/app/ShellLaunch.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/platform/FileSystem.h"
#include "VornLib/core/platform/SystemInfo.h"

namespace vornsetup {

using namespace vorn;

namespace {

// Releases a COM interface on every path.
template <typename Interface> class ComPointer {
public:
    ~ComPointer() {
        if (pointer_)
            pointer_->Release();
    }
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    void** receive() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

String TodayText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Format(u"{0,04}{1,02}{2,02}",
                  {int32_t(now.wYear), uint8_t(now.wMonth), uint8_t(now.wDay)});
}

void WriteList(const String& keyPath, const char16_t* subkey, uint32_t count,
               const String& (*item)(const InstallManifest&, uint32_t),
               const InstallManifest& manifest) {
    RegistryKey list;
    if (list.open(kUninstallRoot, (keyPath + u'\\' + subkey).data()) != kResultOk)
        return;
    for (uint32_t index = 0; index < count; ++index)
        list.writeText(Format(u"{0}", {index}).data(), item(manifest, index).data());
}

const String& FileItem(const InstallManifest& manifest, uint32_t index) {
    return manifest.files[index].relativePath;
}

const String& ShortcutItem(const InstallManifest& manifest, uint32_t index) {
    return manifest.createdShortcuts[index];
}

} // namespace

Result RegisterUninstallEntry(InstallManifest& manifest) {
    RegistryKey entry;
    if (entry.open(kUninstallRoot, manifest.uninstallKeyPath().data()) == kResultOk) {
        const String executable = manifest.executablePath();
        const struct {
            const char16_t* name;
            String value;
        } texts[] = {
            {u"UninstallString", u'"' + executable + u"\" /Uninstall"},
            {u"DisplayName", manifest.displayName()},
            {u"Contact", manifest.contact},
            {u"Comments", manifest.description},
            {u"DisplayIcon", executable},
            {u"DisplayVersion", manifest.displayVersion()},
            {u"Publisher", manifest.company},
            {u"HelpLink", manifest.webSite},
            {u"URLInfoAbout", manifest.technicalSupport},
            {u"URLUpdateInfo", manifest.updates},
            {u"Size", String()},
            {u"InstallDate", TodayText()},
            {u"InstallLocation", NormalisedFolder(manifest.installFolder)},
        };
        for (const auto& text : texts)
            entry.writeText(text.name, text.value.data());
        entry.writeInt32(u"EstimatedSize", int32_t(uint32_t(manifest.totalSize / 1024)));
        entry.writeInt32(u"NoModify", 1);
        entry.writeInt32(u"NoRepair", 1);
        entry.writeText(u"VornLib.InstallFolder", manifest.installFolder.data());
        entry.writeText(u"VornLib.ProgramGroup", manifest.programGroup.data());
        entry.writeText(u"VornLib.UninstallProgram", executable.data());
    }
    WriteList(manifest.uninstallKeyPath(), u"FilesList", uint32_t(manifest.files.size()), FileItem,
              manifest);
    // The installed program registers its own file types, protocols and App Paths.
    ShellLaunchElevated(manifest.launchPath(IsWow64()).data(), u"/Install");
    return kResultOk;
}

Result CreateShortcut(InstallManifest& manifest, const String& folder, const String& name,
                      const String& target, const String& description) {
    if (folder.isEmpty())
        return kResultBadPath;
    if (name.isEmpty())
        return kResultInvalidName;
    if (target.isEmpty())
        return kResultBadPath;
    const String file = NormalisedFolder(folder) + name + u".lnk";
    SetFileAttributesW(Wide(file.data()), FILE_ATTRIBUTE_NORMAL);
    ComPointer<IShellLinkW> link;
    ComPointer<IPersistFile> persist;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.receive())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, persist.receive())) ||
        FAILED(link->SetPath(Wide(target.data()))) ||
        (!description.isEmpty() && FAILED(link->SetDescription(Wide(description.data())))) ||
        FAILED(persist->Save(Wide(file.data()), TRUE)) ||
        FAILED(persist->SaveCompleted(Wide(file.data()))))
        return kResultPlatformFailure;
    manifest.createdShortcuts.push_back(file);
    return kResultOk;
}

Result CreateProgramGroup(InstallManifest& manifest, LocalizedElementSource& strings) {
    const String folder = NormalisedFolder(StartMenuProgramsFolder() + manifest.programGroup);
    const Result created = CreateFolderTree(folder);
    if (created != kResultOk)
        return created;
    Result result = CreateShortcut(manifest, folder, manifest.displayName(),
                                   manifest.launchPath(IsWow64()), manifest.description);
    if (result != kResultOk)
        return result;
    for (const ShortcutEntry& entry : manifest.shortcuts) {
        String name;
        String help;
        ResolveLocalizedText(strings, entry.text.data(), &name);
        ResolveLocalizedText(strings, entry.help.data(), &help);
        result = CreateShortcut(manifest, folder, name,
                                JoinPath(manifest.installFolder, entry.target), help);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

Result CreateDesktopShortcuts(InstallManifest& manifest) {
    const String target = manifest.launchPath(IsWow64());
    const String folders[] = {
        manifest.createDesktopShortcut ? DesktopFolder() : String(),
        manifest.createQuickLaunchShortcut ? QuickLaunchFolder() : String(),
    };
    for (const String& folder : folders) {
        // An unknown folder or a network path is skipped.
        if (IsValidFolderPath(folder))
            CreateShortcut(manifest, folder, manifest.displayName(), target, manifest.description);
    }
    return kResultOk;
}

Result WriteShortcutList(InstallManifest& manifest) {
    WriteList(manifest.uninstallKeyPath(), u"ShortcutsList",
              uint32_t(manifest.createdShortcuts.size()), ShortcutItem, manifest);
    return kResultOk;
}

} // namespace vornsetup
