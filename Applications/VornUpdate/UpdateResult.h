// The update program's result file ("/ResultFile:<file>"): one small JSON
// document in UTF-8 for a program or script that asked, written whole when
// the update program ends (a reader finds the whole document or none):
//
//   {"exitCode": 60, "outcome": "updateAvailable", "installedVersion": "1.0",
//    "newVersion": "2.0", "notes": "https://…" or null, "checkEveryDays": 1}
//
// "outcome" is the exit code's name in the framework's table; "newVersion"
// and "notes" are null unless the feed offers a newer version;
// "checkEveryDays" is the feed declaration's, for a program that checks in
// the background (UpdateCheck.h).
#pragma once

#include <cstdint>

#include "VornLib/core/String.h"

namespace vornupdate {

struct UpdateOutcome {
    int32_t exitCode = 0;
    vorn::String installedVersion;
    vorn::String newVersion; // empty: null
    vorn::String notesUrl;   // empty: null
    uint32_t checkEveryDays = 1;
};

vorn::String UpdateResultDocument(const UpdateOutcome& outcome);

} // namespace vornupdate
