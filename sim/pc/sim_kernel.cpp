// Kernel objects of the simulated PC: events, threads, waits with virtual time-outs, and the
// completion routines that alertable waits run on the writer's thread.
#include <chrono>
#include <new>

#include "platform/errors.h"
#include "platform/kernel.h"
#include "sim/pc/sim_pc_objects.h"

namespace sim {

platform::Handle SimPc::CreateEvent(bool manualReset, bool initiallySignalled) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return AddObject(std::make_shared<EventObject>(manualReset, initiallySignalled));
}

bool SimPc::SetEvent(platform::Handle event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<Object> object = FindObject(event);
    if (!object || object->kind != Object::Kind::kEvent) return Fail(platform::kErrorInvalidHandle);
    static_cast<EventObject&>(*object).signalled = true;
    m_signal.notify_all();
    return true;
}

bool SimPc::ResetEvent(platform::Handle event) {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<Object> object = FindObject(event);
    if (!object || object->kind != Object::Kind::kEvent) return Fail(platform::kErrorInvalidHandle);
    static_cast<EventObject&>(*object).signalled = false;
    return true;
}

platform::Handle SimPc::CreateThread(platform::ThreadProc proc, void* parameter) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto object = std::make_shared<ThreadObject>();
    ThreadObject* raw = object.get();
    try {
        object->thread = std::thread([this, raw, proc, parameter] {
            proc(parameter);
            std::lock_guard<std::mutex> done(m_mutex);
            raw->done = true;
            m_signal.notify_all();
        });
    } catch (...) {
        Fail(platform::kErrorNotEnoughMemory);
        return platform::kNullHandle;
    }
    m_threads.push_back(object);
    return AddObject(object);
}

namespace {

// What Windows leaves in OVERLAPPED.Internal: the request's NTSTATUS.
uintptr_t NtStatusOf(uint32_t error) {
    switch (error) {
    case platform::kErrorSuccess: return 0;
    case platform::kErrorOperationAborted: return 0xC0000120;  // STATUS_CANCELLED
    default: return 0xC0000185;                                // STATUS_IO_DEVICE_ERROR
    }
}

}  // namespace

void SimPc::RunApcs(std::unique_lock<std::mutex>& lock, std::vector<Apc>& due) {
    lock.unlock();
    for (Apc& apc : due) {
        apc.overlapped->internal = NtStatusOf(apc.error);
        apc.overlapped->internalHigh = apc.bytes;
        apc.routine(apc.error, apc.bytes, apc.overlapped);
    }
    lock.lock();
}

std::uint32_t SimPc::WaitForSingleObject(platform::Handle handle, std::uint32_t timeoutMs,
                                         bool alertable) {
    std::unique_lock<std::mutex> lock(m_mutex);
    std::shared_ptr<Object> object = FindObject(handle);
    if (!object || (object->kind != Object::Kind::kEvent && object->kind != Object::Kind::kThread)) {
        Fail(platform::kErrorInvalidHandle);
        return platform::kWaitFailed;
    }
    const bool infinite = timeoutMs == platform::kInfinite;
    const uint64_t deadline = m_clock.NowMs() + (infinite ? 0 : timeoutMs);
    const std::thread::id self = std::this_thread::get_id();
    for (;;) {
        if (alertable) {
            // Completion routines that are due run first, and end the wait.
            std::vector<Apc> due;
            for (auto it = m_apcs.begin(); it != m_apcs.end();) {
                if (it->thread == self && it->readyAtMs <= m_clock.NowMs()) {
                    due.push_back(*it);
                    it = m_apcs.erase(it);
                } else {
                    ++it;
                }
            }
            if (!due.empty()) {
                RunApcs(lock, due);
                return platform::kWaitIoCompletion;
            }
        }
        if (object->kind == Object::Kind::kEvent) {
            auto& event = static_cast<EventObject&>(*object);
            if (event.signalled) {
                if (!event.manualReset) event.signalled = false;
                return platform::kWaitObject0;
            }
        } else if (static_cast<ThreadObject&>(*object).done) {
            return platform::kWaitObject0;
        }
        if (timeoutMs == 0) return platform::kWaitTimeout;
        if (alertable) {
            // Let virtual time run to the next completion of this thread within the time-out.
            uint64_t next = Apc::kNever;
            for (const Apc& apc : m_apcs) {
                if (apc.thread == self && apc.readyAtMs < next) next = apc.readyAtMs;
            }
            if (next != Apc::kNever && (infinite || next <= deadline)) {
                m_clock.AdvanceTo(next);
                continue;
            }
        }
        if (infinite) {
            m_signal.wait(lock);
            continue;
        }
        if (object->kind == Object::Kind::kThread) {
            // A thread does real work: give it real time up to the time-out.
            m_signal.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return static_cast<ThreadObject&>(*object).done; });
            if (static_cast<ThreadObject&>(*object).done) return platform::kWaitObject0;
        }
        m_clock.AdvanceTo(deadline);
        return platform::kWaitTimeout;
    }
}

bool SimPc::CloseHandle(platform::Handle handle) {
    std::unique_lock<std::mutex> lock(m_mutex);
    std::shared_ptr<Object> object = FindObject(handle);
    if (!object) return Fail(platform::kErrorInvalidHandle);
    m_objects.erase(handle);
    if (object->kind != Object::Kind::kDevice) return true;
    auto& device = static_cast<DeviceObject&>(*object);
    if (device.disk != nullptr && device.disk->volumeLockOwner == handle) {
        device.disk->volumeLockOwner = platform::kNullHandle;
    }
    if (device.type == DeviceObject::Type::kRecovery) {
        // Closing cancels what is still pending; the routines run in a later alertable wait.
        bool cancelled = false;
        for (Apc& apc : m_apcs) {
            if (apc.device == handle && apc.readyAtMs > m_clock.NowMs()) {
                apc.readyAtMs = m_clock.NowMs();
                apc.error = platform::kErrorOperationAborted;
                apc.bytes = 0;
                cancelled = true;
            }
        }
        Player* player = device.disk->player.get();
        if (player->BusGeneration() == device.generation) {
            if (cancelled) player->RecoveryCancel();
            player->RecoveryClose();
        }
    }
    return true;
}

}  // namespace sim
