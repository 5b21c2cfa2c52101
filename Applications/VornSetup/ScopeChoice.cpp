#include "Applications/VornSetup/ScopeChoice.h"

#include "VornLib/app/ExitCodes.h"

namespace vornsetup {

using namespace vorn;

namespace {

String Switch(InstallScope scope) {
    return u'/' + String(InstallScopeWord(scope));
}

} // namespace

bool ScopeChoiceOffered(const InstallManifest& manifest, CommandLine& commandLine, bool quiet) {
    for (const char16_t* decided :
         {InstallScopeWord(InstallScope::Machine), InstallScopeWord(InstallScope::User), u"Passive",
          u"LaunchedAsAdministrator"}) {
        if (commandLine.hasSwitch(decided))
            return false;
    }
    return manifest.scopeRule.userMayChoose && !quiet && !manifest.installed;
}

String FolderAfterScopeChange(const String& shown, const String& oldDefault,
                              const String& newDefault) {
    return shown.compareIgnoringCase(oldDefault.data()) == 0 ? newDefault : shown;
}

const char16_t* ScopeDescription(InstallScope scope) {
    return scope == InstallScope::User ? u"just for you" : u"for all users";
}

Result CheckScopeChoice(const InstallManifest& manifest, CommandLine& commandLine,
                        String* message) {
    if (!message)
        return kResultNullOutput;
    message->clear();
    if (!manifest.definitionsProblem.isEmpty()) {
        *message =
            u"The setup's Configuration.xml is refused: " + manifest.definitionsProblem + u'.';
        return kResultMalformed;
    }
    if (!manifest.scopeProblem.isEmpty()) {
        *message = u"The setup's Configuration.xml is refused: " + manifest.scopeProblem + u'.';
        return kResultKindMismatch;
    }
    const bool machine = commandLine.hasSwitch(InstallScopeWord(InstallScope::Machine));
    const bool user = commandLine.hasSwitch(InstallScopeWord(InstallScope::User));
    if (machine && user) {
        *message = u"The switches /AllUsers and /CurrentUser exclude each other: give one.";
        return kResultInvalidArgument;
    }
    const String name = manifest.displayName();
    if ((machine || user) && !manifest.scopeRule.allows(manifest.scope)) {
        *message = name + u" Setup installs only " + ScopeDescription(manifest.scopeRule.proposed) +
                   u": " + Switch(manifest.scope) + u" is not allowed.";
        return kResultAccessDenied;
    }
    if (manifest.installed && manifest.installedScope != manifest.scope) {
        *message = name + u" is installed " + ScopeDescription(manifest.installedScope) +
                   u" in \"" + manifest.installedFolder + u"\": remove it first to install it " +
                   ScopeDescription(manifest.scope) + u", or give " +
                   Switch(manifest.installedScope) + u" to update it.";
        return Result(kExitInstalledInOtherScope);
    }
    return kResultOk;
}

} // namespace vornsetup
