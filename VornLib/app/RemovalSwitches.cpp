#include "VornLib/app/RemovalSwitches.h"

#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/Language.h"

#ifdef _WIN32
#include "VornLib/app/ConsoleMessage.h"
#endif

namespace vorn {
namespace {

const SwitchForm kRemovalSwitches[] = {
    {u"Uninstall", SwitchValue::None, u"/Uninstall"},
    {u"Quiet", SwitchValue::None, u"/Quiet"},
    {u"Passive", SwitchValue::None, u"/Passive"},
    {u"Log", SwitchValue::Optional, u"/Log[:<file>]"},
    {u"Language", SwitchValue::Required, u"/Language:<code>"},
    // Programs that hold files of the removal (FilesInUse.h).
    {u"CloseApplications", SwitchValue::None, u"/CloseApplications"},
    {u"NoCloseApplications", SwitchValue::None, u"/NoCloseApplications"},
    {u"NoRestart", SwitchValue::None, u"/NoRestart"},
    {u"ForceRestart", SwitchValue::None, u"/ForceRestart"},
    {u"ExitCodes", SwitchValue::Required, u"/ExitCodes:Standard"},
    {u"?", SwitchValue::None, u"/?"},
    // A newer setup's, and the elevated copy's.
    {u"Update", SwitchValue::None, nullptr},
    {u"LaunchedAsAdministrator", SwitchValue::None, nullptr},
    {u"LogFileId", SwitchValue::Required, nullptr},
};

} // namespace

String RemovalUsage() {
    String list;
    for (const SwitchForm& entry : kRemovalSwitches) {
        if (entry.usage)
            list += (list.isEmpty() ? u"" : u", ") + String(entry.usage);
    }
    return u"The removal accepts " + list + u'.';
}

Result CheckRemovalCommandLine(CommandLine& commandLine, String* message) {
    if (!message)
        return kResultNullOutput;
    message->clear();
    if (!commandLine.arguments().empty()) {
        *message =
            u"Unexpected argument \"" + commandLine.arguments().front() + u"\". " + RemovalUsage();
        return kResultInvalidArgument;
    }
    for (const CommandLineSwitch& given : commandLine.switches()) {
        const Result result = CheckSwitchForm(given, FindNamed(kRemovalSwitches, given.name),
                                              RemovalUsage(), message);
        if (result != kResultOk)
            return result;
        if (given.name.compareIgnoringCase(u"Log") == 0 &&
            CheckFileValue(given, message) != kResultOk)
            return kResultInvalidArgument;
        if (given.name.compareIgnoringCase(u"Language") == 0 &&
            !IsKnownLanguage(given.value.data())) {
            *message = u"Unknown language \"" + given.value + u"\" in /Language.";
            return kResultInvalidArgument;
        }
        if (given.name.compareIgnoringCase(u"ExitCodes") == 0 &&
            CheckExitCodesSwitch(given, message) != kResultOk)
            return kResultInvalidArgument;
    }
    return kResultOk;
}

#ifdef _WIN32
bool AnswerRemovalCommandLine(CommandLine& commandLine, const String& caption, int32_t* exitCode) {
    String refusal;
    const Result checked = CheckRemovalCommandLine(commandLine, &refusal);
    if (checked != kResultOk) {
        (void)WriteConsoleLine(refusal);
        *exitCode = int32_t(checked);
        return true;
    }
    if (!commandLine.hasSwitch(u"?"))
        return false;
    ShowConsoleOrMessage(caption, RemovalUsage());
    *exitCode = int32_t(kResultOk);
    return true;
}
#endif

} // namespace vorn
