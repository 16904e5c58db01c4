#include <new>

#include "platform/win32/services.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

namespace {

HANDLE ToWin(Handle h) { return reinterpret_cast<HANDLE>(h); }

// Windows calls a __stdcall routine with its own OVERLAPPED; this record carries the caller's
// routine and record so that the caller sees its own Overlapped when the write completes.
struct PendingWrite {
    OVERLAPPED system;  // first member: the system's pointer is the record's address
    CompletionRoutine routine;
    Overlapped* caller;
};

VOID CALLBACK CompleteWrite(DWORD error, DWORD bytesTransferred, LPOVERLAPPED system) {
    PendingWrite* pending = reinterpret_cast<PendingWrite*>(system);
    Overlapped* caller = pending->caller;
    CompletionRoutine routine = pending->routine;
    caller->internal = pending->system.Internal;
    caller->internalHigh = pending->system.InternalHigh;
    delete pending;
    routine(error, bytesTransferred, caller);
}

}  // namespace

Handle DeviceIo::CreateFile(const std::wstring& name, std::uint32_t access,
                            std::uint32_t shareMode, std::uint32_t disposition,
                            std::uint32_t flags) {
    HANDLE h = ::CreateFileW(name.c_str(), access, shareMode, nullptr, disposition, flags,
                             nullptr);
    return reinterpret_cast<Handle>(h);
}

bool DeviceIo::DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                               std::uint32_t inSize, void* out, std::uint32_t outSize,
                               std::uint32_t* bytesReturned) {
    DWORD returned = 0;
    BOOL ok = ::DeviceIoControl(ToWin(device), code, const_cast<void*>(in), inSize, out,
                                outSize, &returned, nullptr);
    if (bytesReturned != nullptr) *bytesReturned = returned;
    return ok != 0;
}

// SetFilePointer with a high part rather than SetFilePointerEx, which the Windows 95 family
// lacks; the invalid position alone is not a failure, only together with a last error.
bool DeviceIo::SetFilePointer(Handle file, std::int64_t distance, std::uint32_t moveMethod,
                              std::uint64_t* newPosition) {
    LONG high = static_cast<LONG>(distance >> 32);
    ::SetLastError(NO_ERROR);
    DWORD low = ::SetFilePointer(ToWin(file), static_cast<LONG>(distance & 0xFFFFFFFF), &high,
                                 moveMethod);
    if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return false;
    if (newPosition != nullptr) {
        *newPosition = (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
    }
    return true;
}

bool DeviceIo::ReadFile(Handle file, void* buffer, std::uint32_t size,
                        std::uint32_t* bytesRead) {
    DWORD done = 0;
    BOOL ok = ::ReadFile(ToWin(file), buffer, size, &done, nullptr);
    if (bytesRead != nullptr) *bytesRead = done;
    return ok != 0;
}

bool DeviceIo::WriteFile(Handle file, const void* buffer, std::uint32_t size,
                         std::uint32_t* bytesWritten) {
    DWORD done = 0;
    BOOL ok = ::WriteFile(ToWin(file), buffer, size, &done, nullptr);
    if (bytesWritten != nullptr) *bytesWritten = done;
    return ok != 0;
}

bool DeviceIo::WriteFileEx(Handle file, const void* buffer, std::uint32_t size,
                           Overlapped* overlapped, CompletionRoutine routine) {
    PendingWrite* pending = new (std::nothrow) PendingWrite();
    if (pending == nullptr) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    pending->routine = routine;
    pending->caller = overlapped;
    pending->system.Offset = overlapped->offset;
    pending->system.OffsetHigh = overlapped->offsetHigh;
    if (!::WriteFileEx(ToWin(file), buffer, size, &pending->system, CompleteWrite)) {
        DWORD error = ::GetLastError();
        delete pending;
        ::SetLastError(error);
        return false;
    }
    return true;
}

bool DeviceIo::CancelIo(Handle file) { return ::CancelIo(ToWin(file)) != 0; }

// Only the Windows 95 family has VWIN32, and it is 32-bit: the address is the pointer.
std::uint32_t DeviceIo::Vwin32Address(void* buffer) {
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(buffer));
}

}  // namespace win32
}  // namespace platform
