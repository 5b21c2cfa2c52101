#include "VornLib/app/InstallScope.h"

#include "VornLib/core/DescriptionWords.h"
#include "VornLib/core/Format.h"

#ifdef _WIN32
#include "VornLib/core/RegistryKey.h"
#include "VornLib/core/platform/SystemInfo.h"
#endif

namespace vorn {
namespace {

constexpr DescriptionWord<InstallScope> kScopeWords[kInstallScopeCount] = {
    {u"AllUsers", InstallScope::Machine},
    {u"CurrentUser", InstallScope::User},
};

// "true" or "false" as written; anything else is refused rather than guessed.
bool ReadChoiceWord(const String& word, bool* out) {
    if (word == u"true" || word == u"false") {
        *out = word == u"true";
        return true;
    }
    return false;
}

} // namespace

const char16_t* InstallScopeWord(InstallScope scope) {
    return kScopeWords[scope == InstallScope::User ? 1 : 0].word;
}

bool InstallScopeFromWord(const String& word, InstallScope* out) {
    const InstallScope* found = FindWord(kScopeWords, word);
    if (found && out)
        *out = *found;
    return found != nullptr;
}

const char16_t* InstallScopeName(InstallScope scope) {
    return scope == InstallScope::User ? u"user" : u"machine";
}

Result ReadInstallScopeRule(const XmlNode& settings, InstallScopeRule* out, String* problem) {
    if (!out || !problem)
        return kResultNullOutput;
    *out = InstallScopeRule();
    problem->clear();
    const XmlNode* element = settings.find((u"/" + String(kInstallScopeElement)).data());
    if (!element)
        return kResultOk;
    InstallScopeRule rule;
    String proposed;
    if (element->getAttribute(u"Default", &proposed) == kResultOk &&
        !InstallScopeFromWord(proposed, &rule.proposed)) {
        *problem =
            Format(u"InstallScope Default \"{0}\" is none of AllUsers and CurrentUser", {proposed});
        return kResultKindMismatch;
    }
    String choice;
    if (element->getAttribute(u"UserMayChoose", &choice) == kResultOk &&
        !ReadChoiceWord(choice, &rule.userMayChoose)) {
        *problem =
            Format(u"InstallScope UserMayChoose \"{0}\" is neither true nor false", {choice});
        return kResultKindMismatch;
    }
    *out = rule;
    return kResultOk;
}

#ifdef _WIN32

namespace {

constexpr char16_t kUserClassesKey[] = u"Software\\Classes";

const InstallScopePlaces kPlaces[kInstallScopeCount] = {
    {kRegistryLocalMachine32, kRegistryLocalMachine, kRegistryClassesRoot, u"",
     kRegistryLocalMachine32, kRegistryLocalMachine,
     u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", ProgramFilesFolder,
     StartMenuProgramsFolder},
    {kRegistryCurrentUser, kRegistryCurrentUser, kRegistryCurrentUser, kUserClassesKey,
     kRegistryCurrentUser, kRegistryCurrentUser, u"Environment", UserProgramFilesFolder,
     UserStartMenuProgramsFolder},
};

} // namespace

const InstallScopePlaces& PlacesOf(InstallScope scope) {
    return kPlaces[scope == InstallScope::User ? 1 : 0];
}

#endif

} // namespace vorn
