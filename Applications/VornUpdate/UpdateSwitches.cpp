#include "Applications/VornUpdate/UpdateSwitches.h"

#include "VornLib/app/ExitCodes.h"

namespace vornupdate {

using namespace vorn;

namespace {

const SwitchForm kUpdateSwitches[] = {
    {u"Check", SwitchValue::None, u"/Check"},
    {u"Apply", SwitchValue::None, u"/Apply"},
    {u"Quiet", SwitchValue::None, u"/Quiet"},
    {u"Passive", SwitchValue::None, u"/Passive"},
    {u"Log", SwitchValue::Optional, u"/Log[:<file>]"},
    {u"ResultFile", SwitchValue::Required, u"/ResultFile:<file>"},
    {u"ExitCodes", SwitchValue::Required, u"/ExitCodes:Standard"},
    {u"?", SwitchValue::None, u"/?"},
};

Result Refuse(String* message, const String& why) {
    *message = why + u' ' + UpdateUsage();
    return kResultInvalidArgument;
}

} // namespace

String UpdateUsage() {
    String list;
    for (const SwitchForm& entry : kUpdateSwitches)
        list += (list.isEmpty() ? u"" : u", ") + String(entry.usage);
    return u"The update program accepts " + list + u'.';
}

Result ReadUpdateCommandLine(CommandLine& commandLine, UpdateRequest* request, String* message) {
    *request = UpdateRequest();
    message->clear();
    if (!commandLine.arguments().empty())
        return Refuse(message,
                      u"Unexpected argument \"" + commandLine.arguments().front() + u"\".");
    for (const CommandLineSwitch& given : commandLine.switches()) {
        if (CheckSwitchForm(given, FindNamed(kUpdateSwitches, given.name), UpdateUsage(),
                            message) != kResultOk ||
            ((given.name.compareIgnoringCase(u"Log") == 0 ||
              given.name.compareIgnoringCase(u"ResultFile") == 0) &&
             CheckFileValue(given, message) != kResultOk) ||
            (given.name.compareIgnoringCase(u"ExitCodes") == 0 &&
             CheckExitCodesSwitch(given, message) != kResultOk))
            return kResultInvalidArgument;
    }
    if (commandLine.hasSwitch(u"?")) {
        request->usage = true;
        return kResultOk;
    }
    const bool check = commandLine.hasSwitch(u"Check");
    const bool apply = commandLine.hasSwitch(u"Apply");
    if (check == apply)
        return Refuse(message, u"Give either /Check or /Apply.");
    const bool quiet = commandLine.hasSwitch(u"Quiet");
    const bool passive = commandLine.hasSwitch(u"Passive");
    if (quiet && passive)
        return Refuse(message, u"Give /Quiet or /Passive, not both.");
    if (check && (quiet || passive))
        return Refuse(message, u"/Quiet and /Passive go with /Apply.");
    request->action = check ? UpdateAction::Check : UpdateAction::Apply;
    request->windows = quiet     ? SetupWindows::Quiet
                       : passive ? SetupWindows::Passive
                                 : SetupWindows::Wizard;
    return kResultOk;
}

} // namespace vornupdate
