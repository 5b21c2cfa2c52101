#include "VornLib/telemetry/WebDownload.h"

#include "VornLib/telemetry/WebSession.h"

namespace vorn {

Result Download(const String& url, uint64_t limit, const DownloadSink& sink,
                DownloadOutcome* outcome) {
    *outcome = DownloadOutcome();
    auto LastError = [outcome] {
        outcome->systemError = GetLastError();
        return ResultFromSystemError(outcome->systemError);
    };
    InternetHandle connection;
    uint32_t flags = 0;
    String path;
    Result result = ConnectTo(url, &connection, &flags, &path);
    if (result != kResultOk)
        return result;
    const WinHttp& http = Http();
    InternetHandle request(http.openRequest(connection.get(), L"GET", Wide(path.data()), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            flags));
    if (!request)
        return LastError();
    WebProxy proxy;
    (void)proxy.applyTo(request.get());
    auto send = [&] {
        return http.sendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0,
                                0) != FALSE;
    };
    if (!send()) {
        result = LastError();
        if (proxy.discover(url) != kResultOk || proxy.applyTo(request.get()) != kResultOk ||
            !send())
            return result;
        result = kResultOk;
    }
    if (!http.receiveResponse(request.get(), nullptr) ||
        (result = ResponseStatus(request.get(), &outcome->status)) != kResultOk)
        return result != kResultOk ? result : LastError();
    if (outcome->status != 200)
        return kResultNotFound;
    return ReadResponseBody(request.get(), [&](const uint8_t* piece, uint32_t size) {
        if (size > limit - outcome->received)
            return kResultCapacityExceeded;
        outcome->received += size;
        return sink(piece, size);
    });
}

} // namespace vorn
