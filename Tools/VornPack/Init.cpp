#include "Tools/VornPack/Init.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/FileList.h"
#include "Tools/VornPack/Files.h"
#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/WebAddress.h"
#include "VornLib/core/XmlWriter.h"
#include "VornLib/data/FileStream.h"

namespace vornpack {

using vorn::IsMailAddress;
using vorn::IsWebAddress;

namespace {

constexpr const char16_t* kCommand = u"init";
constexpr uint32_t kMaxVersionParts = 4;
constexpr uint32_t kMaxVersionPart = 65535;

bool StartsWith(const String& text, const char16_t* prefix) {
    const uint32_t length = vorn::TextLength(prefix);
    if (text.length() < length)
        return false;
    for (uint32_t i = 0; i < length; ++i) {
        const char16_t unit = text[i] >= u'A' && text[i] <= u'Z' ? text[i] + 32 : text[i];
        if (unit != prefix[i])
            return false;
    }
    return true;
}

bool IsVersion(const String& text) {
    uint32_t parts = 0;
    uint32_t value = 0;
    uint32_t digits = 0;
    for (uint32_t i = 0; i <= text.length(); ++i) {
        if (i == text.length() || text[i] == u'.') {
            if (!digits || ++parts > kMaxVersionParts)
                return false;
            value = digits = 0;
            continue;
        }
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        value = value * 10 + uint32_t(text[i] - u'0');
        if (++digits > 5 || value > kMaxVersionPart)
            return false;
    }
    return true;
}

bool EndsWithExe(const String& name) {
    return name.length() > 4 && StartsWith(name.mid(name.length() - 4), u".exe");
}

String ExecutableOf(const ProductValues& values) {
    return values.executable.isEmpty() ? values.name + u".exe" : values.executable;
}

// A product value that ends up in a file name, a folder or a registry key.
bool IsNameValue(const String& text) {
    return IsWindowsName(text) && text[0] != u' ';
}

std::string Escaped(const String& value, bool xml) {
    if (!xml)
        return Utf8(value);
    String escaped;
    vorn::AppendEscapedXml(&escaped, value);
    return Utf8(escaped);
}

} // namespace

Result CheckProductValues(const ProductValues& values, String* message) {
    const char16_t* kNameCharacters = u"\\ / : * ? \" < > |";
    if (!IsNameValue(values.name)) {
        *message = Format(u"the name \"{0}\" cannot name a file or folder: it must not be empty, "
                          u"hold {1} or control characters, or begin or end with a blank or dot",
                          {values.name, kNameCharacters});
        return vorn::kResultInvalidName;
    }
    if (!IsNameValue(values.company)) {
        *message = Format(u"the company \"{0}\" cannot name a registry key or folder: it must not "
                          u"be empty, hold {1} or control characters, or begin or end with a "
                          u"blank or dot",
                          {values.company, kNameCharacters});
        return vorn::kResultInvalidName;
    }
    if (!IsVersion(values.version)) {
        *message = Format(u"the version \"{0}\" is not numbers and dots: give one to four numbers "
                          u"up to {1}, like 1.0.0",
                          {values.version, kMaxVersionPart});
        return vorn::kResultInvalidArgument;
    }
    const String executable = ExecutableOf(values);
    if (!IsNameValue(executable) || !EndsWithExe(executable)) {
        *message =
            Format(u"the executable \"{0}\" is not a file name ending in .exe", {executable});
        return vorn::kResultInvalidName;
    }
    if (!values.webSite.isEmpty() && !IsWebAddress(values.webSite)) {
        *message = Format(u"the web site \"{0}\" is not an http:// or https:// address without "
                          u"blanks or quotes",
                          {values.webSite});
        return vorn::kResultInvalidArgument;
    }
    if (!values.support.isEmpty() && !IsWebAddress(values.support) &&
        !IsMailAddress(values.support)) {
        *message = Format(u"the support \"{0}\" is neither an http:// or https:// address nor an "
                          u"e-mail address like support@example.com",
                          {values.support});
        return vorn::kResultInvalidArgument;
    }
    if (values.product.isNull() || values.installer.isNull() ||
        values.product == values.installer) {
        *message = u"the product and its installer need two different UUIDs, neither of them null";
        return vorn::kResultInvalidArgument;
    }
    return vorn::kResultOk;
}

vorn::UUID RandomUuid() {
    std::random_device source;
    vorn::UUID uuid;
    for (uint32_t i = 0; i < 16; i += 4) {
        const uint32_t bits = source();
        for (uint32_t j = 0; j < 4; ++j)
            uuid.bytes[i + j] = uint8_t(bits >> (8 * j));
    }
    uuid.bytes[6] = uint8_t((uuid.bytes[6] & 0x0F) | 0x40); // version 4: random
    uuid.bytes[8] = uint8_t((uuid.bytes[8] & 0x3F) | 0x80); // the standard variant
    return uuid;
}

std::string FillTemplate(const TemplateFile& file, const ProductValues& values) {
    std::string text(reinterpret_cast<const char*>(file.bytes), file.size);
    if (!file.filled)
        return text;
    const bool mail = IsMailAddress(values.support);
    const String contact = values.support;
    const String supportEmail = mail ? values.support : String();
    const String technicalSupport = mail ? u"mailto:" + values.support : values.support;
    const struct {
        const char* token;
        String value;
    } kTokens[] = {
        {"@Name@", values.name},
        {"@Company@", values.company},
        {"@Version@", values.version},
        {"@Executable@", ExecutableOf(values)},
        {"@WebSite@", values.webSite},
        {"@TechnicalSupport@", technicalSupport},
        {"@Contact@", contact},
        {"@SupportEmail@", supportEmail},
        {"@ProductUUID@", values.product.toText()},
        {"@InstallerUUID@", values.installer.toText()},
    };
    const std::string name = file.name;
    const bool xml = name.size() > 4 && name.compare(name.size() - 4, 4, ".xml") == 0;
    std::string filled;
    for (size_t at = 0; at < text.size();) {
        bool replaced = false;
        for (const auto& token : kTokens) {
            if (text.compare(at, std::strlen(token.token), token.token) == 0) {
                filled += Escaped(token.value, xml);
                at += std::strlen(token.token);
                replaced = true;
                break;
            }
        }
        if (!replaced)
            filled += text[at++];
    }
    return filled;
}

Result WriteDefinitions(const fs::path& folder, const ProductValues& values, String* message) {
    Result result = CheckProductValues(values, message);
    if (result != vorn::kResultOk)
        return result;
    const String folderText = TextOf(folder);
    std::error_code error;
    const bool existed = fs::exists(folder, error);
    if (existed && !fs::is_directory(folder, error)) {
        *message = Format(u"\"{0}\" is a file; give a new or empty folder", {folderText});
        return vorn::kResultAlreadyExists;
    }
    if (existed && !fs::is_empty(folder, error)) {
        *message = Format(u"\"{0}\" is not empty; init writes only into a new or empty folder "
                          u"and overwrites nothing",
                          {folderText});
        return vorn::kResultDirectoryNotEmpty;
    }
    if (!existed && (!fs::create_directories(folder, error) || error)) {
        *message = Format(u"cannot create the folder \"{0}\"", {folderText});
        return vorn::kResultAccessDenied;
    }
    std::vector<fs::path> written;
    for (size_t i = 0; i < kDefinitionTemplateCount; ++i) {
        const TemplateFile& file = kDefinitionTemplates[i];
        const fs::path path = folder / file.name;
        const std::string bytes = FillTemplate(file, values);
        vorn::FileStream stream;
        // Pictures and other resources sit in folders of their own.
        fs::create_directories(path.parent_path(), error);
        result = stream.openWrite(TextOf(path).data());
        if (result == vorn::kResultOk) {
            written.push_back(path);
            result = stream.write(bytes.data(), uint32_t(bytes.size()));
        }
        if (result == vorn::kResultOk)
            result = stream.close();
        if (result != vorn::kResultOk) {
            (void)stream.close();
            for (const fs::path& done : written)
                fs::remove(done, error);
            // Folders made for the files go too; the folder itself when init made it.
            for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
                if (entry.is_directory(error) && fs::is_empty(entry.path(), error))
                    fs::remove(entry.path(), error);
            }
            if (!existed)
                fs::remove(folder, error);
            *message = Format(u"cannot write \"{0}\"", {TextOf(path)});
            return result;
        }
    }
    return vorn::kResultOk;
}

