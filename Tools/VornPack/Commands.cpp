#include "Tools/VornPack/Commands.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/ContainerCheck.h"
#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/EntryEncoder.h"
#include "Tools/VornPack/ParallelEncoder.h"
#include "Tools/VornPack/Progress.h"
#include "VornLib/core/Format.h"
#include "VornLib/data/ArchiveMount.h"
#include "VornLib/data/EntryHandle.h"
#include "VornLib/data/EntryReadAhead.h"
#include "VornLib/data/FileStream.h"
#include "VornLib/data/NameHash.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#include <shellapi.h>
#else
#include <sys/stat.h>
#endif

namespace vornpack {

using vorn::CompressionKind;
using vorn::Format;
using vorn::Result;
using vorn::String;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kCopyChunk = 4u << 20;
// Threads that decode entries while the main thread writes: two keep both
// cores of a small machine busy, since decoding costs more than writing.
constexpr uint32_t kExtractLanes = 2;

fs::path PathOf(const String& text) {
    return fs::path(std::u16string(text.data(), text.length()));
}

String TextOf(const fs::path& path) {
    const std::u16string units = path.generic_u16string();
    return String(units.data(), uint32_t(units.size()));
}

String NativeTextOf(const fs::path& path) {
    const std::u16string units = path.u16string();
    return String(units.data(), uint32_t(units.size()));
}

// Reports one failure and gives the exit code.
int Fail(const char16_t* command, const String& what, Result result) {
    PrintError(Format(u"VornPack {0}: {1} (result {2})", {command, what, result}));
    return int(result ? result : vorn::kResultFailed);
}

int Usage(const char16_t* command, const char16_t* usage) {
    PrintError(Format(u"VornPack {0}: usage: VornPack {1}", {command, usage}));
    return int(vorn::kResultInvalidArgument);
}

// Pulls "--name value" out of the arguments; false when it is given without a value.
bool TakeOption(Arguments* arguments, const char16_t* name, String* value) {
    for (size_t i = 0; i < arguments->size(); ++i) {
        if ((*arguments)[i] != name)
            continue;
        if (i + 1 >= arguments->size())
            return false;
        *value = (*arguments)[i + 1];
        arguments->erase(arguments->begin() + long(i), arguments->begin() + long(i) + 2);
        return true;
    }
    return true;
}

// Every regular file under `folder`, by its relative name with "/" separators.
Result ListFolder(const fs::path& folder, std::vector<String>* names) {
    names->clear();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return vorn::kResultNotFound;
    fs::recursive_directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error))
            names->push_back(TextOf(it->path().lexically_relative(folder)));
    }
    if (error)
        return vorn::kResultAccessDenied;
    std::sort(names->begin(), names->end(),
              [](const String& a, const String& b) { return a.compare(b.data()) < 0; });
    return vorn::kResultOk;
}

// Names from a folder (its files) or from a list file (one UTF-8 name a line).
Result LoadNames(const String& source, std::vector<String>* names) {
    const fs::path path = PathOf(source);
    std::error_code error;
    if (fs::is_directory(path, error))
        return ListFolder(path, names);
    names->clear();
    std::vector<uint8_t> bytes;
    const Result result = ReadWholeFile(source, &bytes);
    if (result != vorn::kResultOk)
        return result;
    std::string line;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\n') {
            line += char(bytes[i]);
            continue;
        }
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            names->push_back(NativeTextOf(fs::u8path(line))); // exactly as written
        line.clear();
    }
    return vorn::kResultOk;
}

// A file written under a temporary name and renamed into place only when
// complete, so that a failure never leaves a truncated file behind.
class StagedFile {
public:
    explicit StagedFile(const fs::path& target) : target_(target), staging_(target) {
        staging_ += ".vornpack-partial";
    }
    ~StagedFile() {
        if (!committed_) {
            (void)stream_.close();
            std::error_code error;
            fs::remove(staging_, error);
        }
    }
    Result open() { return stream_.openWrite(NativeTextOf(staging_).data()); }
    vorn::FileStream& stream() { return stream_; }
    Result commit() {
        Result result = stream_.close();
        if (result != vorn::kResultOk)
            return result;
        std::error_code error;
        fs::rename(staging_, target_, error);
        if (error)
            return vorn::kResultAccessDenied;
        committed_ = true;
        return vorn::kResultOk;
    }

private:
    fs::path target_;
    fs::path staging_;
    vorn::FileStream stream_;
    bool committed_ = false;
};

// A container opened for reading through the installer's own reader.
struct MountedContainer {
    vorn::FileStream file;
    vorn::ArchiveMount mount;

    Result open(const String& path) {
        const Result result = file.openRead(path.data());
        return result == vorn::kResultOk ? mount.open(&file) : result;
    }
};

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

} // namespace

