#include <ctime>

#include "platform/win32/services.h"
#include "platform/win32/windows_api.h"

namespace platform {
namespace win32 {

std::int64_t Clock::Time() { return static_cast<std::int64_t>(std::time(nullptr)); }

std::uint32_t Clock::TickCount() { return ::GetTickCount(); }

void Clock::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace win32
}  // namespace platform
