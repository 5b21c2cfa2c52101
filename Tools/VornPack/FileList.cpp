#include "Tools/VornPack/FileList.h"

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/XmlWriter.h"

namespace vornpack {

namespace {

// The root, the outermost "Files" and a "File" take three levels of the
// reader's limit.
constexpr uint32_t kMaxFolderDepth = vorn::kXmlMaxDepth - 3;

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

constexpr const char kFileListEnd[] = "  </Files>\n</FileList>\n";

String FileElement(const ApplicationFile& file, const String& name) {
    String xml =
        Format(u"<File Size=\"{0}\" Date=\"{1}\"{2}>",
               {file.size, vorn::TimeStampText(file.date), vorn::FileBaseAttributes(file.base)});
    vorn::AppendEscapedXml(&xml, name);
    xml.append(u"</File>\n");
    return xml;
}

String FileListStart() {
    String xml(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<FileList>\n  <Files Path=\"");
    vorn::AppendEscapedXml(&xml, kApplicationRoot);
    xml.append(u"\">\n");
    return xml;
}

void Indent(String* xml, uint32_t depth) {
    for (uint32_t i = 0; i < depth; ++i)
        xml->append(u"  ");
}

Result DescribeFolder(const std::filesystem::path& folder, const String& prefix, uint32_t depth,
                      String* xml, std::vector<ApplicationFile>* files, String* problem) {
    if (depth > kMaxFolderDepth) {
        *problem = Format(u"the folders of \"{0}\" are nested too deeply", {TextOf(folder)});
        return vorn::kResultCapacityExceeded;
    }
    std::vector<FolderEntry> entries;
    Result result = ReadFolder(folder, &entries, problem);
    if (result != vorn::kResultOk)
        return result;
    for (const FolderEntry& entry : entries) {
        if (!IsWindowsName(entry.name)) {
            *problem = Format(u"\"{0}\" is not a name Windows can create", {TextOf(entry.path)});
            return vorn::kResultInvalidName;
        }
        Indent(xml, depth + 2);
        if (entry.isFolder) {
            xml->append(u"<Files Path=\"");
            vorn::AppendEscapedXml(xml, entry.name + u"/");
            xml->append(u"\">\n");
            result = DescribeFolder(entry.path, prefix + entry.name + u"/", depth + 1, xml, files,
                                    problem);
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
        file.size = std::filesystem::file_size(entry.path, error);
        if (error || (result = LastWriteTime(entry.path, &file.date)) != vorn::kResultOk) {
            *problem = Format(u"cannot read \"{0}\"", {TextOf(entry.path)});
            return error ? vorn::kResultAccessDenied : result;
        }
        xml->append(FileElement(file, entry.name));
        files->push_back(file);
    }
    return vorn::kResultOk;
}

} // namespace

Result DescribeApplication(const std::filesystem::path& folder, std::string* fileListXml,
                           std::vector<ApplicationFile>* files, String* problem) {
    if (!fileListXml || !files || !problem)
        return vorn::kResultNullOutput;
    fileListXml->clear();
    files->clear();
    problem->clear();
    Result result = CheckFolder(folder, u"application folder", problem);
    if (result != vorn::kResultOk)
        return result;
    String xml = FileListStart();
    result = DescribeFolder(folder, String(), 0, &xml, files, problem);
    if (result != vorn::kResultOk) {
        files->clear();
        return result;
    }
    *fileListXml = Utf8(xml) + kFileListEnd;
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
        Indent(&xml, runFolder.isEmpty() ? 2 : 3);
        xml.append(FileElement(file, name));
    }
    if (!runFolder.isEmpty())
        xml.append(u"    </Files>\n");
    return Utf8(xml) + kFileListEnd;
}

Result CheckFrameworkProgramName(const std::vector<ApplicationFile>& files, const String& name,
                                 String* problem) {
    for (const ApplicationFile& file : files) {
        if (file.relativePath.compareIgnoringCase(name.data()) == 0) {
            *problem = Format(u"the application folder holds \"{0}\" already: the setup puts a "
                              u"program of the framework there under that name; rename that file",
                              {file.relativePath});
            return vorn::kResultAlreadyExists;
        }
    }
    return vorn::kResultOk;
}

Result AddFrameworkProgram(const ApplicationFile& program, bool removes, std::string* fileListXml,
                           std::vector<ApplicationFile>* files, String* problem) {
    const Result result = CheckFrameworkProgramName(*files, program.relativePath, problem);
    if (result != vorn::kResultOk)
        return result;
    // The outermost Files element ends the list, or stands before the
    // removal program's name.
    const size_t end = fileListXml->rfind("  </Files>\n");
    if (end == std::string::npos)
        return vorn::kResultMalformed;
    String added(u"    ");
    added.append(FileElement(program, program.relativePath));
    fileListXml->insert(end, Utf8(added));
    if (removes) {
        String name(u"  <RemovalProgram>");
        vorn::AppendEscapedXml(&name, program.relativePath);
        name.append(u"</RemovalProgram>\n");
        fileListXml->insert(fileListXml->rfind("</FileList>"), Utf8(name));
    }
    files->push_back(program);
    return vorn::kResultOk;
}

} // namespace vornpack