Result ReadWholeFile(const String& path, std::vector<uint8_t>* out) {
    out->clear();
    vorn::FileStream file;
    Result result = file.openRead(path.data());
    if (result != vorn::kResultOk)
        return result;
    const uint64_t size = file.size();
    if (size > SIZE_MAX / 2)
        return vorn::kResultCapacityExceeded;
    out->resize(size_t(size));
    for (uint64_t done = 0; done < size && result == vorn::kResultOk;) {
        const uint32_t piece = uint32_t(std::min<uint64_t>(kCopyChunk, size - done));
        result = file.read(out->data() + done, piece);
        done += piece;
    }
    if (result != vorn::kResultOk)
        out->clear();
    return result;
}

Result LastWriteTime(const fs::path& path, vorn::DateTime* out) {
    *out = vorn::kInvalidDateTime;
#ifdef _WIN32
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return vorn::ResultFromSystemError(GetLastError());
    const uint64_t fileTime =
        uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
    vorn::DateTime time = vorn::DateTimeFromFileTime(fileTime);
#else
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return vorn::kResultNotFound;
    vorn::DateTime time = vorn::DateTime(status.st_mtime) * vorn::kMicrosecondsPerSecond;
#endif
    const vorn::DateTime fraction = time % vorn::kMicrosecondsPerSecond;
    *out = time - (fraction < 0 ? fraction + vorn::kMicrosecondsPerSecond : fraction);
    return vorn::kResultOk;
}

bool TakeFlag(Arguments* arguments, const char16_t* name) {
    for (size_t i = 0; i < arguments->size(); ++i) {
        if ((*arguments)[i] == name) {
            arguments->erase(arguments->begin() + long(i));
            return true;
        }
    }
    return false;
}

int Pack(const Arguments& given) {
    const char16_t* kCommand = u"pack";
    const String usage =
        String(u"pack <folder> -o <container> [--quiet] [--jobs N] ") + MethodOption();
    Arguments arguments = given;
    String output;
    String methodText(u"auto");
    String jobsText;
    const bool quiet = TakeFlag(&arguments, u"--quiet");
    const bool solidAsked = TakeFlag(&arguments, u"--solid");
    const bool solidRefused = TakeFlag(&arguments, u"--no-solid");
    if ((solidAsked && solidRefused) || !TakeOption(&arguments, u"-o", &output) ||
        !TakeOption(&arguments, u"--method", &methodText) ||
        !TakeOption(&arguments, u"--jobs", &jobsText) || arguments.size() != 1 || output.isEmpty())
        return Usage(kCommand, usage.data());
    const MethodName* method = FindMethod(methodText);
    if (!method)
        return Fail(kCommand, Format(u"unknown method \"{0}\"", {methodText}),
                    vorn::kResultInvalidArgument);
    uint32_t jobs = DefaultJobs();
    const bool jobsGiven = std::find(given.begin(), given.end(), String(u"--jobs")) != given.end();
    if (jobsGiven && !ParseJobs(jobsText, &jobs))
        return Fail(kCommand, JobsError(jobsText), vorn::kResultInvalidArgument);

    const fs::path folder = PathOf(arguments[0]);
    std::vector<String> names;
    Result result = ListFolder(folder, &names);
    if (result != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot list the folder \"{0}\"", {arguments[0]}), result);
    const bool solid = SolidFor(*method, solidAsked, solidRefused);
    if (solid) {
        std::vector<String> ordered;
        for (const uint32_t index : SolidOrder(names))
            ordered.push_back(names[index]);
        names = std::move(ordered);
    }
    // The sizes for the progress line, the newest date for the header.
    uint64_t totalBytes = 0;
    std::vector<uint64_t> sizes;
    vorn::DateTime newest = vorn::kInvalidDateTime;
    for (const String& name : names) {
        const fs::path path = folder / PathOf(name);
        std::error_code error;
        sizes.push_back(fs::file_size(path, error));
        totalBytes += sizes.back();
        vorn::DateTime date = vorn::kInvalidDateTime;
        if (error || (result = LastWriteTime(path, &date)) != vorn::kResultOk)
            return Fail(kCommand, Format(u"cannot read \"{0}\"", {NativeTextOf(path)}),
                        error ? vorn::kResultAccessDenied : result);
        newest = newest == vorn::kInvalidDateTime ? date : std::max(newest, date);
    }

    StagedFile staged(PathOf(output));
    if ((result = staged.open()) != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot create \"{0}\"", {output}), result);
    ContainerWriter writer;
    uint32_t date = 0;
    uint32_t time = 0;
    BuildStamp(newest, &date, &time);
    if ((result = writer.begin(&staged.stream(), date, time)) != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot write \"{0}\"", {output}), result);

    ProgressLine progress(ChooseOutputMode(quiet));
    progress.start(uint32_t(names.size()), totalBytes);
    ParallelEncoder encoder(*method, jobs);
    auto pathOf = [&](uint32_t index) { return NativeTextOf(folder / PathOf(names[index])); };
    auto load = [&](uint32_t index, uint64_t offset, uint32_t length, std::vector<uint8_t>* data,
                    String* message) {
        return LoadFileRange(pathOf(index), sizes[index], offset, length, data, message);
    };
    PackPlan plan;
    String message;
    if (solid && (result = plan.make(sizes, std::vector<bool>(sizes.size(), true), load,
                                     PlanOptions(), &message)) != vorn::kResultOk)
        return Fail(kCommand, message, result);
    result = encoder.start(sizes, load, pathOf, solid ? &plan : nullptr);
    if (result != vorn::kResultOk)
        return Fail(kCommand, u"cannot start the compression", result);
    WrittenFile file;
    uint64_t unpackedTotal = 0;
    for (const String& name : names) {
        encoder.writeNext(&writer, name.data(), &file,
                          [&progress](uint64_t ahead) { progress.within(ahead); });
        result = file.result;
        if (result != vorn::kResultOk && !file.message.isEmpty())
            return Fail(kCommand, file.message, result);
        if (result == vorn::kResultAlreadyExists)
            return Fail(kCommand,
                        Format(u"\"{0}\" and \"{1}\" have the same name hash {2}; rename one",
                               {file.collidingName, name, HashText(vorn::NameHash(name.data()))}),
                        result);
        if (result != vorn::kResultOk)
            return Fail(kCommand, Format(u"cannot write \"{0}\" into \"{1}\"", {name, output}),
                        result);
        unpackedTotal += file.unpackedSize;
        progress.entryDone(file.unpackedSize);
    }
    if ((result = writer.finish()) != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot write \"{0}\"", {output}), result);
    const uint64_t containerSize = staged.stream().size();
    if ((result = staged.commit()) != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot finish \"{0}\"", {output}), result);
    progress.finish(Format(u"packed {0} files ({1} bytes) into \"{2}\" ({3} bytes)",
                           {uint32_t(names.size()), unpackedTotal, output, containerSize}));
    return 0;
}

