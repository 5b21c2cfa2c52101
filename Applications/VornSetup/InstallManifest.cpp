#include "Applications/VornSetup/InstallManifest.h"

#include "VornLib/app/DefinitionsVocabulary.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/Path.h"

namespace vornsetup {

using namespace vorn;

namespace {

// The text of a required child element; 29 when it is missing.
Result RequiredText(const XmlNode& parent, const char16_t* path, String* out) {
    const XmlNode* element = parent.find(path);
    if (!element)
        return kResultNotFound;
    (void)element->getText(out);
    return kResultOk;
}

// A relative path as the file list writes it ("/" between folders) and as
// Windows compares names (letters ignoring case).
String ComparablePath(const String& path) {
    String comparable;
    for (uint32_t i = 0; i < path.length(); ++i)
        comparable.append(path[i] == u'\\' ? u'/' : path[i]);
    comparable.toLowerCase();
    return comparable;
}

Result ReadFiles(const XmlNode& files, const String& prefix, bool outermost,
                 InstallManifest& manifest) {
    String path;
    if (files.getAttribute(u"Path", &path) != kResultOk)
        return kResultMissingDefinition;
    if (outermost)
        manifest.sourceRoot = path;
    const String childPrefix = outermost ? prefix : prefix + path;
    for (const XmlNode* child = files.firstChild(); child; child = child->nextSibling()) {
        if (!child->isElement())
            continue;
        if (child->name() == u"Files") {
            const Result result = ReadFiles(*child, childPrefix, false, manifest);
            if (result != kResultOk)
                return result;
            continue;
        }
        FileEntry entry;
        String name;
        (void)child->getText(&name);
        entry.relativePath = childPrefix + name;
        if (child->getSize(&entry.size) != kResultOk ||
            child->getTimeStamp(&entry.date) != kResultOk)
            return kResultMissingDefinition;
        const Result based = ReadFileBase(*child, &entry.base);
        if (based != kResultOk)
            return based;
        manifest.totalSize += entry.size;
        manifest.files.push_back(entry);
    }
    return kResultOk;
}

} // namespace

Result InstallManifest::readSettings(const XmlNode& settings, LocalizedElementSource* strings) {
    (void)ReadInstallScopeRule(settings, &scopeRule, &scopeProblem);
    scope = scopeRule.proposed;
    std::vector<XmlWordProblem> unknown;
    CheckXmlVocabulary(settings, kConfigurationElement, ConfigurationVocabulary(), nullptr,
                       &unknown);
    if (!unknown.empty())
        definitionsProblem =
            Format(u"line {0}, column {1}: {2}",
                   {unknown[0].position.line, unknown[0].position.column, unknown[0].text});
    String declarationProblem;
    if (ReadInstallationDeclarations(settings, &declared, &declarationProblem) != kResultOk &&
        definitionsProblem.isEmpty())
        definitionsProblem = declarationProblem;
    scopeRule = InstallationScopeRule(scopeRule, declared.services);
    chosenComponents = DefaultComponentChoice(declared.components);
    scope = scopeRule.proposed;
    const XmlNode* application = settings.find(u"/Application");
    if (!application)
        return kResultNotFound;
    String uuidText;
    if (application->getAttribute(u"UUID", &uuidText) != kResultOk)
        return kResultMissingDefinition;
    (void)UUID::Parse(uuidText.data(), &uuid);
    if (application->getAttribute(u"Name", &name) != kResultOk ||
        application->getAttribute(u"Version", &version) != kResultOk)
        return kResultMissingDefinition;
    (void)application->getAttribute(u"Tag", &tag, u"");
    if (application->getAttribute(u"Company", &company) != kResultOk)
        return kResultMissingDefinition;
    distribution = tag.isEmpty() ? Distribution::Public : Distribution::OpenBeta;
    if (const XmlNode* element = settings.find(u"/Distribution")) {
        String word;
        (void)element->getText(&word);
        DistributionFromName(word, &distribution);
    }
    String descriptionKey;
    if (RequiredText(settings, u"/Description", &descriptionKey) != kResultOk)
        return kResultNotFound;
    if (strings)
        (void)ResolveLocalizedText(*strings, descriptionKey.data(), &description);
    else
        description = descriptionKey;
    if (RequiredText(settings, u"/Executable", &executable) != kResultOk)
        return kResultNotFound;
    if (const XmlNode* element = settings.find(u"/ExecutableX64"))
        (void)element->getText(&executableX64);
    const struct {
        const char16_t* path;
        String* field;
    } links[] = {{u"/WebSite", &webSite},
                 {u"/TechnicalSupport", &technicalSupport},
                 {u"/Updates", &updates},
                 {u"/Contact", &contact}};
    for (const auto& link : links) {
        if (RequiredText(settings, link.path, link.field) != kResultOk)
            return kResultNotFound;
    }
    if (const XmlNode* list = settings.find(u"/Shortcuts")) {
        for (const XmlNode* child = list->firstChild(); child; child = child->nextSibling()) {
            if (child->name() != u"Shortcut")
                continue;
            ShortcutEntry entry;
            (void)child->getText(&entry.target);
            (void)child->getAttribute(u"Text", &entry.text, u"");
            (void)child->getAttribute(u"Help", &entry.help, u"");
            if (!entry.target.isEmpty() && !entry.help.isEmpty())
                shortcuts.push_back(entry);
        }
    }
    return kResultOk;
}

vorn::PlaceholderValues InstallManifest::placeholderValues() const {
    vorn::PlaceholderValues values;
    values[vorn::Placeholder::InstallFolder] = vorn::NormalisedFolder(installFolder);
    // A folder without its last separator, as a vendor writes "{InstallFolder}\bin".
    String& folder = values[vorn::Placeholder::InstallFolder];
    if (folder.length() > 3 && folder[folder.length() - 1] == u'\\')
        folder = folder.left(folder.length() - 1);
    values[vorn::Placeholder::ProgramGroup] = programGroup;
    values[vorn::Placeholder::Version] = version;
    values[vorn::Placeholder::Company] = company;
    values[vorn::Placeholder::Name] = name;
    return values;
}

Result InstallManifest::readFileList(const XmlNode& filesElement) {
    const Result result = ReadFiles(filesElement, String(), true, *this);
    // A prerequisite's program is the setup's to run, not the product's,
    // unless the product keeps it.
    for (const PrerequisiteDeclaration& prerequisite : declared.prerequisites) {
        if (prerequisite.installWithProduct)
            continue;
        const String program = ComparablePath(prerequisite.program);
        for (auto file = files.begin(); file != files.end();) {
            if (ComparablePath(file->relativePath) != program) {
                ++file;
                continue;
            }
            totalSize -= file->size;
            file = files.erase(file);
        }
    }
    return result;
}

Result InstallManifest::readRemovalProgram(const XmlNode& element) {
    String program;
    (void)element.getText(&program);
    // The uninstall entry would name a program that is not there.
    if (!IsRelativeInside(program) || !carriesFile(program))
        return kResultBadPath;
    removalProgram = program;
    return kResultOk;
}

Result InstallManifest::readUpdateOf(const XmlNode& element) {
    String version;
    if (element.getAttribute(u"Version", &version) != kResultOk || version.isEmpty())
        return kResultMissingDefinition;
    updateOf = version;
    keepsSetup = false;
    return kResultOk;
}

void InstallManifest::chooseScope(CommandLine& commandLine) {
    scope = installed ? installedScope : scopeRule.proposed;
    for (const InstallScope chosen : {InstallScope::Machine, InstallScope::User}) {
        if (commandLine.hasSwitch(InstallScopeWord(chosen)))
            scope = chosen;
    }
}

void InstallManifest::applyDefaults(const String* installFolderSwitch, const String& programFiles) {
    if (programGroup.isEmpty())
        programGroup = displayName();
    // Read once in the form Windows shows, for every step after it.
    if (installFolderSwitch)
        installFolder = WindowsPath(*installFolderSwitch);
    if (installFolder.isEmpty())
        installFolder = DefaultInstallFolder(programFiles, displayName());
}

void InstallManifest::applyHandedOnChoices(CommandLine& commandLine) {
    String value;
    if (commandLine.switchValue(u"ProgramGroup", &value))
        programGroup = value;
    for (uint32_t choice = 0; choice < kShortcutChoiceCount; ++choice) {
        if (commandLine.switchValue(kShortcutChoices[choice].box, &value))
            chosenShortcuts[choice] = value == u"1";
    }
    String unknown;
    if (commandLine.switchValue(kComponentsSwitch, &value))
        (void)ParseComponentList(declared.components, value, &chosenComponents, &unknown);
}

Result InstallManifest::checkComponentSwitch(CommandLine& commandLine, String* refusal) const {
    String value;
    ComponentChoice choice;
    String unknown;
    if (!commandLine.switchValue(kComponentsSwitch, &value) ||
        ParseComponentList(declared.components, value, &choice, &unknown) == kResultOk)
        return kResultOk;
    const String offered =
        ComponentListText(declared.components, ComponentChoice(declared.components.size(), true));
    *refusal = Format(u"Unknown component \"{0}\" in /Components. {1} offers {2}.",
                      {unknown, displayName(), offered.isEmpty() ? String(u"none") : offered});
    return kResultInvalidArgument;
}

int32_t InstallManifest::componentOfFile(const FileEntry& file) const {
    const String path = ComparablePath(file.relativePath);
    for (const String* named : {&executable, &executableX64, &removalProgram}) {
        if (!named->isEmpty() && ComparablePath(*named) == path)
            return -1;
    }
    return ComponentOfFile(declared.components, file.relativePath);
}

uint64_t InstallManifest::componentSize(uint32_t component) const {
    uint64_t size = 0;
    for (const FileEntry& file : files) {
        if (componentOfFile(file) == int32_t(component))
            size += file.size;
    }
    return size;
}

uint64_t InstallManifest::chosenSize() const {
    uint64_t size = totalSize;
    for (uint32_t component = 0; component < chosenComponents.size(); ++component) {
        if (!chosenComponents[component])
            size -= componentSize(component);
    }
    return size;
}

void InstallManifest::leaveOutUnchosenComponents() {
    const auto leftOut = [this](const FileEntry& file) {
        const int32_t component = componentOfFile(file);
        return component >= 0 && !chosenComponents[size_t(component)];
    };
    for (auto file = files.begin(); file != files.end();) {
        if (!leftOut(*file)) {
            ++file;
            continue;
        }
        totalSize -= file->size;
        file = files.erase(file);
    }
    LeaveOutComponents(chosenComponents, &declared);
}

String DefaultInstallFolder(const String& programFiles, const String& displayName) {
    String folder = programFiles;
    const uint32_t length = folder.length();
    if (length && folder[length - 1] != u'\\' && folder[length - 1] != u'/')
        folder += u'\\';
    return folder + displayName;
}

String InstallManifest::displayName() const {
    return EntryDisplayName(name, tag);
}

String InstallManifest::displayVersion() const {
    return EntryDisplayVersion(version, tag);
}

String InstallManifest::executablePath() const {
    return JoinPath(installFolder, executable);
}

String InstallManifest::executableX64Path() const {
    return executableX64.isEmpty() ? String() : JoinPath(installFolder, executableX64);
}

bool InstallManifest::carriesFile(const String& relativePath) const {
    const String wanted = ComparablePath(relativePath);
    for (const FileEntry& file : files) {
        if (ComparablePath(file.relativePath) == wanted)
            return true;
    }
    return false;
}

String InstallManifest::launchPath(bool wow64) const {
    // A 64-bit executable that the payload lacks would leave shortcuts and a
    // removal command that point at nothing: the 32-bit one serves instead.
    const String x64 = executableX64Path();
    return wow64 && !x64.isEmpty() && carriesFile(executableX64) ? x64 : executablePath();
}

String InstallManifest::shortcutTarget(const ShortcutEntry& entry, bool wow64) const {
    return ComparablePath(entry.target) == ComparablePath(executable)
               ? launchPath(wow64)
               : JoinPath(installFolder, entry.target);
}

String InstallManifest::removalProgramPath(bool wow64) const {
    return removalProgram.isEmpty() ? launchPath(wow64) : JoinPath(installFolder, removalProgram);
}

vorn::InstallationPlan InstallManifest::installationPlan(bool wow64) const {
    vorn::InstallationPlan plan;
    plan.product.folder = installFolder;
    plan.product.program = removalProgramPath(wow64);
    plan.product.programGroup = programGroup;
    for (const FileEntry& file : files)
        (file.kept ? plan.kept : plan.product.files).push_back(file.relativePath);
    if (keepsSetup)
        (setupCopyKept ? plan.kept : plan.product.files).push_back(kKeptSetup);
    plan.company = company;
    plan.allowUserWritableFolder = allowUserWritableFolder;
    return plan;
}

std::vector<String> InstallManifest::installedFiles() const {
    std::vector<String> list;
    list.reserve(files.size() + 1);
    for (const FileEntry& file : files)
        list.push_back(file.relativePath);
    if (keepsSetup)
        list.push_back(kKeptSetup);
    return list;
}

String InstallManifest::uninstallKeyPath() const {
    return UninstallEntryPath(uuid);
}

std::vector<EntryText> InstallManifest::uninstallEntryTexts(const String& program,
                                                            const String& installDate) const {
    const EntryText all[] = {
        {EntryValue::UninstallString, UninstallCommand(program, false)},
        // Package managers and scripts remove without a question.
        {EntryValue::QuietUninstallString, UninstallCommand(program, true)},
        {EntryValue::DisplayName, displayName()},
        {EntryValue::Contact, contact},
        {EntryValue::Comments, description},
        {EntryValue::DisplayIcon, executablePath()},
        {EntryValue::DisplayVersion, displayVersion()},
        {EntryValue::Publisher, company},
        // As the system reads them: technical support, and the home page.
        {EntryValue::HelpLink, technicalSupport},
        {EntryValue::URLInfoAbout, webSite},
        {EntryValue::URLUpdateInfo, updates},
        {EntryValue::InstallDate, installDate},
        {EntryValue::InstallLocation, NormalisedFolder(installFolder)},
        {EntryValue::InstallFolder, installFolder},
        {EntryValue::ProgramGroup, programGroup},
        {EntryValue::UninstallProgram, program},
    };
    std::vector<EntryText> texts;
    for (const EntryText& text : all) {
        if (!text.value.isEmpty())
            texts.push_back(text);
    }
    return texts;
}

} // namespace vornsetup
