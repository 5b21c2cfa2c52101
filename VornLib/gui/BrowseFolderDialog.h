// The browse-for-folder dialog: a "BrowseFolderDialog" description (the
// installer's is "BrowseInstallFolderDialog") whose "Title" is the
// instruction above the folder tree and whose "NewFolderButton" shows the
// platform's new-folder button. It runs the platform's folder browser, rooted
// at the computer's drives, with the preset folder selected; OK is disabled
// while the selection is no file-system folder.
#pragma once

#include "VornLib/gui/Dialog.h"

namespace vorn {

class BrowseFolderDialog : public Dialog {
public:
    bool newFolderButton() const { return newFolderButton_; }

    // 0 with the chosen folder, always ending in a path separator; 8 when
    // the user cancels (`folder` empty); 7 when the root cannot be had.
    Result run(HWND owner, const String& preset, String* folder);

protected:
    const char16_t* descriptionElement() const override { return u"BrowseFolderDialog"; }
    Result readAttributes(const XmlNode& element) override;

private:
    bool newFolderButton_ = true;
};

// Appends a backslash unless the path ends in a backslash or a slash.
String WithTrailingSeparator(const String& path);

} // namespace vorn
