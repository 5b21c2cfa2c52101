#include "VornLib/gui/BrowseFolderDialog.h"

#include <objbase.h>
#include <shlobj.h>

namespace vorn {
namespace {

struct BrowseState {
    String selection;
};

bool IsSeparator(char16_t unit) {
    return unit == u'\\' || unit == u'/';
}

// The preset as the browser can select it: with a trailing separator (as the
// folders this dialog returns have) Wine's browser stays on its root, so the
// separator goes, except after a drive ("C:\").
String SelectablePath(const String& preset) {
    uint32_t length = preset.length();
    while (length > 3 && IsSeparator(preset.data()[length - 1]))
        --length;
    return preset.left(length);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM parameter, LPARAM data) {
    const BrowseState* state = reinterpret_cast<const BrowseState*>(data);
    if (message == BFFM_INITIALIZED && state && !state->selection.isEmpty())
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, LPARAM(state->selection.data()));
    if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        const BOOL isFolder =
            parameter && SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(parameter), path);
        SendMessageW(dialog, BFFM_ENABLEOK, 0, isFolder ? TRUE : FALSE);
    }
    return 0;
}

} // namespace

String WithTrailingSeparator(const String& path) {
    const uint32_t length = path.length();
    if (length > 0 && IsSeparator(path.data()[length - 1]))
        return path;
    return path + u"\\";
}

Result BrowseFolderDialog::readAttributes(const XmlNode& element) {
    const Result result = Dialog::readAttributes(element);
    if (result != kResultOk)
        return result;
    (void)element.getAttributeBoolean(u"NewFolderButton", &newFolderButton_, true);
    return kResultOk;
}

Result BrowseFolderDialog::run(HWND owner, const String& preset, String* folder) {
    folder->clear();
    TaskMemory<ITEMIDLIST_ABSOLUTE> root;
    if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, root.receive())) || !root)
        return kResultPlatformFailure;
    BrowseState state = {SelectablePath(preset)};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = root.get();
    info.lpszTitle = Wide(title().data());
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_VALIDATE | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
    if (!newFolderButton_)
        info.ulFlags |= BIF_NONEWFOLDERBUTTON;
    info.lpfn = BrowseCallback;
    info.lParam = LPARAM(&state);
    const TaskMemory<ITEMIDLIST_ABSOLUTE> chosen(SHBrowseForFolderW(&info));
    if (!chosen)
        return kResultCancelled;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(chosen.get(), path))
        return kResultCancelled;
    *folder = WithTrailingSeparator(String(Units(path)));
    return kResultOk;
}

} // namespace vorn
