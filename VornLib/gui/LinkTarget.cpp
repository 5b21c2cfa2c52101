#include "VornLib/gui/LinkTarget.h"

#include <shellapi.h>

#include "VornLib/gui/WindowName.h"

namespace vorn {
namespace {

void PostCommand(const String& name, const LinkCommand& command) {
    if (command.window)
        PostMessageW(command.window, WM_COMMAND, MAKEWPARAM(WindowNameId(name), 0), command.source);
}

void OpenWithShell(const String& target) {
    ShellExecuteW(nullptr, L"open", Wide(target.data()), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

void OpenLinkTarget(const String& target, const LinkCommand& command) {
    if (target.isEmpty())
        return;
    if (target.startsWith(u"cmd:"))
        PostCommand(target.mid(4), command);
    else if (target.find(u'@') >= 0)
        OpenWithShell(target.startsWith(u"mailto:") ? target : String(u"mailto:") + target);
    else if (command.bareNames && target.find(u':') < 0)
        PostCommand(target, command);
    else
        OpenWithShell(target);
}

} // namespace vorn
