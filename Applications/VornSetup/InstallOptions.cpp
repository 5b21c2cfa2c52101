#include "Applications/VornSetup/InstallOptions.h"

#include "VornLib/core/Path.h"

namespace vornsetup {
namespace {

bool IsSeparator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

bool IsLetter(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z');
}

} // namespace

bool IsRelativePath(const String& text) {
    const char16_t* units = text.data();
    if (text.length() <= 1)
        return true;
    if (IsSeparator(units[0]))
        return false;
    return !(IsLetter(units[0]) && units[1] == u':');
}

bool EndsWithSeparator(const String& text) {
    return text.length() > 0 && IsSeparator(text.data()[text.length() - 1]);
}

bool IsValidInstallFolder(const String& folder) {
    // "C:" or "C:Tools" would name the drive's current folder, wherever that is.
    return vorn::IsValidFolderPath(folder) && !EndsWithSeparator(folder) && folder.length() >= 3 &&
           folder.data()[1] == u':' && IsSeparator(folder.data()[2]) && !IsRelativePath(folder);
}

bool IsValidProgramGroup(const String& group) {
    return vorn::IsValidFolderPath(group) && !EndsWithSeparator(group) && IsRelativePath(group);
}

uint64_t SpaceRequiredMiB(uint64_t totalSize) {
    constexpr uint64_t kMiB = uint64_t(1) << 20;
    return totalSize / kMiB + (totalSize % kMiB ? 1 : 0);
}

String GroupAfterPick(const String& picked, const String& displayName) {
    return picked + u"\\" + displayName;
}

} // namespace vornsetup
