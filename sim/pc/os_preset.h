#pragma once
// The Windows versions the simulated PC can pretend to be.
#include <cstdint>

#include "platform/system_info.h"

namespace sim {

enum class OsPreset : std::uint8_t {
    kWindows98,    // 4.10, Windows 95 family
    kWindowsMe,    // 4.90, Windows 95 family
    kWindows2000,  // 5.0
    kWindowsXp,    // 5.1
    kWindowsVista, // 6.0
    kWindows7,     // 6.1
    kWindows10,    // 10.0
    kUnsupported,  // 4.50: between 98 and Me, a version no transport serves
};

platform::OsVersion VersionOf(OsPreset preset);
// The Windows 95 family has VWIN32 and ASPI; the NT family has volume and disk devices.
bool IsWin9x(OsPreset preset);

}  // namespace sim
