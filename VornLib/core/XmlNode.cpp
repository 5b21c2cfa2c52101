#include "VornLib/core/XmlNode.h"

#include <cstdlib>
#include <new>

#include "VornLib/core/TextParse.h"
#include "VornLib/core/XmlWriter.h"

namespace vorn {
namespace {

bool NameEquals(const String& name, const char16_t* text, uint32_t length) {
    if (name.length() != length)
        return false;
    for (uint32_t i = 0; i < length; ++i) {
        if (name[i] != text[i])
            return false;
    }
    return true;
}

// A path begins with "/" and has only non-empty components.
bool IsValidPath(const char16_t* path) {
    if (!path || path[0] != u'/')
        return false;
    for (const char16_t* p = path; *p; ++p) {
        if (*p == u'/' && (p[1] == u'/' || p[1] == 0))
            return false;
    }
    return true;
}

XmlNode* FindChildElement(const XmlNode* parent, const char16_t* name, uint32_t length) {
    for (XmlNode* child = parent->firstChild(); child; child = child->nextSibling()) {
        if (child->isElement() && NameEquals(child->name(), name, length))
            return child;
    }
    return nullptr;
}

uint32_t ComponentLength(const char16_t* component) {
    uint32_t length = 0;
    while (component[length] && component[length] != u'/')
        ++length;
    return length;
}

bool IsAllWhitespace(const String& text) {
    for (uint32_t i = 0; i < text.length(); ++i) {
        if (!IsWhitespace(text[i]))
            return false;
    }
    return true;
}

// The C library's conversion, on an ASCII copy (the first other unit ends it).
double ReadDecimal(const String& text) {
    char ascii[128];
    uint32_t length = 0;
    while (length < text.length() && length + 1 < sizeof(ascii) && text[length] < 0x80) {
        ascii[length] = char(text[length]);
        ++length;
    }
    ascii[length] = 0;
    return std::strtod(ascii, nullptr);
}

bool IsTextKind(XmlValueKind kind) {
    return kind == XmlValueKind::Text || kind == XmlValueKind::CData;
}

template <typename T, typename Getter>
Result GetByPath(const XmlNode* self, const char16_t* path, T* out, Getter get) {
    if (!path) {
        if (out)
            *out = T();
        return kResultNullInput;
    }
    if (!out)
        return kResultNullOutput;
    const XmlNode* node = self->find(path);
    if (!node) {
        *out = T();
        return kResultNotFound;
    }
    return (node->*get)(out);
}

template <typename Setter> Result SetByPath(XmlNode* self, const char16_t* path, Setter set) {
    if (!path)
        return kResultNullInput;
    if (!IsValidPath(path))
        return kResultNotFound;
    XmlNode* node = self->findOrCreate(path);
    if (!node)
        return kResultOutOfMemory;
    return set(node);
}

} // namespace

void NormaliseCommentText(String* text) {
    text->simplify();
    String normal;
    for (uint32_t i = 0; i < text->length(); ++i) {
        if ((*text)[i] == u'-' && i > 0 && (*text)[i - 1] == u'-')
            continue; // repeated "--" to "-" until none is left
        normal.append((*text)[i]);
    }
    while (normal.length() && normal[normal.length() - 1] == u'-')
        normal = normal.left(normal.length() - 1);
    *text = static_cast<String&&>(normal);
}

XmlNode* XmlNode::NewElement(const char16_t* name, uint32_t length) {
    if (!name || !length)
        return nullptr;
    XmlNode* node = new (std::nothrow) XmlNode;
    if (node && !node->name_.assign(name, length)) {
        delete node;
        return nullptr;
    }
    return node;
}

XmlNode* XmlNode::NewContent(XmlValueKind kind, const String& text) {
    XmlNode* node = new (std::nothrow) XmlNode;
    if (!node)
        return nullptr;
    node->kind_ = kind;
    if (!node->text_.assign(text.data(), text.length())) {
        delete node;
        return nullptr;
    }
    if (kind == XmlValueKind::Comment)
        NormaliseCommentText(&node->text_);
    return node;
}

void XmlNode::DestroyList(XmlNode* node) {
    // Children are spliced in front of the node's siblings, so deep and long
    // trees alike are freed in one loop.
    while (node) {
        if (node->firstChild_) {
            XmlNode* tail = node->firstChild_;
            while (tail->next_)
                tail = tail->next_;
            tail->next_ = node->next_;
            node->next_ = node->firstChild_;
            node->firstChild_ = nullptr;
        }
        XmlNode* next = node->next_;
        node->next_ = nullptr;
        delete node;
        node = next;
    }
}

XmlNode::~XmlNode() {
    while (attributes_) {
        XmlAttribute* next = attributes_->next;
        delete attributes_;
        attributes_ = next;
    }
    DestroyList(firstChild_);
    DestroyList(next_);
}

XmlNode* XmlNode::SkipComments(XmlNode* node) {
    while (node && node->kind_ == XmlValueKind::Comment)
        node = node->next_;
    return node;
}

XmlNode* XmlNode::find(const char16_t* path) const {
    if (!IsValidPath(path))
        return nullptr;
    const XmlNode* current = this;
    for (const char16_t* component = path + 1; *component;) {
        const uint32_t length = ComponentLength(component);
        current = FindChildElement(current, component, length);
        if (!current)
            return nullptr;
        component += length;
        if (*component)
            ++component;
    }
    return const_cast<XmlNode*>(current);
}

XmlNode* XmlNode::findOrCreate(const char16_t* path) {
    if (!IsValidPath(path))
        return nullptr;
    XmlNode* current = this;
    for (const char16_t* component = path + 1; *component;) {
        const uint32_t length = ComponentLength(component);
        XmlNode* child = FindChildElement(current, component, length);
        if (!child) {
            child = NewElement(component, length);
            if (!child)
                return nullptr;
            child->next_ = current->firstChild_;
            current->firstChild_ = child;
        }
        current = child;
        component += length;
        if (*component)
            ++component;
    }
    return current;
}

void XmlNode::remove(const char16_t* path) {
    if (!IsValidPath(path))
        return;
    XmlNode* parent = this;
    XmlNode* target = nullptr;
    for (const char16_t* component = path + 1; *component;) {
        const uint32_t length = ComponentLength(component);
        if (target)
            parent = target;
        target = FindChildElement(parent, component, length);
        if (!target)
            return;
        component += length;
        if (*component)
            ++component;
    }
    XmlNode** link = &parent->firstChild_;
    while (*link != target)
        link = &(*link)->next_;
    *link = target->next_;
    target->next_ = nullptr;
    DestroyList(target);
}

void XmlNode::AppendToList(XmlNode** first, XmlNode** last, XmlNode* node) {
    if (*last)
        (*last)->next_ = node;
    else
        *first = node;
    *last = node;
}

void XmlNode::appendAttribute(XmlAttribute** last, XmlAttribute* attribute) {
    if (*last)
        (*last)->next = attribute;
    else
        attributes_ = attribute;
    *last = attribute;
}

void XmlNode::finishContent() {
    XmlNode** link = &firstChild_;
    while (*link) {
        XmlNode* child = *link;
        if (!child->isElement() && child->kind_ == XmlValueKind::Text &&
            IsAllWhitespace(child->text_)) {
            *link = child->next_;
            child->next_ = nullptr;
            DestroyList(child);
        } else {
            link = &child->next_;
        }
    }
    XmlNode* only = firstChild_;
    if (only && !only->next_ && !only->isElement() && IsTextKind(only->kind_) &&
        !only->attributes_) {
        text_ = static_cast<String&&>(only->text_);
        kind_ = only->kind_;
        firstChild_ = nullptr;
        DestroyList(only);
    }
}

void XmlNode::clearValue() {
    text_.clear();
    scalar_.int64 = 0;
}

Result XmlNode::getText(String* out) const {
    if (!out)
        return kResultNullOutput;
    out->clear();
    if (IsTextKind(kind_))
        return out->assign(text_.data(), text_.length()) ? kResultOk : kResultOutOfMemory;
    if (kind_ == XmlValueKind::None)
        return WriteXml(this, 0, out);
    return kResultKindMismatch;
}

Result XmlNode::getBoolean(bool* out) const {
    if (!out)
        return kResultNullOutput;
    *out = false;
    if (kind_ == XmlValueKind::Boolean)
        *out = scalar_.boolean;
    else if (IsTextKind(kind_))
        *out = ReadBoolean(text_.data());
    else
        return kResultKindMismatch;
    return kResultOk;
}

Result XmlNode::getInt32(int32_t* out) const {
    if (!out)
        return kResultNullOutput;
    *out = 0;
    if (kind_ == XmlValueKind::Int32)
        *out = scalar_.int32;
    else if (IsTextKind(kind_))
        *out = ReadInt32(text_.data());
    else
        return kResultKindMismatch;
    return kResultOk;
}

Result XmlNode::getInt64(int64_t* out) const {
    if (!out)
        return kResultNullOutput;
    *out = 0;
    if (kind_ == XmlValueKind::Int32)
        *out = scalar_.int32;
    else if (kind_ == XmlValueKind::Int64)
        *out = scalar_.int64;
    else if (IsTextKind(kind_))
        *out = ReadInt64(text_.data());
    else
        return kResultKindMismatch;
    return kResultOk;
}

Result XmlNode::getFloat32(float* out) const {
    if (!out)
        return kResultNullOutput;
    *out = 0;
    if (kind_ == XmlValueKind::Float32)
        *out = scalar_.float32;
    else if (IsTextKind(kind_))
        *out = float(ReadDecimal(text_));
    else
        return kResultKindMismatch;
    return kResultOk;
}

Result XmlNode::getFloat64(double* out) const {
    if (!out)
        return kResultNullOutput;
    *out = 0;
    if (kind_ == XmlValueKind::Float64)
        *out = scalar_.float64;
    else if (IsTextKind(kind_))
        *out = ReadDecimal(text_);
    else
        return kResultKindMismatch;
    return kResultOk;
}

Result XmlNode::setText(const char16_t* text) {
    clearValue();
    kind_ = XmlValueKind::Text;
    return text_.assign(text) ? kResultOk : kResultOutOfMemory;
}

void XmlNode::setBoolean(bool value) {
    clearValue();
    kind_ = XmlValueKind::Boolean;
    scalar_.boolean = value;
}

void XmlNode::setInt32(int32_t value) {
    clearValue();
    kind_ = XmlValueKind::Int32;
    scalar_.int32 = value;
}

void XmlNode::setInt64(int64_t value) {
    clearValue();
    kind_ = XmlValueKind::Int64;
    scalar_.int64 = value;
}

void XmlNode::setFloat32(float value) {
    clearValue();
    kind_ = XmlValueKind::Float32;
    scalar_.float32 = value;
}

void XmlNode::setFloat64(double value) {
    clearValue();
    kind_ = XmlValueKind::Float64;
    scalar_.float64 = value;
}

Result XmlNode::getText(const char16_t* path, String* out) const {
    if (!path) {
        if (out)
            out->clear();
        return kResultNullInput;
    }
    if (!out)
        return kResultNullOutput;
    const XmlNode* node = find(path);
    if (!node) {
        out->clear();
        return kResultNotFound;
    }
    return node->getText(out);
}

Result XmlNode::getBoolean(const char16_t* path, bool* out) const {
    return GetByPath<bool>(this, path, out,
                           static_cast<Result (XmlNode::*)(bool*) const>(&XmlNode::getBoolean));
}

Result XmlNode::getInt32(const char16_t* path, int32_t* out) const {
    return GetByPath<int32_t>(this, path, out,
                              static_cast<Result (XmlNode::*)(int32_t*) const>(&XmlNode::getInt32));
}

Result XmlNode::getInt64(const char16_t* path, int64_t* out) const {
    return GetByPath<int64_t>(this, path, out,
                              static_cast<Result (XmlNode::*)(int64_t*) const>(&XmlNode::getInt64));
}

Result XmlNode::getFloat32(const char16_t* path, float* out) const {
    return GetByPath<float>(this, path, out,
                            static_cast<Result (XmlNode::*)(float*) const>(&XmlNode::getFloat32));
}

Result XmlNode::getFloat64(const char16_t* path, double* out) const {
    return GetByPath<double>(this, path, out,
                             static_cast<Result (XmlNode::*)(double*) const>(&XmlNode::getFloat64));
}

Result XmlNode::setText(const char16_t* path, const char16_t* text) {
    return SetByPath(this, path, [text](XmlNode* node) { return node->setText(text); });
}

Result XmlNode::setBoolean(const char16_t* path, bool value) {
    return SetByPath(this, path, [value](XmlNode* node) {
        node->setBoolean(value);
        return kResultOk;
    });
}

Result XmlNode::setInt32(const char16_t* path, int32_t value) {
    return SetByPath(this, path, [value](XmlNode* node) {
        node->setInt32(value);
        return kResultOk;
    });
}

Result XmlNode::setFloat32(const char16_t* path, float value) {
    return SetByPath(this, path, [value](XmlNode* node) {
        node->setFloat32(value);
        return kResultOk;
    });
}

const XmlAttribute* XmlNode::findAttribute(const char16_t* name) const {
    if (!name)
        return nullptr;
    for (const XmlAttribute* attribute = attributes_; attribute; attribute = attribute->next) {
        if (attribute->name == name)
            return attribute;
    }
    return nullptr;
}

Result XmlNode::getAttribute(const char16_t* name, String* out) const {
    if (!name) {
        if (out)
            out->clear();
        return kResultNullInput;
    }
    if (!out)
        return kResultNullOutput;
    out->clear();
    const XmlAttribute* attribute = findAttribute(name);
    if (!attribute)
        return kResultInvalidName;
    return out->assign(attribute->value.data(), attribute->value.length()) ? kResultOk
                                                                           : kResultOutOfMemory;
}

Result XmlNode::getAttribute(const char16_t* name, String* out, const char16_t* fallback) const {
    const Result result = getAttribute(name, out);
    if (result != kResultInvalidName)
        return result;
    return out->assign(fallback) ? kResultOk : kResultOutOfMemory;
}

Result XmlNode::getAttributeBoolean(const char16_t* name, bool* out, bool fallback) const {
    if (!name) {
        if (out)
            *out = false;
        return kResultNullInput;
    }
    if (!out)
        return kResultNullOutput;
    const XmlAttribute* attribute = findAttribute(name);
    *out = attribute ? ReadBoolean(attribute->value.data()) : fallback;
    return kResultOk;
}

namespace {

template <typename T, typename Reader>
Result GetAttributeNumber(const XmlNode* node, const char16_t* name, T* out, Reader read) {
    if (!name) {
        if (out)
            *out = T();
        return kResultNullInput;
    }
    if (!out)
        return kResultNullOutput;
    *out = T();
    const XmlAttribute* attribute = node->findAttribute(name);
    if (!attribute)
        return kResultInvalidName;
    *out = T(read(attribute->value.data()));
    return kResultOk;
}

} // namespace

Result XmlNode::getAttributeBoolean(const char16_t* name, bool* out) const {
    return GetAttributeNumber(this, name, out, ReadBoolean);
}

Result XmlNode::getAttributeUInt16(const char16_t* name, uint16_t* out) const {
    return GetAttributeNumber(this, name, out, ReadUInt32);
}

Result XmlNode::getAttributeInt32(const char16_t* name, int32_t* out) const {
    return GetAttributeNumber(this, name, out, ReadInt32);
}

Result XmlNode::getAttributeInt64(const char16_t* name, int64_t* out) const {
    return GetAttributeNumber(this, name, out, ReadInt64);
}

Result XmlNode::getSize(uint64_t* out) const {
    return GetAttributeNumber(this, u"Size", out, ReadUInt64);
}

Result XmlNode::getTimeStamp(DateTime* out) const {
    if (!out)
        return kResultNullOutput;
    *out = kInvalidDateTime;
    const XmlAttribute* attribute = findAttribute(u"Date");
    if (!attribute)
        return kResultInvalidName;
    return ParseTimeStamp(attribute->value.data(), out);
}

Result XmlNode::setAttribute(const char16_t* name, const char16_t* value) {
    if (!name)
        return kResultNullInput;
    if (!*name)
        return kResultInvalidName;
    XmlAttribute* last = nullptr;
    for (XmlAttribute* attribute = attributes_; attribute; attribute = attribute->next) {
        if (attribute->name == name)
            return attribute->value.assign(value) ? kResultOk : kResultOutOfMemory;
        last = attribute;
    }
    XmlAttribute* attribute = new (std::nothrow) XmlAttribute;
    if (!attribute)
        return kResultOutOfMemory;
    if (!attribute->name.assign(name) || !attribute->value.assign(value)) {
        delete attribute;
        return kResultOutOfMemory;
    }
    appendAttribute(&last, attribute);
    return kResultOk;
}

} // namespace vorn
