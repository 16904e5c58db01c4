#include "platform/platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
std::atomic<IPlatform*> g_current{nullptr};
}  // namespace

IPlatform& Current() {
    IPlatform* current = g_current.load(std::memory_order_acquire);
    if (current == nullptr) {
        std::fputs("platform: no platform installed\n", stderr);
        std::abort();
    }
    return *current;
}

IPlatform* Install(IPlatform* platform) {
    return g_current.exchange(platform, std::memory_order_acq_rel);
}

}  // namespace platform
