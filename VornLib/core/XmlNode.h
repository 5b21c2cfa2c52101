// The in-memory XML document model: elements, text runs, CDATA sections and
// comments as XmlNode, attributes as XmlAttribute. Every node owns its
// attributes, its children and its following siblings. Other code finds
// elements by slash paths relative to a node ("/Application/UUID": each
// component is the first child element of that exact name) and reads their
// values through the typed accessors, which never fail loudly: a missing
// node gives 29, a missing attribute 38, an unsuitable value kind 39, and the
// output then holds the empty value.
#pragma once

#include <cstdint>

#include "VornLib/core/DateTime.h"
#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

enum class XmlValueKind : uint32_t {
    None = 0, // an element whose content is its children
    CData = 1,
    Comment = 2,
    Boolean = 3,
    Int32 = 4,
    Int64 = 6,
    Float32 = 8,
    Float64 = 9,
    Text = 11,
};

// Elements nested deeper than this are refused by the reader (33): code that
// walks a tree recursively then stays well inside a 64 KiB thread stack.
constexpr uint32_t kXmlMaxDepth = 100;

// Where the reader met a node or an attribute (the first unit of its name):
// line from 1, column from 1; 0 and 0 for one made in memory.
struct XmlPosition {
    uint32_t line = 0;
    uint32_t column = 0;
};

struct XmlAttribute {
    XmlAttribute* next = nullptr;
    String name;
    String value;
    XmlPosition position;
};

class XmlNode {
public:
    // An element has a non-empty name; text, CDATA and comment nodes have none.
    static XmlNode* NewElement(const char16_t* name, uint32_t length);
    static XmlNode* NewElement(const char16_t* name) { return NewElement(name, TextLength(name)); }
    // Kind Text, CData or Comment; comment text is normalised.
    static XmlNode* NewContent(XmlValueKind kind, const String& text);
    // Frees a whole sibling chain with everything below it, without recursion.
    static void DestroyList(XmlNode* first);

    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;
    ~XmlNode();

    bool isElement() const { return !name_.isEmpty(); }
    // Where the reader met the element, for messages about its description.
    const XmlPosition& position() const { return position_; }
    void setPosition(const XmlPosition& position) { position_ = position; }
    const String& name() const { return name_; }
    XmlValueKind kind() const { return kind_; }
    // The text of kinds Text, CData and Comment.
    const String& text() const { return text_; }

    // Navigation skips comments.
    XmlNode* firstChild() const { return SkipComments(firstChild_); }
    XmlNode* nextSibling() const { return SkipComments(next_); }
    // Every node, comments included (for the serialiser and the reader).
    XmlNode* firstNode() const { return firstChild_; }
    XmlNode* nextNode() const { return next_; }
    const XmlAttribute* firstAttribute() const { return attributes_; }

    // A path begins with "/" and has only non-empty components.
    static bool IsValidPath(const char16_t* path);
    // Null for an invalid path (no leading "/", an empty component) or a
    // missing element.
    XmlNode* find(const char16_t* path) const;
    // Missing elements are created, each as the first child of its parent.
    // Null for an invalid path or when memory ran out.
    XmlNode* findOrCreate(const char16_t* path);
    // Destroys the element at the end of the path with its subtree.
    void remove(const char16_t* path);

    // The node's own value. Text of a kind-0 element is its serialised content.
    Result getText(String* out) const;
    Result getBoolean(bool* out) const;
    Result getInt32(int32_t* out) const;
    Result getInt64(int64_t* out) const;
    Result getFloat32(float* out) const;
    Result getFloat64(double* out) const;
    // Replace the value and its kind; children stay.
    Result setText(const char16_t* text);
    void setBoolean(bool value);
    void setInt32(int32_t value);
    void setInt64(int64_t value);
    void setFloat32(float value);
    void setFloat64(double value);

    // The same by path relative to this node: 15 for a null path, 29 for a
    // missing or invalid path. The setters create missing elements.
    Result getText(const char16_t* path, String* out) const;
    Result getBoolean(const char16_t* path, bool* out) const;
    Result getInt32(const char16_t* path, int32_t* out) const;
    Result getInt64(const char16_t* path, int64_t* out) const;
    Result getFloat32(const char16_t* path, float* out) const;
    Result getFloat64(const char16_t* path, double* out) const;
    Result setText(const char16_t* path, const char16_t* text);
    Result setBoolean(const char16_t* path, bool value);
    Result setInt32(const char16_t* path, int32_t value);
    Result setFloat32(const char16_t* path, float value);

    // Attributes, names compared exactly. Absent: 38 with the empty value; the
    // variants with a fallback give it and 0 instead.
    const XmlAttribute* findAttribute(const char16_t* name) const;
    Result getAttribute(const char16_t* name, String* out) const;
    Result getAttribute(const char16_t* name, String* out, const char16_t* fallback) const;
    Result getAttributeBoolean(const char16_t* name, bool* out) const;
    Result getAttributeBoolean(const char16_t* name, bool* out, bool fallback) const;
    Result getAttributeUInt16(const char16_t* name, uint16_t* out) const;
    Result getAttributeInt32(const char16_t* name, int32_t* out) const;
    Result getAttributeInt64(const char16_t* name, int64_t* out) const;
    // "Date" as an ISO 8601 time stamp; kInvalidDateTime when absent or bad.
    Result getTimeStamp(DateTime* out) const;
    // "Size" as an unsigned 64-bit number.
    Result getSize(uint64_t* out) const;
    // Adds the attribute or replaces its value; the value is kept as given.
    Result setAttribute(const char16_t* name, const char16_t* value);

    // Used by the reader: appends after `*last` (null: as the first) and
    // moves `*last` on.
    void appendChild(XmlNode** last, XmlNode* child) { AppendToList(&firstChild_, last, child); }
    static void AppendToList(XmlNode** first, XmlNode** last, XmlNode* node);
    void appendAttribute(XmlAttribute** last, XmlAttribute* attribute);
    // Drops whitespace-only text children, then takes a single remaining text
    // or CDATA child as the element's own value.
    void finishContent();

private:
    XmlNode() = default;
    static XmlNode* SkipComments(XmlNode* node);
    void clearValue();
    bool holdsText() const { return kind_ == XmlValueKind::Text || kind_ == XmlValueKind::CData; }

    XmlAttribute* attributes_ = nullptr;
    XmlNode* firstChild_ = nullptr;
    XmlNode* next_ = nullptr;
    String name_;
    String text_;
    union {
        bool boolean;
        int32_t int32;
        int64_t int64;
        float float32;
        double float64;
    } scalar_ = {};
    XmlValueKind kind_ = XmlValueKind::None;
    XmlPosition position_;
};

// Simplifies whitespace, collapses every "--" and drops trailing "-", so that
// the text can always be written back inside "<!--" and "-->".
void NormaliseCommentText(String* text);

} // namespace vorn
