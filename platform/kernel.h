#pragma once
// Kernel objects: events, worker threads, waits, and closing any handle of the seam
// (devices included), as CloseHandle does.
#include <cstdint>

#include "platform/types.h"

namespace platform {

constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

constexpr std::uint32_t kWaitObject0 = 0;
constexpr std::uint32_t kWaitIoCompletion = 0xC0;  // an alertable wait ran completion routines
constexpr std::uint32_t kWaitTimeout = 0x102;
constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

using ThreadProc = std::uint32_t (*)(void* parameter);

class IKernel {
public:
    virtual ~IKernel() = default;

    // Events: null handle and last error on failure.
    virtual Handle CreateEvent(bool manualReset, bool initiallySignalled) = 0;
    virtual bool SetEvent(Handle event) = 0;
    virtual bool ResetEvent(Handle event) = 0;

    // Starts proc(parameter) on a new thread; null handle and last error on failure.
    // The handle is signalled once the thread has ended.
    virtual Handle CreateThread(ThreadProc proc, void* parameter) = 0;

    // Waits for an event or a thread. A zero time-out polls. An alertable wait first runs the
    // completion routines queued for the calling thread and then returns kWaitIoCompletion.
    virtual std::uint32_t WaitForSingleObject(Handle object, std::uint32_t timeoutMs,
                                              bool alertable) = 0;

    virtual bool CloseHandle(Handle object) = 0;
};

}  // namespace platform
