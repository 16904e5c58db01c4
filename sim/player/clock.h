#pragma once
// Time as the emulated player sees it. The owner (the simulated PC, a test, a tool) supplies
// the clock, so every delay of the player runs on the owner's time: a virtual clock makes a
// two-second chip reset cost nothing and lets time-out paths be exact.
#include <cstdint>

namespace sim {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary origin; must never go backwards.
    virtual uint64_t NowMs() const = 0;
};

// A clock that moves only when told to: for tests and for tools that never wait.
class ManualClock : public Clock {
public:
    explicit ManualClock(uint64_t startMs = 0) : now_(startMs) {}
    uint64_t NowMs() const override { return now_; }
    void AdvanceMs(uint64_t ms) { now_ += ms; }
    void SetMs(uint64_t ms) { now_ = ms; }

private:
    uint64_t now_;
};

}  // namespace sim
