#include "Tools/VornPack/Setup.h"

#include <algorithm>
#include <fstream>

#include "Tools/VornPack/CheckXml.h"
#include "Tools/VornPack/ConfigurationCheck.h"
#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/PackPlan.h"
#include "Tools/VornPack/Packing.h"
#include "Tools/VornPack/PeResources.h"
#include "Tools/VornPack/PlaceholderLicence.h"
#include "Tools/VornPack/ProgramStub.h"
#include "Tools/VornPack/RemovalProgram.h"
#include "Tools/VornPack/SignCommand.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/app/UpdateFeedDeclaration.h"

namespace vornpack {

namespace {

constexpr const char16_t* kCommand = u"setup";
constexpr const char16_t* kAllowPlaceholderLicence = u"--allow-placeholder-licence";

// What the command line asks for.
struct SetupRequest {
    String app;
    String definitions;
    String output;
    String stub;
    String uninstaller;
    String updater;
    String signCommand;
    bool signs = false;
    // For a setup that is not to ship: init's placeholder licence only warns.
    bool allowsPlaceholderLicence = false;
    PackingOptions packing;
};

// A file of the definitions folder and its name in the payload.
struct DefinitionFile {
    String entryName;
    fs::path source;
    uint64_t size;
    vorn::DateTime date;
};

struct SetupInputs {
    std::string fileList;
    std::vector<ApplicationFile> appFiles;
    std::vector<DefinitionFile> definitionFiles;
    std::vector<DefinitionDocument> documents;
    RemovalChoice removal;
    ProgramStub removalStub;
    // A product with an update feed gets the update program.
    bool updates = false;
    ProgramStub updateStub;
    // The newest input stamps the payload, so that the same inputs always
    // give the same bytes.
    vorn::DateTime newest = vorn::kInvalidDateTime;
};

bool IsXmlName(const fs::path& path) {
    std::u16string extension = path.extension().u16string();
    for (char16_t& unit : extension) {
        if (unit >= u'A' && unit <= u'Z')
            unit = char16_t(unit + 32);
    }
    return extension == u".xml";
}

// The setup's programs are built without the JPEG decoder
// (vorn_png_pictures_only): a JPEG among their pictures would not show.
bool IsJpegFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    unsigned char start[3] = {};
    return file.read(reinterpret_cast<char*>(start), 3) && start[0] == 0xFF && start[1] == 0xD8 &&
           start[2] == 0xFF;
}

Result ListDefinitions(const fs::path& folder, std::vector<DefinitionFile>* out, String* message) {
    out->clear();
    std::vector<String> names;
    Result result = CheckFolder(folder, u"definitions folder", message);
    if (result == vorn::kResultOk)
        result = ListFiles(folder, &names, message);
    for (size_t i = 0; result == vorn::kResultOk && i < names.size(); ++i) {
        const fs::path source = (folder / PathOf(names[i])).make_preferred();
        const bool topLevelXml = names[i].find(u'/') < 0 && IsXmlName(source);
        std::error_code error;
        const uint64_t size = fs::file_size(source, error);
        vorn::DateTime date = vorn::kInvalidDateTime;
        if (error || LastWriteTime(source, &date) != vorn::kResultOk) {
            *message = Format(u"cannot read \"{0}\"", {TextOf(source)});
            result = vorn::kResultAccessDenied;
        }
        out->push_back({(topLevelXml ? u"Data/Xml/" : u"Data/") + names[i], source, size, date});
    }
    return result;
}

Result CollectInputs(const SetupRequest& request, vorn::DateTime stubDate, SetupInputs* inputs,
                     String* message) {
    Result result =
        DescribeApplication(PathOf(request.app), &inputs->fileList, &inputs->appFiles, message);
    if (result != vorn::kResultOk)
        return result;
    if (inputs->appFiles.empty()) {
        *message =
            Format(u"the application folder \"{0}\" holds no files", {TextOf(PathOf(request.app))});
        return vorn::kResultEmptyInput;
    }
    // Packed solid, the application's files go in the order in which they
    // pack best together; the installer copies them in that order.
    if (request.packing.solid) {
        std::vector<String> paths;
        for (const ApplicationFile& file : inputs->appFiles)
            paths.push_back(file.relativePath);
        std::vector<ApplicationFile> ordered;
        for (const uint32_t index : SolidOrder(paths))
            ordered.push_back(inputs->appFiles[index]);
        inputs->appFiles = std::move(ordered);
        inputs->fileList = OrderedFileList(inputs->appFiles);
    }
    const fs::path definitions = PathOf(request.definitions);
    if ((result = ListDefinitions(definitions, &inputs->definitionFiles, message)) !=
        vorn::kResultOk)
        return result;
    inputs->newest = stubDate;
    for (const DefinitionFile& file : inputs->definitionFiles) {
        if (file.entryName == kFileListEntry) {
            *message = Format(u"\"{0}\" is generated from the application folder; remove it from "
                              u"the definitions",
                              {TextOf(file.source)});
            return vorn::kResultAlreadyExists;
        }
        inputs->newest = std::max(inputs->newest, file.date);
    }
    for (const ApplicationFile& file : inputs->appFiles)
        inputs->newest = std::max(inputs->newest, file.date);
    return vorn::kResultOk;
}

// Every XML file parses, its descriptions read as meant, and the
// configuration fits the application folder.
Result CheckDefinitions(const SetupRequest& request, SetupInputs* inputs, String* message) {
    std::vector<DefinitionDocument>& documents = inputs->documents;
    std::vector<CheckedFile> checked;
    for (const DefinitionFile& file : inputs->definitionFiles) {
        if (IsJpegFile(file.source)) {
            *message = Format(u"\"{0}\" is a JPEG picture: the setup and the programs it carries "
                              u"show PNG pictures only (convert it to PNG)",
                              {TextOf(file.source)});
            return vorn::kResultUnsupportedFormat;
        }
        if (!IsXmlName(file.source))
            continue;
        const String path = TextOf(file.source);
        DefinitionDocument parsed{file.entryName, std::make_unique<vorn::XmlDocument>()};
        String line;
        const Result result = ParseXmlFile(path, parsed.document.get(), &line);
        if (result == vorn::kResultMalformed) {
            PrintError(line); // as check-xml shows it
            *message = Format(u"\"{0}\" is not valid XML", {path});
        } else if (result != vorn::kResultOk) {
            *message = Format(u"cannot read \"{0}\"", {path});
        }
        if (result != vorn::kResultOk)
            return result;
        checked.push_back({path, parsed.document.get()});
        documents.push_back(std::move(parsed));
    }
    if (const uint32_t mistakes = CheckDescriptions(checked)) {
        *message = Format(u"the definitions have {0} mistakes (above)", {mistakes});
        return vorn::kResultMalformed;
    }
    std::vector<String> appFiles;
    for (const ApplicationFile& file : inputs->appFiles)
        appFiles.push_back(file.relativePath);
    ConfigurationFindings findings;
    const Result result = CheckConfiguration(PathOf(request.definitions), documents,
                                             PathOf(request.app), appFiles, &findings);
    for (const String& note : findings.notes)
        PrintError(Format(u"VornPack {0}: note: {1}", {kCommand, note}));
    *message = findings.problem;
    return result;
}

// No licence is still the placeholder that init wrote, unless the command
// line allows it; then a warning says that the setup must not ship.
Result CheckLicences(const SetupRequest& request, const SetupInputs& inputs, String* message) {
    const std::vector<String> placeholders = FindPlaceholderLicences(inputs.documents);
    if (placeholders.empty())
        return vorn::kResultOk;
    String file = placeholders.front();
    for (const DefinitionFile& definition : inputs.definitionFiles) {
        if (definition.entryName == placeholders.front())
            file = TextOf(definition.source);
    }
    const String others = placeholders.size() > 1 ? Format(u" (and {0} more licence files)",
                                                           {uint32_t(placeholders.size() - 1)})
                                                  : String();
    if (request.allowsPlaceholderLicence) {
        PrintError(Format(u"VornPack {0}: warning: \"{1}\"{2} still holds the placeholder licence "
                          u"that init wrote: this setup must not ship",
                          {kCommand, file, others}));
        return vorn::kResultOk;
    }
    *message = Format(u"\"{0}\"{1} still holds the placeholder licence that init wrote: put "
                      u"your licence in its place, or give {2} for a setup that is not to ship",
                      {file, others, kAllowPlaceholderLicence});
    return vorn::kResultMissingDefinition;
}

// The product's InstallationSettings, once the definitions are checked.
const vorn::XmlNode& ProductSettings(const SetupInputs& inputs) {
    return *ConfigurationRoot(inputs.documents)->find(u"/InstallationSettings");
}

// Which program removes the product; the removal program's stub when it is
// the framework's, which must not take the name of an application file.
Result ChooseRemover(const SetupRequest& request, SetupInputs* inputs, String* message) {
    const vorn::XmlNode& settings = ProductSettings(*inputs);
    String executable;
    (void)settings.getText(u"/Executable", &executable);
    executable.replace(u'\\', u'/');
    const fs::path definitions = PathOf(request.definitions);
    Result result =
        ChooseRemoval(definitions / "Configuration.xml", settings,
                      PathOf(request.app) / PathOf(executable), &inputs->removal, message);
    for (const String& note : inputs->removal.notes)
        PrintError(Format(u"VornPack {0}: note: {1}", {kCommand, note}));
    if (result != vorn::kResultOk || !inputs->removal.removalProgram)
        return result;
    if ((result = CheckFrameworkProgramName(inputs->appFiles, kRemovalProgramName, message)) !=
        vorn::kResultOk)
        return result;
    result = LoadStub(kRemovalStub, request.uninstaller, &inputs->removalStub, message);
    if (result == vorn::kResultOk)
        inputs->newest = std::max(inputs->newest, inputs->removalStub.date);
    return result;
}

// The update program's stub, for a product that declares an update feed (the
// definitions' check has read the declaration already).
Result ChooseUpdater(const SetupRequest& request, SetupInputs* inputs, String* message) {
    vorn::UpdateFeedDeclaration feed;
    String problem;
    (void)vorn::ReadUpdateFeed(ProductSettings(*inputs), &feed, &problem);
    inputs->updates = feed.declared;
    if (!inputs->updates)
        return vorn::kResultOk;
    Result result = CheckFrameworkProgramName(inputs->appFiles, kUpdateProgramName, message);
    if (result == vorn::kResultOk)
        result = LoadStub(kUpdateStub, request.updater, &inputs->updateStub, message);
    if (result == vorn::kResultOk)
        inputs->newest = std::max(inputs->newest, inputs->updateStub.date);
    return result;
}

// A program of the framework named `name` for the product, made at `path`
// from `stub`, signed as the setup is, and added to the application's files.
// The removal program carries the texts of its questions; the update program
// asks none.
Result MakeProductProgram(const SetupRequest& request, const ProgramStub& stub,
                          const char16_t* name, SetupInputs* inputs, const fs::path& path,
                          String* message) {
    const bool removes = String(name) == kRemovalProgramName;
    std::vector<PackItem> tables;
    for (const DefinitionFile& file : inputs->definitionFiles) {
        if (removes && IsRemovalProgramTable(file.entryName))
            tables.push_back({file.entryName, file.source, {}, file.size});
    }
    Result result = WriteProductProgram(stub, ProductSettings(*inputs), tables, inputs->newest,
                                        request.packing, path, request.output, message);
    if (result == vorn::kResultOk && request.signs)
        result = SignSetup(request.signCommand, path, name, message);
    ApplicationFile program;
    program.relativePath = name;
    program.source = path;
    program.date = inputs->newest;
    std::error_code error;
    program.size = fs::file_size(path, error);
    if (result == vorn::kResultOk && error) {
        *message = Format(u"cannot read the {0} made for \"{1}\"", {name, request.output});
        result = vorn::kResultAccessDenied;
    }
    if (result == vorn::kResultOk)
        result =
            AddFrameworkProgram(program, removes, &inputs->fileList, &inputs->appFiles, message);
    return result;
}

// The definitions first, then the file list, then the application. Only the
// application's files go into solid groups: the installer reads the others by
// name at start-up without decoding a group.
Result WritePayload(const SetupRequest& request, const SetupInputs& inputs,
                    const fs::path& container, ProgressLine* progress, String* message) {
    std::vector<PackItem> items;
    for (const DefinitionFile& file : inputs.definitionFiles)
        items.push_back({file.entryName, file.source, {}, file.size, false});
    items.push_back({kFileListEntry, fs::path(),
                     std::vector<uint8_t>(inputs.fileList.begin(), inputs.fileList.end()),
                     inputs.fileList.size(), false});
    for (const ApplicationFile& file : inputs.appFiles)
        items.push_back({kApplicationRoot + file.relativePath, file.source, {}, file.size});
    vorn::FileStream stream;
    Result result = stream.openWrite(TextOf(container).data());
    if (result != vorn::kResultOk) {
        *message = Format(u"cannot create \"{0}\"", {request.output});
        return result;
    }
    result = WriteContainer(items, request.packing, inputs.newest, &stream, request.output,
                            progress, message);
    if (result == vorn::kResultOk && (result = stream.close()) != vorn::kResultOk)
        *message = Format(u"cannot write \"{0}\"", {request.output});
    return result;
}

// The stub beside VornPack unless named; the framework's other programs
// beside the stub unless named.
void FindFrameworkPrograms(SetupRequest* request) {
    if (request->stub.isEmpty())
        request->stub = TextOf(OwnFolder() / PathOf(kSetupStub.fileName));
    const fs::path folder = PathOf(request->stub).parent_path();
    if (request->uninstaller.isEmpty())
        request->uninstaller = TextOf(folder / PathOf(kRemovalStub.fileName));
    if (request->updater.isEmpty())
        request->updater = TextOf(folder / PathOf(kUpdateStub.fileName));
}

String Summary(const SetupRequest& request, const SetupInputs& inputs, uint64_t payloadSize) {
    uint64_t appBytes = 0;
    for (const ApplicationFile& file : inputs.appFiles)
        appBytes += file.size;
    return Format(u"wrote \"{0}\": {1} application files ({2} bytes), {3} definition files, "
                  u"payload {4} bytes{5}; {6}",
                  {request.output, uint32_t(inputs.appFiles.size()), appBytes,
                   uint32_t(inputs.definitionFiles.size()), payloadSize,
                   request.signs ? u", signed" : u"", inputs.removal.how});
}

} // namespace

