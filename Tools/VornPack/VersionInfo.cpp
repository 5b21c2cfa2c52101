#include "Tools/VornPack/VersionInfo.h"

#include <algorithm>

#include "Tools/VornPack/VornNames.h"
#include "VornLib/core/LittleEndian.h"

namespace vornpack {

using vorn::ReadLittleEndian16;

namespace {

constexpr size_t kNodeHeaderSize = 6; // length, value length, type
constexpr uint16_t kTextType = 1;     // a text value counts its length in characters

struct Node {
    size_t end = 0;
    String key;
    size_t value = 0;
    size_t children = 0;
};

size_t AlignUp4(size_t offset) {
    return (offset + 3) & ~size_t(3);
}

// The node at `at`, which must end by `limit`.
bool ReadNode(const uint8_t* block, size_t at, size_t limit, Node* node) {
    if (at + kNodeHeaderSize > limit)
        return false;
    const size_t length = ReadLittleEndian16(block + at);
    if (length < kNodeHeaderSize || at + length > limit)
        return false;
    node->end = at + length;
    node->key = String();
    size_t i = at + kNodeHeaderSize;
    for (; i + 2 <= node->end && ReadLittleEndian16(block + i); i += 2)
        node->key.append(char16_t(ReadLittleEndian16(block + i)));
    if (i + 2 > node->end)
        return false;
    node->value = AlignUp4(i + 2);
    const size_t unit = ReadLittleEndian16(block + at + 4) == kTextType ? 2 : 1;
    const size_t valueEnd = node->value + unit * ReadLittleEndian16(block + at + 2);
    node->children = AlignUp4(std::min(valueEnd, node->end));
    return true;
}

// Each child of `parent` in order, until `visit` returns true; whether it did.
template <typename Visit>
bool VisitChildren(const uint8_t* block, const Node& parent, Visit visit) {
    Node child;
    for (size_t at = parent.children; at < parent.end; at = AlignUp4(child.end)) {
        if (!ReadNode(block, at, parent.end, &child))
            return false;
        if (visit(child))
            return true;
    }
    return false;
}

} // namespace

Result ReadVersionString(const uint8_t* block, size_t size, const char16_t* key, String* out) {
    *out = String();
    Node root;
    if (!block || !ReadNode(block, 0, size, &root) || root.key != u"VS_VERSION_INFO")
        return vorn::kResultMalformed;
    const bool found = VisitChildren(block, root, [&](const Node& info) {
        return info.key == u"StringFileInfo" && VisitChildren(block, info, [&](const Node& table) {
                   return VisitChildren(block, table, [&](const Node& text) {
                       if (text.key != key)
                           return false;
                       // The text runs to its terminating zero, whichever way
                       // the compiler counted its length.
                       for (size_t i = text.value;
                            i + 2 <= text.end && ReadLittleEndian16(block + i); i += 2)
                           out->append(char16_t(ReadLittleEndian16(block + i)));
                       return true;
                   });
               });
    });
    return found ? vorn::kResultOk : vorn::kResultNotFound;
}

} // namespace vornpack
