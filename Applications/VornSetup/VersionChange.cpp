#include "Applications/VornSetup/VersionChange.h"

#include "VornLib/core/TextParse.h"

namespace vornsetup {

VersionChange VersionChangeOf(const String& installed, const String& offered) {
    if (installed.isEmpty())
        return VersionChange::Fresh;
    const int32_t order = vorn::CompareVersions(offered.data(), installed.data());
    if (order < 0)
        return VersionChange::Downgrade;
    return order == 0 && offered == installed ? VersionChange::Reinstall : VersionChange::Update;
}

VersionChange VersionChangeOf(const InstallManifest& manifest) {
    if (!manifest.installed || manifest.installedScope != manifest.scope)
        return VersionChange::Fresh;
    return VersionChangeOf(manifest.installedVersion, manifest.displayVersion());
}

const char16_t* VersionChangeText(VersionChange change) {
    // By VersionChange.
    const char16_t* const kTexts[] = {nullptr, u"#VersionUpdate", u"#VersionReinstall",
                                      u"#VersionDowngrade"};
    return kTexts[size_t(change)];
}

} // namespace vornsetup
