// Addresses a vendor gives for the product (its web site, its support): one
// reading of each for every tool that takes or checks them, so that an
// address one accepts another does not refuse.
#pragma once

#include "VornLib/core/String.h"

namespace vorn {

// "http://" or "https://" (any case), something after it, at most 2048
// characters, and nothing that would end an attribute, a YAML scalar or a
// command line (blanks, quotes, angle brackets, backslashes, controls).
bool IsWebAddress(const String& text);

// This computer's own host names: "127.0.0.1", "localhost" and "::1" (with or
// without brackets), compared ignoring case. Plain http goes there alone (a
// test's server); everything else goes over https.
bool IsLoopbackHost(const String& host);

// A web address that updates may come from: "https://", or "http://" to this
// computer alone (IsLoopbackHost), which a test serves. Updates are
// programs that will run with the installation's rights: nobody on the way
// may change them, nor learn what a computer has installed.
bool IsUpdateAddress(const String& text);

// "name@domain.tld" with nothing of a web address in it, on the same terms.
bool IsMailAddress(const String& text);

} // namespace vorn
