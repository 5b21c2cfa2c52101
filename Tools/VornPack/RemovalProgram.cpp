#include "Tools/VornPack/RemovalProgram.h"

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/FrameworkProgram.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/app/ShellDeclarations.h"
#include "VornLib/app/UpdateFeedDeclaration.h"
#include "VornLib/core/XmlWriter.h"
#include "VornLib/data/FileStream.h"

namespace vornpack {

using vorn::XmlNode;

namespace {

constexpr const char16_t* kProductDocumentName = u"Data/Xml/Product.xml";
constexpr const char16_t* kRemovedByElement = u"RemovedBy";

enum class Remover { Automatic, Application, RemovalProgram };

struct RemoverName {
    const char16_t* word;
    Remover remover;
};
constexpr RemoverName kRemovers[] = {
    {u"Auto", Remover::Automatic},
    {u"Application", Remover::Application},
    {u"VornUninstall", Remover::RemovalProgram},
};

// The product's attributes that the removal program's description carries.
constexpr const char16_t* kIdentityAttributes[] = {u"UUID", u"Name", u"Version", u"Tag",
                                                   u"Company"};
constexpr const char16_t* kRemovalTablePrefixes[] = {u"Data/Xml/VornLib-Strings-",
                                                     u"Data/Xml/VornSetup-Custom-Strings-"};

struct DeclarationList {
    const char16_t* element;
    bool protocols;
    const char16_t* attributes;
    const char16_t* name;
};
// What the product's programs read beside the Application element.
constexpr const char16_t* kProductElements[] = {
    vorn::kFileTypesElement, vorn::kCustomProtocolsElement, vorn::kUpdateFeedElement};
constexpr DeclarationList kDeclarationLists[] = {
    {vorn::kFileTypesElement, false, u"Extension and Description", u"an extension like .xyz"},
    {vorn::kCustomProtocolsElement, true, u"Name, Command and Description",
     u"a URL scheme without separators"},
};

Result ReadRemover(const XmlNode& settings, Remover* out, String* word) {
    *out = Remover::Automatic;
    const XmlNode* element = settings.find((u"/" + String(kRemovedByElement)).data());
    if (!element)
        return vorn::kResultOk;
    (void)element->getText(word);
    word->trimLeft();
    word->trimRight();
    for (const RemoverName& name : kRemovers) {
        if (*word == name.word) {
            *out = name.remover;
            return vorn::kResultOk;
        }
    }
    return vorn::kResultKindMismatch;
}

// The removal program registers what InstallationSettings declares: it is
// checked as the framework reads it.
Result CheckDeclarations(const XmlNode& settings, String* problem) {
    for (const DeclarationList& list : kDeclarationLists) {
        const XmlNode* element = settings.find((u"/" + String(list.element)).data());
        std::vector<vorn::ShellDeclaration> declarations;
        const Result result =
            element ? vorn::ReadShellDeclarations(*element, list.protocols, &declarations)
                    : vorn::kResultOk;
        if (result == vorn::kResultMissingDefinition)
            *problem = Format(u"every entry of {0} needs {1}", {list.element, list.attributes});
        else if (result != vorn::kResultOk)
            *problem = Format(u"an entry of {0} names no {1}", {list.element, list.name});
        if (result != vorn::kResultOk)
            return result;
    }
    return vorn::kResultOk;
}

bool DeclaresShellTypes(const XmlNode& settings) {
    for (const DeclarationList& list : kDeclarationLists) {
        const XmlNode* element = settings.find((u"/" + String(list.element)).data());
        std::vector<vorn::ShellDeclaration> declarations;
        if (element && (vorn::ReadShellDeclarations(*element, list.protocols, &declarations) !=
                            vorn::kResultOk ||
                        !declarations.empty()))
            return true;
    }
    return false;
}

String UuidList(const std::vector<vorn::UUID>& uuids) {
    String text;
    for (const vorn::UUID& uuid : uuids)
        text += (text.isEmpty() ? u"" : u", ") + uuid.toText();
    return text;
}

void AppendAttribute(String* xml, const char16_t* name, const String& value) {
    *xml += Format(u" {0}=\"", {name});
    vorn::AppendEscapedXml(xml, value);
    *xml += u'"';
}

} // namespace

Result ChooseRemoval(const fs::path& configuration, const XmlNode& settings,
                     const fs::path& executable, RemovalChoice* out, String* message) {
    *out = RemovalChoice();
    const String configurationText = TextOf(configuration);
    Remover remover = Remover::Automatic;
    String word;
    if (ReadRemover(settings, &remover, &word) != vorn::kResultOk) {
        *message = Format(u"\"{0}\": RemovedBy \"{1}\" is none of Auto, Application and "
                          u"VornUninstall",
                          {configurationText, word});
        return vorn::kResultKindMismatch;
    }
    vorn::UUID product;
    String uuidText;
    const XmlNode* application = settings.find(u"/Application");
    if (application)
        (void)application->getAttribute(u"UUID", &uuidText);
    (void)vorn::UUID::Parse(uuidText.data(), &product);

    const String program = TextOf(executable.filename());
    ProgramInspection inspection;
    Result result = InspectProgram(TextOf(executable), &inspection);
    if (result != vorn::kResultOk) {
        *message = Format(u"the payload of \"{0}\" is damaged", {TextOf(executable)});
        return result;
    }
    const bool builtOnVornLib = inspection.describes(product);
    const bool forced = remover != Remover::Automatic;
    out->removalProgram =
        remover == Remover::RemovalProgram || (remover == Remover::Automatic && !builtOnVornLib);
    if (out->removalProgram) {
        String problem;
        if ((result = CheckDeclarations(settings, &problem)) != vorn::kResultOk) {
            *message = Format(u"\"{0}\": {1}", {configurationText, problem});
            return result;
        }
        out->how = Format(
            u"{0} removes it ({1})",
            {kRemovalProgramName, forced ? String(u"RemovedBy in Configuration.xml")
                                         : Format(u"\"{0}\" is not built on VornLib", {program})});
        if (!forced && !inspection.applications.empty())
            out->notes.push_back(Format(
                u"\"{0}\" carries the framework's payload, but its Application element has the "
                u"UUID {1}, not the product's {2}: it would not find its uninstall entry, so {3} "
                u"removes it; give the product its UUID to let it remove itself",
                {program, UuidList(inspection.applications), product.toText(),
                 kRemovalProgramName}));
        return vorn::kResultOk;
    }
    out->how = Format(u"\"{0}\" removes itself ({1})",
                      {program, forced ? u"RemovedBy in Configuration.xml" : u"built on VornLib"});
    if (!builtOnVornLib)
        out->notes.push_back(
            Format(u"RemovedBy names the application, but \"{0}\" carries no Application element "
                   u"with the product's UUID {1}: its \"/Uninstall\" may not find the uninstall "
                   u"entry",
                   {program, product.toText()}));
    if (DeclaresShellTypes(settings))
        out->notes.push_back(Format(u"\"{0}\" registers the file types and protocols of its own "
                                    u"XML; those of InstallationSettings are not used",
                                    {program}));
    return vorn::kResultOk;
}

bool IsRemovalProgramTable(const String& entryName) {
    for (const char16_t* prefix : kRemovalTablePrefixes) {
        if (entryName.startsWith(prefix))
            return true;
    }
    return false;
}

std::string ProductDocument(const XmlNode& settings) {
    String xml(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               u"<!-- Made by VornPack setup: the product that this removal program registers "
               u"and removes. -->\n<Product>\n  <Application");
    const XmlNode* application = settings.find(u"/Application");
    for (const char16_t* name : kIdentityAttributes) {
        String value;
        if (application && application->getAttribute(name, &value) == vorn::kResultOk)
            AppendAttribute(&xml, name, value);
    }
    String executable;
    (void)settings.getText(u"/Executable", &executable);
    AppendAttribute(&xml, u"MultipleInstancesAllowed", u"true");
    AppendAttribute(&xml, u"Executable", executable);
    xml += u"/>\n";
    for (const char16_t* name : kProductElements) {
        String declared;
        const XmlNode* element = settings.find((u"/" + String(name)).data());
        if (element &&
            vorn::WriteXml(element, vorn::kXmlWriteOuterTags, &declared) == vorn::kResultOk)
            xml += u"  " + declared + u"\n";
    }
    xml += u"</Product>\n";
    return Utf8(xml);
}

Result WriteProductProgram(const ProgramStub& stub, const XmlNode& settings,
                           const std::vector<PackItem>& tables, vorn::DateTime date,
                           const PackingOptions& options, const fs::path& output,
                           const String& setupName, String* message) {
    message->clear();
    const std::string document = ProductDocument(settings);
    std::vector<PackItem> items = {{kProductDocumentName, fs::path(),
                                    std::vector<uint8_t>(document.begin(), document.end()),
                                    document.size()}};
    items.insert(items.end(), tables.begin(), tables.end());
    const TemporaryFile container(fs::path(output) += ".payload");
    vorn::FileStream payload;
    Result result = payload.openWrite(TextOf(container.path()).data());
    ProgressLine silent(OutputMode::Quiet);
    // The program reads its few small entries by name: each stays alone.
    PackingOptions alone = options;
    alone.solid = false;
    if (result == vorn::kResultOk)
        result = WriteContainer(items, alone, date, &payload, setupName, &silent, message);
    if (result == vorn::kResultOk)
        result = payload.close();
    if (result == vorn::kResultOk)
        result = payload.openRead(TextOf(container.path()).data());
    vorn::FileStream program;
    if (result == vorn::kResultOk)
        result = program.openWrite(TextOf(output).data());
    if (result == vorn::kResultOk)
        result = stub.image.writeWithResource(ResourceKey::Id(kResourceRcData),
                                              ResourceKey::Id(kPayloadResource), &payload,
                                              payload.size(), &program);
    if (result == vorn::kResultOk)
        result = program.close();
    if (result != vorn::kResultOk && message->isEmpty())
        *message = Format(u"cannot write a program of the framework for \"{0}\"", {setupName});
    return result;
}

} // namespace vornpack