int Setup(const Arguments& arguments) {
    OptionReader options(arguments);
    SetupRequest request;
    String message;
    const Result packingResult = ReadPackingOptions(&options, &request.packing, &message);
    options.value(u"--app", &request.app);
    options.value(u"--definitions", &request.definitions);
    options.value(u"-o", &request.output);
    options.value(u"--stub", &request.stub);
    options.value(u"--uninstaller", &request.uninstaller);
    options.value(u"--updater", &request.updater);
    request.signs = options.value(u"--sign-command", &request.signCommand);
    request.allowsPlaceholderLicence = options.flag(kAllowPlaceholderLicence);
    if (!options.complete() || !options.rest().empty() || request.app.isEmpty() ||
        request.definitions.isEmpty() || request.output.isEmpty())
        return Usage(kCommand);
    if (packingResult != vorn::kResultOk)
        return Fail(kCommand, message, packingResult);
    if (request.signs && CheckSignCommand(request.signCommand, &message) != vorn::kResultOk)
        return Fail(kCommand, message, vorn::kResultInvalidArgument);
    FindFrameworkPrograms(&request);

    ProgramStub stub;
    SetupInputs inputs;
    Result result = LoadStub(kSetupStub, request.stub, &stub, &message);
    if (result == vorn::kResultOk)
        result = CollectInputs(request, stub.date, &inputs, &message);
    if (result == vorn::kResultOk)
        result = CheckDefinitions(request, &inputs, &message);
    if (result == vorn::kResultOk)
        result = CheckLicences(request, inputs, &message);
    if (result == vorn::kResultOk)
        result = ChooseRemover(request, &inputs, &message);
    if (result == vorn::kResultOk)
        result = ChooseUpdater(request, &inputs, &message);
    OutputFile output(PathOf(request.output));
    if (result == vorn::kResultOk)
        result = output.open(&message);
    const TemporaryFile removalProgram(fs::path(PathOf(request.output)) += ".vornpack-uninstaller");
    const TemporaryFile updateProgram(fs::path(PathOf(request.output)) += ".vornpack-updater");
    if (result == vorn::kResultOk && inputs.updates)
        result = MakeProductProgram(request, inputs.updateStub, kUpdateProgramName, &inputs,
                                    updateProgram.path(), &message);
    if (result == vorn::kResultOk && inputs.removal.removalProgram)
        result = MakeProductProgram(request, inputs.removalStub, kRemovalProgramName, &inputs,
                                    removalProgram.path(), &message);
    ProgressLine progress(ChooseOutputMode(request.packing.quiet));
    uint64_t payloadSize = 0;
    if (result == vorn::kResultOk) {
        const TemporaryFile container(fs::path(PathOf(request.output)) += ".vornpack-payload");
        result = WritePayload(request, inputs, container.path(), &progress, &message);
        if (result == vorn::kResultOk)
            result = WriteStubWithPayload(stub, container.path(), request.stub, request.output,
                                          &output, &payloadSize, &message);
    }
    // Signed before it takes the output's name: a failed signature leaves no
    // unsigned setup behind.
    if (result == vorn::kResultOk && request.signs)
        result = SignSetup(request.signCommand, output.partialPath(), request.output, &message);
    if (result == vorn::kResultOk)
        result = output.commit(&message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);

    progress.finish(Summary(request, inputs, payloadSize));
    return 0;
}

} // namespace vornpack
