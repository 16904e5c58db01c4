#pragma once
// Time and sleep. On the simulated PC this is a virtual clock: sleeping advances it at once.
#include <cstdint>

namespace platform {

class IClock {
public:
    virtual ~IClock() = default;

    // Seconds since 1970-01-01 00:00 UTC (as the C library's time()).
    virtual std::int64_t Time() = 0;
    // Milliseconds since start-up; wraps after about 49.7 days, as GetTickCount does.
    virtual std::uint32_t TickCount() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace platform
