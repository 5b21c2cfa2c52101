#include "Tools/VornPack/Commands.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/ContainerCheck.h"
#include "Tools/VornPack/ContainerFile.h"
#include "Tools/VornPack/PackPlan.h"
#include "Tools/VornPack/Packing.h"
#include "Tools/VornPack/ParallelEncoder.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/EntryReadAhead.h"
#include "VornLib/data/NameHash.h"

namespace vornpack {

using vorn::CompressionKind;

namespace {

constexpr uint32_t kCopyChunk = 4u << 20;
constexpr uint32_t kChunksPerLane = 3;
// Threads that decode entries while the main thread writes ("--jobs N", by
// default one a core): each holds one decoded group (at most 64 MiB) and its
// chunks, so their number is bounded whatever N is.
constexpr uint32_t kMaxExtractLanes = 8;

// Names from a folder (its files) or from a list file (one UTF-8 name a line).
Result LoadNames(const String& source, std::vector<String>* names, String* message) {
    names->clear();
    const fs::path path = PathOf(source);
    std::error_code error;
    if (fs::is_directory(path, error))
        return ListFiles(path, names, message);
    std::vector<uint8_t> bytes;
    const Result result = ReadWholeFile(source, &bytes);
    if (result != vorn::kResultOk) {
        *message = Format(u"cannot read the names \"{0}\"", {source});
        return result;
    }
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line += char(bytes[i]);
            continue;
        }
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            names->push_back(TextOf(fs::u8path(line))); // exactly as written
        line.clear();
    }
    return vorn::kResultOk;
}

String HashText(uint32_t hash) {
    return Format(u"{0,08:X}", {hash});
}

// Names that could leave the target folder are refused.
bool IsSafeName(const String& name) {
    if (name.isEmpty() || name[0] == u'/' || name.find(u'\\') >= 0 || name.find(u':') >= 0)
        return false;
    const fs::path path = PathOf(name);
    for (const fs::path& part : path) {
        if (part == ".." || part == ".")
            return false;
    }
    return true;
}

// The entries an extraction writes, in the order they are best decoded in.
struct ExtractionPlan {
    std::vector<String> present; // the given names the container holds
    std::vector<uint64_t> units; // each one's unit: the members of a solid group together
    uint32_t missing = 0;        // given names the container lacks (passed over)
    uint32_t lanes = 1;
};

// The files are the same whatever the number of lanes: each entry is read
// whole by one lane, and written in the plan's order.
ExtractionPlan PlanExtraction(ContainerFile& container, const std::vector<String>& names,
                              uint32_t jobs) {
    ExtractionPlan plan;
    for (const String& name : names) {
        if (container.mount().contains(name.data()))
            plan.present.push_back(name);
    }
    plan.missing = uint32_t(names.size() - plan.present.size());
    // The members of a solid group one after another, so that it is decoded once.
    SortByUnit(container.mount(), &plan.present, &plan.units);
    uint32_t distinctUnits = 0;
    for (size_t i = 0; i < plan.units.size(); ++i)
        distinctUnits += i == 0 || plan.units[i] != plan.units[i - 1];
    plan.lanes = std::max(1u, std::min({jobs, kMaxExtractLanes, distinctUnits}));
    return plan;
}

// What an extraction made, so that a failure takes it away again: the
// folders it created and the files that were not there before.
class ExtractedFiles {
public:
    // Creates the missing folders above `file`; each folder is looked at once,
    // since thousands of files share a few.
    void makeFolders(const fs::path& file) {
        if (!knownFolders_.insert(file.parent_path()).second)
            return;
        std::error_code error;
        for (fs::path parent = file.parent_path();
             !parent.empty() && parent != parent.parent_path() && !fs::exists(parent, error);
             parent = parent.parent_path())
            created_.insert(created_.begin(), parent); // outermost first, removed last
        fs::create_directories(file.parent_path(), error);
    }
    void added(const fs::path& file) { created_.push_back(file); }
    void undo() {
        std::error_code error;
        for (auto it = created_.rbegin(); it != created_.rend(); ++it)
            fs::remove(*it, error);
    }

private:
    std::vector<fs::path> created_;
    std::set<fs::path> knownFolders_;
};

// Writes the entry `source` delivers next, `size` bytes, to `file`, whole or
// not at all; `message` says what failed.
Result WriteEntry(vorn::EntryReadAhead* source, uint64_t size, const fs::path& file,
                  String* message) {
    OutputFile output(file);
    Result result = output.open(message);
    for (uint64_t done = 0; result == vorn::kResultOk && done < size;) {
        const uint8_t* chunk = nullptr;
        uint32_t count = 0;
        result = source->nextChunk(&chunk, &count);
        if (result == vorn::kResultOk)
            result = output.stream().write(chunk, count);
        done += count;
    }
    if (result == vorn::kResultOk)
        result = output.commit(message);
    return result;
}

