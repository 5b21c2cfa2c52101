#include "Tools/VornPack/Setup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/ContainerWriter.h"
#include "Tools/VornPack/ParallelEncoder.h"
#include "Tools/VornPack/PeResources.h"
#include "Tools/VornPack/Progress.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/XmlWriter.h"
#include "VornLib/data/FileStream.h"
#include "VornLib/data/NameHash.h"

#ifdef _WIN32
#include "VornLib/core/Win32.h"
#else
#include <sys/wait.h>
#endif

namespace vornpack {

using vorn::Format;
using vorn::Result;
using vorn::String;
namespace fs = std::filesystem;

namespace {

constexpr const char16_t* kCommand = u"setup";
constexpr const char16_t* kUsage =
    u"setup --app <folder> --definitions <folder> -o <Setup.exe> [--stub <VornSetup.exe>] "
    u"[--sign-command \"<command with {}>\"] [--quiet] [--jobs N]";
// Where the sign command's text names the file to sign.
constexpr const char16_t* kFilePlaceholder = u"{}";
constexpr const char16_t* kStubName = u"VornSetup.exe";
constexpr const char16_t* kFileListName = u"Data/Xml/FileList.xml";
constexpr uint16_t kPayloadResource = 4096;
// The root, the outermost "Files" and a "File" take three levels of the
// reader's limit.
constexpr uint32_t kMaxFolderDepth = vorn::kXmlMaxDepth - 3;

String TextOf(const fs::path& path) {
    const std::u16string units = path.u16string();
    return String(units.data(), uint32_t(units.size()));
}
fs::path PathOf(const String& text) {
    return fs::path(std::u16string(text.data(), text.length()));
}

int Fail(const String& what, Result result) {
    PrintError(Format(u"VornPack {0}: {1} (result {2})", {kCommand, what, result}));
    return int(result ? result : vorn::kResultFailed);
}

// Names Windows reserves for devices, with or without an extension.
constexpr const char16_t* kDeviceNames[] = {
    u"CON",  u"PRN",  u"AUX",  u"NUL",  u"COM1", u"COM2", u"COM3", u"COM4",
    u"COM5", u"COM6", u"COM7", u"COM8", u"COM9", u"LPT1", u"LPT2", u"LPT3",
    u"LPT4", u"LPT5", u"LPT6", u"LPT7", u"LPT8", u"LPT9",
};
constexpr char16_t kForbiddenCharacters[] = u"\\/:*?\"<>|";

} // namespace

bool IsWindowsName(const String& name) {
    const uint32_t length = name.length();
    if (!length || name[length - 1] == u' ' || name[length - 1] == u'.')
        return false;
    for (uint32_t i = 0; i < length; ++i) {
        const char16_t unit = name[i];
        if (unit < 0x20 || std::char_traits<char16_t>::find(kForbiddenCharacters, 9, unit))
            return false;
        if (unit >= 0xD800 && unit < 0xDC00) {
            if (i + 1 >= length || name[i + 1] < 0xDC00 || name[i + 1] >= 0xE000)
                return false;
            ++i;
        } else if (unit >= 0xDC00 && unit < 0xE000) {
            return false;
        }
    }
    const int32_t dot = name.find(u'.');
    String stem = dot < 0 ? name : name.left(uint32_t(dot));
    while (stem.length() && stem[stem.length() - 1] == u' ')
        stem = stem.left(stem.length() - 1);
    for (const char16_t* device : kDeviceNames) {
        const uint32_t deviceLength = vorn::TextLength(device);
        if (stem.length() != deviceLength)
            continue;
        bool same = true;
        for (uint32_t i = 0; i < deviceLength; ++i) {
            const char16_t unit = stem[i] >= u'a' && stem[i] <= u'z' ? stem[i] - 32 : stem[i];
            same = same && unit == device[i];
        }
        if (same)
            return false;
    }
    return true;
}

namespace {

struct FolderEntry {
    String name;
    fs::path path;
    bool isFolder;
};

Result SortedEntries(const fs::path& folder, std::vector<FolderEntry>* entries) {
    entries->clear();
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const bool isFolder = it->is_directory(error);
        if (!error && (isFolder || it->is_regular_file(error)))
            entries->push_back({TextOf(it->path().filename()), it->path(), isFolder});
    }
    if (error)
        return vorn::kResultAccessDenied;
    std::sort(entries->begin(), entries->end(), [](const FolderEntry& a, const FolderEntry& b) {
        return a.name.compare(b.name.data()) < 0;
    });
    return vorn::kResultOk;
}

void Indent(String* xml, uint32_t depth) {
    for (uint32_t i = 0; i < depth; ++i)
        xml->append(u"  ");
}

void AppendFileElement(String* xml, const ApplicationFile& file, const String& name) {
    xml->append(
        Format(u"<File Size=\"{0}\" Date=\"{1}\">", {file.size, vorn::TimeStampText(file.date)}));
    vorn::AppendEscapedXml(xml, name);
    xml->append(u"</File>\n");
}

String FileListStart() {
    String xml(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FileList>\n  <Files Path=\"");
    vorn::AppendEscapedXml(&xml, kApplicationRoot);
    xml.append(u"\">\n");
    return xml;
}

constexpr const char16_t* kFileListEnd = u"  </Files>\n</FileList>\n";

Result DescribeFolder(const fs::path& folder, const String& prefix, uint32_t depth, String* xml,
                      std::vector<ApplicationFile>* files, String* badName) {
    if (depth > kMaxFolderDepth)
        return vorn::kResultCapacityExceeded;
    std::vector<FolderEntry> entries;
    Result result = SortedEntries(folder, &entries);
    if (result != vorn::kResultOk) {
        *badName = prefix;
        return result;
    }
    for (const FolderEntry& entry : entries) {
        if (!IsWindowsName(entry.name)) {
            *badName = prefix + entry.name;
            return vorn::kResultInvalidName;
        }
        Indent(xml, depth + 2);
        if (entry.isFolder) {
            xml->append(u"<Files Path=\"");
            vorn::AppendEscapedXml(xml, entry.name + u"/");
            xml->append(u"\">\n");
            result = DescribeFolder(entry.path, prefix + entry.name + u"/", depth + 1, xml, files,
                                    badName);
            if (result != vorn::kResultOk)
                return result;
            Indent(xml, depth + 2);
            xml->append(u"</Files>\n");
            continue;
        }
        ApplicationFile file;
        file.relativePath = prefix + entry.name;
        file.source = entry.path;
        std::error_code error;
        file.size = fs::file_size(entry.path, error);
        if (error || (result = LastWriteTime(entry.path, &file.date)) != vorn::kResultOk) {
            *badName = file.relativePath;
            return error ? vorn::kResultAccessDenied : result;
        }
        AppendFileElement(xml, file, entry.name);
        files->push_back(file);
    }
    return vorn::kResultOk;
}

// A file of the definitions folder and its name in the payload.
struct DefinitionFile {
    String entryName;
    String relativePath;
    fs::path source;
    uint64_t size;
    vorn::DateTime date;
};

bool IsXmlName(const fs::path& path) {
    std::u16string extension = path.extension().u16string();
    for (char16_t& unit : extension) {
        if (unit >= u'A' && unit <= u'Z')
            unit = char16_t(unit + 32);
    }
    return extension == u".xml";
}

Result ListDefinitions(const fs::path& folder, std::vector<DefinitionFile>* out) {
    out->clear();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return vorn::kResultNotFound;
    fs::recursive_directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error))
            continue;
        const fs::path relative = it->path().lexically_relative(folder);
        const std::u16string units = relative.generic_u16string();
        const String relativeText(units.data(), uint32_t(units.size()));
        const bool topLevelXml = !relative.has_parent_path() && IsXmlName(relative);
        const uint64_t size = fs::file_size(it->path(), error);
        vorn::DateTime date = vorn::kInvalidDateTime;
        if (error || LastWriteTime(it->path(), &date) != vorn::kResultOk)
            return vorn::kResultAccessDenied;
        out->push_back({(topLevelXml ? u"Data/Xml/" : u"Data/") + relativeText, relativeText,
                        it->path(), size, date});
    }
    if (error)
        return vorn::kResultAccessDenied;
    std::sort(out->begin(), out->end(), [](const DefinitionFile& a, const DefinitionFile& b) {
        return a.relativePath.compare(b.relativePath.data()) < 0;
    });
    return vorn::kResultOk;
}

