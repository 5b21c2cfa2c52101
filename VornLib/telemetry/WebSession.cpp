#include "VornLib/telemetry/WebSession.h"

#include <mutex>

#include "VornLib/core/WebAddress.h"
#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/telemetry/HitText.h"

namespace vorn {
namespace {

template <typename Function> void Resolve(Function* slot, const char* name, bool* complete) {
    *slot = SystemFunction<Function>(SystemLibraryId::WinHttp, name);
    if (!*slot)
        *complete = false;
}

Result LastError() {
    return ResultFromSystemError(GetLastError());
}

// The session every request shares, created once under its own lock.
struct Session {
    std::mutex lock;
    InternetHandle handle;
};

Session& SharedSession() {
    static Session* session = new Session; // outlives every request, even at process exit
    return *session;
}

// Copies a text that the system allocated and frees it.
String TakeGlobalText(wchar_t* text) {
    String copy(Units(text));
    if (text)
        GlobalFree(text);
    return copy;
}

} // namespace

const WinHttp& Http() {
    static const WinHttp functions = [] {
        WinHttp http = {};
        http.complete = true;
        Resolve(&http.open, "WinHttpOpen", &http.complete);
        Resolve(&http.setTimeouts, "WinHttpSetTimeouts", &http.complete);
        Resolve(&http.crackUrl, "WinHttpCrackUrl", &http.complete);
        Resolve(&http.connect, "WinHttpConnect", &http.complete);
        Resolve(&http.openRequest, "WinHttpOpenRequest", &http.complete);
        Resolve(&http.setOption, "WinHttpSetOption", &http.complete);
        Resolve(&http.addRequestHeaders, "WinHttpAddRequestHeaders", &http.complete);
        Resolve(&http.sendRequest, "WinHttpSendRequest", &http.complete);
        Resolve(&http.receiveResponse, "WinHttpReceiveResponse", &http.complete);
        Resolve(&http.queryHeaders, "WinHttpQueryHeaders", &http.complete);
        Resolve(&http.queryDataAvailable, "WinHttpQueryDataAvailable", &http.complete);
        Resolve(&http.readData, "WinHttpReadData", &http.complete);
        Resolve(&http.closeHandle, "WinHttpCloseHandle", &http.complete);
        Resolve(&http.getIEProxyConfig, "WinHttpGetIEProxyConfigForCurrentUser", &http.complete);
        Resolve(&http.getProxyForUrl, "WinHttpGetProxyForUrl", &http.complete);
        return http;
    }();
    return functions;
}

void InternetHandleTraits::Close(Handle handle) {
    if (Http().closeHandle)
        Http().closeHandle(handle);
}

String WebUserAgent() {
    uint32_t major = 6, minor = 1;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExW(&version)) {
        major = version.dwMajorVersion;
        minor = version.dwMinorVersion;
    }
#pragma GCC diagnostic pop
    return UserAgentText(major, minor, IsWow64());
}

HINTERNET AcquireWebSession(Result* result) {
    Session& session = SharedSession();
    std::lock_guard<std::mutex> guard(session.lock);
    *result = kResultOk;
    const WinHttp& http = Http();
    if (!http.complete) {
        *result = kResultNotSupported;
        return nullptr;
    }
    if (!session.handle) {
        const String agent = WebUserAgent();
        session.handle.reset(http.open(Wide(agent.data()), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session.handle)
            *result = LastError();
        else
            http.setTimeouts(session.handle.get(), kWebResolveTimeout, kWebConnectTimeout,
                             kWebSendTimeout, kWebReceiveTimeout);
    }
    return session.handle.get();
}

void ReleaseWebSession() {
    Session& session = SharedSession();
    std::lock_guard<std::mutex> guard(session.lock);
    session.handle.reset();
}

Result ConnectTo(const String& url, InternetHandle* connection, uint32_t* requestFlags,
                 String* path) {
    Result result = kResultOk;
    HINTERNET session = AcquireWebSession(&result);
    if (!session)
        return result;
    wchar_t host[256] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 255;
    parts.dwUrlPathLength = DWORD(-1);
    parts.dwExtraInfoLength = DWORD(-1);
    if (!Http().crackUrl(Wide(url.data()), 0, 0, &parts))
        return LastError();
    *requestFlags = 0;
    // What goes over the network goes encrypted; plain http reaches this
    // computer alone (tests).
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        *requestFlags = WINHTTP_FLAG_SECURE;
    else if (!IsLoopbackHost(String(Units(host))))
        return kResultNotSupported;
    if (path) {
        *path = String(Units(parts.lpszUrlPath), parts.dwUrlPathLength);
        if (parts.lpszExtraInfo)
            *path += String(Units(parts.lpszExtraInfo), parts.dwExtraInfoLength);
    }
    connection->reset(Http().connect(session, host, parts.nPort, 0));
    return *connection ? kResultOk : LastError();
}

Result WebProxy::discover(const String& url) {
    discovered = true;
    const WinHttp& http = Http();
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user = {};
    String autoConfigUrl;
    if (http.getIEProxyConfig(&user)) {
        proxy = TakeGlobalText(user.lpszProxy);
        bypass = TakeGlobalText(user.lpszProxyBypass);
        autoConfigUrl = TakeGlobalText(user.lpszAutoConfigUrl);
        if (!proxy.isEmpty())
            return kResultOk;
    }
    Result result = kResultOk;
    HINTERNET session = AcquireWebSession(&result);
    if (!session)
        return result;
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (!autoConfigUrl.isEmpty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = Wide(autoConfigUrl.data());
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    // A proxy script found on the network is nobody's to send the user's
    // credentials to.
    options.fAutoLogonIfChallenged = FALSE;
    WINHTTP_PROXY_INFO info = {};
    if (!http.getProxyForUrl(session, Wide(url.data()), &options, &info))
        return LastError();
    proxy = TakeGlobalText(info.lpszProxy);
    bypass = TakeGlobalText(info.lpszProxyBypass);
    return proxy.isEmpty() ? kResultNotFound : kResultOk;
}

Result WebProxy::applyTo(HINTERNET request) const {
    DWORD logon = WINHTTP_AUTOLOGON_SECURITY_LEVEL_HIGH;
    (void)Http().setOption(request, WINHTTP_OPTION_AUTOLOGON_POLICY, &logon, sizeof logon);
    if (proxy.isEmpty())
        return kResultOk;
    WINHTTP_PROXY_INFO info = {};
    info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    info.lpszProxy = Wide(const_cast<char16_t*>(proxy.data()));
    info.lpszProxyBypass = bypass.isEmpty() ? nullptr : Wide(const_cast<char16_t*>(bypass.data()));
    if (!Http().setOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info))
        return LastError();
    return kResultOk;
}

Result ResponseStatus(HINTERNET request, uint32_t* status) {
    DWORD code = 0;
    DWORD length = sizeof code;
    if (!Http().queryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &code, &length, WINHTTP_NO_HEADER_INDEX))
        return LastError();
    *status = code;
    return kResultOk;
}

} // namespace vorn