// Each lane decodes with a reader of its own: a container serves one entry at
// a time. A lane waiting for the writer decodes further into its group.
// `message` says what failed.
Result StartReadAhead(const String& path, const ExtractionPlan& plan,
                      std::vector<std::unique_ptr<ContainerFile>>* readers,
                      vorn::EntryReadAhead* source, String* message) {
    *message = Format(u"cannot mount \"{0}\"", {path});
    for (uint32_t lane = 0; lane < plan.lanes; ++lane) {
        readers->emplace_back(new ContainerFile);
        const Result result = readers->back()->open(path);
        if (result != vorn::kResultOk)
            return result;
    }
    *message = u"cannot start reading";
    return source->start(
        uint32_t(plan.present.size()),
        [readers, &plan](uint32_t index, uint32_t lane, std::unique_ptr<vorn::Stream>* out) {
            std::unique_ptr<vorn::EntryHandle> entry;
            const Result opened = vorn::EntryHandle::open(&(*readers)[lane]->mount(),
                                                          plan.present[index].data(), &entry);
            *out = std::move(entry);
            return opened;
        },
        [&plan](uint32_t index) { return plan.units[index]; },
        [readers](uint32_t lane) { return (*readers)[lane]->mount().decodeAhead(); });
}

} // namespace

int Pack(const Arguments& arguments) {
    const char16_t* kCommand = u"pack";
    OptionReader options(arguments);
    PackingOptions packing;
    String message;
    const Result optionsResult = ReadPackingOptions(&options, &packing, &message);
    String output;
    options.value(u"-o", &output);
    if (!options.complete() || options.rest().size() != 1 || output.isEmpty())
        return Usage(kCommand);
    if (optionsResult != vorn::kResultOk)
        return Fail(kCommand, message, optionsResult);

    const fs::path folder = PathOf(options.rest()[0]);
    std::vector<String> names;
    Result result = CheckFolder(folder, u"folder", &message);
    if (result == vorn::kResultOk)
        result = ListFiles(folder, &names, &message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);
    if (packing.solid) { // in the order in which the files pack best together
        std::vector<String> ordered;
        for (const uint32_t index : SolidOrder(names))
            ordered.push_back(names[index]);
        names = std::move(ordered);
    }
    // The newest date stamps the header.
    std::vector<PackItem> items;
    uint64_t totalBytes = 0;
    vorn::DateTime newest = vorn::kInvalidDateTime;
    for (const String& name : names) {
        PackItem item;
        item.entryName = name;
        // Entry names use '/'; messages name the file with the platform's separator.
        item.source = (folder / PathOf(name)).make_preferred();
        std::error_code error;
        item.size = fs::file_size(item.source, error);
        vorn::DateTime date = vorn::kInvalidDateTime;
        if (error || (result = LastWriteTime(item.source, &date)) != vorn::kResultOk)
            return Fail(kCommand, Format(u"cannot read \"{0}\"", {TextOf(item.source)}),
                        error ? vorn::kResultAccessDenied : result);
        newest = newest == vorn::kInvalidDateTime ? date : std::max(newest, date);
        totalBytes += item.size;
        items.push_back(std::move(item));
    }

    OutputFile file(PathOf(output));
    if ((result = file.open(&message)) != vorn::kResultOk)
        return Fail(kCommand, message, result);
    ProgressLine progress(ChooseOutputMode(packing.quiet));
    result = WriteContainer(items, packing, newest, &file.stream(), output, &progress, &message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);
    const uint64_t containerSize = file.stream().size();
    if ((result = file.commit(&message)) != vorn::kResultOk)
        return Fail(kCommand, message, result);
    progress.finish(Format(u"packed {0} files ({1} bytes) into \"{2}\" ({3} bytes)",
                           {uint32_t(names.size()), totalBytes, output, containerSize}));
    return 0;
}

int List(const Arguments& arguments) {
    const char16_t* kCommand = u"list";
    OptionReader options(arguments);
    String namesSource;
    options.value(u"--names", &namesSource);
    if (!options.complete() || options.rest().size() != 1)
        return Usage(kCommand);
    const String& path = options.rest()[0];
    String message;
    std::map<uint32_t, String> namesByHash;
    if (!namesSource.isEmpty()) {
        std::vector<String> names;
        const Result result = LoadNames(namesSource, &names, &message);
        if (result != vorn::kResultOk)
            return Fail(kCommand, message, result);
        for (const String& name : names)
            namesByHash.emplace(vorn::NameHash(name.data()), name);
    }
    ContainerFile container;
    Result result = container.open(path);
    if (result != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot mount \"{0}\"", {path}), result);
    if (namesSource.isEmpty())
        (void)ReadEntryNames(container.mount(), &namesByHash); // the container's own, if any
    Result firstFailure = vorn::kResultOk;
    vorn::ArchiveMount& mount = container.mount();
    for (uint32_t i = 0; i < mount.recordCount(); ++i) {
        const vorn::DirectoryRecord& record = mount.records()[i];
        const auto named = namesByHash.find(record.nameHash);
        const String name = named == namesByHash.end() ? String() : named->second;
        vorn::EntryHeader header;
        uint64_t unit = 0; // headers only: nothing is decoded
        result = mount.inspectRecord(i, &header, &unit);
        if (result != vorn::kResultOk) {
            PrintLine(Format(u"{0} {1,10} damaged (result {2}) {3}",
                             {HashText(record.nameHash), record.offset, result, name}));
            firstFailure = firstFailure ? firstFailure : result;
            continue;
        }
        PrintLine(Format(u"{0} {1,10} {2,-7} {3,12} {4,12} {5}",
                         {HashText(record.nameHash), record.offset,
                          vorn::CompressionKindText(header.kindBits()), header.packedSize,
                          header.unpackedSize, name}));
    }
    return int(firstFailure);
}