// The same line check-xml prints: "<file>:<line>:<column>: error <code>: <what>".
Result CheckXml(const String& name, const std::vector<uint8_t>& bytes, String* message) {
    static const uint8_t kNothing = 0;
    vorn::XmlDocument document;
    if (bytes.size() > UINT32_MAX)
        return vorn::kResultCapacityExceeded;
    const Result result = document.parse(bytes.empty() ? &kNothing : bytes.data(),
                                         uint32_t(bytes.size()), name.data());
    if (result != vorn::kResultOk)
        *message = Format(u"{0}:{1}:{2}: error {3}: {4}",
                          {name, document.errorLine(), document.errorColumn(), unsigned(result),
                           document.errorText()});
    return result;
}

// A file that exists only while the command runs.
class TemporaryFile {
public:
    explicit TemporaryFile(fs::path path) : path_(std::move(path)) {}
    ~TemporaryFile() { discard(); }
    const fs::path& path() const { return path_; }
    void keep() { kept_ = true; }
    void discard() {
        if (kept_)
            return;
        std::error_code error;
        fs::remove(path_, error);
    }

private:
    fs::path path_;
    bool kept_ = false;
};

fs::path OwnFolder() {
#ifdef _WIN32
    std::vector<wchar_t> buffer(32768);
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (!length || length >= buffer.size())
        return fs::path();
    return fs::path(std::wstring(buffer.data(), length)).parent_path();
#else
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).parent_path();
#endif
}

