#pragma once
// Windows' system error codes, as numbers: the simulated PC reports the same values that
// Windows does, so the program's messages and tests see one set of codes.
#include <cstdint>

namespace platform {

enum SystemError : std::uint32_t {
    kErrorSuccess = 0,
    kErrorInvalidFunction = 1,
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorNotEnoughMemory = 8,
    kErrorInvalidDrive = 15,
    kErrorWriteProtect = 19,
    kErrorNotReady = 21,
    kErrorCrc = 23,
    kErrorBadLength = 24,
    kErrorSectorNotFound = 27,
    kErrorGenFailure = 31,
    kErrorSharingViolation = 32,
    kErrorLockViolation = 33,
    kErrorNotSupported = 50,
    kErrorDevNotExist = 55,
    kErrorInvalidParameter = 87,
    kErrorSemTimeout = 121,
    kErrorInsufficientBuffer = 122,
    kErrorModNotFound = 126,
    kErrorProcNotFound = 127,
    kErrorNegativeSeek = 131,
    kErrorNotLocked = 158,
    kErrorAlreadyExists = 183,
    kErrorMoreData = 234,
    kErrorNoMoreItems = 259,
    kErrorOperationAborted = 995,
    kErrorIoPending = 997,
    kErrorNoToken = 1008,
    kErrorNoMediaInDrive = 1112,
    kErrorIoDevice = 1117,
    kErrorDeviceNotConnected = 1167,
    kErrorInvalidUserBuffer = 1784,
};

}  // namespace platform
