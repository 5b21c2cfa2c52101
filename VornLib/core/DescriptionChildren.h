// The children of a description element that allows elements of fixed names
// only (a list's "Column"s, a tool bar's "Button"s and "Separator"s): each is
// handed to a reader in order, and a child of any other name is refused with
// one code, 39 (an element of the wrong kind), before anything after it is read.
// Text and comments between the children are passed over.
#pragma once

#include <initializer_list>

#include "VornLib/core/Result.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

// Calls `read(child)` for each element child of `parent`; stops at the first
// result other than 0 and returns it.
template <typename Read>
Result ReadChildElements(const XmlNode& parent, std::initializer_list<const char16_t*> names,
                         Read read) {
    for (const XmlNode* node = parent.firstChild(); node; node = node->nextSibling()) {
        if (!node->isElement())
            continue;
        bool known = false;
        for (const char16_t* name : names)
            known = known || node->name() == name;
        if (!known)
            return kResultKindMismatch;
        const Result result = read(*node);
        if (result != kResultOk)
            return result;
    }
    return kResultOk;
}

} // namespace vorn
