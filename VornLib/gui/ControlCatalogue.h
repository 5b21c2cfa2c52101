// The control catalogue: which window kind a child element of a description
// makes. The element name is compared exactly; an unknown name makes nothing
// (and so fails the description with 39). Programs may add kinds of their own.
#pragma once

#include <memory>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

class Window;

struct WindowKind {
    const char16_t* element;
    std::unique_ptr<Window> (*create)();
};

// Null for an unknown element name.
std::unique_ptr<Window> CreateWindowOfKind(const String& element);
// Adds a program's own kind, or replaces the kind of that element name; at
// most 32 program kinds.
Result RegisterWindowKind(const WindowKind& kind);

} // namespace vorn
