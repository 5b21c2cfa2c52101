// A file fetched with GET over the process's WinHTTP session (WebSession.h):
// an update's feed and setup. Only https, or http to this computer (tests).
#pragma once

#include <cstdint>
#include <functional>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"

namespace vorn {

using DownloadSink = std::function<Result(const uint8_t* bytes, uint32_t size)>;

struct DownloadOutcome {
    uint32_t status = 0;      // the server's status code; 0 when none came
    uint64_t received = 0;    // the body's bytes handed to the sink
    uint32_t systemError = 0; // of the call that failed (WinHTTP's 12000s among them)
};

// Hands the body of `url` to `sink` as it arrives. 0 once a 200 response has
// arrived whole; 2 for an address that is neither https nor this computer's;
// 29 for another status (in `outcome`); 24 when the body exceeds `limit`
// bytes; the sink's own failure; else the system's error.
Result Download(const String& url, uint64_t limit, const DownloadSink& sink,
                DownloadOutcome* outcome);

} // namespace vorn
