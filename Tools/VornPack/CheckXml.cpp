#include "Tools/VornPack/CheckXml.h"

#include <memory>
#include <system_error>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/app/DefinitionsVocabulary.h"
#include "VornLib/app/InstallScope.h"
#include "VornLib/app/InstallationDeclarations.h"
#include "VornLib/gui/DescriptionCheck.h"

namespace vornpack {

const char16_t* const kInstallerPageKinds[] = {
    u"MainPage",         u"WelcomePage", u"LicensePage", u"ComponentsPage", u"OptionsPage",
    u"FileTransferPage", u"SuccessPage", u"FailurePage", u"CanceledPage",
};
const size_t kInstallerPageKindCount = sizeof kInstallerPageKinds / sizeof kInstallerPageKinds[0];

namespace {

constexpr const char16_t* kPayloadData = u"Data/";

// The world of a definitions folder: its pictures are its files, its named
// descriptions those of the files checked together.
class FolderContext : public vorn::DescriptionContext {
public:
    explicit FolderContext(const std::vector<CheckedFile>& files) : files_(files) {}
    void setFolder(const fs::path& folder) { folder_ = folder; }

    bool hasPicture(const String& name) const override {
        if (!name.startsWith(kPayloadData))
            return false;
        std::error_code error;
        return fs::is_regular_file(folder_ / PathOf(name.mid(5)), error);
    }
    bool hasDescription(const char16_t* element, const String& name) const override {
        for (const CheckedFile& file : files_) {
            const vorn::XmlNode* root = file.document->root();
            for (const vorn::XmlNode* child = root ? root->firstChild() : nullptr; child;
                 child = child->nextSibling()) {
                String id;
                if (child->isElement() && child->name() == element &&
                    child->getAttribute(u"ID", &id) == vorn::kResultOk && id == name)
                    return true;
            }
        }
        return false;
    }

private:
    const std::vector<CheckedFile>& files_;
    fs::path folder_;
};

} // namespace

Result ParseXmlFile(const String& path, vorn::XmlDocument* document, String* message) {
    std::vector<uint8_t> bytes;
    Result result = ReadWholeFile(path, &bytes);
    if (result == vorn::kResultOk && bytes.size() > UINT32_MAX)
        result = vorn::kResultCapacityExceeded;
    if (result != vorn::kResultOk) {
        *message = Format(u"{0}: error {1}: the file cannot be read", {path, result});
        return result;
    }
    // An empty vector may have no data pointer; the reader then reports "empty".
    static const uint8_t kNothing = 0;
    result = document->parse(bytes.empty() ? &kNothing : bytes.data(), uint32_t(bytes.size()),
                             path.data());
    if (result == vorn::kResultOk)
        return result;
    *message = Format(u"{0}:{1}:{2}: error {3}: {4}",
                      {path, document->errorLine(), document->errorColumn(), unsigned(result),
                       document->errorText()});
    return vorn::kResultMalformed;
}

namespace {

// A Configuration.xml is read by the setup too: a value it would refuse is
// refused here already.
Result CheckSettingsValues(const String& path, const vorn::XmlDocument& document, String* message) {
    const vorn::XmlNode* root = document.root();
    const vorn::XmlNode* settings =
        root && root->name() == u"Configuration" ? root->find(u"/InstallationSettings") : nullptr;
    if (!settings)
        return vorn::kResultOk;
    vorn::InstallScopeRule rule;
    vorn::InstallationDeclarations declared;
    String problem;
    Result result = vorn::ReadInstallScopeRule(*settings, &rule, &problem);
    if (result == vorn::kResultOk)
        result = vorn::ReadInstallationDeclarations(*settings, &declared, &problem);
    if (result != vorn::kResultOk)
        *message = Format(u"{0}: error {1}: {2}", {path, unsigned(result), problem});
    return result;
}

bool IsDescription(const String& element) {
    return vorn::FindDescriptionKind(element) != nullptr;
}

void PrintProblem(const String& path, const vorn::XmlPosition& position, const String& text) {
    PrintError(Format(u"{0}:{1}:{2}: error: {3}", {path, position.line, position.column, text}));
}

// The problems of one file, printed; their number. A file of fixed
// vocabulary (Configuration.xml, a string table) is read against it first;
// its descriptions by their own check.
uint32_t CheckFile(const CheckedFile& file, FolderContext* context) {
    const vorn::XmlNode* root = file.document->root();
    if (!root)
        return 0;
    std::vector<vorn::XmlWordProblem> unknown;
    // The setup takes Configuration.xml by its name, whatever its root.
    const vorn::XmlVocabulary* vocabulary = PathOf(file.path).filename() == "Configuration.xml"
                                                ? &vorn::ConfigurationVocabulary()
                                                : vorn::DefinitionsVocabularyOf(root->name());
    if (vocabulary)
        vorn::CheckXmlVocabulary(*root, nullptr, *vocabulary, IsDescription, &unknown);
    for (const vorn::XmlWordProblem& problem : unknown)
        PrintProblem(file.path, problem.position, problem.text);
    context->setFolder(PathOf(file.path).parent_path());
    vorn::DescriptionCheck check(context);
    for (size_t index = 0; index < kInstallerPageKindCount; ++index)
        check.addContainerKind(kInstallerPageKinds[index]);
    check.checkDocument(*root);
    for (const vorn::DescriptionProblem& problem : check.problems())
        PrintProblem(file.path, problem.position, problem.text);
    return uint32_t(unknown.size() + check.problems().size());
}

} // namespace

uint32_t CheckDescriptions(const std::vector<CheckedFile>& files) {
    FolderContext context(files);
    uint32_t problems = 0;
    for (const CheckedFile& file : files)
        problems += CheckFile(file, &context);
    return problems;
}

int CheckXml(const Arguments& arguments) {
    if (arguments.empty())
        return Usage(u"check-xml");
    Result first = vorn::kResultOk;
    std::vector<std::unique_ptr<vorn::XmlDocument>> documents;
    std::vector<CheckedFile> parsed;
    for (const String& path : arguments) {
        auto document = std::make_unique<vorn::XmlDocument>();
        String message;
        Result result = ParseXmlFile(path, document.get(), &message);
        if (result == vorn::kResultOk)
            result = CheckSettingsValues(path, *document, &message);
        if (result != vorn::kResultOk) {
            PrintError(message);
            first = first ? first : result;
            continue;
        }
        parsed.push_back({path, document.get()});
        documents.push_back(std::move(document));
    }
    FolderContext context(parsed);
    for (const CheckedFile& file : parsed) {
        if (CheckFile(file, &context) == 0)
            PrintLine(u"OK " + file.path);
        else
            first = first ? first : vorn::kResultMalformed;
    }
    return int(first);
}

} // namespace vornpack
