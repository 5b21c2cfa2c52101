// The portable half of the crash report: texts and links.
#include "VornLib/app/CrashReport.h"

#include "VornLib/core/Format.h"

namespace vorn {
namespace {

String Trimmed(const String& text) {
    String copy = text;
    copy.trimLeft();
    copy.trimRight();
    return copy;
}

} // namespace

String MailLink(const char16_t* address, const char16_t* subject, const char16_t* body) {
    if (!address)
        return String();
    String link(address);
    if (!link.startsWith(u"mailto:"))
        link = u"mailto:" + link;
    link = Trimmed(link);
    String query;
    if (subject)
        query += String(u"?subject=") + subject;
    if (body)
        query += String(u"&body=") + body;
    query = Trimmed(query);
    // "%" first, so that the escapes added for spaces are not escaped again.
    query.replace(u'%', u"%25");
    query.replace(u' ', u"%20");
    return link + query;
}

String CrashMessage(uint32_t exceptionCode, const String& dumpPath, const String& supportAddress,
                    bool debugHelpAvailable) {
    if (debugHelpAvailable) {
        return Format(u"This application has encountered a critical error.\n\nException: "
                      u"0x{0,08:X}\n\nPlease email the log file saved as [{1}] to the technical "
                      u"support team at [{2}]\n\nProvide as much detail as possible about your "
                      u"system and how to reproduce the bug. Your feedback is highly appreciated "
                      u"and will help us to fix the issue as quickly as possible.",
                      {exceptionCode, dumpPath, supportAddress});
    }
    return Format(u"This application has encountered a critical error.\n\nException: "
                  u"0x{0,08:X}\n\nPlease download and install a recent version of [DbgHelp.dll] "
                  u"in its default folder or in the same folder as this application. Then "
                  u"re-launch the application to get a more detailed crash report to email us "
                  u"at [{1}].",
                  {exceptionCode, supportAddress});
}

} // namespace vorn
