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

bool XmlNode::IsValidPath(const char16_t* path) {
    if (!path || path[0] != u'/')
        return false;
    for (const char16_t* p = path; *p; ++p) {
        if (*p == u'/' && (p[1] == u'/' || p[1] == 0))
            return false;
    }
    return true;
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
    if (only && !only->next_ && !only->isElement() && only->holdsText() && !only->attributes_) {
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
    const Result checked = CheckInOut(name, out);
    if (checked != kResultOk)
        return checked;
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
