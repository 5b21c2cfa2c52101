// Result codes: every fallible operation of the framework returns one of these,
// 0 meaning success. Process exit codes use the same set. Nothing throws.
// A result cannot be dropped unnoticed: a call whose failure does not matter
// says so with (void). A code from elsewhere (an exit code, a C decoder's
// answer) becomes a result by an explicit Result(…).
#pragma once

#include <cstdint>

namespace vorn {

enum [[nodiscard]] Result : uint32_t{
    kResultOk = 0,
    kResultFailed = 1,
    kResultNotSupported = 2,
    kResultUnsupportedFormat = 3,
    kResultWrongState = 4,
    kResultInvalidArgument = 5,
    kResultMissingDefinition = 6,
    kResultPlatformFailure = 7,
    kResultCancelled = 8,
    kResultTimedOut = 9,
    kResultOutOfMemory = 12,
    kResultFull = 13,
    kResultAlreadyExists = 14,
    kResultNullInput = 15,
    kResultNotOpenForReading = 16,
    kResultAccessDenied = 17,
    kResultDeviceNotReady = 18,
    kResultEndOfData = 19,
    kResultNoMoreItems = 20,
    kResultDirectoryNotEmpty = 21,
    kResultCrcError = 22,
    kResultNullOutput = 23,
    kResultCapacityExceeded = 24,
    kResultNotOpenForWriting = 25,
    kResultSharingViolation = 27,
    kResultNotFound = 29,
    kResultBadPath = 31,
    kResultChecksumMismatch = 32,
    kResultMalformed = 33,
    kResultUnexpectedToken = 34,
    kResultInvalidHandle = 35,
    kResultMissingEntry = 36,
    kResultOutOfRange = 37,
    kResultInvalidName = 38,
    kResultKindMismatch = 39,
    kResultEmptyInput = 40,
    // A folder that standard users may change, where only administrators may.
    kResultUnprotectedFolder = 43,
    // A newer version of the product is installed.
    kResultNewerInstalled = 44,
};

// Maps a platform error (GetLastError, Winsock or WinHTTP) to a result code;
// errors the table does not know become kResultFailed.
Result ResultFromSystemError(uint32_t systemError);

// The checks a getter makes first: 15 for a null input, 16 for a null
// output, else 0; `out`, when there is one, is reset in every case.
template <typename Out> Result CheckInOut(const void* input, Out* out) {
    if (out)
        *out = Out();
    if (!input)
        return kResultNullInput;
    return out ? kResultOk : kResultNullOutput;
}

} // namespace vorn
