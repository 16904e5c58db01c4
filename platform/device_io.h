#pragma once
// Files and devices: "\\.\X:" volumes, "\\.\PhysicalDriveN" disks, "\\.\vwin32" and the
// recovery devices. Structures that the program builds for a request travel as bytes, laid
// out as Windows lays them out at the width of the build. Handles are closed with
// IKernel::CloseHandle.
#include <cstdint>
#include <string>

#include "platform/types.h"

namespace platform {

// Windows' OVERLAPPED: the same members at both widths, so the Windows implementation can hand
// the completion routine back the caller's own record.
struct Overlapped {
    std::uintptr_t internal = 0;      // status of the finished request
    std::uintptr_t internalHigh = 0;  // bytes transferred
    std::uint32_t offset = 0;
    std::uint32_t offsetHigh = 0;
    Handle event = kNullHandle;       // not used by overlapped writes with a completion routine
};

// Runs on the thread that started the write, inside one of its alertable waits.
using CompletionRoutine = void (*)(std::uint32_t error, std::uint32_t bytesTransferred,
                                   Overlapped* overlapped);

class IDeviceIo {
public:
    virtual ~IDeviceIo() = default;

    // kInvalidHandle and last error on failure.
    virtual Handle CreateFile(const std::wstring& name, std::uint32_t access,
                              std::uint32_t shareMode, std::uint32_t disposition,
                              std::uint32_t flags) = 0;

    // Synchronous device control; *bytesReturned receives the output length. Input and output
    // may be the same buffer.
    virtual bool DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned) = 0;

    // 64-bit file pointer (SetFilePointerEx); newPosition may be null.
    virtual bool SetFilePointer(Handle file, std::int64_t distance, std::uint32_t moveMethod,
                                std::uint64_t* newPosition) = 0;
    virtual bool ReadFile(Handle file, void* buffer, std::uint32_t size,
                          std::uint32_t* bytesRead) = 0;
    virtual bool WriteFile(Handle file, const void* buffer, std::uint32_t size,
                           std::uint32_t* bytesWritten) = 0;

    // Overlapped write on a handle opened with kFileFlagOverlapped (WriteFileEx). The
    // overlapped record and the buffer must live until the routine has run.
    virtual bool WriteFileEx(Handle file, const void* buffer, std::uint32_t size,
                             Overlapped* overlapped, CompletionRoutine routine) = 0;
    // Cancels the calling thread's pending I/O on the handle; their routines then run with
    // kErrorOperationAborted in the next alertable wait.
    virtual bool CancelIo(Handle file) = 0;

    // The 32-bit flat address under which VWIN32 sees a caller buffer, for register fields
    // that carry an address (EDX of the device parameter and drive map requests).
    virtual std::uint32_t Vwin32Address(void* buffer) = 0;
};

}  // namespace platform
