#include "Applications/VornSetup/InstallerSwitches.h"

#include <initializer_list>

#include "Applications/VornSetup/InstallOptions.h"
#include "Applications/VornSetup/ShortcutChoices.h"
#include "VornLib/app/ComponentDeclarations.h"
#include "VornLib/app/ExitCodes.h"

namespace vornsetup {

using namespace vorn;

const InstallerSwitch kInstallerSwitches[] = {
    {u"Quiet", SwitchValue::None, false, u"/Quiet"},
    {u"Passive", SwitchValue::None, true, u"/Passive"},
    {u"NoCancel", SwitchValue::None, true, u"/NoCancel"},
    {u"AllowMultipleInstances", SwitchValue::None, false, nullptr},
    {u"LaunchedAsAdministrator", SwitchValue::None, false, nullptr},
    {u"InstallFolder", SwitchValue::Required, true, u"/InstallFolder:<folder>"},
    {u"Language", SwitchValue::Required, true, u"/Language:<code>"},
    {u"DataCollection", SwitchValue::Optional, true, u"/DataCollection:Off"},
    // The launcher hands the elevated copy these two files' full paths.
    {u"Log", SwitchValue::Optional, false, u"/Log[:<file>]"},
    {u"LogFileId", SwitchValue::Required, false, nullptr},
    {u"ResultFile", SwitchValue::Required, false, u"/ResultFile:<file>"},
    // The caller's files: the setup writes the one and reads the other, and
    // hands the elevated copy the switches its entries stand for (below).
    {u"SaveChoices", SwitchValue::Required, false, u"/SaveChoices:<file>"},
    {u"LoadChoices", SwitchValue::Required, false, u"/LoadChoices:<file>"},
    {u"ConfigSet", SwitchValue::Required, true, nullptr},
    {u"AllUsers", SwitchValue::None, true, u"/AllUsers"},
    {u"CurrentUser", SwitchValue::None, true, u"/CurrentUser"},
    {u"AllowUserWritableFolder", SwitchValue::None, true, u"/AllowUserWritableFolder"},
    {u"AllowDowngrade", SwitchValue::None, true, u"/AllowDowngrade"},
    // Writes again what differs from this setup's files, where this version
    // is installed (RepairCheck.h).
    {u"Repair", SwitchValue::None, true, u"/Repair"},
    // Also what a launcher's wizard chose, or a choices file held, handed
    // to the elevated copy.
    {u"ProgramGroup", SwitchValue::Required, true, u"/ProgramGroup:<group>"},
    {u"CreateDesktopShortcut", SwitchValue::Boolean, true, u"/CreateDesktopShortcut:0|1"},
    {u"CreateQuickLaunchShortcut", SwitchValue::Boolean, true, u"/CreateQuickLaunchShortcut:0|1"},
    {kComponentsSwitch, SwitchValue::Optional, true, u"/Components:<name>,<name>"},
    // Programs that hold files of the installation, and the restart that
    // finishes it when some do not close (FilesInUse.h).
    {u"CloseApplications", SwitchValue::None, true, u"/CloseApplications"},
    {u"NoCloseApplications", SwitchValue::None, true, u"/NoCloseApplications"},
    {u"NoRestart", SwitchValue::None, true, u"/NoRestart"},
    {u"ForceRestart", SwitchValue::None, true, u"/ForceRestart"},
    // Read by the setup the user started alone: its elevated copy's codes
    // are the launcher's to interpret.
    {u"ExitCodes", SwitchValue::Required, false, u"/ExitCodes:Standard"},
    // Shows the accepted switches and ends with 0.
    {u"?", SwitchValue::None, false, u"/?"},
    // The wizard's choices are made: the elevated copy opens on the copy page.
    {u"OptionsChosen", SwitchValue::None, false, nullptr},
};
const uint32_t kInstallerSwitchCount =
    uint32_t(sizeof kInstallerSwitches / sizeof *kInstallerSwitches);

const char16_t* const kSetupLanguages[] = {u"de", u"en", u"es", u"fr", u"it", u"ko", u"ru", u"zh"};
const uint32_t kSetupLanguageCount = uint32_t(sizeof kSetupLanguages / sizeof *kSetupLanguages);

namespace {

// A "\" before a closing quote escapes it (C:\Apps\" reads as C:\Apps"):
// the usual slip with a quoted folder.
constexpr char16_t kEscapedQuote[] =
    u" A \\ before a closing quote keeps the quote in the value: end the folder without "
    u"the \\.";

String AcceptedSwitches() {
    String list;
    for (const InstallerSwitch& entry : kInstallerSwitches) {
        if (!entry.usage)
            continue;
        list += list.isEmpty() ? u"" : u", ";
        list += entry.usage;
    }
    return u"The setup accepts " + list + u'.';
}

String SetupLanguages() {
    String list;
    for (uint32_t i = 0; i < kSetupLanguageCount; ++i)
        list += (i ? u", " : u"") + String(kSetupLanguages[i]);
    return list;
}

// Values that the setup hands to its elevated copy and the copy writes into
// its log: each from a small vocabulary, so that no character of them can end
// an argument or a line.
bool IsDataCollectionWord(const String& value) {
    for (const char16_t* word : {u"On", u"Off", u"1", u"0", u"true", u"false"}) {
        if (value.compareIgnoringCase(word) == 0)
            return true;
    }
    return false;
}

bool IsNameUnit(char16_t unit) {
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z') ||
           (unit >= u'0' && unit <= u'9') || unit == u'-' || unit == u'_' || unit == u'.';
}

bool IsConfigSetName(const String& value) {
    for (uint32_t i = 0; i < value.length(); ++i) {
        if (!IsNameUnit(value[i]))
            return false;
    }
    return value.length() <= 64;
}

// Names, commas and blanks only: the list goes into the elevated copy's
// arguments and the log.
bool IsComponentListText(const String& value) {
    for (uint32_t i = 0; i < value.length(); ++i) {
        if (!IsNameUnit(value[i]) && value[i] != u',' && value[i] != u' ')
            return false;
    }
    return value.length() <= 4096;
}

} // namespace

Result CheckInstallerSwitch(const CommandLineSwitch& entry, String* message) {
    const InstallerSwitch* known = FindNamed(kInstallerSwitches, entry.name);
    const SwitchForm form =
        known ? SwitchForm{known->name, known->value, known->usage} : SwitchForm{};
    const Result formed =
        CheckSwitchForm(entry, known ? &form : nullptr, AcceptedSwitches(), message);
    // An empty folder is one the options page refuses.
    if (formed != kResultOk)
        return known && String(known->name) == u"InstallFolder" ? kResultBadPath : formed;
    if (String(known->name) == u"Language" && !IsSetupLanguage(entry.value)) {
        *message = u"Unknown language \"" + entry.value + u"\" in /Language. The setup speaks " +
                   SetupLanguages() + u'.';
        return kResultInvalidArgument;
    }
    if (String(known->name) == u"DataCollection" && entry.hasValue &&
        !IsDataCollectionWord(entry.value)) {
        *message =
            u"The switch /DataCollection takes On or Off (\"" + WrittenSwitch(entry) + u"\").";
        return kResultInvalidArgument;
    }
    if (String(known->name) == u"ExitCodes")
        return CheckExitCodesSwitch(entry, message);
    if (String(known->name) == u"ConfigSet" && !IsConfigSetName(entry.value)) {
        *message = u"The switch /ConfigSet takes a name of letters, digits, - _ and . (\"" +
                   WrittenSwitch(entry) + u"\").";
        return kResultInvalidArgument;
    }
    if (String(known->name) == kComponentsSwitch && !IsComponentListText(entry.value)) {
        *message = u"The switch /Components takes names of letters, digits, - _ and . separated "
                   u"by commas (\"" +
                   WrittenSwitch(entry) + u"\").";
        return kResultInvalidArgument;
    }
    if (String(known->name) == u"ProgramGroup" && !IsValidProgramGroup(entry.value)) {
        *message = u"The program group \"" + entry.value +
                   u"\" is refused: it must be a folder of the start menu such as Company\\Name, "
                   u"without a separator at either end and without the characters \" * < > ? |.";
        return kResultBadPath;
    }
    bool namesFile = false;
    for (const char16_t* name : {u"Log", u"ResultFile", u"SaveChoices", u"LoadChoices"})
        namesFile = namesFile || String(known->name) == name;
    if (namesFile && CheckFileValue(entry, message) != kResultOk)
        return kResultInvalidArgument;
    if (String(known->name) == u"InstallFolder" && !IsValidInstallFolder(entry.value)) {
        *message = u"The install folder \"" + entry.value + u"\" is refused (" +
                   InstallFolderProblemInWords(entry.value) +
                   u"): it must be a full path such as C:\\Programs\\Name, without "
                   u"a separator at its end and without the characters \" * < > ? |." +
                   (entry.value.find(u'"') < 0 ? String() : String(kEscapedQuote));
        return kResultBadPath;
    }
    return kResultOk;
}

namespace {

// The value as the copy reads it back, whatever it holds (a quote, a "\"
// at its end).
String Quoted(const char16_t* name, const String& value) {
    return String(u" -") + name + u':' + QuoteArgument(value);
}

// The switches given that the elevated copy gets as they were written, in the
// table's order, but those in `replaced`.
String PassedOnSwitches(CommandLine& commandLine, std::initializer_list<const char16_t*> replaced) {
    String arguments;
    for (const InstallerSwitch& entry : kInstallerSwitches) {
        String value;
        if (!entry.passedOn || !commandLine.hasSwitch(entry.name))
            continue;
        bool isReplaced = false;
        for (const char16_t* name : replaced)
            isReplaced = isReplaced || (name && String(name) == entry.name);
        if (isReplaced)
            continue;
        arguments += commandLine.switchValue(entry.name, &value) ? Quoted(entry.name, value)
                                                                 : String(u" -") + entry.name;
    }
    return arguments;
}

constexpr char16_t kElevatedCopySwitches[] = u" -AllowMultipleInstances -LaunchedAsAdministrator";

} // namespace

String InstallerUsage() {
    return AcceptedSwitches() + u" A value follows the switch's \":\" and may be quoted, or the "
                                u"whole switch may be: \"/InstallFolder:C:\\My Apps\\Demo\".";
}

bool IsPassive(CommandLine& commandLine) {
    return commandLine.hasSwitch(u"Passive");
}

bool IsUncancellable(CommandLine& commandLine) {
    return commandLine.hasSwitch(u"NoCancel");
}

bool IsSetupLanguage(const String& code) {
    for (uint32_t i = 0; i < kSetupLanguageCount; ++i) {
        if (code.compareIgnoringCase(kSetupLanguages[i]) == 0)
            return true;
    }
    return false;
}

Result CheckInstallerCommandLine(CommandLine& commandLine, String* message) {
    if (!message)
        return kResultNullOutput;
    message->clear();
    if (!commandLine.arguments().empty()) {
        *message = u"Unexpected argument \"" + commandLine.arguments().front() + u"\". " +
                   AcceptedSwitches();
        return kResultInvalidArgument;
    }
    for (const CommandLineSwitch& entry : commandLine.switches()) {
        const Result result = CheckInstallerSwitch(entry, message);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

String ChildArguments(bool quiet, CommandLine& commandLine, const String& outputSwitches) {
    String arguments = quiet ? String(u" -Quiet") : String();
    return arguments + kElevatedCopySwitches + PassedOnSwitches(commandLine, {}) + outputSwitches;
}

String HandOffArguments(CommandLine& commandLine, const WizardChoices& choices,
                        const String& outputSwitches) {
    String arguments = String(kElevatedCopySwitches) + u" -AllUsers -OptionsChosen";
    const char16_t* language = choices.language.isEmpty() ? nullptr : u"Language";
    arguments += PassedOnSwitches(
        commandLine, {u"InstallFolder", u"ProgramGroup", kShortcutChoices[kDesktopShortcut].box,
                      kShortcutChoices[kQuickLaunchShortcut].box, language, kComponentsSwitch});
    arguments += Quoted(u"InstallFolder", choices.installFolder);
    arguments += Quoted(u"ProgramGroup", choices.programGroup);
    if (choices.offersComponents)
        arguments += Quoted(kComponentsSwitch, choices.components);
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice)
        arguments += String(u" -") + kShortcutChoices[choice].box +
                     (choices.shortcuts[choice] ? u":1" : u":0");
    if (!choices.language.isEmpty())
        arguments += Quoted(u"Language", choices.language);
    return arguments + outputSwitches;
}

} // namespace vornsetup
