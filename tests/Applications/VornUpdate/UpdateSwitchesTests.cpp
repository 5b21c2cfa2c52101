// The update program's command line: one action, the setup's windows only
// with /Apply, and every other mistake refused before anything is fetched.
#include <gtest/gtest.h>

#include "Applications/VornUpdate/UpdateSwitches.h"
#include "VornLib/core/Utf8.h"

namespace vornupdate {
namespace {

using vorn::String;

vorn::Result Read(const char16_t* line, UpdateRequest* request, String* message) {
    vorn::CommandLine commandLine;
    commandLine.parse((String(u"VornUpdate.exe ") + line).data());
    return ReadUpdateCommandLine(commandLine, request, message);
}

TEST(UpdateSwitches, OneActionAndItsWindows) {
    UpdateRequest request;
    String message;
    ASSERT_EQ(0u,
              Read(u"/check /Log /ResultFile:C:\\r.json /ExitCodes:Standard", &request, &message));
    EXPECT_EQ(UpdateAction::Check, request.action);
    ASSERT_EQ(0u, Read(u"/Apply /Passive", &request, &message));
    EXPECT_EQ(UpdateAction::Apply, request.action);
    EXPECT_EQ(SetupWindows::Passive, request.windows);
    ASSERT_EQ(0u, Read(u"/Apply", &request, &message));
    EXPECT_EQ(SetupWindows::Wizard, request.windows);
    ASSERT_EQ(0u, Read(u"/?", &request, &message));
    EXPECT_TRUE(request.usage);
}

TEST(UpdateSwitches, MistakesAreRefusedWithTheReason) {
    const struct {
        const char16_t* line;
        const char* said;
    } cases[] = {
        {u"", "either /Check or /Apply"},         {u"/Check /Apply", "either /Check or /Apply"},
        {u"/Check /Quiet", "go with /Apply"},     {u"/Apply /Quiet /Passive", "not both"},
        {u"/Apply /Qiuet", "Unknown switch"},     {u"/Check feed.json", "Unexpected argument"},
        {u"/Check /ResultFile", "/ResultFile"},   {u"/Check \"/ResultFile:a|b\"", "/ResultFile"},
        {u"/Check /ExitCodes:Msi", "/ExitCodes"},
    };
    for (const auto& test : cases) {
        UpdateRequest request;
        String message;
        EXPECT_EQ(5u, Read(test.line, &request, &message)) << vorn::ToUtf8(String(test.line));
        EXPECT_NE(std::string::npos, vorn::ToUtf8(message).find(test.said))
            << vorn::ToUtf8(String(test.line)) << ": " << vorn::ToUtf8(message);
    }
}

} // namespace
} // namespace vornupdate