int Extract(const Arguments& arguments) {
    const char16_t* kCommand = u"extract";
    OptionReader options(arguments);
    String namesSource;
    String jobsText;
    options.value(u"--names", &namesSource);
    uint32_t jobs = DefaultJobs();
    const bool jobsGiven = options.value(u"--jobs", &jobsText);
    if (!options.complete() || options.rest().size() != 2 || namesSource.isEmpty())
        return Usage(kCommand);
    if (jobsGiven && !ParseJobs(jobsText, &jobs))
        return Fail(kCommand, JobsError(jobsText), vorn::kResultInvalidArgument);
    const String& path = options.rest()[0];
    std::vector<String> names;
    String message;
    Result result = LoadNames(namesSource, &names, &message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);
    for (const String& name : names) {
        if (!IsSafeName(name))
            return Fail(kCommand, Format(u"refusing the name \"{0}\"", {name}),
                        vorn::kResultInvalidName);
    }
    ContainerFile container;
    if ((result = container.open(path)) != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot mount \"{0}\"", {path}), result);

    // Names the container lacks are counted and passed over; the others are
    // decoded a few chunks ahead while the previous ones are written.
    const ExtractionPlan plan = PlanExtraction(container, names, jobs);
    std::vector<std::unique_ptr<ContainerFile>> readers;
    vorn::EntryReadAhead source(kCopyChunk, kChunksPerLane, plan.lanes);
    if ((result = StartReadAhead(path, plan, &readers, &source, &message)) != vorn::kResultOk)
        return Fail(kCommand, message, result);
    const fs::path target = PathOf(options.rest()[1]);
    ExtractedFiles extracted;
    uint32_t count = 0;
    uint64_t bytes = 0;
    for (const String& name : plan.present) {
        uint64_t size = 0;
        result = source.nextEntry(&size);
        if (result != vorn::kResultOk) {
            extracted.undo();
            return Fail(kCommand, Format(u"cannot open the entry \"{0}\"", {name}), result);
        }
        const fs::path file = target / PathOf(name);
        extracted.makeFolders(file);
        std::error_code error;
        const bool existed = fs::exists(file, error);
        message = Format(u"cannot extract \"{0}\"", {name});
        if ((result = WriteEntry(&source, size, file, &message)) != vorn::kResultOk) {
            extracted.undo();
            return Fail(kCommand, message, result);
        }
        if (!existed)
            extracted.added(file);
        ++count;
        bytes += size;
    }
    PrintLine(Format(u"extracted {0} entries ({1} bytes); {2} names not in the container, {3} "
                     u"entries without a given name",
                     {count, bytes, plan.missing, container.mount().recordCount() - count}));
    return 0;
}

int Verify(const Arguments& arguments) {
    const char16_t* kCommand = u"verify";
    if (arguments.size() != 1)
        return Usage(kCommand);
    const String& path = arguments[0];
    ContainerFile container;
    Result result = container.open(path);
    if (result != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot mount \"{0}\"", {path}), result);
    vorn::ArchiveMount& mount = container.mount();
    const uint64_t containerSize = container.size();
    if (mount.header().containerSize != containerSize)
        return Fail(kCommand,
                    Format(u"\"{0}\" says it holds {1} bytes but has {2}",
                           {path, mount.header().containerSize, containerSize}),
                    vorn::kResultMalformed);
    for (uint32_t i = 1; i < mount.recordCount(); ++i) {
        if (mount.records()[i - 1].nameHash >= mount.records()[i].nameHash)
            return Fail(kCommand,
                        Format(u"the directory is not sorted by unique hashes at record {0}", {i}),
                        vorn::kResultMalformed);
    }
    ContentCheck check;
    CheckContents(mount, &check);
    for (const String& line : check.damaged)
        PrintError(Format(u"VornPack {0}: {1}", {kCommand, line}));
    if (check.firstFailure != vorn::kResultOk)
        return Fail(kCommand,
                    Format(u"{0} of {1} entries of \"{2}\" are damaged",
                           {uint32_t(check.damaged.size()), check.entries, path}),
                    check.firstFailure);
    PrintLine(Format(u"\"{0}\": {1} entries, {2} bytes, all readable",
                     {path, check.entries, check.bytes}));
    return 0;
}

} // namespace vornpack