// One entry of the payload: a file, or the generated file list when `source` is empty.
struct PayloadItem {
    String entryName;
    fs::path source;
    uint64_t size;
    bool applicationFile;
};

String CollisionMessage(const String& colliding, const String& entryName) {
    return colliding == entryName
               ? Format(u"\"{0}\" would be packed twice", {entryName})
               : Format(u"\"{0}\" and \"{1}\" have the same name hash {2,08:X}; rename one",
                        {colliding, entryName, vorn::NameHash(entryName.data())});
}

struct StubMessage {
    Result result;
    const char16_t* text;
};
constexpr StubMessage kStubMessages[] = {
    {vorn::kResultMalformed, u"\"{0}\" is not a well-formed Windows executable"},
    {vorn::kResultUnsupportedFormat, u"\"{0}\" has a resource layout that cannot take a payload"},
    {vorn::kResultAccessDenied,
     u"\"{0}\" is signed; a payload would break its signature, so use an unsigned stub and sign "
     u"the setup executable afterwards"},
    {vorn::kResultCapacityExceeded, u"\"{0}\" has too many resources"},
};

String QuotedForShell(const fs::path& path) {
#ifdef _WIN32
    return u'"' + TextOf(path) + u'"'; // Windows names hold no quotes
#else
    String quoted(u"'");
    const String text = TextOf(path);
    for (uint32_t i = 0; i < text.length(); ++i) {
        if (text[i] == u'\'')
            quoted.append(u"'\\''");
        else
            quoted.append(text[i]);
    }
    return quoted + u"'";
#endif
}

// Runs the vendor's sign command through the system's shell with every "{}"
// replaced by the quoted path of `file`; 0 only when it ended with 0 and left
// an executable at `file`.
Result RunSignCommand(const String& command, const fs::path& file, String* message) {
    String line;
    for (uint32_t i = 0; i < command.length(); ++i) {
        if (command[i] == u'{' && i + 1 < command.length() && command[i + 1] == u'}') {
            line.append(QuotedForShell(file));
            ++i;
        } else {
            line.append(command[i]);
        }
    }
    ClearStatus();
    std::fflush(stdout);
#ifdef _WIN32
    // cmd.exe /c drops the first and the last quote of a line holding more
    // than two, so that these extra ones keep the vendor's own quotes intact.
    const std::u16string units = u'"' + std::u16string(line.data(), line.length()) + u'"';
    const int status = _wsystem(reinterpret_cast<const wchar_t*>(units.c_str()));
    const int exitCode = status;
#else
    const int status = std::system(Utf8(line).c_str());
    const int exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    if (status == -1 || exitCode != 0) {
        *message = Format(u"the sign command failed (exit code {0}); no setup was written: {1}",
                          {exitCode, line});
        return vorn::kResultFailed;
    }
    uint8_t magic[2] = {};
    vorn::FileStream signedFile;
    if (signedFile.openRead(TextOf(file).data()) != vorn::kResultOk ||
        signedFile.read(magic, 2) != vorn::kResultOk || magic[0] != 'M' || magic[1] != 'Z') {
        *message = Format(u"the sign command left no executable at {0}; no setup was written",
                          {QuotedForShell(file)});
        return vorn::kResultMalformed;
    }
    return vorn::kResultOk;
}

} // namespace

