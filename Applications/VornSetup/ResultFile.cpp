#include "Applications/VornSetup/ResultFile.h"

#include "VornLib/app/ExitCodes.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/JsonText.h"

#ifdef _WIN32
#include "VornLib/core/Utf8.h"
#include "VornLib/core/platform/FileSystem.h"
#endif

namespace vornsetup {

using namespace vorn;

namespace {

String Number(uint64_t value) {
    return Format(u"{0}", {value});
}

String TextOrNull(const String& text) {
    return text.isEmpty() ? String(u"null") : JsonString(text);
}

String TextList(const std::vector<String>& texts) {
    String list = u"[";
    for (size_t i = 0; i < texts.size(); ++i)
        list += (i ? u", " : u"") + JsonString(texts[i]);
    return list + u']';
}

const ExitCode& RowOf(const SetupResult& result) {
    return FindExitCode(ExitCodeProgram::Setup, result.exitCode);
}

} // namespace

const ResultField kResultFields[] = {
    {u"resultFileVersion", u"integer", u"1: the version of this list of fields",
     [](const SetupResult&) { return String(u"1"); }},
    {u"exitCode", u"integer", u"the setup's exit code",
     [](const SetupResult& r) { return Format(u"{0}", {r.exitCode}); }},
    {u"exitCodeName", u"string", u"its name in the table of exit codes",
     [](const SetupResult& r) { return JsonString(RowOf(r).name); }},
    {u"exitCodeMeaning", u"string", u"what it means, as that table says",
     [](const SetupResult& r) { return JsonString(RowOf(r).meaning); }},
    {u"productUuid", u"string", u"the product's UUID, 8-4-4-4-12",
     [](const SetupResult& r) { return JsonString(r.productUuid.toText()); }},
    {u"productName", u"string", u"its name as the list of installed programs shows it",
     [](const SetupResult& r) { return JsonString(r.productName); }},
    {u"productVersion", u"string", u"its version as that list shows it",
     [](const SetupResult& r) { return JsonString(r.productVersion); }},
    {u"scope", u"string", u"for whom it is installed: \"machine\"",
     [](const SetupResult& r) { return JsonString(InstallScopeName(r.scope)); }},
    {u"installFolder", u"string",
     u"the install folder chosen, in the form Windows shows (backslashes, also for a \"/\" "
     u"given), also when nothing was installed",
     [](const SetupResult& r) { return JsonString(r.installFolder); }},
    {u"uninstallCommand", u"string or null",
     u"the command that removes the installation, as its uninstall entry holds it; null when no "
     u"installation of the product is registered",
     [](const SetupResult& r) { return TextOrNull(r.uninstallCommand); }},
    {u"filesInstalled", u"integer", u"the files of this installation in the install folder",
     [](const SetupResult& r) { return Number(r.filesInstalled); }},
    {u"bytesInstalled", u"integer", u"their size in bytes",
     [](const SetupResult& r) { return Number(r.bytesInstalled); }},
    {u"durationSeconds", u"number",
     u"how long the installation took, from the start of the setup (the elevation prompt "
     u"included, where the setup starts an elevated copy)",
     [](const SetupResult& r) { return Format(u"{0,.3}", {r.durationSeconds}); }},
    {u"restartNeeded", u"boolean",
     u"whether Windows must restart to finish the installation: true when files that programs "
     u"held are replaced only then (exit code 3010 or 1641)",
     [](const SetupResult& r) { return String(r.restartNeeded ? u"true" : u"false"); }},
    {u"settings", u"array of strings",
     u"the declared registry values (\"HKLM\\Software\\…\\Name\", \"HKCU\\…\" per user), "
     u"environment variables (\"%NAME%\") and PATH entries (\"PATH <folder>\") that the "
     u"registered installation owns",
     [](const SetupResult& r) { return TextList(r.settings); }},
    {u"steps", u"array of strings",
     u"the declared programs (Run steps) the installation ran once its files were in place, "
     u"each as its command line, the program's path in quotes, \": \" and its exit code",
     [](const SetupResult& r) { return TextList(r.steps); }},
    {u"prerequisites", u"array of strings",
     u"the declared prerequisites, each as \"<Name>: found\" or \"<Name>: installed (<exit "
     u"code>)\"",
     [](const SetupResult& r) { return TextList(r.prerequisites); }},
    {u"components", u"array of strings",
     u"the names of the declared components the registered installation holds; empty for a "
     u"product without components",
     [](const SetupResult& r) { return TextList(r.components); }},
    {u"logFile", u"string or null",
     u"the log's full path; null without \"/Log\", or when it could not be created",
     [](const SetupResult& r) { return TextOrNull(r.logFile); }},
    {u"logProblem", u"string or null",
     u"why the log asked for could not be created; null when it was, or none was asked for",
     [](const SetupResult& r) { return TextOrNull(r.logProblem); }},
};
const uint32_t kResultFieldCount = uint32_t(sizeof kResultFields / sizeof *kResultFields);

String ResultDocument(const SetupResult& result) {
    String document = u"{\n";
    for (uint32_t i = 0; i < kResultFieldCount; ++i) {
        document +=
            Format(u"  \"{0}\": {1}{2}\n", {kResultFields[i].name, kResultFields[i].json(result),
                                            i + 1 < kResultFieldCount ? u"," : u""});
    }
    return document + u"}\n";
}

#ifdef _WIN32

Result WriteResultFile(const String& path, const SetupResult& result) {
    return WriteWholeFile(path, ToUtf8(ResultDocument(result)));
}

#endif

} // namespace vornsetup
