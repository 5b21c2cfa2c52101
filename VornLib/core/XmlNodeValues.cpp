#include "VornLib/core/XmlNode.h"

#include <cstdlib>

#include "VornLib/core/TextParse.h"
#include "VornLib/core/XmlWriter.h"

namespace vorn {
namespace {

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

template <typename T, typename Getter>
Result GetByPath(const XmlNode* self, const char16_t* path, T* out, Getter get) {
    const Result checked = CheckInOut(path, out);
    if (checked != kResultOk)
        return checked;
    const XmlNode* node = self->find(path);
    return node ? (node->*get)(out) : kResultNotFound;
}

template <typename Setter> Result SetByPath(XmlNode* self, const char16_t* path, Setter set) {
    if (!path)
        return kResultNullInput;
    if (!XmlNode::IsValidPath(path))
        return kResultNotFound;
    XmlNode* node = self->findOrCreate(path);
    if (!node)
        return kResultOutOfMemory;
    return set(node);
}

// The node's value as T: its own scalar when it holds one that T can take,
// else its text converted; 39 for any other kind.
template <typename T, typename FromScalar, typename FromText>
Result GetValue(bool holdsScalar, bool holdsText, T* out, FromScalar fromScalar,
                FromText fromText) {
    if (!out)
        return kResultNullOutput;
    *out = T();
    if (holdsScalar)
        *out = T(fromScalar());
    else if (holdsText)
        *out = T(fromText());
    else
        return kResultKindMismatch;
    return kResultOk;
}

template <typename T, typename Reader>
Result GetAttributeNumber(const XmlNode* node, const char16_t* name, T* out, Reader read) {
    const Result checked = CheckInOut(name, out);
    if (checked != kResultOk)
        return checked;
    const XmlAttribute* attribute = node->findAttribute(name);
    if (!attribute)
        return kResultInvalidName;
    *out = T(read(attribute->value.data()));
    return kResultOk;
}

} // namespace

Result XmlNode::getText(String* out) const {
    if (!out)
        return kResultNullOutput;
    out->clear();
    if (holdsText())
        return out->assign(text_.data(), text_.length()) ? kResultOk : kResultOutOfMemory;
    if (kind_ == XmlValueKind::None)
        return WriteXml(this, 0, out);
    return kResultKindMismatch;
}

Result XmlNode::getBoolean(bool* out) const {
    return GetValue(
        kind_ == XmlValueKind::Boolean, holdsText(), out, [this] { return scalar_.boolean; },
        [this] { return ReadBoolean(text_.data()); });
}

Result XmlNode::getInt32(int32_t* out) const {
    return GetValue(
        kind_ == XmlValueKind::Int32, holdsText(), out, [this] { return scalar_.int32; },
        [this] { return ReadInt32(text_.data()); });
}

Result XmlNode::getInt64(int64_t* out) const {
    const bool narrow = kind_ == XmlValueKind::Int32;
    return GetValue(
        narrow || kind_ == XmlValueKind::Int64, holdsText(), out,
        [this, narrow] { return narrow ? int64_t(scalar_.int32) : scalar_.int64; },
        [this] { return ReadInt64(text_.data()); });
}

Result XmlNode::getFloat32(float* out) const {
    return GetValue(
        kind_ == XmlValueKind::Float32, holdsText(), out, [this] { return scalar_.float32; },
        [this] { return ReadDecimal(text_); });
}

Result XmlNode::getFloat64(double* out) const {
    return GetValue(
        kind_ == XmlValueKind::Float64, holdsText(), out, [this] { return scalar_.float64; },
        [this] { return ReadDecimal(text_); });
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
    return GetByPath<String>(this, path, out,
                             static_cast<Result (XmlNode::*)(String*) const>(&XmlNode::getText));
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

Result XmlNode::getAttributeBoolean(const char16_t* name, bool* out, bool fallback) const {
    const Result checked = CheckInOut(name, out);
    if (checked != kResultOk)
        return checked;
    const XmlAttribute* attribute = findAttribute(name);
    *out = attribute ? ReadBoolean(attribute->value.data()) : fallback;
    return kResultOk;
}

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

} // namespace vorn