int Init(const Arguments& arguments) {
    OptionReader options(arguments);
    ProductValues values;
    String uuidText;
    const bool named = options.value(u"--name", &values.name);
    const bool companyGiven = options.value(u"--company", &values.company);
    const bool versionGiven = options.value(u"--version", &values.version);
    options.value(u"--executable", &values.executable);
    options.value(u"--website", &values.webSite);
    options.value(u"--support", &values.support);
    options.value(u"--uuid", &uuidText);
    const Arguments& rest = options.rest();
    if (!options.complete() || rest.size() != 1 || rest[0].isEmpty() || rest[0][0] == u'-' ||
        !named || !companyGiven || !versionGiven)
        return Usage(kCommand);
    if (uuidText.isEmpty()) {
        values.product = RandomUuid();
    } else if (vorn::UUID::Parse(uuidText.data(), &values.product) != vorn::kResultOk ||
               values.product.isNull()) {
        return Fail(kCommand,
                    Format(u"the UUID \"{0}\" is not 32 hexadecimal digits like "
                           u"7E3F2A91-5C4B-4D8E-9F10-2B3C4D5E6F70",
                           {uuidText}),
                    vorn::kResultInvalidArgument);
    }
    do
        values.installer = RandomUuid();
    while (values.installer == values.product);

    String message;
    const Result result = WriteDefinitions(PathOf(rest[0]), values, &message);
    if (result != vorn::kResultOk)
        return Fail(kCommand, message, result);
    PrintLine(Format(u"wrote {0} files for {1} {2} into \"{3}\" (product UUID {4}, installer "
                     u"UUID {5}); replace the licence placeholders in VornSetup-License-*.xml "
                     u"before you ship",
                     {uint32_t(kDefinitionTemplateCount), values.name, values.version, rest[0],
                      values.product.toText(), values.installer.toText()}));
    return 0;
}

} // namespace vornpack
