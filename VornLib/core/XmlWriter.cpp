#include "VornLib/core/XmlWriter.h"

#include <cstdlib>

#include "VornLib/core/UnitEscapes.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {
namespace {

constexpr UnitEscape kEscapes[] = {
    {u'"', u"&quot;"}, {u'&', u"&amp;"}, {u'\'', u"&apos;"}, {u'<', u"&lt;"}, {u'>', u"&gt;"},
};

// One open element whose children are being written. The stack lives on the
// heap so that deep trees cannot exhaust a small thread stack.
struct Frame {
    const XmlNode* element;
    const XmlNode* next;
    uint32_t depth;
    bool writeClose;
    bool wroteChild;
};

class FrameStack {
public:
    ~FrameStack() { std::free(frames_); }
    bool push(const Frame& frame) {
        if (count_ == capacity_) {
            const uint32_t capacity = capacity_ ? capacity_ * 2 : 16;
            Frame* frames = static_cast<Frame*>(std::realloc(frames_, capacity * sizeof(Frame)));
            if (!frames)
                return false;
            frames_ = frames;
            capacity_ = capacity;
        }
        frames_[count_++] = frame;
        return true;
    }
    Frame* top() { return count_ ? &frames_[count_ - 1] : nullptr; }
    void pop() { --count_; }

private:
    Frame* frames_ = nullptr;
    uint32_t count_ = 0;
    uint32_t capacity_ = 0;
};

class Writer {
public:
    Writer(uint32_t options, String* out) : options_(options), out_(out) {}

    Result run(const XmlNode* node) {
        if (!node->isElement() || (options_ & kXmlWriteOuterTags))
            return finish(writeNode(node, 0));
        if (IsTextValue(node->kind()))
            return finish(writeValue(node) ? kResultOk : kResultOutOfMemory);
        if (node->kind() != XmlValueKind::None)
            return kResultUnsupportedFormat;
        if (!stack_.push({node, node->firstNode(), 0, false, false}))
            return kResultOutOfMemory;
        return finish(kResultOk);
    }

private:
    static bool IsTextValue(XmlValueKind kind) {
        return kind == XmlValueKind::Text || kind == XmlValueKind::CData;
    }

    Result finish(Result result) {
        while (result == kResultOk) {
            Frame* frame = stack_.top();
            if (!frame)
                break;
            if (!frame->next) {
                if (frame->writeClose) {
                    if (frame->wroteChild)
                        newLine(frame->depth);
                    put(u"</");
                    put(frame->element->name());
                    put(u">");
                }
                stack_.pop();
                continue;
            }
            const XmlNode* child = frame->next;
            frame->next = child->nextNode();
            if (child->kind() != XmlValueKind::Comment || (options_ & kXmlWriteComments))
                frame->wroteChild = true;
            result = writeNode(child, frame->depth + 1); // may move the stack
        }
        return result != kResultOk ? result : ok_ ? kResultOk : kResultOutOfMemory;
    }

    Result writeNode(const XmlNode* node, uint32_t depth) {
        if (!node->isElement()) {
            if (node->kind() == XmlValueKind::Comment) {
                if (options_ & kXmlWriteComments) {
                    newLine(depth);
                    put(u"<!--");
                    put(node->text());
                    put(u"-->");
                }
                return kResultOk;
            }
            newLine(depth);
            return writeValue(node) ? kResultOk : kResultUnsupportedFormat;
        }
        if (node->kind() != XmlValueKind::None && !IsTextValue(node->kind()))
            return kResultUnsupportedFormat;
        newLine(depth);
        put(u"<");
        put(node->name());
        for (const XmlAttribute* attribute = node->firstAttribute(); attribute;
             attribute = attribute->next) {
            put(u" ");
            put(attribute->name);
            put(u"=\"");
            ok_ = ok_ && AppendEscapedXml(out_, attribute->value);
            put(u"\"");
        }
        if (IsTextValue(node->kind())) {
            put(u">");
            writeValue(node);
            put(u"</");
            put(node->name());
            put(u">");
            return kResultOk;
        }
        if (!node->firstNode()) {
            put(u"/>");
            return kResultOk;
        }
        put(u">");
        return stack_.push({node, node->firstNode(), depth, true, false}) ? kResultOk
                                                                          : kResultOutOfMemory;
    }

    bool writeValue(const XmlNode* node) {
        if (node->kind() == XmlValueKind::CData) {
            put(u"<![CDATA[");
            put(node->text());
            put(u"]]>");
        } else if (node->kind() == XmlValueKind::Text) {
            ok_ = ok_ && AppendEscapedXml(out_, node->text());
        } else {
            return false;
        }
        return true;
    }

    void newLine(uint32_t depth) {
        if (!(options_ & kXmlWriteIndent))
            return;
        put(u"\n");
        for (uint32_t i = 0; i < depth; ++i)
            put(u"\t");
    }

    void put(const char16_t* text) { ok_ = ok_ && out_->append(text); }
    void put(const String& text) { ok_ = ok_ && out_->append(text); }

    uint32_t options_;
    String* out_;
    FrameStack stack_;
    bool ok_ = true;
};

} // namespace

bool AppendEscapedXml(String* out, const String& text) {
    const char16_t* data = text.data();
    uint32_t plainStart = 0;
    for (uint32_t i = 0; i < text.length(); ++i) {
        const char16_t* reference = FindEscape(kEscapes, data[i]);
        if (!reference)
            continue;
        if (!out->append(data + plainStart, i - plainStart) || !out->append(reference))
            return false;
        plainStart = i + 1;
    }
    return out->append(data + plainStart, text.length() - plainStart);
}

Result WriteXml(const XmlNode* node, uint32_t options, String* out) {
    const Result checked = CheckInOut(node, out);
    if (checked != kResultOk)
        return checked;
    Writer writer(options, out);
    const Result result = writer.run(node);
    if (result != kResultOk)
        out->clear();
    return result;
}

} // namespace vorn
