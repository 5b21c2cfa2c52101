#include "Tools/VornPack/FrameworkProgram.h"

#include <algorithm>

#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/XmlDocument.h"

namespace vornpack {

namespace {

// Documents are small; pictures and other data are not read.
constexpr uint64_t kMaxDocumentSize = 1u << 20;
constexpr uint32_t kPrefixSize = 16;

// Markup after an optional UTF-8 byte order mark and blanks.
bool BeginsLikeXml(const uint8_t* bytes, uint32_t size) {
    uint32_t at = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
    while (at < size &&
           (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n'))
        ++at;
    return at < size && bytes[at] == '<';
}

void CollectApplications(const vorn::XmlDocument& document, std::vector<vorn::UUID>* out) {
    const vorn::XmlNode* root = document.root();
    for (const vorn::XmlNode* child = root ? root->firstChild() : nullptr; child;
         child = child->nextSibling()) {
        vorn::String text;
        vorn::UUID uuid;
        if (child->name() == u"Application" &&
            child->getAttribute(u"UUID", &text) == vorn::kResultOk &&
            vorn::UUID::Parse(text.data(), &uuid) == vorn::kResultOk)
            out->push_back(uuid);
    }
}

// The documents of one entry; an entry that is no XML document adds nothing.
Result InspectEntry(vorn::ArchiveMount& mount, uint32_t index, std::vector<vorn::UUID>* out) {
    vorn::SubStream* entry = nullptr;
    Result result = mount.openRecord(index, &entry);
    if (result != vorn::kResultOk)
        return result;
    const uint64_t size = entry->size();
    std::vector<uint8_t> bytes(size_t(size <= kMaxDocumentSize ? size : 0));
    const uint32_t prefix = uint32_t(std::min<uint64_t>(bytes.size(), kPrefixSize));
    if (prefix && (result = entry->read(bytes.data(), prefix)) == vorn::kResultOk &&
        BeginsLikeXml(bytes.data(), prefix) &&
        (result = entry->read(bytes.data() + prefix, uint32_t(size) - prefix)) == vorn::kResultOk) {
        vorn::XmlDocument document;
        if (document.parse(bytes.data(), uint32_t(size), u"payload entry") == vorn::kResultOk)
            CollectApplications(document, out);
    }
    (void)mount.releaseEntry(entry);
    return result;
}

} // namespace

bool ProgramInspection::describes(const vorn::UUID& product) const {
    return std::find(applications.begin(), applications.end(), product) != applications.end();
}

Result InspectProgram(const vorn::String& path, ProgramInspection* out) {
    *out = ProgramInspection();
    ContainerFile container;
    // A file that is neither a program with a payload nor a container (the
    // entry's name is ".exe", so not that) is no framework program.
    if (container.open(path) != vorn::kResultOk)
        return vorn::kResultOk;
    out->carriesPayload = true;
    vorn::ArchiveMount& mount = container.mount();
    for (uint32_t index = 0; index < mount.recordCount(); ++index) {
        const Result result = InspectEntry(mount, index, &out->applications);
        if (result != vorn::kResultOk)
            return result;
    }
    return vorn::kResultOk;
}

} // namespace vornpack