int List(const Arguments& given) {
    const char16_t* kCommand = u"list";
    Arguments arguments = given;
    String namesSource;
    if (!TakeOption(&arguments, u"--names", &namesSource) || arguments.size() != 1)
        return Usage(kCommand, u"list <container> [--names <folder-or-list>]");
    std::map<uint32_t, String> namesByHash;
    if (!namesSource.isEmpty()) {
        std::vector<String> names;
        const Result result = LoadNames(namesSource, &names);
        if (result != vorn::kResultOk)
            return Fail(kCommand, Format(u"cannot read the names \"{0}\"", {namesSource}), result);
        for (const String& name : names)
            namesByHash.emplace(vorn::NameHash(name.data()), name);
    }
    MountedContainer container;
    Result result = container.open(arguments[0]);
    if (result != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot mount \"{0}\"", {arguments[0]}), result);
    if (namesSource.isEmpty())
        (void)ReadEntryNames(container.mount, &namesByHash); // the container's own, if any
    Result firstFailure = vorn::kResultOk;
    vorn::ArchiveMount& mount = container.mount;
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

int Extract(const Arguments& given) {
    const char16_t* kCommand = u"extract";
    Arguments arguments = given;
    String namesSource;
    if (!TakeOption(&arguments, u"--names", &namesSource) || arguments.size() != 2 ||
        namesSource.isEmpty())
        return Usage(kCommand, u"extract <container> <folder> --names <folder-or-list>");
    std::vector<String> names;
    Result result = LoadNames(namesSource, &names);
    if (result != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot read the names \"{0}\"", {namesSource}), result);
    for (const String& name : names) {
        if (!IsSafeName(name))
            return Fail(kCommand, Format(u"refusing the name \"{0}\"", {name}),
                        vorn::kResultInvalidName);
    }
    MountedContainer container;
    if ((result = container.open(arguments[0])) != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot mount \"{0}\"", {arguments[0]}), result);

    const fs::path target = PathOf(arguments[1]);
    std::vector<fs::path> created;
    // On failure, what this run made is taken away again.
    auto undo = [&created] {
        std::error_code error;
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            fs::remove(*it, error);
    };
    // Names the container lacks are counted and passed over; the others are
    // decoded a few chunks ahead while the previous ones are written.
    std::vector<String> present;
    for (const String& name : names) {
        if (container.mount.contains(name.data()))
            present.push_back(name);
    }
    const uint32_t missing = uint32_t(names.size() - present.size());
    // The members of a solid group one after another, so that it is decoded once.
    std::vector<uint64_t> units;
    SortByUnit(container.mount, &present, &units);
    // Each lane decodes with a reader of its own: a container serves one
    // entry at a time.
    std::vector<std::unique_ptr<MountedContainer>> readers;
    for (uint32_t lane = 0; lane < kExtractLanes; ++lane) {
        readers.emplace_back(new MountedContainer);
        if ((result = readers.back()->open(arguments[0])) != vorn::kResultOk)
            return Fail(kCommand, Format(u"cannot mount \"{0}\"", {arguments[0]}), result);
    }
    vorn::EntryReadAhead source(kCopyChunk, 3, kExtractLanes);
    result = source.start(
        uint32_t(present.size()),
        [&](uint32_t index, uint32_t lane, std::unique_ptr<vorn::Stream>* out) {
            std::unique_ptr<vorn::EntryHandle> entry;
            const Result opened =
                vorn::EntryHandle::open(&readers[lane]->mount, present[index].data(), &entry);
            *out = std::move(entry);
            return opened;
        },
        [&units](uint32_t index) { return units[index]; });
    if (result != vorn::kResultOk)
        return Fail(kCommand, u"cannot start reading", result);
    uint32_t extracted = 0;
    uint64_t bytes = 0;
    for (const String& name : present) {
        uint64_t size = 0;
        result = source.nextEntry(&size);
        if (result != vorn::kResultOk) {
            undo();
            return Fail(kCommand, Format(u"cannot open the entry \"{0}\"", {name}), result);
        }
        const fs::path path = target / PathOf(name);
        std::error_code error;
        for (fs::path parent = path.parent_path();
             !parent.empty() && parent != parent.parent_path() && !fs::exists(parent, error);
             parent = parent.parent_path())
            created.insert(created.begin(), parent); // outermost first, removed last
        fs::create_directories(path.parent_path(), error);
        const bool existed = fs::exists(path, error);
        StagedFile staged(path);
        result = staged.open();
        for (uint64_t done = 0; result == vorn::kResultOk && done < size;) {
            const uint8_t* chunk = nullptr;
            uint32_t count = 0;
            result = source.nextChunk(&chunk, &count);
            if (result == vorn::kResultOk)
                result = staged.stream().write(chunk, count);
            done += count;
        }
        if (result == vorn::kResultOk)
            result = staged.commit();
        if (result != vorn::kResultOk) {
            undo();
            return Fail(kCommand, Format(u"cannot extract \"{0}\"", {name}), result);
        }
        if (!existed)
            created.push_back(path);
        ++extracted;
        bytes += size;
    }
    PrintLine(Format(u"extracted {0} entries ({1} bytes); {2} names not in the container, {3} "
                     u"entries without a given name",
                     {extracted, bytes, missing, container.mount.recordCount() - extracted}));
    return 0;
}

