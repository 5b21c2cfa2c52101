// Base64 (RFC 4648, its standard alphabet, with padding): how keys and
// signatures of updates are written in the definitions and in update feeds.
#pragma once

#include <cstdint>
#include <vector>

#include "VornLib/core/String.h"

namespace vorn {

String Base64Of(const uint8_t* bytes, size_t size);

// False for any text that Base64Of does not write: a character outside the
// alphabet, missing or extra padding, bits left over, blanks.
bool DecodeBase64(const String& text, std::vector<uint8_t>* bytes);

} // namespace vorn
