#pragma once
// The simulated PC's time: it moves only when someone sleeps or waits, so a 120-second wait
// costs nothing and time-outs are exact. Shared by the PC and its players.
#include <atomic>
#include <cstdint>

#include "platform/clock.h"
#include "sim/player/clock.h"

namespace sim {

class VirtualClock final : public platform::IClock, public sim::Clock {
public:
    // Time() at the start: 2026-01-01 00:00:00 UTC.
    static constexpr std::int64_t kEpochSeconds = 1767225600;

    std::int64_t Time() override;
    std::uint32_t TickCount() override;
    void Sleep(std::uint32_t milliseconds) override;
    uint64_t NowMs() const override;

    void AdvanceMs(uint64_t milliseconds);
    // Moves to `ms` unless the clock is already past it.
    void AdvanceTo(uint64_t ms);

private:
    std::atomic<uint64_t> m_nowMs{0};
};

}  // namespace sim
