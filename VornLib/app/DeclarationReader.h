// What the readers of InstallationSettings' declarations (settings, steps,
// services, ...) share: the first mistake as "line L, column C: what is
// wrong", required attributes, numbers, and texts that may name the
// installation's values in braces.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/XmlNode.h"

namespace vorn {

// A whole text as a number: decimal, or hexadecimal after "0x"; false for
// anything else or a value above `limit`.
bool ParseDeclaredNumber(const String& text, uint64_t limit, uint64_t* out);

// A list of exit codes, "0,3010"; false for an empty list or a part that is
// no number.
bool ParseExitCodes(const String& text, std::vector<uint32_t>* codes);

class DeclarationReader {
public:
    explicit DeclarationReader(String* problem) : problem_(problem) {}

    // `result`, with the problem written for `at`.
    Result fail(Result result, const XmlPosition& at, const String& what);
    // 6 for a missing attribute.
    Result attribute(const XmlNode& element, const char16_t* name, String* value);
    // An optional number in [`low`, `high`], `fallback` without the attribute.
    Result number(const XmlNode& element, const char16_t* name, uint64_t low, uint64_t high,
                  uint64_t fallback, uint64_t* out);
    // An optional "true" or "false".
    Result boolean(const XmlNode& element, const char16_t* name, bool fallback, bool* out);
    // The text may name only the installation's values.
    Result placeholders(const XmlNode& element, const String& text);

private:
    String* problem_;
};

} // namespace vorn
