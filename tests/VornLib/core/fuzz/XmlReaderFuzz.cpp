// Feeds arbitrary bytes to the XML reader. Malformed input must end in a
// result code with an empty document; a document that parses must serialise,
// and what is serialised must parse again.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "VornLib/core/TextReader.h"
#include "VornLib/core/XmlDocument.h"
#include "VornLib/core/XmlWriter.h"

namespace {

class VectorStream : public vorn::Stream {
public:
    std::vector<uint8_t> bytes;
    vorn::Result close() override { return vorn::kResultOk; }
    vorn::Result read(void*, uint32_t) override { return vorn::kResultNotOpenForReading; }
    vorn::Result write(const void* source, uint32_t count) override {
        const uint8_t* data = static_cast<const uint8_t*>(source);
        bytes.insert(bytes.end(), data, data + count);
        return vorn::kResultOk;
    }
    vorn::Result flush(bool) override { return vorn::kResultOk; }
    uint64_t position() override { return bytes.size(); }
    vorn::Result seek(uint64_t) override { return vorn::kResultNotSupported; }
    uint64_t size() override { return bytes.size(); }
    vorn::String description() override { return vorn::String(u"vector"); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vorn::XmlDocument document;
    const vorn::Result result = document.parse(data, uint32_t(size), u"fuzz");
    if (result != vorn::kResultOk) {
        if (document.firstNode() || !document.errorLine())
            std::abort();
        return 0;
    }
    vorn::String text;
    // Comments are left out: their text may hold "&", which reads back as a
    // broken reference.
    const uint32_t options = vorn::kXmlWriteOuterTags | vorn::kXmlWriteIndent;
    if (vorn::WriteXml(document.root(), options, &text) != vorn::kResultOk)
        std::abort();
    VectorStream stream;
    vorn::TextWriter writer;
    if (writer.attach(&stream, vorn::TextEncoding::Utf8) != vorn::kResultOk ||
        writer.write(text) != vorn::kResultOk)
        std::abort();
    vorn::XmlDocument again;
    if (again.parse(stream.bytes.data(), uint32_t(stream.bytes.size()), u"again") !=
        vorn::kResultOk)
        std::abort();
    return 0;
}
