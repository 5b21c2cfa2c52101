#include "VornLib/app/Uninstaller.h"

#include "VornLib/core/Format.h"

namespace vorn {

const RemovalMessage kRemovalMessages[kRemovalMessageCount] = {
    {u"NotInstalled", u"Error",
     u"{0} is not installed\u00A4It may already have been removed. There is nothing to uninstall.",
     false},
    {u"CloseBeforeUninstall", u"Warning", u"{0} is running\u00A4Please close {0}, then try again.",
     false},
    {u"UninstallConfirmation", u"Warning",
     u"Do you want to uninstall {0}?\u00A4The program will be removed from your computer. "
     u"Documents that you created are kept.",
     true},
    {u"UninstallSucceed", u"Information",
     u"{0} has been uninstalled\u00A4The program has been removed from your computer.", false},
};

String RemovalTitle(const ApplicationDescription& description) {
    String title = description.name + u'\u00A0' + description.version;
    if (!description.tag.isEmpty())
        title += u' ' + description.tag;
    return title;
}

String RemovalBatchName(const String& temporaryName, const String& shortName) {
    return temporaryName + Format(u" {0} Uninstall.cmd", {shortName});
}

String RemovalBatchText(const String& installFolder, const String& executable,
                        const String& batchFile, const String& batchFolder) {
    // The loop ends when this process has ended and its executable can go.
    static const char16_t kTemplate[] = u"@echo off\r\n"
                                        u"cd\\\r\n"
                                        u":loop\r\n"
                                        u"del \"{1}\"\r\n"
                                        u"if exist \"{1}\" goto loop\r\n"
                                        u"rd \"{0}\"\r\n";
    // One line, read whole before it runs: some command processors keep the
    // batch file open to its end, so it leaves its folder (for a name beside
    // it) before the folder goes, and is deleted last.
    static const char16_t kLeaveFolder[] = u"move /y \"{2}\" \"{3}.cmd\" >nul & rd \"{3}\" & "
                                           u"del \"{3}.cmd\"";
    const String text = Format(kTemplate, {installFolder, executable});
    if (batchFolder.isEmpty())
        return text + Format(u"del \"{0}\"", {batchFile});
    String folder = batchFolder;
    if (folder.length() &&
        (folder[folder.length() - 1] == u'\\' || folder[folder.length() - 1] == u'/'))
        folder = folder.left(folder.length() - 1);
    return text + Format(kLeaveFolder, {installFolder, executable, batchFile, folder});
}

} // namespace vorn
