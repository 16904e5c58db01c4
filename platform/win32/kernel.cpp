#include <new>

#include "platform/win32/services.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

namespace {

HANDLE ToWin(Handle h) { return reinterpret_cast<HANDLE>(h); }
Handle FromWin(HANDLE h) { return reinterpret_cast<Handle>(h); }

// The seam's thread procedure uses the C calling convention, Windows' the __stdcall one.
struct ThreadStart {
    ThreadProc proc;
    void* parameter;
};

DWORD WINAPI RunThread(LPVOID context) {
    ThreadStart start = *static_cast<ThreadStart*>(context);
    delete static_cast<ThreadStart*>(context);
    return start.proc(start.parameter);
}

}  // namespace

Handle Kernel::CreateEvent(bool manualReset, bool initiallySignalled) {
    return FromWin(::CreateEventW(nullptr, manualReset, initiallySignalled, nullptr));
}

bool Kernel::SetEvent(Handle event) { return ::SetEvent(ToWin(event)) != 0; }

bool Kernel::ResetEvent(Handle event) { return ::ResetEvent(ToWin(event)) != 0; }

Handle Kernel::CreateThread(ThreadProc proc, void* parameter) {
    ThreadStart* start = new (std::nothrow) ThreadStart{proc, parameter};
    if (start == nullptr) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return kNullHandle;
    }
    DWORD threadId = 0;
    HANDLE thread = ::CreateThread(nullptr, 0, RunThread, start, 0, &threadId);
    if (thread == nullptr) {
        DWORD error = ::GetLastError();
        delete start;
        ::SetLastError(error);
    }
    return FromWin(thread);
}

std::uint32_t Kernel::WaitForSingleObject(Handle object, std::uint32_t timeoutMs,
                                          bool alertable) {
    return ::WaitForSingleObjectEx(ToWin(object), timeoutMs, alertable);
}

bool Kernel::CloseHandle(Handle object) { return ::CloseHandle(ToWin(object)) != 0; }

}  // namespace win32
}  // namespace platform
