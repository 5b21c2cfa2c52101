// Declared Windows services: read with their defaults, refused with line and
// column where the service manager could not take them or they would reach
// outside the installation; the journal's records of them read back exactly.
#include <gtest/gtest.h>

#include <string>

#include "../core/XmlTestSupport.h"
#include "VornLib/app/ServiceDeclarations.h"
#include "VornLib/app/ServiceRecord.h"
#include "VornLib/core/Utf8.h"

namespace vorn {
namespace {

Result Read(const std::string& inside, std::vector<ServiceDeclaration>* out, String* problem) {
    XmlDocument document;
    const std::string text =
        "<InstallationSettings>\n<Services>" + inside + "</Services></InstallationSettings>";
    EXPECT_EQ(0u, ParseText(document, text.c_str()));
    return ReadServiceDeclarations(*document.root(), out, problem);
}

TEST(ServiceDeclarations, ReadsServicesWithTheirDefaults) {
    std::vector<ServiceDeclaration> read;
    String problem;
    ASSERT_EQ(0u,
              Read("<Service Name=\"HelloSync\" DisplayName=\"Hello Sync\" "
                   "Program=\"bin/HelloSync.exe\" Arguments=\"/service\" Start=\"Manual\" "
                   "Account=\"LocalSystem\" Description=\"Keeps it\" StartAfterInstall=\"true\"/>"
                   "<Service Name=\"HelloAgent\" Program=\"Agent.exe\"/>",
                   &read, &problem))
        << ToUtf8(problem);
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(String(u"bin\\HelloSync.exe"), read[0].program);
    EXPECT_EQ(ServiceStart::Manual, read[0].start);
    EXPECT_EQ(ServiceAccount::LocalSystem, read[0].account);
    EXPECT_TRUE(read[0].startAfterInstall);
    EXPECT_EQ(String(u"HelloAgent"), read[1].displayName) << "the name where none is given";
    EXPECT_EQ(ServiceStart::Automatic, read[1].start);
    EXPECT_EQ(ServiceAccount::LocalService, read[1].account) << "the fewest rights";
    EXPECT_FALSE(read[1].startAfterInstall);
}

TEST(ServiceDeclarations, RefusesWhatTheServiceManagerCouldNotTake) {
    const struct {
        const char* inside;
        uint32_t result;
        const char* problem;
    } cases[] = {
        {"<Service Name=\"a\\b\" Program=\"a.exe\"/>", 5,
         "line 2, column 12: the service name \"a\\b\" is empty"},
        {"<Service Name=\"A\" Program=\"a.exe\"/><Service Name=\"a\" Program=\"b.exe\"/>", 5,
         "a service named \"a\" is declared already"},
        {"<Service Name=\"A\" Program=\"C:\\a.exe\"/>", 5,
         "Program \"C:\\a.exe\" is not a program of the installation"},
        {"<Service Name=\"A\" Program=\"a.exe\" Start=\"Boot\"/>", 5,
         "Start is none of Automatic, Manual, Disabled"},
        {"<Service Name=\"A\" Program=\"a.exe\" Account=\"Administrator\"/>", 5,
         "Account is none of"},
        {"<Service Name=\"A\"/>", 6, "Service has no Program"},
    };
    for (const auto& each : cases) {
        std::vector<ServiceDeclaration> read;
        String problem;
        EXPECT_EQ(each.result, Read(each.inside, &read, &problem)) << each.inside;
        EXPECT_NE(std::string::npos, ToUtf8(problem).find(each.problem))
            << each.inside << " → " << ToUtf8(problem);
        EXPECT_TRUE(read.empty());
    }
}

TEST(ServiceRecord, ReadsBackWhatItWrote) {
    ServiceRecord changed;
    changed.action = ServiceRecord::Action::Changed;
    changed.name = u"Hello:Sync";
    changed.previous = {u"\"C:\\Hello\\sync.exe\" /a:1", u"Hello 3:", 3, u"LocalSystem", u""};
    ServiceRecord read;
    ASSERT_TRUE(DecodeServiceRecord(EncodeServiceRecord(changed), &read));
    EXPECT_EQ(ServiceRecord::Action::Changed, read.action);
    EXPECT_EQ(changed.name, read.name);
    EXPECT_EQ(changed.previous.commandLine, read.previous.commandLine);
    EXPECT_EQ(changed.previous.displayName, read.previous.displayName);
    EXPECT_EQ(3u, read.previous.startType);
    EXPECT_EQ(changed.previous.account, read.previous.account);

    const String encoded = EncodeServiceRecord(changed);
    for (const String& damaged :
         {String(encoded.left(encoded.length() - 1)), String(encoded + u"1"), String(u"X5:Hello"),
          String(u"C0:"), String(u"S5:Hello1:x")})
        EXPECT_FALSE(DecodeServiceRecord(damaged, &read)) << ToUtf8(damaged);
    ASSERT_TRUE(DecodeServiceRecord(u"S5:Hello", &read));
    EXPECT_EQ(ServiceRecord::Action::Stopped, read.action);
}

} // namespace
} // namespace vorn
