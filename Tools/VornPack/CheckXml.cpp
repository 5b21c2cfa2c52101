// check-xml: parses definition files with the framework's own XML reader so
// that vendors find mistakes in Configuration.xml, string tables and window
// descriptions before a setup executable is built from them.
#include <cstdio>
#include <vector>

#include "Tools/VornPack/Console.h"
#include "VornLib/core/Format.h"
#include "VornLib/core/XmlDocument.h"

namespace vornpack {
namespace {

vorn::String FromLocal(const char* text) {
    vorn::String out;
    for (; *text; ++text)
        out.append(char16_t(uint8_t(*text)));
    return out;
}

// 0, or the result with `message` set to the line to print.
vorn::Result CheckFile(const char* path, vorn::String* message) {
    const vorn::String name = FromLocal(path);
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        *message = vorn::Format(u"{0}: error {1}: the file cannot be opened",
                                {name, unsigned(vorn::kResultNotFound)});
        return vorn::kResultNotFound;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + count);
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed || bytes.size() > UINT32_MAX) {
        *message = vorn::Format(u"{0}: error {1}: the file cannot be read",
                                {name, unsigned(vorn::kResultPlatformFailure)});
        return vorn::kResultPlatformFailure;
    }
    vorn::XmlDocument document;
    // An empty vector may have no data pointer; the reader then reports "empty".
    static const uint8_t kNothing = 0;
    const vorn::Result result = document.parse(bytes.empty() ? &kNothing : bytes.data(),
                                               uint32_t(bytes.size()), name.data());
    if (result == vorn::kResultOk) {
        *message = u"OK " + name;
        return result;
    }
    *message = vorn::Format(u"{0}:{1}:{2}: error {3}: {4}",
                            {name, document.errorLine(), document.errorColumn(), unsigned(result),
                             document.errorText()});
    return result;
}

} // namespace

int RunCheckXml(int argc, char** argv) {
    if (argc < 1) {
        PrintError(u"usage: VornPack check-xml <file>...");
        return int(vorn::kResultInvalidArgument);
    }
    vorn::Result first = vorn::kResultOk;
    for (int i = 0; i < argc; ++i) {
        vorn::String message;
        const vorn::Result result = CheckFile(argv[i], &message);
        if (result == vorn::kResultOk) {
            PrintLine(message);
        } else {
            PrintError(message);
            if (first == vorn::kResultOk)
                first = result;
        }
    }
    return int(first);
}

} // namespace vornpack
