#include "VornLib/core/XmlDocument.h"

#include <cstring>
#include <new>

#include "VornLib/core/XmlParser.h"

namespace vorn {
namespace {

// Bytes in memory as a read-only stream (the data library's streams are not
// available to core code).
class BlockStream : public Stream {
public:
    BlockStream(const void* bytes, uint32_t size, const char16_t* description)
        : bytes_(static_cast<const uint8_t*>(bytes)), size_(size),
          description_(description ? description : u"memory") {}
    Result close() override { return kResultOk; }
    Result read(void* destination, uint32_t count) override {
        if (!destination)
            return kResultNullOutput;
        if (count > size_ - position_)
            return kResultEndOfData;
        std::memcpy(destination, bytes_ + position_, count);
        position_ += count;
        return kResultOk;
    }
    Result write(const void*, uint32_t) override { return kResultNotOpenForWriting; }
    Result flush(bool) override { return kResultOk; }
    uint64_t position() override { return position_; }
    Result seek(uint64_t offset) override {
        if (offset > size_)
            return kResultOutOfRange;
        position_ = uint32_t(offset);
        return kResultOk;
    }
    uint64_t size() override { return size_; }
    String description() override { return description_; }

private:
    const uint8_t* bytes_;
    uint32_t size_;
    uint32_t position_ = 0;
    String description_;
};

} // namespace

void XmlDocument::reset() {
    XmlNode::DestroyList(nodes_);
    nodes_ = nullptr;
    line_ = 1;
    column_ = 0;
    version_ = 0x100;
    standalone_ = true;
}

void XmlDocument::clear() {
    reset();
    errorLine_ = errorColumn_ = 0;
    errorText_ = u"";
}

XmlNode* XmlDocument::root() const {
    for (XmlNode* node = nodes_; node; node = node->nextNode()) {
        if (node->isElement())
            return node;
    }
    return nullptr;
}

XmlNode* XmlDocument::find(const char16_t* path) const {
    XmlNode* top = root();
    if (!top || !path || path[0] != u'/')
        return nullptr;
    const uint32_t length = top->name().length();
    if (CompareText(top->name().data(), path + 1) == 0)
        return path[length + 1] == 0 ? top : nullptr;
    for (uint32_t i = 0; i < length; ++i) {
        if (path[i + 1] != top->name()[i])
            return nullptr;
    }
    return path[length + 1] == u'/' ? top->find(path + length + 1) : nullptr;
}

Result XmlDocument::parse(Stream* stream) {
    clear();
    if (!stream)
        return kResultNullInput;
    TextReader text;
    Result result = text.attach(stream);
    if (result == kResultOk) {
        text.setEncoding(TextEncoding::Utf8);
        // The parser keeps its element stack inline; on the heap it stays off
        // small thread stacks.
        XmlParser* parser = new (std::nothrow) XmlParser(text);
        if (!parser) {
            result = kResultOutOfMemory;
        } else {
            result = parser->run(&nodes_, &version_, &standalone_);
            line_ = parser->line;
            column_ = parser->column;
            if (result != kResultOk) {
                errorLine_ = parser->line;
                errorColumn_ = parser->column;
                errorText_ = parser->reason ? parser->reason : u"the document could not be read";
            }
            delete parser;
        }
    }
    if (result != kResultOk) {
        if (!errorLine_)
            errorLine_ = 1;
        if (*errorText_ == 0)
            errorText_ = u"out of memory";
        reset();
    }
    return result;
}

Result XmlDocument::parse(const void* bytes, uint32_t size, const char16_t* description) {
    clear();
    if (!bytes)
        return kResultNullInput;
    if (!size) {
        errorLine_ = 1;
        errorText_ = u"the document is empty";
        return kResultEmptyInput;
    }
    BlockStream stream(bytes, size, description);
    return parse(&stream);
}

} // namespace vorn
