#include "Tools/VornPack/CheckXml.h"

#include <vector>

#include "Tools/VornPack/Console.h"
#include "Tools/VornPack/Files.h"
#include "VornLib/core/Format.h"

namespace vornpack {

using vorn::Format;
using vorn::Result;
using vorn::String;

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

int CheckXml(const Arguments& arguments) {
    if (arguments.empty())
        return Usage(u"check-xml");
    Result first = vorn::kResultOk;
    for (const String& path : arguments) {
        vorn::XmlDocument document;
        String message;
        const Result result = ParseXmlFile(path, &document, &message);
        if (result == vorn::kResultOk) {
            PrintLine(u"OK " + path);
        } else {
            PrintError(message);
            first = first ? first : result;
        }
    }
    return int(first);
}

} // namespace vornpack
