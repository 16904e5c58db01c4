#include "sim/pc/virtual_clock.h"

namespace sim {

std::int64_t VirtualClock::Time() {
    return kEpochSeconds + static_cast<std::int64_t>(NowMs() / 1000);
}

std::uint32_t VirtualClock::TickCount() { return static_cast<std::uint32_t>(NowMs()); }

void VirtualClock::Sleep(std::uint32_t milliseconds) { AdvanceMs(milliseconds); }

uint64_t VirtualClock::NowMs() const { return m_nowMs.load(std::memory_order_acquire); }

void VirtualClock::AdvanceMs(uint64_t milliseconds) {
    m_nowMs.fetch_add(milliseconds, std::memory_order_acq_rel);
}

void VirtualClock::AdvanceTo(uint64_t ms) {
    uint64_t now = m_nowMs.load(std::memory_order_acquire);
    while (now < ms && !m_nowMs.compare_exchange_weak(now, ms, std::memory_order_acq_rel)) {
    }
}

}  // namespace sim
