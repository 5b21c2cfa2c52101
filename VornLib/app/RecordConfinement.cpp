#include "VornLib/app/RecordConfinement.h"

#include <initializer_list>

#include "VornLib/core/Path.h"

#ifdef _WIN32
#include "VornLib/core/platform/SystemInfo.h"
#endif

namespace vorn {

namespace {

String WithoutSeparator(const String& folder) {
    return folder.isEmpty() ? folder : folder.left(folder.length() - 1);
}

bool InAnyOf(const String& path, const std::vector<String>& folders) {
    for (const String& folder : folders) {
        if (IsPathInside(path, folder))
            return true;
    }
    return false;
}

} // namespace

bool TakesUpRecord(bool user, const RecoveringProcess& process) {
    // The user's record would have the elevated copy, or an installation
    // for all users, act with rights on what the user wrote.
    if (user)
        return process.usersOwnScope && !process.elevatedCopy;
    // Nobody else can write all users' record, and only a process with the
    // rights can act on it.
    return process.elevated;
}

String ConfinementFault(const InstalledProduct& product, const UserPlaces& places, bool elevated) {
    const String folder = NormalisedFolder(product.folder);
    if (folder.isEmpty()) {
        if (!product.files.empty() || !product.program.isEmpty())
            return u"files without a folder";
    } else if (!IsValidFolderPath(WithoutSeparator(folder)) || folder.length() < 4 ||
               folder[1] != u':') {
        return u"the folder " + product.folder;
    } else if (elevated && !IsPathInside(WithoutSeparator(folder), places.profile)) {
        return u"the folder " + product.folder + u" outside the user's profile";
    }
    for (const String& file : product.files) {
        if (!IsRelativeInside(file))
            return u"the file " + file;
    }
    if (!product.program.isEmpty() && !IsPathInside(product.program, folder))
        return u"the program " + product.program;
    if (!product.programGroup.isEmpty() && !IsRelativeInside(product.programGroup))
        return u"the program group " + product.programGroup;
    for (const String& shortcut : product.shortcuts) {
        if (!InAnyOf(shortcut, places.shortcutFolders))
            return u"the shortcut " + shortcut;
    }
    return String();
}

#ifdef _WIN32
UserPlaces CurrentUserPlaces() {
    UserPlaces places;
    places.profile = UserProfileFolder();
    for (const String& folder :
         {UserStartMenuProgramsFolder(), DesktopFolder(), QuickLaunchFolder()}) {
        if (!folder.isEmpty())
            places.shortcutFolders.push_back(folder);
    }
    return places;
}
#endif

} // namespace vorn