Result DescribeApplication(const fs::path& folder, std::string* fileListXml,
                           std::vector<ApplicationFile>* files, String* badName) {
    if (!fileListXml || !files || !badName)
        return vorn::kResultNullOutput;
    fileListXml->clear();
    files->clear();
    badName->clear();
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return vorn::kResultNotFound;
    String xml = FileListStart();
    const Result result = DescribeFolder(folder, String(), 0, &xml, files, badName);
    if (result != vorn::kResultOk) {
        files->clear();
        return result;
    }
    xml.append(kFileListEnd);
    *fileListXml = Utf8(xml);
    return vorn::kResultOk;
}

std::string OrderedFileList(const std::vector<ApplicationFile>& files) {
    String xml = FileListStart();
    String runFolder;
    for (const ApplicationFile& file : files) {
        const int32_t slash = file.relativePath.findLast(u'/');
        const String folder = slash < 0 ? String() : file.relativePath.left(uint32_t(slash + 1));
        const String name =
            slash < 0 ? file.relativePath : file.relativePath.mid(uint32_t(slash + 1));
        if (folder != runFolder && !runFolder.isEmpty())
            xml.append(u"    </Files>\n");
        if (folder != runFolder && !folder.isEmpty()) {
            xml.append(u"    <Files Path=\"");
            vorn::AppendEscapedXml(&xml, folder);
            xml.append(u"\">\n");
        }
        runFolder = folder;
        xml.append(runFolder.isEmpty() ? u"    " : u"      ");
        AppendFileElement(&xml, file, name);
    }
    if (!runFolder.isEmpty())
        xml.append(u"    </Files>\n");
    xml.append(kFileListEnd);
    return Utf8(xml);
}