int Verify(const Arguments& arguments) {
    const char16_t* kCommand = u"verify";
    if (arguments.size() != 1)
        return Usage(kCommand, u"verify <container>");
    MountedContainer container;
    Result result = container.open(arguments[0]);
    if (result != vorn::kResultOk)
        return Fail(kCommand, Format(u"cannot mount \"{0}\"", {arguments[0]}), result);
    vorn::ArchiveMount& mount = container.mount;
    const uint64_t fileSize = container.file.size();
    if (mount.header().containerSize != fileSize)
        return Fail(kCommand,
                    Format(u"\"{0}\" says it holds {1} bytes but has {2}",
                           {arguments[0], mount.header().containerSize, fileSize}),
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
                           {uint32_t(check.damaged.size()), check.entries, arguments[0]}),
                    check.firstFailure);
    PrintLine(Format(u"\"{0}\": {1} entries, {2} bytes, all readable",
                     {arguments[0], check.entries, check.bytes}));
    return 0;
}

Arguments CommandArguments(int argc, char** argv) {
    Arguments arguments;
#ifdef _WIN32
    // main's narrow arguments have lost what the code page cannot hold.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide && count >= argc) {
        for (int i = count - argc; i < count; ++i)
            arguments.push_back(String(vorn::Units(wide[i])));
        LocalFree(wide);
        return arguments;
    }
    if (wide)
        LocalFree(wide);
#endif
    for (int i = 0; i < argc; ++i)
        arguments.push_back(NativeTextOf(fs::u8path(argv[i])));
    return arguments;
}

int RunPack(int argc, char** argv) {
    return Pack(CommandArguments(argc, argv));
}
int RunList(int argc, char** argv) {
    return List(CommandArguments(argc, argv));
}
int RunExtract(int argc, char** argv) {
    return Extract(CommandArguments(argc, argv));
}
int RunVerify(int argc, char** argv) {
    return Verify(CommandArguments(argc, argv));
}

} // namespace vornpack
