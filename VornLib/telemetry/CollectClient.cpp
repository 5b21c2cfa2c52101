#include "VornLib/telemetry/CollectClient.h"

namespace vorn {
namespace {

Result LastError() {
    return ResultFromSystemError(GetLastError());
}

} // namespace

String CollectClient::UserAgent() {
    return WebUserAgent();
}

void CollectClient::ReleaseSession() {
    ReleaseWebSession();
}

CollectClient::CollectClient(const String& baseUrl) : baseUrl_(baseUrl) {
    if (!Http().complete) {
        state_ = kResultNotSupported;
        return;
    }
    if (baseUrl_.isEmpty()) {
        state_ = kResultMissingDefinition;
        return;
    }
    // What a hit says of the program and the machine goes encrypted.
    state_ = ConnectTo(baseUrl_, &connection_, &requestFlags_, nullptr);
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
    (void)proxy_.applyTo(request.get());
    if (size)
        http.addRequestHeaders(request.get(), L"Content-Type: application/x-www-form-urlencoded",
                               DWORD(-1), WINHTTP_ADDREQ_FLAG_ADD);
    auto send = [&] {
        return http.sendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                                size ? buffer_.data() : nullptr, size, size, 0) != FALSE;
    };
    if (!send()) {
        Result failure = LastError();
        if (!proxy_.discovered && proxy_.discover(baseUrl_ + u"/collect") == kResultOk &&
            proxy_.applyTo(request.get()) == kResultOk) {
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
    Result result = ResponseStatus(request, &statusCode_);
    if (result != kResultOk)
        return result;
    wchar_t type[256] = {};
    DWORD length = sizeof type - sizeof type[0];
    if (Http().queryHeaders(request, WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX, type,
                            &length, WINHTTP_NO_HEADER_INDEX))
        contentType_ = Units(type);
    buffer_.clear();
    result = ReadResponseBody(request, [this](const uint8_t* piece, uint32_t size) {
        buffer_.insert(buffer_.end(), piece, piece + size);
        return kResultOk;
    });
    if (result != kResultOk)
        return result;
    (void)response_.attach(buffer_.data(), uint32_t(buffer_.size()), u"HTTPData",
                           MemoryStream::kRead);
    return kResultOk;
}

} // namespace vorn
