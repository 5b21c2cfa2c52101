#include "VornLib/app/Uninstaller.h"

#include <algorithm>

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

namespace {

String WithoutLastSeparator(const String& folder) {
    const uint32_t length = folder.length();
    return length && (folder[length - 1] == u'\\' || folder[length - 1] == u'/')
               ? folder.left(length - 1)
               : folder;
}

} // namespace

std::vector<RemovalVariable> RemovalBatchVariables(const String& installFolder,
                                                   const String& executable,
                                                   const String& batchFile,
                                                   const String& batchFolder) {
    std::vector<RemovalVariable> variables = {
        {u"VORN_REMOVAL_PROGRAM", executable},
        {u"VORN_REMOVAL_FOLDER", WithoutLastSeparator(installFolder)},
        {u"VORN_REMOVAL_BATCH", batchFile},
    };
    if (!batchFolder.isEmpty())
        variables.push_back({u"VORN_REMOVAL_BATCH_FOLDER", WithoutLastSeparator(batchFolder)});
    return variables;
}

String RemovalBatchText(bool inFolderOfItsOwn) {
    // The loop ends when this process has ended and its executable can go, or
    // after 300 turns of a second (ping waits where `timeout` would not, with
    // no console input).
    static const char16_t kWait[] = u"@echo off\r\n"
                                    u"set VORN_REMOVAL_TRIES=0\r\n"
                                    u":wait\r\n"
                                    u"del /f /q \"%VORN_REMOVAL_PROGRAM%\" >nul 2>&1\r\n"
                                    u"if not exist \"%VORN_REMOVAL_PROGRAM%\" goto removed\r\n"
                                    u"set /a VORN_REMOVAL_TRIES+=1\r\n"
                                    u"if \"%VORN_REMOVAL_TRIES%\"==\"300\" goto removed\r\n"
                                    u"ping -n 2 127.0.0.1 >nul\r\n"
                                    u"goto wait\r\n"
                                    u":removed\r\n"
                                    u"rd \"%VORN_REMOVAL_FOLDER%\" >nul 2>&1\r\n";
    // One line, read whole before it runs: some command processors keep the
    // batch file open to its end, so it leaves its folder (for a name beside
    // it) before the folder goes, and is deleted last.
    static const char16_t kLeaveFolder[] =
        u"move /y \"%VORN_REMOVAL_BATCH%\" \"%VORN_REMOVAL_BATCH_FOLDER%.cmd\" >nul & "
        u"rd \"%VORN_REMOVAL_BATCH_FOLDER%\" & del /f /q \"%VORN_REMOVAL_BATCH_FOLDER%.cmd\"";
    static const char16_t kDeleteItself[] = u"del /f /q \"%VORN_REMOVAL_BATCH%\"";
    return String(kWait) + (inFolderOfItsOwn ? kLeaveFolder : kDeleteItself);
}

std::u16string RemovalEnvironmentBlock(const std::vector<String>& inherited,
                                       const std::vector<RemovalVariable>& variables) {
    std::vector<String> entries;
    for (const String& entry : inherited) {
        // A leading "=" belongs to the name ("=C:=C:\\Temp", the drive's folder).
        const int32_t separator = entry.isEmpty() ? -1 : String(entry.data() + 1).find(u'=');
        const String name = separator < 0 ? entry : entry.left(uint32_t(separator) + 1);
        bool replaced = false;
        for (const RemovalVariable& variable : variables)
            replaced = replaced || name.compareIgnoringCase(variable.name) == 0;
        if (!replaced && !entry.isEmpty())
            entries.push_back(entry);
    }
    for (const RemovalVariable& variable : variables)
        entries.push_back(String(variable.name) + u'=' + variable.value);
    std::stable_sort(entries.begin(), entries.end(), [](const String& a, const String& b) {
        return CompareTextIgnoringCase(a.data(), b.data()) < 0;
    });
    std::u16string block;
    for (const String& entry : entries) {
        block.append(entry.data(), entry.length());
        block.push_back(u'\0');
    }
    block.push_back(u'\0');
    return block;
}

} // namespace vorn
