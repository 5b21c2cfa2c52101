#include "Applications/VornSetup/ChoicesFile.h"

#include <vector>

#include "Applications/VornSetup/InstallerSwitches.h"
#include "VornLib/core/Format.h"

#ifdef _WIN32
#include <string>

#include "VornLib/core/Utf8.h"
#include "VornLib/core/Win32.h"
#include "VornLib/core/platform/FileSystem.h"
#endif

namespace vornsetup {

using namespace vorn;

namespace {

constexpr char16_t kScopeEntry[] = u"Scope";
constexpr char16_t kFolderEntry[] = u"InstallFolder";
constexpr char16_t kGroupEntry[] = u"ProgramGroup";

// The entries a file may hold, in the order written.
std::vector<const char16_t*> EntryNames() {
    std::vector<const char16_t*> names = {kScopeEntry, kFolderEntry, kGroupEntry};
    for (const ShortcutChoice& choice : kShortcutChoices)
        names.push_back(choice.box);
    names.push_back(kComponentsSwitch);
    return names;
}

const char16_t* KnownEntry(const String& name) {
    for (const char16_t* known : EntryNames()) {
        if (name.compareIgnoringCase(known) == 0)
            return known;
    }
    return nullptr;
}

String EntryList() {
    String list;
    for (const char16_t* name : EntryNames())
        list += (list.isEmpty() ? u"" : u", ") + String(name);
    return list;
}

String Trimmed(String text) {
    text.trimLeft();
    text.trimRight();
    return text;
}

// The switch an entry stands for: its own name with its value, or for the
// scope the switch its value names ("/AllUsers"); false for a scope of
// another name.
bool SwitchOfEntry(const char16_t* name, const String& value, CommandLineSwitch* out) {
    out->name = name;
    out->value = value;
    out->hasValue = true;
    if (String(name) != kScopeEntry)
        return true;
    for (const InstallScope scope : {InstallScope::Machine, InstallScope::User}) {
        if (value.compareIgnoringCase(InstallScopeWord(scope)) == 0) {
            *out = CommandLineSwitch{InstallScopeWord(scope), String(), false, false};
            return true;
        }
    }
    return false;
}

// A switch of the command line wins over its entry; either scope switch over
// the scope entry.
bool GivenOnCommandLine(CommandLine& commandLine, const CommandLineSwitch& entry) {
    if (commandLine.hasSwitch(entry.name.data()))
        return true;
    const bool isScope = !entry.hasValue;
    return isScope && (commandLine.hasSwitch(InstallScopeWord(InstallScope::Machine)) ||
                       commandLine.hasSwitch(InstallScopeWord(InstallScope::User)));
}

} // namespace

String ChoicesDocument(const InstallManifest& manifest) {
    String document = u"# " + manifest.displayName() +
                      u" Setup's choices; /LoadChoices:<file> reads them back.\r\n";
    document += String(kScopeEntry) + u'=' + InstallScopeWord(manifest.scope) + u"\r\n";
    document += String(kFolderEntry) + u'=' + manifest.installFolder + u"\r\n";
    document += String(kGroupEntry) + u'=' + manifest.programGroup + u"\r\n";
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice)
        document += String(kShortcutChoices[choice].box) +
                    (manifest.chosenShortcuts[choice] ? u"=1\r\n" : u"=0\r\n");
    if (!manifest.declared.components.empty())
        document += String(kComponentsSwitch) + u'=' +
                    ComponentListText(manifest.declared.components, manifest.chosenComponents) +
                    u"\r\n";
    return document;
}

Result ApplyChoices(const String& text, const String& path, CommandLine& commandLine,
                    String* message) {
    if (!message)
        return kResultNullOutput;
    message->clear();
    std::vector<CommandLineSwitch> found;
    std::vector<const char16_t*> seen;
    uint32_t lineNumber = 0;
    for (uint32_t start = 0; start <= text.length();) {
        int32_t end = text.mid(start).find(u'\n');
        const uint32_t length = end < 0 ? text.length() - start : uint32_t(end);
        const String line = Trimmed(text.mid(start, length));
        start += length + 1;
        ++lineNumber;
        if (line.isEmpty() || line[0] == u'#')
            continue;
        const String where = Format(u"The choices file \"{0}\", line {1}: ", {path, lineNumber});
        const int32_t equals = line.find(u'=');
        if (equals < 0) {
            *message = where + u"\"" + line + u"\" is not Name=value.";
            return kResultInvalidArgument;
        }
        const String name = Trimmed(line.left(uint32_t(equals)));
        const String value = Trimmed(line.mid(uint32_t(equals) + 1));
        const char16_t* known = KnownEntry(name);
        if (!known) {
            *message =
                where + u"unknown entry \"" + name + u"\"; the file holds " + EntryList() + u'.';
            return kResultInvalidArgument;
        }
        for (const char16_t* earlier : seen) {
            if (earlier == known) {
                *message = where + known + u" is given a second time.";
                return kResultInvalidArgument;
            }
        }
        seen.push_back(known);
        CommandLineSwitch entry;
        if (!SwitchOfEntry(known, value, &entry)) {
            *message = where + u"Scope takes AllUsers or CurrentUser (\"" + value + u"\").";
            return kResultInvalidArgument;
        }
        // The value is judged as the switch it stands for would be.
        const Result checked = CheckInstallerSwitch(entry, message);
        if (checked != kResultOk) {
            *message = where + *message;
            return checked;
        }
        found.push_back(entry);
    }
    for (const CommandLineSwitch& entry : found) {
        if (!GivenOnCommandLine(commandLine, entry))
            (void)commandLine.addSwitch(entry);
    }
    return kResultOk;
}

#ifdef _WIN32

namespace {

// Far more than any file of choices holds: a path given by mistake (a
// program, a disc image) is refused rather than read into memory.
constexpr uint32_t kChoicesFileLimit = 64 * 1024;

bool DecodeUtf8(const std::string& bytes, String* text) {
    size_t skip = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const int units = bytes.size() == skip
                          ? 0
                          : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + skip,
                                                int(bytes.size() - skip), nullptr, 0);
    if (units <= 0)
        return bytes.size() == skip;
    std::u16string wide(size_t(units), u'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data() + skip,
                        int(bytes.size() - skip), reinterpret_cast<wchar_t*>(&wide[0]), units);
    text->assign(wide.data(), uint32_t(wide.size()));
    return wide.find(u'\0') == std::u16string::npos;
}

} // namespace

Result LoadChoicesFile(CommandLine& commandLine, String* message) {
    if (!message)
        return kResultNullOutput;
    message->clear();
    String path;
    if (!commandLine.switchValue(u"LoadChoices", &path))
        return kResultOk;
    std::string bytes;
    const Result read = ReadWholeFile(path, kChoicesFileLimit, &bytes);
    if (read != kResultOk) {
        *message = Format(u"The choices file \"{0}\" cannot be read (result {1}).", {path, read});
        return kResultInvalidArgument;
    }
    String text;
    if (!DecodeUtf8(bytes, &text)) {
        *message = u"The choices file \"" + path + u"\" is not text in UTF-8.";
        return kResultInvalidArgument;
    }
    return ApplyChoices(text, path, commandLine, message);
}

Result WriteChoicesFile(const String& path, const InstallManifest& manifest) {
    return WriteWholeFile(path, ToUtf8(ChoicesDocument(manifest)));
}

#endif

} // namespace vornsetup
