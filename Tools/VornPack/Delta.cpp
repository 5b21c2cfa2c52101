#include "Tools/VornPack/Delta.h"

#include <map>

#include "Tools/VornPack/BinaryDeltaMaker.h"
#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/ContainerCheck.h"
#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/FileList.h"
#include "Tools/VornPack/Manifest.h"
#include "Tools/VornPack/Packing.h"
#include "Tools/VornPack/ProgramStub.h"
#include "Tools/VornPack/SignCommand.h"
#include "VornLib/app/UninstallEntry.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/TextParse.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/XmlWriter.h"
#include "VornLib/data/ArchiveFormat.h"
#include "VornLib/data/BinaryDelta.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {

namespace fs = std::filesystem;
using vorn::Format;
using vorn::Result;
using vorn::String;

namespace {

constexpr const char16_t* kCommand = u"delta";

struct DeltaRequest {
    String from;
    String to;
    String output;
    String stub;
    String signCommand;
    bool signs = false;
    PackingOptions packing;
};

// One side of the delta: a setup's facts, payload and application files.
struct SetupSide {
    SetupFacts facts;
    ContainerFile container;
    std::vector<ApplicationFile> files; // in the order of its file list
    String removalProgram;
};

Result ReadEntry(vorn::ArchiveMount& mount, const String& name, std::vector<uint8_t>* bytes) {
    std::unique_ptr<vorn::EntryHandle> entry;
    Result result = vorn::EntryHandle::open(&mount, name.data(), &entry);
    if (result != vorn::kResultOk)
        return result;
    bytes->assign(size_t(entry->size()), 0);
    for (size_t done = 0; result == vorn::kResultOk && done < bytes->size();) {
        const uint32_t count = uint32_t(std::min<size_t>(bytes->size() - done, 1u << 30));
        result = entry->read(bytes->data() + done, count);
        done += count;
    }
    return result;
}

Result ReadFolderList(const vorn::XmlNode& files, const String& prefix, bool outermost,
                      std::vector<ApplicationFile>* out) {
    String path;
    (void)files.getAttribute(u"Path", &path);
    const String childPrefix = outermost ? prefix : prefix + path;
    for (const vorn::XmlNode* child = files.firstChild(); child; child = child->nextSibling()) {
        if (!child->isElement())
            continue;
        if (child->name() == u"Files") {
            const Result result = ReadFolderList(*child, childPrefix, false, out);
            if (result != vorn::kResultOk)
                return result;
            continue;
        }
        ApplicationFile file;
        String name;
        (void)child->getText(&name);
        file.relativePath = childPrefix + name;
        if (child->getSize(&file.size) != vorn::kResultOk ||
            child->getTimeStamp(&file.date) != vorn::kResultOk ||
            vorn::ReadFileBase(*child, &file.base) != vorn::kResultOk)
            return vorn::kResultMissingDefinition;
        // A delta of a delta would build on files no installation has.
        if (file.base.source != vorn::FileSource::Payload)
            return vorn::kResultKindMismatch;
        out->push_back(file);
    }
    return vorn::kResultOk;
}

Result ReadSide(const String& setup, SetupSide* side, String* message) {
    Result result = ReadSetupFacts(setup, &side->facts, message);
    if (result != vorn::kResultOk)
        return result;
    std::vector<uint8_t> list;
    vorn::XmlDocument document;
    if ((result = side->container.open(setup)) != vorn::kResultOk ||
        (result = ReadEntry(side->container.mount(), kFileListEntry, &list)) != vorn::kResultOk ||
        (result = document.parse(list.data(), uint32_t(list.size()), kFileListEntry)) !=
            vorn::kResultOk) {
        *message = Format(u"cannot read the file list of \"{0}\"", {setup});
        return result;
    }
    const vorn::XmlNode* root = document.root();
    const vorn::XmlNode* files = root ? root->find(u"/Files") : nullptr;
    if (!files || root->find((u"/" + String(vorn::kUpdateOfElement)).data())) {
        *message = Format(u"\"{0}\" is no full setup: make deltas between the setups that "
                          u"\"VornPack setup\" writes",
                          {setup});
        return vorn::kResultKindMismatch;
    }
    if ((result = ReadFolderList(*files, String(), true, &side->files)) != vorn::kResultOk) {
        *message =
            Format(u"the file list of \"{0}\" is not one \"VornPack setup\" writes", {setup});
        return result;
    }
    (void)root->getText(u"/RemovalProgram", &side->removalProgram);
    return vorn::kResultOk;
}

String Comparable(const String& path) {
    String lower = path;
    lower.toLowerCase();
    return lower;
}

// A patch is as long as the file it makes, and compresses to what it does
// not take from the base: its literal bytes and its non-zero corrections. It
// travels when those are well under the file's own bytes.
bool PatchPays(const std::vector<uint8_t>& patch, size_t fileSize) {
    vorn::BinaryDeltaHeader header;
    if (vorn::ReadBinaryDeltaHeader(patch.data(), patch.size(), header) != vorn::kResultOk)
        return false;
    const uint8_t* add = patch.data() + vorn::BinaryDeltaHeader::kSize + header.controlLength;
    uint64_t news = header.extraLength + header.controlLength;
    for (uint64_t i = 0; i < header.addLength; ++i)
        news += add[i] != 0;
    return news < fileSize / 4 * 3;
}

struct DeltaCounts {
    uint32_t patched = 0;
    uint32_t installed = 0;
    uint32_t whole = 0;
    uint32_t removed = 0;
};

// The payload's items: the new setup's definitions as they are, the file
// list saying where each file comes from, the files carried.
Result CollectItems(SetupSide& from, SetupSide& to, std::vector<PackItem>* items,
                    vorn::DateTime* newest, DeltaCounts* counts, String* message) {
    std::map<String, const ApplicationFile*> old;
    for (const ApplicationFile& file : from.files)
        old.emplace(Comparable(file.relativePath), &file);
    std::vector<PackItem> carried;
    std::vector<ApplicationFile> listed = to.files;
    for (ApplicationFile& file : listed) {
        const String name = kApplicationRoot + file.relativePath;
        std::vector<uint8_t> bytes;
        Result result = ReadEntry(to.container.mount(), name, &bytes);
        if (result != vorn::kResultOk) {
            *message = Format(u"cannot read \"{0}\" of the new setup", {name});
            return result;
        }
        *newest = std::max(*newest, file.date);
        const auto base = old.find(Comparable(file.relativePath));
        std::vector<uint8_t> baseBytes;
        if (base != old.end() && (result = ReadEntry(from.container.mount(),
                                                     kApplicationRoot + base->second->relativePath,
                                                     &baseBytes)) != vorn::kResultOk) {
            *message = Format(u"cannot read \"{0}\" of the old setup", {name});
            return result;
        }
        if (base != old.end()) {
            file.base.size = baseBytes.size();
            file.base.checksum = vorn::Crc32(0, baseBytes.data(), baseBytes.size());
            old.erase(base);
            if (baseBytes == bytes) {
                file.base.source = vorn::FileSource::Installed;
                ++counts->installed;
                continue;
            }
            std::vector<uint8_t> patch =
                MakeBinaryDelta(baseBytes.data(), baseBytes.size(), bytes.data(), bytes.size());
            if (PatchPays(patch, bytes.size())) {
                file.base.source = vorn::FileSource::Patch;
                bytes.swap(patch);
            }
        }
        if (file.base.source == vorn::FileSource::Patch)
            ++counts->patched;
        else
            ++counts->whole;
        carried.push_back({name, fs::path(), std::move(bytes), 0});
        carried.back().size = carried.back().content.size();
    }
    counts->removed = uint32_t(old.size());

    std::string fileList = OrderedFileList(listed);
    String extra;
    if (!to.removalProgram.isEmpty()) {
        extra.append(u"  <RemovalProgram>");
        vorn::AppendEscapedXml(&extra, to.removalProgram);
        extra.append(u"</RemovalProgram>\n");
    }
    extra.append(Format(u"  <{0} Version=\"", {vorn::kUpdateOfElement}));
    vorn::AppendEscapedXml(&extra, vorn::EntryDisplayVersion(from.facts.version, from.facts.tag));
    extra.append(u"\"/>\n");
    fileList.insert(fileList.rfind("</FileList>"), Utf8(extra));

    std::map<uint32_t, String> names;
    Result result = ReadEntryNames(to.container.mount(), &names);
    if (result != vorn::kResultOk) {
        *message = u"the new setup lists no names of its entries";
        return result;
    }
    for (const auto& named : names) {
        const String& name = named.second;
        // The container lists its names itself.
        if (name.startsWith(kApplicationRoot) || name == kFileListEntry ||
            name == vorn::kEntryNamesName)
            continue;
        PackItem item{name, fs::path(), {}, 0, false};
        if ((result = ReadEntry(to.container.mount(), name, &item.content)) != vorn::kResultOk) {
            *message = Format(u"cannot read \"{0}\" of the new setup", {name});
            return result;
        }
        item.size = item.content.size();
        items->push_back(std::move(item));
    }
    items->push_back({kFileListEntry, fs::path(),
                      std::vector<uint8_t>(fileList.begin(), fileList.end()), fileList.size(),
                      false});
    for (PackItem& item : carried)
        items->push_back(std::move(item));
    return vorn::kResultOk;
}

Result CheckVersions(const DeltaRequest& request, const SetupSide& from, const SetupSide& to,
                     String* message) {
    if (from.facts.uuid != to.facts.uuid) {
        *message =
            Format(u"\"{0}\" and \"{1}\" are setups of two products", {request.from, request.to});
        return vorn::kResultInvalidArgument;
    }
    const String old = vorn::EntryDisplayVersion(from.facts.version, from.facts.tag);
    const String next = vorn::EntryDisplayVersion(to.facts.version, to.facts.tag);
    if (vorn::CompareVersions(next.data(), old.data()) <= 0) {
        *message = Format(u"version {0} of \"{1}\" is not newer than {2} of \"{3}\"",
                          {next, request.to, old, request.from});
        return vorn::kResultInvalidArgument;
    }
    return vorn::kResultOk;
}

} // namespace

