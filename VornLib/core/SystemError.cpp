// The one table from platform errors to result codes, shared by every wrapper
// of a platform call. Searched in order; the first match wins.
#include "VornLib/core/Result.h"

namespace vorn {
namespace {

struct ErrorMapping {
    uint32_t systemError;
    Result result;
};

constexpr ErrorMapping kErrorMappings[] = {
    {0, kResultOk},
    {2, kResultNotFound},            // ERROR_FILE_NOT_FOUND
    {3, kResultBadPath},             // ERROR_PATH_NOT_FOUND
    {5, kResultAccessDenied},        // ERROR_ACCESS_DENIED
    {8, kResultOutOfMemory},         // ERROR_NOT_ENOUGH_MEMORY
    {32, kResultSharingViolation},   // ERROR_SHARING_VIOLATION
    {87, kResultInvalidArgument},    // ERROR_INVALID_PARAMETER
    {6, kResultInvalidHandle},       // ERROR_INVALID_HANDLE
    {18, kResultNoMoreItems},        // ERROR_NO_MORE_FILES
    {123, kResultInvalidName},       // ERROR_INVALID_NAME
    {112, kResultFull},              // ERROR_DISK_FULL
    {183, kResultAlreadyExists},     // ERROR_ALREADY_EXISTS
    {206, kResultBadPath},           // ERROR_FILENAME_EXCED_RANGE
    {1392, kResultCrcError},         // ERROR_FILE_CORRUPT
    {1407, kResultInvalidName},      // ERROR_CANNOT_FIND_WND_CLASS
    {1223, kResultCancelled},        // ERROR_CANCELLED
    {120, kResultNotSupported},      // ERROR_CALL_NOT_IMPLEMENTED
    {145, kResultDirectoryNotEmpty}, // ERROR_DIR_NOT_EMPTY
    {21, kResultDeviceNotReady},     // ERROR_NOT_READY
    {23, kResultCrcError},           // ERROR_CRC
    {126, kResultNotFound},          // ERROR_MOD_NOT_FOUND
    {1114, kResultPlatformFailure},  // ERROR_DLL_INIT_FAILED
    {14001, kResultPlatformFailure}, // ERROR_SXS_CANT_GEN_ACTCTX
    {193, kResultMalformed},         // ERROR_BAD_EXE_FORMAT
    {10061, kResultAccessDenied},    // WSAECONNREFUSED
    {10057, kResultWrongState},      // WSAENOTCONN
    {10060, kResultTimedOut},        // WSAETIMEDOUT
    {10053, kResultWrongState},      // WSAECONNABORTED
    {10054, kResultWrongState},      // WSAECONNRESET
    {10058, kResultWrongState},      // WSAESHUTDOWN
    {10014, kResultInvalidArgument}, // WSAEFAULT
    {10048, kResultAlreadyExists},   // WSAEADDRINUSE
    {10038, kResultWrongState},      // WSAENOTSOCK
    {11001, kResultNotFound},        // WSAHOST_NOT_FOUND
    {12180, kResultPlatformFailure}, // ERROR_WINHTTP_AUTODETECTION_FAILED
    {12150, kResultNotFound},        // ERROR_WINHTTP_HEADER_NOT_FOUND
    {12152, kResultPlatformFailure}, // ERROR_WINHTTP_INVALID_SERVER_RESPONSE
    {12005, kResultInvalidArgument}, // ERROR_WINHTTP_INVALID_URL
    {12007, kResultPlatformFailure}, // ERROR_WINHTTP_NAME_NOT_RESOLVED
    {12017, kResultCancelled},       // ERROR_WINHTTP_OPERATION_CANCELLED
    {12002, kResultTimedOut},        // ERROR_WINHTTP_TIMEOUT
    {12006, kResultMalformed},       // ERROR_WINHTTP_UNRECOGNIZED_SCHEME
    {12029, kResultPlatformFailure}, // ERROR_WINHTTP_CANNOT_CONNECT
};
static_assert(sizeof(kErrorMappings) / sizeof(kErrorMappings[0]) == 43);

} // namespace

Result ResultFromSystemError(uint32_t systemError) {
    for (const ErrorMapping& mapping : kErrorMappings) {
        if (mapping.systemError == systemError)
            return mapping.result;
    }
    return kResultFailed;
}

} // namespace vorn
