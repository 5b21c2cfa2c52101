// WinHTTP for every request the framework makes: the analytics' hits
// (CollectClient) and an installation's updates (WebDownload). WinHTTP is not
// a KnownDLL, so every function is resolved at run time from the system
// folder and the executables never import it. One session serves the whole
// process, with the system's proxy settings; a proxy is looked for (the
// user's settings, then the network's proxy script) only once a send has
// failed, and the user's credentials go to nobody: no automatic logon.
#pragma once

#include "VornLib/core/Result.h"
#include "VornLib/core/String.h"
#include "VornLib/core/UniqueHandle.h"
#include "VornLib/core/Win32.h"

// After the system's own declarations, which it needs.
#include <winhttp.h>

namespace vorn {

struct InternetHandleTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle);
};
using InternetHandle = UniqueHandle<InternetHandleTraits>;

// WinHTTP's entry points. decltype only names the declarations, so nothing
// lands in the import table.
struct WinHttp {
    decltype(&WinHttpOpen) open;
    decltype(&WinHttpSetTimeouts) setTimeouts;
    decltype(&WinHttpCrackUrl) crackUrl;
    decltype(&WinHttpConnect) connect;
    decltype(&WinHttpOpenRequest) openRequest;
    decltype(&WinHttpSetOption) setOption;
    decltype(&WinHttpAddRequestHeaders) addRequestHeaders;
    decltype(&WinHttpSendRequest) sendRequest;
    decltype(&WinHttpReceiveResponse) receiveResponse;
    decltype(&WinHttpQueryHeaders) queryHeaders;
    decltype(&WinHttpQueryDataAvailable) queryDataAvailable;
    decltype(&WinHttpReadData) readData;
    decltype(&WinHttpCloseHandle) closeHandle;
    decltype(&WinHttpGetIEProxyConfigForCurrentUser) getIEProxyConfig;
    decltype(&WinHttpGetProxyForUrl) getProxyForUrl;
    bool complete = false; // every one of them found
};
const WinHttp& Http();

// Time-outs of the session, in milliseconds.
constexpr int kWebResolveTimeout = 20000;
constexpr int kWebConnectTimeout = 30000;
constexpr int kWebSendTimeout = 15000;
constexpr int kWebReceiveTimeout = 15000;

// The process's session, opened on first use; null with the error.
HINTERNET AcquireWebSession(Result* result);
// Closes it; only once no request is in use any more.
void ReleaseWebSession();
// The session's user agent.
String WebUserAgent();

// The connection to the host of `url`, with the flags its requests need:
// https, or http to this computer alone (2 for any other address).
Result ConnectTo(const String& url, InternetHandle* connection, uint32_t* requestFlags,
                 String* path);

// A proxy for `url` and the hosts that bypass it, once a request without one
// has failed; 29 when none is found.
struct WebProxy {
    bool discovered = false;
    String proxy;
    String bypass;

    Result discover(const String& url);
    // Sets the proxy (if any) on `request` and forbids automatic logon.
    Result applyTo(HINTERNET request) const;
};

// The response's status code; its body read whole (for small answers) or
// handed on piece by piece.
Result ResponseStatus(HINTERNET request, uint32_t* status);
template <typename Sink> Result ReadResponseBody(HINTERNET request, Sink sink) {
    const WinHttp& http = Http();
    uint8_t piece[64 * 1024];
    for (;;) {
        DWORD available = 0;
        if (!http.queryDataAvailable(request, &available))
            return ResultFromSystemError(GetLastError());
        if (available == 0)
            return kResultOk;
        DWORD read = 0;
        if (!http.readData(request, piece, available < sizeof piece ? available : sizeof piece,
                           &read))
            return ResultFromSystemError(GetLastError());
        if (read == 0)
            return kResultOk;
        const Result result = sink(piece, read);
        if (result != kResultOk)
            return result;
    }
}

} // namespace vorn