int Delta(const Arguments& arguments) {
    OptionReader options(arguments);
    DeltaRequest request;
    String message;
    const Result packingResult = ReadPackingOptions(&options, &request.packing, &message);
    options.value(u"--from", &request.from);
    options.value(u"--to", &request.to);
    options.value(u"-o", &request.output);
    options.value(u"--stub", &request.stub);
    request.signs = options.value(u"--sign-command", &request.signCommand);
    if (!options.complete() || !options.rest().empty() || request.from.isEmpty() ||
        request.to.isEmpty() || request.output.isEmpty())
        return Usage(kCommand);
    if (packingResult != vorn::kResultOk)
        return Fail(kCommand, message, packingResult);
    if (request.signs && CheckSignCommand(request.signCommand, &message) != vorn::kResultOk)
        return Fail(kCommand, message, vorn::kResultInvalidArgument);
    if (request.stub.isEmpty())
        request.stub = TextOf(OwnFolder() / PathOf(kSetupStub.fileName));

    SetupSide from;
    SetupSide to;
    ProgramStub stub;
    Result result = LoadStub(kSetupStub, request.stub, &stub, &message);
    if (result == vorn::kResultOk)
        result = ReadSide(request.from, &from, &message);
    if (result == vorn::kResultOk)
        result = ReadSide(request.to, &to, &message);
    if (result == vorn::kResultOk)
        result = CheckVersions(request, from, to, &message);
    std::vector<PackItem> items;
    vorn::DateTime newest = 0;
    DeltaCounts counts;
    if (result == vorn::kResultOk)
        result = CollectItems(from, to, &items, &newest, &counts, &message);
    OutputFile output(PathOf(request.output));
    if (result == vorn::kResultOk)
        result = output.open(&message);
    ProgressLine progress(ChooseOutputMode(request.packing.quiet));
    uint64_t payloadSize = 0;
    if (result == vorn::kResultOk) {
        const TemporaryFile container(fs::path(PathOf(request.output)) += ".vornpack-payload");
        vorn::FileStream stream;
        result = stream.openWrite(TextOf(container.path()).data());
        if (result == vorn::kResultOk)
            result = WriteContainer(items, request.packing, newest, &stream, request.output,
                                    &progress, &message);
        if (result == vorn::kResultOk)
            result = stream.close();
        if (result == vorn::kResultOk)
            result = WriteStubWithPayload(stub, container.path(), request.stub, request.output,
                                          &output, &payloadSize, &message);
        if (result != vorn::kResultOk && message.isEmpty())
            message = Format(u"cannot write \"{0}\"", {request.output});
    }
    if (result == vorn::kResultOk && request.signs)
        result = SignSetup(request.signCommand, output.partialPath(), request.output, &message);
    if (result == vorn::kResultOk)
        result = output.commit(&message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);
    progress.finish(
        Format(u"wrote \"{0}\": the update from {1} to {2}, files: {3} patched, {4} as "
               u"installed, {5} whole, {6} removed; payload {7} bytes",
               {request.output, vorn::EntryDisplayVersion(from.facts.version, from.facts.tag),
                vorn::EntryDisplayVersion(to.facts.version, to.facts.tag), counts.patched,
                counts.installed, counts.whole, counts.removed, payloadSize}));
    return 0;
}

} // namespace vornpack
