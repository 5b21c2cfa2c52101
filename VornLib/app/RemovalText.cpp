#include "VornLib/app/Uninstaller.h"

#include "VornLib/core/Format.h"

namespace vorn {

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
                        const String& batchFile) {
    // The loop ends when this process has ended and its executable can go.
    static const char16_t kTemplate[] = u"@echo off\r\n"
                                        u"cd\\\r\n"
                                        u":loop\r\n"
                                        u"del \"{1}\"\r\n"
                                        u"if exist \"{1}\" goto loop\r\n"
                                        u"rd \"{0}\"\r\n"
                                        u"del \"{2}\"";
    return Format(kTemplate, {installFolder, executable, batchFile});
}

} // namespace vorn
