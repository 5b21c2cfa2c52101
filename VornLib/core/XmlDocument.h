// XmlDocument: the framework's strict XML reader and the owner of a parsed
// tree. It reads UTF-16 units through a TextReader (byte-order mark, else
// UTF-8), understands the declaration, elements, attributes, the five named
// and the numeric references, CDATA and comments, and nothing else: no DTD, no
// processing instructions, no namespaces beyond ":" in names. Any error leaves
// the document empty; where it happened stays readable for diagnostics.
#pragma once

#include <cstdint>

#include "VornLib/core/Result.h"
#include "VornLib/core/Stream.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

class XmlDocument {
public:
    XmlDocument() = default;
    ~XmlDocument() { clear(); }
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // Reads the stream from its current position to its end. 15 for a null
    // stream; otherwise 0 or the first error met (see XmlErrorText).
    Result parse(Stream* stream);
    // The same over bytes in memory; 15 for null bytes, 40 for size 0. The
    // description names the bytes in diagnostics.
    Result parse(const void* bytes, uint32_t size, const char16_t* description);
    void clear();

    // The root element (comments before it are skipped); null when empty.
    XmlNode* root() const;
    // A slash path from the top level: "/Application/UUID" is the "UUID"
    // child of the root when the root is named "Application".
    XmlNode* find(const char16_t* path) const;
    // Every top-level node: the root and the comments around it.
    XmlNode* firstNode() const { return nodes_; }

    // 0x100 for "1.0".
    uint16_t version() const { return version_; }
    bool standalone() const { return standalone_; }
    // The reader's position after a parse: line from 1, column from 0.
    uint32_t line() const { return line_; }
    uint32_t column() const { return column_; }

    // Where the last parse failed (0 and 0 after a success) and a short text
    // saying what was wrong there, for messages such as
    // "Configuration.xml:12:7: error 38: ...".
    uint32_t errorLine() const { return errorLine_; }
    uint32_t errorColumn() const { return errorColumn_; }
    const char16_t* errorText() const { return errorText_; }

private:
    void reset();

    XmlNode* nodes_ = nullptr;
    uint32_t line_ = 1;
    uint32_t column_ = 0;
    uint16_t version_ = 0x100;
    bool standalone_ = true;
    uint32_t errorLine_ = 0;
    uint32_t errorColumn_ = 0;
    const char16_t* errorText_ = u"";
};

} // namespace vorn
