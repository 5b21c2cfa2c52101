// CollectClient: posts one hit at a time to "/collect" on the analytics
// endpoint over the process's WinHTTP session (WebSession.h); each client
// keeps its own connection and finds a proxy at most once, after a send has
// failed.
#pragma once

#include <vector>

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/data/MemoryStream.h"
#include "VornLib/telemetry/WebSession.h"

namespace vorn {

class CollectClient {
public:
    // WinHTTP's time-outs for the session, in milliseconds.
    static constexpr int kReceiveTimeout = kWebReceiveTimeout;

    // Connects to `baseUrl` ("https://host[:port]"); a failure is kept as the
    // client's state and makes every post fail with 4.
    explicit CollectClient(const String& baseUrl);
    CollectClient(const CollectClient&) = delete;
    CollectClient& operator=(const CollectClient&) = delete;

    // The result of connecting: 0, or the mapped system error.
    Result state() const { return state_; }

    // Sends `hit` as a form body; 0 when a response arrived (whatever its status).
    Result post(const char16_t* hit);
    uint32_t statusCode() const { return statusCode_; }
    const String& contentType() const { return contentType_; }
    // The last response body, "HTTPData".
    MemoryStream& response() { return response_; }

    // The process-wide session's user agent.
    static String UserAgent();
    // Closes the shared session; only once no client is in use any more.
    static void ReleaseSession();

private:
    Result readResponse(void* request);

    Result state_ = kResultOk;
    String baseUrl_;
    InternetHandle connection_;
    uint32_t requestFlags_ = 0;
    WebProxy proxy_;
    uint32_t statusCode_ = 0;
    String contentType_;
    std::vector<uint8_t> buffer_;
    MemoryStream response_;
};

} // namespace vorn