int Setup(const Arguments& given) {
    Arguments arguments = given;
    const bool quiet = TakeFlag(&arguments, u"--quiet");
    const bool solidAsked = TakeFlag(&arguments, u"--solid");
    const bool solidRefused = TakeFlag(&arguments, u"--no-solid");
    String app;
    String definitions;
    String output;
    String stub;
    String methodText(u"auto");
    String signCommand;
    String jobsText;
    for (auto option :
         {std::make_pair(u"--app", &app), std::make_pair(u"--definitions", &definitions),
          std::make_pair(u"-o", &output), std::make_pair(u"--stub", &stub),
          std::make_pair(u"--method", &methodText), std::make_pair(u"--jobs", &jobsText),
          std::make_pair(u"--sign-command", &signCommand)}) {
        for (size_t i = 0; i + 1 < arguments.size(); ++i) {
            if (arguments[i] == option.first) {
                *option.second = arguments[i + 1];
                arguments.erase(arguments.begin() + long(i), arguments.begin() + long(i) + 2);
                break;
            }
        }
    }
    if (!arguments.empty() || app.isEmpty() || definitions.isEmpty() || output.isEmpty() ||
        methodText.isEmpty() || (solidAsked && solidRefused)) {
        PrintError(
            Format(u"VornPack {0}: usage: VornPack {1} {2}", {kCommand, kUsage, MethodOption()}));
        return int(vorn::kResultInvalidArgument);
    }
    if (std::find(given.begin(), given.end(), String(u"--sign-command")) != given.end() &&
        signCommand.find(kFilePlaceholder) < 0)
        return Fail(
            Format(u"the sign command must name the file to sign as {0}", {kFilePlaceholder}),
            vorn::kResultInvalidArgument);
    const MethodName* method = FindMethod(methodText);
    if (!method)
        return Fail(Format(u"unknown method \"{0}\"", {methodText}), vorn::kResultInvalidArgument);
    uint32_t jobs = DefaultJobs();
    const bool jobsGiven = std::find(given.begin(), given.end(), String(u"--jobs")) != given.end();
    if (jobsGiven && !ParseJobs(jobsText, &jobs))
        return Fail(JobsError(jobsText), vorn::kResultInvalidArgument);
    if (stub.isEmpty())
        stub = TextOf(OwnFolder() / PathOf(kStubName));

    // The stub first: a wrong one fails before the long packing.
    std::vector<uint8_t> stubBytes;
    Result result = ReadWholeFile(stub, &stubBytes);
    if (result != vorn::kResultOk)
        return Fail(Format(u"cannot read the stub \"{0}\"", {stub}), result);
    PeImage image;
    if ((result = image.parse(stubBytes.data(), stubBytes.size())) != vorn::kResultOk) {
        String what = Format(u"cannot use the stub \"{0}\"", {stub});
        for (const StubMessage& message : kStubMessages) {
            if (message.result == result)
                what = Format(message.text, {stub});
        }
        return Fail(what, result);
    }

    std::string fileList;
    std::vector<ApplicationFile> appFiles;
    String badName;
    result = DescribeApplication(PathOf(app), &fileList, &appFiles, &badName);
    if (result == vorn::kResultInvalidName)
        return Fail(Format(u"\"{0}\" in \"{1}\" is not a name Windows can create", {badName, app}),
                    result);
    if (result == vorn::kResultCapacityExceeded)
        return Fail(Format(u"the folders of \"{0}\" are nested too deeply", {app}), result);
    if (result != vorn::kResultOk)
        return Fail(Format(u"cannot list the application folder \"{0}\" {1}", {app, badName}),
                    result);
    // Packed solid, the application's files go in the order in which they
    // pack best together; the installer copies them in that order.
    const bool solid = SolidFor(*method, solidAsked, solidRefused);
    if (solid) {
        std::vector<String> paths;
        for (const ApplicationFile& file : appFiles)
            paths.push_back(file.relativePath);
        std::vector<ApplicationFile> ordered;
        for (const uint32_t index : SolidOrder(paths))
            ordered.push_back(appFiles[index]);
        appFiles = std::move(ordered);
        fileList = OrderedFileList(appFiles);
    }
    std::vector<DefinitionFile> definitionFiles;
    if ((result = ListDefinitions(PathOf(definitions), &definitionFiles)) != vorn::kResultOk)
        return Fail(Format(u"cannot list the definitions folder \"{0}\"", {definitions}), result);
    // Totals for the progress line; the newest input date stamps the payload,
    // so that the same inputs always give the same bytes.
    uint64_t totalBytes = fileList.size();
    vorn::DateTime newest = vorn::kInvalidDateTime;
    if ((result = LastWriteTime(PathOf(stub), &newest)) != vorn::kResultOk)
        return Fail(Format(u"cannot read the stub \"{0}\"", {stub}), result);
    for (const DefinitionFile& file : definitionFiles) {
        if (file.entryName == kFileListName)
            return Fail(Format(u"\"{0}\" is generated from the application folder; remove it from "
                               u"\"{1}\"",
                               {file.relativePath, definitions}),
                        vorn::kResultAlreadyExists);
        totalBytes += file.size;
        newest = std::max(newest, file.date);
    }
    // The definitions are checked before the long packing.
    String message;
    for (const DefinitionFile& file : definitionFiles) {
        if (!IsXmlName(file.source))
            continue;
        const String path = TextOf(file.source);
        std::vector<uint8_t> data;
        if ((result = ReadWholeFile(path, &data)) != vorn::kResultOk)
            return Fail(Format(u"cannot read \"{0}\"", {path}), result);
        if (CheckXml(path, data, &message) != vorn::kResultOk) {
            PrintError(message);
            return Fail(Format(u"\"{0}\" is not valid XML", {path}), vorn::kResultMalformed);
        }
    }
    for (const ApplicationFile& file : appFiles) {
        totalBytes += file.size;
        newest = std::max(newest, file.date);
    }

    const fs::path outputPath = PathOf(output);
    TemporaryFile container(fs::path(outputPath) += ".vornpack-payload");
    TemporaryFile staging(fs::path(outputPath) += ".vornpack-partial");
    vorn::FileStream containerStream;
    if ((result = containerStream.openWrite(TextOf(container.path()).data())) != vorn::kResultOk)
        return Fail(Format(u"cannot create \"{0}\"", {TextOf(container.path())}), result);
    ContainerWriter writer;
    uint32_t date = 0;
    uint32_t time = 0;
    BuildStamp(newest, &date, &time);
    if ((result = writer.begin(&containerStream, date, time)) != vorn::kResultOk)
        return Fail(Format(u"cannot write \"{0}\"", {TextOf(container.path())}), result);

    // The definitions first, then the file list, then the application, each
    // compressed on any core and written in this order.
    std::vector<PayloadItem> items;
    for (const DefinitionFile& file : definitionFiles)
        items.push_back({file.entryName, file.source, file.size, false});
    items.push_back({kFileListName, fs::path(), fileList.size(), false});
    for (const ApplicationFile& file : appFiles)
        items.push_back({kApplicationRoot + file.relativePath, file.source, file.size, true});
    std::vector<uint64_t> sizes;
    for (const PayloadItem& item : items)
        sizes.push_back(item.size);

    ProgressLine progress(ChooseOutputMode(quiet));
    progress.start(uint32_t(items.size()), totalBytes);
    ParallelEncoder encoder(*method, jobs);
    auto load = [&](uint32_t index, uint64_t offset, uint32_t length, std::vector<uint8_t>* data,
                    String* message) {
        const PayloadItem& item = items[index];
        if (item.source.empty()) {
            data->assign(fileList.begin() + long(offset), fileList.begin() + long(offset + length));
            return vorn::kResultOk;
        }
        return LoadFileRange(TextOf(item.source), item.size, offset, length, data, message);
    };
    // The application's files may go into solid groups; the definitions stay
    // alone, so that the installer reads each by name without decoding a group.
    PackPlan plan;
    if (solid) {
        std::vector<bool> groupable;
        for (const PayloadItem& item : items)
            groupable.push_back(item.applicationFile);
        if ((result = plan.make(sizes, groupable, load, PlanOptions(), &message)) !=
            vorn::kResultOk)
            return Fail(message, result);
    }
    result = encoder.start(
        sizes, load, [&](uint32_t index) { return items[index].entryName; },
        solid ? &plan : nullptr);
    if (result != vorn::kResultOk)
        return Fail(u"cannot start the compression", result);
    WrittenFile file;
    uint64_t appBytes = 0;
    for (const PayloadItem& item : items) {
        encoder.writeNext(&writer, item.entryName.data(), &file,
                          [&progress](uint64_t ahead) { progress.within(ahead); });
        result = file.result;
        if (result != vorn::kResultOk && !file.message.isEmpty())
            return Fail(file.message, result);
        if (result == vorn::kResultAlreadyExists)
            return Fail(CollisionMessage(file.collidingName, item.entryName), result);
        if (result != vorn::kResultOk)
            return Fail(Format(u"cannot write \"{0}\" into the payload", {item.entryName}), result);
        progress.entryDone(file.unpackedSize);
        if (item.applicationFile)
            appBytes += file.unpackedSize;
    }
    if ((result = writer.finish()) != vorn::kResultOk ||
        (result = containerStream.close()) != vorn::kResultOk)
        return Fail(Format(u"cannot write \"{0}\"", {TextOf(container.path())}), result);

    vorn::FileStream payload;
    vorn::FileStream setup;
    if ((result = payload.openRead(TextOf(container.path()).data())) != vorn::kResultOk)
        return Fail(Format(u"cannot read \"{0}\"", {TextOf(container.path())}), result);
    const uint64_t payloadSize = payload.size();
    if ((result = setup.openWrite(TextOf(staging.path()).data())) != vorn::kResultOk)
        return Fail(Format(u"cannot create \"{0}\"", {TextOf(staging.path())}), result);
    result =
        image.writeWithResource(ResourceKey::Id(kResourceRcData), ResourceKey::Id(kPayloadResource),
                                &payload, payloadSize, &setup);
    if (result == vorn::kResultCapacityExceeded)
        return Fail(
            Format(u"the payload ({0} bytes) does not fit into \"{1}\"", {payloadSize, stub}),
            result);
    if (result == vorn::kResultOk)
        result = setup.close();
    if (result != vorn::kResultOk)
        return Fail(Format(u"cannot write \"{0}\"", {output}), result);
    (void)payload.close();
    container.discard();
    // Signed before it takes the output's name: a failed signature leaves no
    // unsigned setup behind that could be shipped by mistake.
    if (!signCommand.isEmpty() &&
        (result = RunSignCommand(signCommand, staging.path(), &message)) != vorn::kResultOk)
        return Fail(message, result);
    std::error_code error;
    fs::rename(staging.path(), outputPath, error);
    if (error)
        return Fail(Format(u"cannot create \"{0}\"", {output}), vorn::kResultAccessDenied);
    staging.keep();
    progress.finish(
        Format(u"wrote \"{0}\": {1} application files ({2} bytes), {3} definition "
               u"files, payload {4} bytes{5}",
               {output, uint32_t(appFiles.size()), appBytes, uint32_t(definitionFiles.size()),
                payloadSize, signCommand.isEmpty() ? u"" : u", signed"}));
    return 0;
}

int RunSetup(int argc, char** argv) {
    return Setup(CommandArguments(argc, argv));
}

} // namespace vornpack
