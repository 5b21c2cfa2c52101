#include "VornLib/telemetry/CollectClient.h"

#include <mutex>

#include <winhttp.h>

#include "VornLib/core/platform/DynamicLibrary.h"
#include "VornLib/core/platform/SystemInfo.h"
#include "VornLib/telemetry/HitText.h"

namespace vorn {
namespace {

// WinHTTP's entry points, resolved once from the system folder. decltype only
// names the declarations, so nothing lands in the import table.
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
    bool complete = false;
};

template <typename Function> void Resolve(Function* slot, const char* name, bool* complete) {
    *slot = SystemFunction<Function>(SystemLibraryId::WinHttp, name);
    if (!*slot)
        *complete = false;
}

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

Result LastError() {
    return ResultFromSystemError(GetLastError());
}

// The session every client shares, created once under its own lock.
struct Session {
    std::mutex lock;
    InternetHandle handle;
};

Session& SharedSession() {
    static Session* session = new Session; // outlives every client, even at process exit
    return *session;
}

HINTERNET AcquireSession(Result* result) {
    Session& session = SharedSession();
    std::lock_guard<std::mutex> guard(session.lock);
    *result = kResultOk;
    if (!session.handle) {
        const WinHttp& http = Http();
        const String agent = CollectClient::UserAgent();
        session.handle.reset(http.open(Wide(agent.data()), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                       WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session.handle)
            *result = LastError();
        else
            http.setTimeouts(session.handle.get(), CollectClient::kResolveTimeout,
                             CollectClient::kConnectTimeout, CollectClient::kSendTimeout,
                             CollectClient::kReceiveTimeout);
    }
    return session.handle.get();
}

// Copies a text that the system allocated and frees it.
String TakeGlobalText(wchar_t* text) {
    String copy(Units(text));
    if (text)
        GlobalFree(text);
    return copy;
}

} // namespace

void InternetHandleTraits::Close(Handle handle) {
    if (Http().closeHandle)
        Http().closeHandle(handle);
}

String CollectClient::UserAgent() {
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

void CollectClient::ReleaseSession() {
    Session& session = SharedSession();
    std::lock_guard<std::mutex> guard(session.lock);
    session.handle.reset();
}

CollectClient::CollectClient(const String& baseUrl) : baseUrl_(baseUrl) {
    const WinHttp& http = Http();
    if (!http.complete) {
        state_ = kResultNotSupported;
        return;
    }
    if (baseUrl_.isEmpty()) {
        state_ = kResultMissingDefinition;
        return;
    }
    HINTERNET session = AcquireSession(&state_);
    if (!session)
        return;
    wchar_t host[256] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = 255;
    if (!http.crackUrl(Wide(baseUrl_.data()), 0, 0, &parts)) {
        state_ = LastError();
        return;
    }
    // What a hit says of the program and the machine goes encrypted.
    if (parts.nScheme == INTERNET_SCHEME_HTTPS) {
        requestFlags_ = WINHTTP_FLAG_SECURE;
    } else if (!IsLoopbackHost(String(Units(host)))) {
        state_ = kResultNotSupported;
        return;
    }
    connection_.reset(http.connect(session, host, parts.nPort, 0));
    if (!connection_)
        state_ = LastError();
}

Result CollectClient::discoverProxy() {
    proxyDiscovered_ = true;
    const WinHttp& http = Http();
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user = {};
    String autoConfigUrl;
    if (http.getIEProxyConfig(&user)) {
        proxy_ = TakeGlobalText(user.lpszProxy);
        proxyBypass_ = TakeGlobalText(user.lpszProxyBypass);
        autoConfigUrl = TakeGlobalText(user.lpszAutoConfigUrl);
        if (!proxy_.isEmpty())
            return kResultOk;
    }
    Result result = kResultOk;
    HINTERNET session = AcquireSession(&result);
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
    const String url = baseUrl_ + u"/collect";
    WINHTTP_PROXY_INFO info = {};
    if (!http.getProxyForUrl(session, Wide(url.data()), &options, &info))
        return LastError();
    proxy_ = TakeGlobalText(info.lpszProxy);
    proxyBypass_ = TakeGlobalText(info.lpszProxyBypass);
    return proxy_.isEmpty() ? kResultNotFound : kResultOk;
}

Result CollectClient::applyProxy(void* request) {
    if (proxy_.isEmpty())
        return kResultOk;
    WINHTTP_PROXY_INFO info = {};
    info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    info.lpszProxy = Wide(const_cast<char16_t*>(proxy_.data()));
    info.lpszProxyBypass =
        proxyBypass_.isEmpty() ? nullptr : Wide(const_cast<char16_t*>(proxyBypass_.data()));
    if (!Http().setOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info))
        return LastError();
    return kResultOk;
}

Result CollectClient::post(const char16_t* hit) {
    statusCode_ = 0;
    contentType_.clear();
    (void)response_.close();
    if (!hit)
        return kResultNullInput;
    if (state_ != kResultOk || !connection_)
        return kResultWrongState;
    const WinHttp& http = Http();

    buffer_.clear();
    const int bodyLength =
        WideCharToMultiByte(CP_UTF8, 0, Wide(hit), -1, nullptr, 0, nullptr, nullptr);
    if (bodyLength > 1) {
        buffer_.resize(size_t(bodyLength));
        WideCharToMultiByte(CP_UTF8, 0, Wide(hit), -1, reinterpret_cast<char*>(buffer_.data()),
                            bodyLength, nullptr, nullptr);
        buffer_.pop_back(); // the terminator is not part of the body
    }
    const DWORD size = DWORD(buffer_.size());

    InternetHandle request(http.openRequest(connection_.get(), L"POST", L"/collect", nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            requestFlags_));
    if (!request)
        return LastError();
    (void)applyProxy(request.get());
    if (size)
        http.addRequestHeaders(request.get(), L"Content-Type: application/x-www-form-urlencoded",
                               DWORD(-1), WINHTTP_ADDREQ_FLAG_ADD);
    auto send = [&] {
        return http.sendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                size ? buffer_.data() : nullptr, size, size, 0) != FALSE;
    };
    if (!send()) {
        Result failure = LastError();
        if (!proxyDiscovered_ && discoverProxy() == kResultOk &&
            applyProxy(request.get()) == kResultOk) {
            if (send())
                failure = kResultOk;
            else
                failure = LastError();
        }
        if (failure != kResultOk)
            return failure;
    }
    if (!http.receiveResponse(request.get(), nullptr))
        return LastError();
    return readResponse(request.get());
}

Result CollectClient::readResponse(void* request) {
    const WinHttp& http = Http();
    DWORD status = 0;
    DWORD length = sizeof status;
    if (!http.queryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &length, WINHTTP_NO_HEADER_INDEX))
        return LastError();
    statusCode_ = status;
    wchar_t type[256] = {};
    length = sizeof type - sizeof type[0];
    if (http.queryHeaders(request, WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX, type,
                          &length, WINHTTP_NO_HEADER_INDEX))
        contentType_ = Units(type);

    buffer_.clear();
    for (;;) {
        DWORD available = 0;
        if (!http.queryDataAvailable(request, &available))
            return LastError();
        if (available == 0)
            break;
        const size_t used = buffer_.size();
        buffer_.resize(used + available);
        DWORD read = 0;
        if (!http.readData(request, buffer_.data() + used, available, &read))
            return LastError();
        buffer_.resize(used + read);
        if (read == 0)
            break;
    }
    (void)response_.attach(buffer_.data(), uint32_t(buffer_.size()), u"HTTPData",
                           MemoryStream::kRead);
    return kResultOk;
}

} // namespace vorn
