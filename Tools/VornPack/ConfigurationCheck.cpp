#include "Tools/VornPack/ConfigurationCheck.h"

#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/app/InstallScope.h"
#include "VornLib/app/InstallationDeclarations.h"
#include "VornLib/app/UpdateFeedDeclaration.h"
#include "VornLib/core/ApplicationDescription.h"

namespace vornpack {

using vorn::XmlNode;

namespace {

constexpr const char16_t* kConfigurationEntry = u"Data/Xml/Configuration.xml";
constexpr const char16_t* kUuidExample = u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70";
// What the installer reads of the product, in its order; it stops at the
// first that is missing and goes on with the rest empty.
constexpr const char16_t* kProductAttributes[] = {u"UUID", u"Name", u"Version", u"Company"};
constexpr const char16_t* kRequiredSettings[] = {u"Description",      u"Executable", u"WebSite",
                                                 u"TechnicalSupport", u"Updates",    u"Contact"};

class Checker {
public:
    Checker(const std::filesystem::path& definitions, const std::filesystem::path& application,
            const std::vector<String>& files, ConfigurationFindings* findings)
        : configuration_(TextOf(definitions / "Configuration.xml")),
          application_(TextOf(application)), files_(files), findings_(findings) {}

    Result fail(Result result, const String& what) {
        findings_->problem = Format(u"\"{0}\": {1}", {configuration_, what});
        return result;
    }

    Result readUuid(const XmlNode& element, const char16_t* whose, vorn::UUID* out) {
        String text;
        (void)element.getAttribute(u"UUID", &text);
        if (!IsUuidText(text))
            return fail(vorn::kResultMalformed,
                        Format(u"the {0} UUID \"{1}\" is not a UUID like {2}",
                               {whose, text, kUuidExample}));
        return vorn::UUID::Parse(text.data(), out);
    }

    // Whether the application folder holds the file ("\" or "/" between
    // folders, letters in any case, as the installer finds it).
    // A path as the file list writes it: "/" between folders.
    static String Slashed(const String& relativePath) {
        String slashed;
        for (uint32_t i = 0; i < relativePath.length(); ++i)
            slashed.append(relativePath[i] == u'\\' ? u'/' : relativePath[i]);
        return slashed;
    }

    bool holds(const String& relativePath) const {
        const String wanted = Slashed(relativePath);
        for (const String& file : files_) {
            if (file.compareIgnoringCase(wanted.data()) == 0)
                return true;
        }
        return false;
    }

    Result checkExecutables(const XmlNode& settings) {
        String executable;
        (void)settings.getText(u"/Executable", &executable);
        if (!holds(executable))
            return fail(vorn::kResultNotFound,
                        Format(u"the executable \"{0}\" is not in the application folder \"{1}\"",
                               {executable, application_}));
        String executableX64;
        (void)settings.getText(u"/ExecutableX64", &executableX64);
        if (!executableX64.isEmpty() && !holds(executableX64))
            findings_->notes.push_back(
                Format(u"the application folder \"{0}\" holds no \"{1}\" (ExecutableX64): 64-bit "
                       u"Windows will start \"{2}\"",
                       {application_, executableX64, executable}));
        return vorn::kResultOk;
    }

    // A prerequisite's program is carried from the application folder.
    Result checkPrerequisites(const std::vector<vorn::PrerequisiteDeclaration>& prerequisites) {
        for (const vorn::PrerequisiteDeclaration& prerequisite : prerequisites) {
            if (!holds(prerequisite.program))
                return fail(vorn::kResultNotFound,
                            Format(u"line {0}, column {1}: the prerequisite's program \"{2}\" is "
                                   u"not in the application folder \"{3}\"",
                                   {prerequisite.position.line, prerequisite.position.column,
                                    prerequisite.program, application_}));
        }
        return vorn::kResultOk;
    }

