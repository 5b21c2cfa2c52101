// Reading a setup's facts for its manifest: its definitions and English
// texts from the payload, its architecture from the executable's header and
// the hash of its bytes.
#include <memory>

#include "Sha256.h"
#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/FileList.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/Manifest.h"
#include "Tools/VornPack/PeFile.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/app/ServiceDeclarations.h"
#include "VornLib/core/LocalizedStrings.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/data/EntryHandle.h"

namespace vornpack {

using vorn::XmlNode;

namespace {

constexpr const char16_t* kConfigurationEntry = u"Data/Xml/Configuration.xml";
// The English string tables, the vendor's last: it may replace the installer's texts.
constexpr const char16_t* kEnglishTables[] = {u"Data/Xml/VornSetup-Strings-en.xml",
                                              u"Data/Xml/VornSetup-Custom-Strings-en.xml"};
constexpr uint32_t kHashChunk = 1u << 20;

// The string tables of one language, the last one's entry winning.
class StringTables : public vorn::LocalizedElementSource {
public:
    void add(std::unique_ptr<vorn::XmlDocument> document) {
        documents_.push_back(std::move(document));
    }
    Result getLocalizedElement(const char16_t* kind, const char16_t* id,
                               const XmlNode** element) override {
        *element = nullptr;
        for (const auto& document : documents_) {
            const XmlNode* root = document->root();
            for (const XmlNode* entry = root ? root->firstChild() : nullptr; entry;
                 entry = entry->nextSibling()) {
                String entryId;
                if (entry->name() == kind &&
                    entry->getAttribute(u"ID", &entryId) == vorn::kResultOk && entryId == id)
                    *element = entry;
            }
        }
        return *element ? vorn::kResultOk : vorn::kResultNotFound;
    }
    Result release(const void*) override { return vorn::kResultOk; }

private:
    std::vector<std::unique_ptr<vorn::XmlDocument>> documents_;
};

Result ReadDocument(ContainerFile& container, const char16_t* name,
                    std::unique_ptr<vorn::XmlDocument>* out) {
    std::unique_ptr<vorn::EntryHandle> entry;
    Result result = vorn::EntryHandle::open(&container.mount(), name, &entry);
    if (result != vorn::kResultOk)
        return result;
    std::unique_ptr<vorn::XmlDocument> document(new vorn::XmlDocument);
    result = document->parse(entry.get());
    if (result == vorn::kResultOk)
        *out = std::move(document);
    return result;
}

Result HashFile(vorn::FileStream& file, String* out) {
    CSha256 hash;
    Sha256_Init(&hash);
    std::vector<uint8_t> chunk(kHashChunk);
    Result result = file.seek(0);
    for (uint64_t left = file.size(); result == vorn::kResultOk && left;) {
        const uint32_t count = uint32_t(left < kHashChunk ? left : kHashChunk);
        result = file.read(chunk.data(), count);
        if (result == vorn::kResultOk)
            Sha256_Update(&hash, chunk.data(), count);
        left -= count;
    }
    if (result != vorn::kResultOk)
        return result;
    uint8_t digest[SHA256_DIGEST_SIZE];
    Sha256_Final(&hash, digest);
    out->clear();
    for (const uint8_t byte : digest)
        *out += Format(u"{0,02:X}", {byte});
    return vorn::kResultOk;
}

} // namespace

Result ReadSetupFacts(const String& setup, SetupFacts* facts, String* message) {
    *facts = SetupFacts();
    vorn::FileStream file;
    Result result = file.openRead(setup.data());
    if (result != vorn::kResultOk) {
        *message = Format(u"cannot read \"{0}\"", {setup});
        return result;
    }
    std::vector<uint8_t> start;
    PeImage image;
    if ((result = ReadImageStart(&file, &start, &image)) != vorn::kResultOk) {
        *message = Format(u"\"{0}\" is not a setup executable", {setup});
        return result;
    }
    facts->is64 = image.is64();
    ContainerFile container;
    std::unique_ptr<vorn::XmlDocument> configuration;
    if ((result = container.open(setup)) != vorn::kResultOk ||
        (result = ReadDocument(container, kConfigurationEntry, &configuration)) !=
            vorn::kResultOk) {
        *message =
            Format(u"\"{0}\" carries no definitions (a setup made by VornPack setup)", {setup});
        return result;
    }
    const XmlNode* root = configuration->root();
    const XmlNode* settings = root ? root->find(u"/InstallationSettings") : nullptr;
    const XmlNode* application = settings ? settings->find(u"/Application") : nullptr;
    String uuid;
    if (!application || application->getAttribute(u"UUID", &uuid) != vorn::kResultOk ||
        vorn::UUID::Parse(uuid.data(), &facts->uuid) != vorn::kResultOk ||
        application->getAttribute(u"Name", &facts->name) != vorn::kResultOk ||
        application->getAttribute(u"Version", &facts->version) != vorn::kResultOk ||
        application->getAttribute(u"Company", &facts->company) != vorn::kResultOk) {
        *message = Format(u"the product's Application element in \"{0}\" lacks UUID, Name, "
                          u"Version or Company",
                          {setup});
        return vorn::kResultMissingDefinition;
    }
    (void)application->getAttribute(u"Tag", &facts->tag, u"");
    String problem;
    if ((result = vorn::ReadInstallScopeRule(*settings, &facts->scopeRule, &problem)) !=
        vorn::kResultOk) {
        *message = Format(u"{0} in \"{1}\"", {problem, setup});
        return result;
    }
    std::vector<vorn::ServiceDeclaration> services;
    (void)vorn::ReadServiceDeclarations(*settings, &services, &problem);
    facts->scopeRule = vorn::InstallationScopeRule(facts->scopeRule, services);
    String description;
    (void)settings->getText(u"/Description", &description);
    (void)settings->getText(u"/WebSite", &facts->webSite);
    (void)settings->getText(u"/TechnicalSupport", &facts->technicalSupport);
    StringTables english;
    for (const char16_t* table : kEnglishTables) {
        std::unique_ptr<vorn::XmlDocument> document;
        if (ReadDocument(container, table, &document) == vorn::kResultOk)
            english.add(std::move(document));
    }
    if (vorn::ResolveLocalizedText(english, description.data(), &facts->description) !=
        vorn::kResultOk) {
        *message =
            Format(u"the description \"{0}\" has no English text in \"{1}\"", {description, setup});
        return vorn::kResultMissingDefinition;
    }
    std::unique_ptr<vorn::XmlDocument> fileList;
    if (ReadDocument(container, kFileListEntry, &fileList) == vorn::kResultOk && fileList->root()) {
        if (const XmlNode* updateOf =
                fileList->root()->find((u"/" + String(vorn::kUpdateOfElement)).data()))
            (void)updateOf->getAttribute(u"Version", &facts->updateOf);
    }
    if ((result = HashFile(file, &facts->sha256)) != vorn::kResultOk)
        *message = Format(u"cannot read \"{0}\"", {setup});
    return result;
}

} // namespace vornpack