    // Each component holds files of the application folder; one that may be
    // left out does not hold the executable (the setup would keep it anyway).
    Result checkComponents(const std::vector<vorn::ComponentDeclaration>& components,
                           const XmlNode& settings) {
        String executable;
        (void)settings.getText(u"/Executable", &executable);
        const String executableFile = Slashed(executable);
        std::vector<bool> holdsFiles(components.size(), false);
        for (const String& file : files_) {
            const int32_t component = vorn::ComponentOfFile(components, file);
            if (component < 0)
                continue;
            holdsFiles[size_t(component)] = true;
            const vorn::ComponentDeclaration& holder = components[size_t(component)];
            if (!holder.required && file.compareIgnoringCase(executableFile.data()) == 0)
                return fail(vorn::kResultInvalidArgument,
                            Format(u"line {0}, column {1}: the component \"{2}\" holds the "
                                   u"executable \"{3}\" and may be left out: make it "
                                   u"Required=\"true\", or keep the executable out of it",
                                   {holder.position.line, holder.position.column, holder.name,
                                    executable}));
        }
        for (size_t index = 0; index < components.size(); ++index) {
            if (!holdsFiles[index])
                return fail(
                    vorn::kResultNotFound,
                    Format(u"line {0}, column {1}: the component \"{2}\" holds no file "
                           u"of the application folder \"{3}\"",
                           {components[index].position.line, components[index].position.column,
                            components[index].name, application_}));
        }
        return vorn::kResultOk;
    }

private:
    String configuration_;
    String application_;
    const std::vector<String>& files_;
    ConfigurationFindings* findings_;
};

// The names a shortcut's text can take: itself, or a string table entry of
// its key in each language ("##" escapes a literal "#").
std::vector<String> NamesOf(const String& text, const std::vector<DefinitionDocument>& documents) {
    if (text.length() >= 2 && text[0] == u'#' && text[1] == u'#')
        return {text.mid(1)};
    if (text.isEmpty() || text[0] != u'#')
        return {text};
    const String key = text.mid(1);
    std::vector<String> names;
    for (const DefinitionDocument& table : documents) {
        const XmlNode* root = table.document->root();
        for (const XmlNode* entry = root ? root->firstChild() : nullptr; entry;
             entry = entry->nextSibling()) {
            String id;
            String name;
            if (entry->name() == u"String" && entry->getAttribute(u"ID", &id) == vorn::kResultOk &&
                id == key && entry->getText(&name) == vorn::kResultOk)
                names.push_back(name);
        }
    }
    return names;
}

Result CheckShortcuts(Checker& checker, const XmlNode& settings, const String& mainName,
                      const std::vector<DefinitionDocument>& documents) {
    const XmlNode* list = settings.find(u"/Shortcuts");
    for (const XmlNode* shortcut = list ? list->firstChild() : nullptr; shortcut;
         shortcut = shortcut->nextSibling()) {
        String target;
        String text;
        String help;
        (void)shortcut->getText(&target);
        (void)shortcut->getAttribute(u"Text", &text, u"");
        (void)shortcut->getAttribute(u"Help", &help, u"");
        // The installer makes only these.
        if (shortcut->name() != u"Shortcut" || target.isEmpty() || help.isEmpty())
            continue;
        for (const String& name : NamesOf(text, documents)) {
            if (name.compareIgnoringCase(mainName.data()) == 0)
                return checker.fail(vorn::kResultAlreadyExists,
                                    Format(u"the shortcut \"{0}\" to \"{1}\" takes the main "
                                           u"shortcut's name: the program group would hold one "
                                           u"\"{0}.lnk\" for both; give it a name of its own",
                                           {name, target}));
        }
    }
    return vorn::kResultOk;
}

// The main shortcut's name: the product's name, and the first word of its tag.
String MainShortcutName(const XmlNode& product) {
    String name;
    String tag;
    (void)product.getAttribute(u"Name", &name);
    (void)product.getAttribute(u"Tag", &tag, u"");
    const int32_t blank = tag.find(u' ');
    return tag.isEmpty() ? name
                         : name + u" (" + (blank < 0 ? tag : tag.left(uint32_t(blank))) + u")";
}

} // namespace

bool IsUuidText(const String& text) {
    const bool braced = text.length() == 38 && text[0] == u'{' && text[37] == u'}';
    if (text.length() != 36 && !braced)
        return false;
    const String bare = braced ? text.mid(1, 36) : text;
    for (uint32_t i = 0; i < bare.length(); ++i) {
        const char16_t unit = bare[i];
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        const bool hex = (unit >= u'0' && unit <= u'9') || (unit >= u'a' && unit <= u'f') ||
                         (unit >= u'A' && unit <= u'F');
        if (dash ? unit != u'-' : !hex)
            return false;
    }
    vorn::UUID uuid;
    return vorn::UUID::Parse(bare.data(), &uuid) == vorn::kResultOk && !uuid.isNull();
}

const XmlNode* ConfigurationRoot(const std::vector<DefinitionDocument>& documents) {
    const XmlNode* root = nullptr;
    for (const DefinitionDocument& definition : documents) {
        if (definition.entryName == kConfigurationEntry)
            root = definition.document->root();
    }
    return root;
}

Result CheckConfiguration(const std::filesystem::path& definitions,
                          const std::vector<DefinitionDocument>& documents,
                          const std::filesystem::path& application,
                          const std::vector<String>& applicationFiles,
                          ConfigurationFindings* findings) {
    Checker checker(definitions, application, applicationFiles, findings);
    const XmlNode* root = ConfigurationRoot(documents);
    if (!root) {
        findings->problem = Format(u"the definitions folder \"{0}\" holds no Configuration.xml "
                                   u"(\"VornPack init\" writes one)",
                                   {TextOf(definitions)});
        return vorn::kResultNotFound;
    }
    const XmlNode* installer = root->find(u"/Application");
    vorn::ApplicationDescription description;
    if (!installer || vorn::ApplicationDescription::Read(*installer, &description))
        return checker.fail(vorn::kResultMissingDefinition,
                            u"the installer's own Application element is missing or lacks one of "
                            u"UUID, Name, Version, Company and MultipleInstancesAllowed");
    vorn::UUID installerUuid;
    Result result = checker.readUuid(*installer, u"installer's", &installerUuid);
    if (result != vorn::kResultOk)
        return result;
    const XmlNode* settings = root->find(u"/InstallationSettings");
    const XmlNode* product = settings ? settings->find(u"/Application") : nullptr;
    if (!product)
        return checker.fail(vorn::kResultMissingDefinition,
                            u"there is no InstallationSettings element with the product's "
                            u"Application element");
    for (const char16_t* attribute : kProductAttributes) {
        if (!product->findAttribute(attribute))
            return checker.fail(
                vorn::kResultMissingDefinition,
                Format(u"the product's Application element has no {0}", {attribute}));
    }
    vorn::UUID productUuid;
    if ((result = checker.readUuid(*product, u"product's", &productUuid)) != vorn::kResultOk)
        return result;
    if (productUuid == installerUuid)
        return checker.fail(vorn::kResultAlreadyExists,
                            u"the installer and the product have the same UUID; each needs its "
                            u"own");
    for (const char16_t* element : kRequiredSettings) {
        if (!settings->find((u"/" + String(element)).data()))
            return checker.fail(vorn::kResultMissingDefinition,
                                Format(u"InstallationSettings has no {0} element", {element}));
    }
    vorn::InstallScopeRule scopeRule;
    String scopeProblem;
    if (vorn::ReadInstallScopeRule(*settings, &scopeRule, &scopeProblem) != vorn::kResultOk)
        return checker.fail(vorn::kResultKindMismatch, scopeProblem);
    vorn::UpdateFeedDeclaration feed;
    String feedProblem;
    if (vorn::ReadUpdateFeed(*settings, &feed, &feedProblem) != vorn::kResultOk)
        return checker.fail(vorn::kResultInvalidArgument, feedProblem);
    vorn::InstallationDeclarations declared;
    String declarationProblem;
    if ((result = vorn::ReadInstallationDeclarations(*settings, &declared, &declarationProblem)) !=
        vorn::kResultOk)
        return checker.fail(result, declarationProblem);
    if ((result = checker.checkPrerequisites(declared.prerequisites)) != vorn::kResultOk)
        return result;
    if ((result = checker.checkComponents(declared.components, *settings)) != vorn::kResultOk)
        return result;
    const std::vector<vorn::ServiceDeclaration>& services = declared.services;
    if (!services.empty() && !scopeRule.allows(vorn::InstallScope::Machine))
        return checker.fail(
            vorn::kResultKindMismatch,
            Format(u"line {0}, column {1}: the service \"{2}\" needs an "
                   u"installation for all users, and InstallScope allows only "
                   u"the current user",
                   {services[0].position.line, services[0].position.column, services[0].name}));
    if ((result = checker.checkExecutables(*settings)) != vorn::kResultOk)
        return result;
    return CheckShortcuts(checker, *settings, MainShortcutName(*product), documents);
}

} // namespace vornpack
